#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "cli.h"
#include "common/editor_state.h"
#include "common/program_files.h"

namespace pelorus {

// The actions of the "scsi" and "serial" commands that features add from their own files, as
// commands do with CliCommandRegistrar. The link command parses its own options first (--scsi;
// --port, --speed, --options) into `state` and hands the action every other word after its
// name.
struct LinkAction {
  const char* link;   // "scsi" or "serial"
  const char* name;   // the word after the link's name
  const char* usage;  // the whole usage after the link's name, options included
  int (*run)(const std::vector<std::string>& args, EditorState& state, CliContext& context);
};

struct LinkActionRegistrar {
  explicit LinkActionRegistrar(const LinkAction& action);
};

const LinkAction* FindLinkAction(std::string_view link, std::string_view name);

// The link command's usage: its own actions, then the registered ones, one per line.
std::string LinkUsage(std::string_view link, std::string_view builtInUsage);

// Finds the receiver on SCSI, as the main window does at start-up; false (with the editor's
// message) when it is not there.
bool ConnectScsi(EditorState& state, CliContext& context);

// The serial side of `state` as the editor would have it: the stored options (read, never
// created), the port from `port`, else PELORUS_SERIAL, else the options, and the speed from
// `speedIndex` (1-3) when it is not 0.
void PrepareSerialState(EditorState& state, const std::string& optionsFile, const std::string& port,
                        uint32_t speedIndex);

}  // namespace pelorus
