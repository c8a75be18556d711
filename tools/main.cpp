// main.cpp: tilvane-map, a headless companion of the editor over the same modules,
// for scripts and batch work. Messages go to standard error; a failure exits
// with a non-zero status. --help, --version and help [COMMAND] print to
// standard output and exit with 0.
#include <cstdio>
#include <cstring>

#include "html/document.h"
#include "platform/platform.h"
#include "tools/tool.h"

namespace {
const toolCommand *commands[64];
int commandsTotal = 0;

const char version[] = "tilvane-map 4.05\n";

void usageTo(std::FILE *out) {
  std::fprintf(out, "usage: tilvane-map COMMAND ...\n");
  for (int i = 0; i < commandsTotal; i++)
    std::fprintf(out, "  tilvane-map %s %s\n", commands[i]->name, commands[i]->usage);
  std::fprintf(out, "  tilvane-map help [COMMAND]\n  tilvane-map --help | --version\n");
}

int usage() {
  usageTo(stderr);
  return 2;
}

const toolCommand *commandNamed(const char *name) {
  for (int i = 0; i < commandsTotal; i++)
    if (std::strcmp(name, commands[i]->name) == 0) return commands[i];
  return nullptr;
}

// "help" alone and "--help" print the usage; "help COMMAND" that command's line.
int help(const char *name) {
  if (!name) {
    usageTo(stdout);
    return 0;
  }
  const toolCommand *c = commandNamed(name);
  if (!c) {
    std::fprintf(stderr, "tilvane-map: unknown command %s\n", name);
    return usage();
  }
  std::printf("usage: tilvane-map %s %s\n", c->name, c->usage);
  return 0;
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
  if (std::strcmp(argv[1], "--version") == 0 && argc == 2) {
    std::fputs(version, stdout);
    return 0;
  }
  if (std::strcmp(argv[1], "--help") == 0 && argc == 2) return help(nullptr);
  if (std::strcmp(argv[1], "help") == 0 && argc <= 3) return help(argc == 3 ? argv[2] : nullptr);
  if (const toolCommand *c = commandNamed(argv[1])) return c->run(argc - 1, argv + 1);
  std::fprintf(stderr, "tilvane-map: unknown command %s\n", argv[1]);
  return usage();
}
