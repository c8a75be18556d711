// tool.h: the subcommands of tilvane-map, the command-line companion. Each
// subcommand lives in a file of its own and registers itself with TOOL_COMMAND;
// tools/main.cpp dispatches on the first argument.
#ifndef TILVANE_TOOL_H
#define TILVANE_TOOL_H

struct toolCommand {
  const char *name;   // the first argument, e.g. "roundtrip"
  const char *usage;  // the rest of the usage line, e.g. "PAGE [OUT]"
  // Runs with argv[0] = the subcommand's name. Returns the exit status.
  int (*run)(int argc, char **argv);
};

// Adds a subcommand; returns 1 (so that it can initialise a static).
int toolRegister(const toolCommand *command);

#define TOOL_COMMAND(ident, name, usage, fn)                     \
  static const toolCommand ident##Command = {name, usage, fn}; \
  static const int ident##Registered = toolRegister(&ident##Command)

#endif
