#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "cli_ui.h"

namespace pelorus {

inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

inline constexpr char kNotEnoughMemory[] = "Not enough memory";

struct CliContext {
  CliUi& ui;
  std::FILE* out;
  std::FILE* err;
};

// One subcommand: its words after the name, already stripped of the global flags.
struct CliCommand {
  const char* name;
  const char* usage;  // shown by --help and on a usage error
  int (*run)(const std::vector<std::string>& args, CliContext& context);
};

// Every command registers itself from its own file with a static CliCommandRegistrar, so an
// area adds commands without touching a shared table. Sorted by name.
std::span<const CliCommand> CliCommands();

struct CliCommandRegistrar {
  explicit CliCommandRegistrar(const CliCommand& command);
};

// Runs one command line; tests call it in-process with their own streams.
int RunCli(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err,
           std::FILE* in = stdin);

// Prints "usage: pelorus-cli <usage>" and returns kExitUsage.
int UsageError(CliContext& context, const char* usage);
int UsageError(const CliCommand& command, std::FILE* err);

}  // namespace pelorus
