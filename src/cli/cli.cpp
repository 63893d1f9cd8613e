#include "cli.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <new>
#include <optional>
#include <set>
#include <stdexcept>
#include <string_view>

#include "app/version.h"
#include "link_actions.h"

namespace pelorus {
namespace {

std::vector<CliCommand>& Registry() {
  static std::vector<CliCommand> commands;
  return commands;
}

const CliCommand* FindCommand(std::string_view name) {
  for (const CliCommand& command : CliCommands()) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

// One command's usage, with the actions that features add to the two link commands.
std::string CommandUsage(const CliCommand& command) {
  const std::string_view name = command.name;
  if (name == "scsi" || name == "serial") return LinkUsage(name, command.usage);
  return command.usage;
}

void PrintCommandHelp(std::FILE* out, const CliCommand& command) {
  std::fprintf(out, "usage: pelorus-cli %s\n", CommandUsage(command).c_str());
  std::fprintf(out,
               "\nQuestions take --yes or --no. Exit status: 0 done, 1 the command failed, "
               "2 usage.\n");
}

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "usage: pelorus-cli COMMAND [ARGS...] [--yes|--no]\n\n"
               "Commands:\n");
  for (const CliCommand& command : CliCommands()) {
    std::fprintf(out, "  %s\n", CommandUsage(command).c_str());
  }
  std::fprintf(out,
               "\nExit status: 0 done, 1 the command failed (its message was printed), "
               "2 usage.\n");
}

// The options a command takes are the ones its usage names, and the ones every command takes.
std::optional<std::string> UnknownOption(const CliCommand& command,
                                         const std::vector<std::string>& args) {
  const std::string usage = CommandUsage(command);
  std::set<std::string, std::less<>> known = {"--yes", "--no", "--help"};
  for (size_t at = usage.find("--"); at != std::string::npos; at = usage.find("--", at + 2)) {
    size_t end = at + 2;
    while (end < usage.size() &&
           (std::isalnum(static_cast<unsigned char>(usage[end])) || usage[end] == '-')) {
      ++end;
    }
    known.insert(usage.substr(at, end - at));
  }
  for (const std::string& arg : args) {
    if (arg.starts_with("--") && arg.size() > 2 && !known.contains(arg)) return arg;
  }
  return std::nullopt;
}

}  // namespace

std::span<const CliCommand> CliCommands() { return Registry(); }

CliCommandRegistrar::CliCommandRegistrar(const CliCommand& command) {
  auto& commands = Registry();
  const auto place = std::upper_bound(
      commands.begin(), commands.end(), command,
      [](const CliCommand& a, const CliCommand& b) { return std::strcmp(a.name, b.name) < 0; });
  commands.insert(place, command);
}

int UsageError(const CliCommand& command, std::FILE* err) {
  std::fprintf(err, "usage: pelorus-cli %s\n", CommandUsage(command).c_str());
  return kExitUsage;
}

int UsageError(CliContext& context, const char* usage) {
  std::fprintf(context.err, "usage: pelorus-cli %s\n", usage);
  return kExitUsage;
}

int RunCli(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err,
           std::FILE* in) {
  std::optional<bool> fixedAnswer;
  std::vector<std::string> words;
  for (const std::string& argument : arguments) {
    if (argument == "--yes") {
      fixedAnswer = true;
    } else if (argument == "--no") {
      fixedAnswer = false;
    } else {
      words.push_back(argument);
    }
  }
  if (words.empty() || words[0] == "--help" || words[0] == "-h" ||
      (words[0] == "help" && words.size() == 1)) {
    PrintHelp(words.empty() ? err : out);
    return words.empty() ? kExitUsage : kExitDone;
  }
  if (words[0] == "--version") {
    std::fprintf(out, "%s\n", VersionLine("pelorus-cli").c_str());
    return kExitDone;
  }
  const bool helpWanted = words[0] == "help";
  const std::string& name = helpWanted ? words[1] : words[0];
  const CliCommand* command = FindCommand(name);
  if (command == nullptr) {
    std::fprintf(err, "pelorus-cli: unknown command '%s' (see pelorus-cli --help)\n", name.c_str());
    return kExitUsage;
  }
  const std::vector<std::string> args(words.begin() + 1, words.end());
  if (helpWanted || std::find(args.begin(), args.end(), "--help") != args.end()) {
    PrintCommandHelp(out, *command);
    return kExitDone;
  }
  if (const auto unknown = UnknownOption(*command, args)) {
    std::fprintf(err, "pelorus-cli: unknown option '%s' for %s\n", unknown->c_str(), command->name);
    return UsageError(*command, err);
  }

  CliUi ui(err, in);
  ui.SetFixedAnswer(fixedAnswer);
  CliContext context{ui, out, err};
  // An empty word names no file, port or value; taken further it would open a dialog the
  // console does not have, or fall back to a default port.
  for (const std::string& arg : args) {
    if (arg.empty()) {
      std::fprintf(err, "pelorus-cli: an empty argument is not a name\n");
      return UsageError(*command, err);
    }
  }
  // No command may end the process with an abort: running out of memory is a failure like any
  // other, with its message.
  try {
    return command->run(args, context);
  } catch (const std::bad_alloc&) {
    std::fprintf(err, "%s\n", kNotEnoughMemory);
    return kExitFailed;
  } catch (const std::length_error&) {
    std::fprintf(err, "%s\n", kNotEnoughMemory);
    return kExitFailed;
  }
}

}  // namespace pelorus
