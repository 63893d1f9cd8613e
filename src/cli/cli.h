#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "cli_ui.h"
#include "qtcore/argument_grammar.h"

namespace pelorus {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

inline constexpr char kNotEnoughMemory[] = "Not enough memory";

struct CliContext {
  CliUi& ui;
  std::FILE* out;
  std::FILE* err;
  std::string usage;  // the running command's (or action's), for UsageError
};

// One subcommand: what it takes, declared once, and what it does with the parsed words. A
// command with actions ("scsi", "serial") declares only the options its link takes; its first
// name picks a LinkAction, whose own declaration is added to them, and `run` gets the action's
// word in ParsedLine::action.
struct CliCommand {
  const char* name;
  CommandLine line;
  int (*run)(const ParsedLine& line, CliContext& context);
  bool hasActions = false;

  // "list FILE.dvb [--decimal]", and for a command with actions every action's line.
  std::string Usage() const;
};

// Every command registers itself from its own file with a static CliCommandRegistrar, so an
// area adds commands without touching a shared table. Sorted by name.
std::span<const CliCommand> CliCommands();
const CliCommand* FindCliCommand(std::string_view name);

struct CliCommandRegistrar {
  explicit CliCommandRegistrar(const CliCommand& command);
};

// Runs one command line; tests call it in-process with their own streams.
int RunCli(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err,
           std::FILE* in = stdin);

// Prints "usage: pelorus-cli <the running command's usage>" and returns kExitUsage. Commands
// call it when a value their declaration lets through is not one they take (a speed of 1200).
int UsageError(CliContext& context);

}  // namespace pelorus
