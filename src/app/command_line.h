#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/editor_state.h"

namespace pelorus {

inline constexpr size_t kMaxPathLength = 260;

struct StartupCommand {
  std::string commandLineFile;  // at most 259 characters, surrounding quotes removed
  std::optional<int> command;   // the menu command the line asks for, if any
};

// Turns the program's command line into the file it names and the one command it starts:
// ".SBR" (upload), ".DVB" (open), ".BIN" (serial firmware), "/CU" and "/CD" (colours), searched
// in that order anywhere in an upper-case copy of the line.
StartupCommand ParseCommandLine(std::string_view line);

// Runs the command the line asks for through `run`, with `state.commandLineFile` naming the file
// for that command alone: it is cleared afterwards whether or not the command took it, and a
// line that asks for no command keeps no file, so a later Open, subroutine upload or firmware
// upgrade asks for its file as usual instead of taking a stray name.
void RunStartupCommand(const StartupCommand& startup, EditorState& state,
                       const std::function<void(int command)>& run);

// The single command line the program works with, rebuilt from the process arguments: words
// joined by blanks as they were given; a lone word holding a blank is put in double quotes,
// which ParseCommandLine takes off again.
std::string JoinArguments(const std::vector<std::string>& arguments);

}  // namespace pelorus
