#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli.h"
#include "common/editor_state.h"
#include "common/program_files.h"

namespace pelorus {

// The actions of the "scsi" and "serial" commands, registered from their own files as commands
// are with CliCommandRegistrar. An action declares its own names and options; the link's options
// (--scsi; --port, --speed, --options) are added to them, may stand anywhere on the line, and
// are read by the link command into `state` before the action runs.
struct LinkAction {
  const char* link;  // "scsi" or "serial"
  const char* name;  // the word after the link's name
  CommandLine line;
  int (*run)(const ParsedLine& line, EditorState& state, CliContext& context);

  // "scsi capture OUT.mpp --pid N ...  [--scsi sim:PATH]"
  std::string Usage() const;
};

// Refuses (false) an action whose link and name are taken; the registrar ends the program then.
bool RegisterLinkAction(const LinkAction& action);
struct LinkActionRegistrar {
  explicit LinkActionRegistrar(const LinkAction& action);
};

const LinkAction* FindLinkAction(std::string_view link, std::string_view name);
std::vector<const LinkAction*> LinkActionsOf(std::string_view link);

// The action's declaration with its link's options after its own.
CommandLine ActionLine(const LinkAction& action);

// Runs the action the parsed line names, with the state its link prepared.
int RunLinkAction(std::string_view link, const ParsedLine& line, EditorState& state,
                  CliContext& context);

// The serial link's options, shared by the commands that talk to the receiver by either link.
inline constexpr OptionWord kPortOption{
    "--port", "PATH", "the serial device (else PELORUS_SERIAL, else the options' port)"};
inline constexpr OptionWord kSpeedOption{"--speed", "9600|19200|38400",
                                         "the serial speed, in bits per second"};
inline constexpr OptionWord kOptionsFileOption{"--options", "FILE.ini",
                                               "the options file to read instead of the user's"};
inline constexpr OptionWord kScsiOption{"--scsi", "sim:PATH",
                                        "the SCSI transport (else PELORUS_SCSI)"};

// The --speed value as the options' index (1-3), 0 when it is not one of the three speeds.
uint32_t SpeedIndex(const std::string& speed);

// Finds the receiver on SCSI, as the main window does at start-up; false (with the editor's
// message) when it is not there.
bool ConnectScsi(EditorState& state, CliContext& context);

// The serial side of `state` as the editor would have it: the stored options (read, never
// created), the port from `port`, else PELORUS_SERIAL, else the options, and the speed from
// `speedIndex` (1-3) when it is not 0.
void PrepareSerialState(EditorState& state, const std::string& optionsFile, const std::string& port,
                        uint32_t speedIndex);

}  // namespace pelorus
