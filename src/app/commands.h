#pragma once

#include <span>

#include "common/command_ids.h"
#include "common/menu_entry.h"

namespace pelorus {

// The commands after which the status line is cleared.
bool ClearsStatusAfter(int command);

// The menu bar, popup by popup, in menu order.
std::span<const MenuPopup> MainMenu();

// The commands that need the SCSI interface; greyed when the receiver was not found on SCSI.
std::span<const int> ScsiOnlyCommands();

// One toolbar entry: a separator (command 0) or a button.
struct ToolbarEntry {
  int image;  // index into the toolbar's picture strip
  int serialCommand;
  int scsiCommand;
  const char* serialTooltip;
  const char* scsiTooltip;
};

std::span<const ToolbarEntry> Toolbar();

// The tooltip of the accelerator-only grab command, which grabs over SCSI when it can.
const char* GrabTooltip(bool scsiAvailable);

}  // namespace pelorus
