#include "cli.h"

#include <array>
#include <cstring>
#include <optional>

#ifdef PELORUS_HAVE_LZW_CLI
#include "lzw_cli.h"
#endif

namespace pelorus {
namespace {

#ifdef PELORUS_HAVE_LZW_CLI
int RunLzwEncode(const std::vector<std::string>& args, CliContext&) {
  std::vector<std::string> words = {"lzw-encode"};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  return RunLzwEncodeCommand(static_cast<int>(argv.size()), argv.data());
}
#endif

constexpr std::array kCommands = {
    CliCommand{"list", "list FILE.dvb [--decimal]", RunListCommand},
    CliCommand{"convert", "convert IN.dvb OUT.dvb", RunConvertCommand},
#ifdef PELORUS_HAVE_LZW_CLI
    CliCommand{"lzw-encode", "lzw-encode OUT IN MAXLEN OFFSET", RunLzwEncode},
#endif
};

void PrintHelp(std::FILE* out) {
  std::fprintf(out,
               "usage: pelorus-cli COMMAND [ARGS...] [--yes|--no]\n\n"
               "Commands:\n");
  for (const CliCommand& command : kCommands) std::fprintf(out, "  %s\n", command.usage);
  std::fprintf(out,
               "\nExit status: 0 done, 1 the command failed (its message was printed), "
               "2 usage.\n");
}

}  // namespace

std::span<const CliCommand> CliCommands() { return kCommands; }

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
  for (const CliCommand& command : kCommands) {
    if (words[0] == command.name) {
      const std::vector<std::string> args(words.begin() + 1, words.end());
      return command.run(args, context);
    }
  }
  std::fprintf(err, "pelorus-cli: unknown command '%s' (see pelorus-cli --help)\n",
               words[0].c_str());
  return kExitUsage;
}

}  // namespace pelorus
