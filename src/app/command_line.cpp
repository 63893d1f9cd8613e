#include "app/command_line.h"

#include <array>
#include <cctype>
#include <utility>

#include "app/commands.h"

namespace pelorus {

StartupCommand ParseCommandLine(std::string_view line) {
  StartupCommand result;
  if (line.empty()) return result;
  std::string file(line.substr(0, kMaxPathLength - 1));
  if (file.front() == '"') {
    file.pop_back();
    if (!file.empty()) file.erase(0, 1);
  }
  result.commandLineFile = file;

  std::string upper = file;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static constexpr std::array<std::pair<const char*, int>, 5> kTriggers = {{
      {".SBR", cmd::kUploadSubroutine},
      {".DVB", cmd::kOpen},
      {".BIN", cmd::kSerialFirmware},
      {"/CU", cmd::kColoursToReceiver},
      {"/CD", cmd::kColoursFromReceiver},
  }};
  for (const auto& [text, command] : kTriggers) {
    if (upper.find(text) != std::string::npos) {
      result.command = command;
      break;
    }
  }
  return result;
}

void RunStartupCommand(const StartupCommand& startup, EditorState& state,
                       const std::function<void(int command)>& run) {
  state.commandLineFile.clear();
  if (!startup.command) return;
  state.commandLineFile = startup.commandLineFile;
  run(*startup.command);
  state.commandLineFile.clear();
}

std::string JoinArguments(const std::vector<std::string>& arguments) {
  // Only the quotes around a whole line are taken off again: a name with blanks that follows a
  // switch ("/CU", "my colours.col") is taken as it was given.
  if (arguments.size() == 1 && arguments[0].find(' ') != std::string::npos) {
    return '"' + arguments[0] + '"';
  }
  std::string line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line += ' ';
    line += argument;
  }
  return line;
}

}  // namespace pelorus
