#include "cli.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
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

constexpr char kQuestionsAndStatus[] =
    "Questions take --yes or --no. Exit status: 0 done, 1 the command failed, 2 usage.\n";

void PrintCommandHelp(std::FILE* out, const std::string& usage, const CommandLine& line) {
  std::fprintf(out, "usage: pelorus-cli %s\n", usage.c_str());
  const std::string options = OptionHelp(line);
  if (!options.empty()) std::fprintf(out, "\n%s", options.c_str());
  std::fprintf(out, "\n%s", kQuestionsAndStatus);
}

// The help of a command, or of one action when the words name one of the command's.
void PrintHelpFor(std::FILE* out, const CliCommand& command,
                  const std::vector<std::string>& words) {
  if (command.hasActions) {
    for (const std::string& word : words) {
      if (const LinkAction* action = FindLinkAction(command.name, word)) {
        PrintCommandHelp(out, action->Usage(), ActionLine(*action));
        return;
      }
    }
  }
  PrintCommandHelp(out, command.Usage(), command.line);
}

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "usage: pelorus-cli COMMAND [ARGS...] [--yes|--no]\n\n"
               "Commands:\n");
  for (const CliCommand& command : CliCommands()) {
    // A command's further lines (the actions of a link) are set in under its first one.
    std::string usage = command.Usage();
    for (size_t at = usage.find('\n'); at != std::string::npos; at = usage.find('\n', at + 1)) {
      usage.insert(at + 1, "  ");
    }
    std::fprintf(out, "  %s\n", usage.c_str());
  }
  std::fprintf(out,
               "\nExit status: 0 done, 1 the command failed (its message was printed), "
               "2 usage.\n");
}

int LineError(CliContext& context, const char* name, const LineResult& result) {
  const std::string fault = DescribeFault(result.fault, result.subject);
  if (!fault.empty()) {
    std::fprintf(context.err, "pelorus-cli: %s%s%s\n", fault.c_str(),
                 result.fault == LineFault::kUnknownOption ? " for " : "",
                 result.fault == LineFault::kUnknownOption ? name : "");
  }
  return UsageError(context);
}

// Parses the words after the command's name against its declaration (and, for a command with
// actions, the chosen action's); a usage error is printed and its status returned.
std::optional<ParsedLine> Parse(const CliCommand& command, const std::vector<std::string>& args,
                                CliContext& context) {
  context.usage = command.Usage();
  if (!command.hasActions) {
    LineResult result = ParseArguments(command.line, args);
    if (result.fault != LineFault::kNone) {
      LineError(context, command.name, result);
      return std::nullopt;
    }
    return std::move(result.parsed);
  }
  const LeadingName leading = FindLeadingName(command.line.options, args);
  if (leading.fault != LineFault::kNone) {
    LineError(context, command.name, {leading.fault, leading.subject, {}});
    return std::nullopt;
  }
  if (leading.index >= args.size()) {
    UsageError(context);
    return std::nullopt;
  }
  const std::string& word = args[leading.index];
  const LinkAction* action = FindLinkAction(command.name, word);
  if (action == nullptr) {
    std::fprintf(context.err, "pelorus-cli: unknown action '%s' for %s\n", word.c_str(),
                 command.name);
    UsageError(context);
    return std::nullopt;
  }
  std::vector<std::string> rest = args;
  rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(leading.index));
  context.usage = action->Usage();
  LineResult result = ParseArguments(ActionLine(*action), rest);
  if (result.fault != LineFault::kNone) {
    const std::string name = std::string(command.name) + " " + action->name;
    LineError(context, name.c_str(), result);
    return std::nullopt;
  }
  result.parsed.action = word;
  return std::move(result.parsed);
}

}  // namespace

std::string CliCommand::Usage() const {
  std::string usage = name;
  if (hasActions) usage += " ACTION [ARGS...]";
  const std::string synopsis = Synopsis(line);
  if (!synopsis.empty()) usage += (hasActions ? "  " : " ") + synopsis;
  if (line.note != nullptr) usage += std::string("  ") + line.note;
  if (hasActions) {
    for (const LinkAction* action : LinkActionsOf(name)) {
      usage += "\n  pelorus-cli " + action->Usage();
    }
  }
  return usage;
}

std::span<const CliCommand> CliCommands() { return Registry(); }

const CliCommand* FindCliCommand(std::string_view name) {
  for (const CliCommand& command : CliCommands()) {
    if (name == command.name) return &command;
  }
  return nullptr;
}

CliCommandRegistrar::CliCommandRegistrar(const CliCommand& command) {
  auto& commands = Registry();
  const auto place = std::upper_bound(
      commands.begin(), commands.end(), command,
      [](const CliCommand& a, const CliCommand& b) { return std::strcmp(a.name, b.name) < 0; });
  commands.insert(place, command);
}

int UsageError(CliContext& context) {
  std::fprintf(context.err, "usage: pelorus-cli %s\n", context.usage.c_str());
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
  const CliCommand* command = FindCliCommand(name);
  if (command == nullptr) {
    std::fprintf(err, "pelorus-cli: unknown command '%s' (see pelorus-cli --help)\n", name.c_str());
    return kExitUsage;
  }
  const std::vector<std::string> args(words.begin() + (helpWanted ? 2 : 1), words.end());
  if (helpWanted || std::find(args.begin(), args.end(), "--help") != args.end()) {
    PrintHelpFor(out, *command, args);
    return kExitDone;
  }

  CliUi ui(err, in);
  ui.SetFixedAnswer(fixedAnswer);
  CliContext context{ui, out, err, {}};
  const std::optional<ParsedLine> parsed = Parse(*command, args, context);
  if (!parsed) return kExitUsage;
  // An empty word names no file, port or value; taken further it would open a dialog the
  // console does not have, or fall back to a default port.
  for (const std::string& arg : args) {
    if (arg.empty()) {
      std::fprintf(err, "pelorus-cli: an empty argument is not a name\n");
      return UsageError(context);
    }
  }
  // No command may end the process with an abort: running out of memory is a failure like any
  // other, with its message.
  try {
    return command->run(*parsed, context);
  } catch (const std::bad_alloc&) {
    std::fprintf(err, "%s\n", kNotEnoughMemory);
    return kExitFailed;
  } catch (const std::length_error&) {
    std::fprintf(err, "%s\n", kNotEnoughMemory);
    return kExitFailed;
  }
}

}  // namespace pelorus
