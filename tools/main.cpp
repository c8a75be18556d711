// main.cpp: tilvane-map, a headless companion of the editor over the same modules,
// for scripts and batch work. Messages go to standard error; a failure exits
// with a non-zero status.
#include <cstdio>
#include <cstring>

#include "html/document.h"
#include "platform/platform.h"
#include "tools/tool.h"

namespace {
const toolCommand *commands[64];
int commandsTotal = 0;

int usage() {
  std::fprintf(stderr, "usage: tilvane-map COMMAND ...\n");
  for (int i = 0; i < commandsTotal; i++)
    std::fprintf(stderr, "  tilvane-map %s %s\n", commands[i]->name, commands[i]->usage);
  return 2;
}
}  // namespace

int toolRegister(const toolCommand *command) {
  if (commandsTotal < (int)(sizeof commands / sizeof commands[0])) commands[commandsTotal++] = command;
  return 1;
}

int main(int argc, char **argv) {
  platformInstall(platformConsole());
  readingMessagesShown = 0;  // every message of a reading goes to standard error
  if (argc < 2) return usage();
  for (int i = 0; i < commandsTotal; i++)
    if (std::strcmp(argv[1], commands[i]->name) == 0) return commands[i]->run(argc - 1, argv + 1);
  std::fprintf(stderr, "tilvane-map: unknown command %s\n", argv[1]);
  return usage();
}
