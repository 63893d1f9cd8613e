#include "cli.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>

namespace pelorus {
namespace {

std::vector<CliCommand>& Registry() {
  static std::vector<CliCommand> commands;
  return commands;
}

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "usage: pelorus-cli COMMAND [ARGS...] [--yes|--no]\n\n"
               "Commands:\n");
  for (const CliCommand& command : CliCommands()) std::fprintf(out, "  %s\n", command.usage);
  std::fprintf(out,
               "\nExit status: 0 done, 1 the command failed (its message was printed), "
               "2 usage.\n");
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
  if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    PrintHelp(words.empty() ? err : out);
    return words.empty() ? kExitUsage : kExitDone;
  }

  CliUi ui(err, in);
  ui.SetFixedAnswer(fixedAnswer);
  CliContext context{ui, out, err};
  for (const CliCommand& command : CliCommands()) {
    if (words[0] == command.name) {
      const std::vector<std::string> args(words.begin() + 1, words.end());
      // An empty word names no file, port or value; taken further it would open a dialog the
      // console does not have, or fall back to a default port.
      for (const std::string& arg : args) {
        if (arg.empty()) {
          std::fprintf(err, "pelorus-cli: an empty argument is not a name\n");
          return UsageError(context, command.usage);
        }
      }
      // No command may end the process with an abort: running out of memory is a failure
      // like any other, with its message.
      try {
        return command.run(args, context);
      } catch (const std::bad_alloc&) {
        std::fprintf(err, "%s\n", kNotEnoughMemory);
        return kExitFailed;
      } catch (const std::length_error&) {
        std::fprintf(err, "%s\n", kNotEnoughMemory);
        return kExitFailed;
      }
    }
  }
  std::fprintf(err, "pelorus-cli: unknown command '%s' (see pelorus-cli --help)\n",
               words[0].c_str());
  return kExitUsage;
}

}  // namespace pelorus
