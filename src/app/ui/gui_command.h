#pragma once

#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "app/commands.h"
#include "app/options_store.h"
#include "common/editor_state.h"
#include "common/ui.h"

class QWidget;

namespace pelorus {

// What a menu command gets from the main window when it runs.
struct GuiContext {
  EditorState& state;
  Ui& ui;
  OptionsStore& optionsStore;  // where the options are saved
  QWidget* window;             // the owner of any dialog the command opens
  bool scsiAvailable;
  // The list's selection as sorted row indices (row i shows record i).
  std::function<std::vector<int>()> selectedRows;
  // Selects the given rows and puts the focus on `focusRow` (-1: none).
  std::function<void(const std::vector<int>& rows, int focusRow)> selectRows;
  // Sets the PID formats again from the options and rebuilds every row.
  std::function<void()> refillWithNewPidMode;
  // A status text about the rows shown, cleared when the list is refilled (another list opened).
  std::function<void(std::string_view text)> setListStatus = {};
};

using GuiCommandHandler = void (*)(GuiContext& context);

// Each feature registers the menu commands it builds, from its own ui/ file:
//   const GuiCommandRegistrar kRead(cmd::kSerialRead, RunSerialRead);
// The main window enables exactly the commands that have a handler; the rest stay in the menus,
// greyed, until their feature is built. A command registered twice stops the program before its
// window opens: the second handler is never silently taken instead of the first.
struct GuiCommandRegistrar {
  GuiCommandRegistrar(int command, GuiCommandHandler handler);
};

// Adds a handler; false, with the first handler kept, when the command already has one.
bool RegisterGuiCommand(int command, GuiCommandHandler handler);

// The handler of a command, or null.
GuiCommandHandler FindGuiCommand(int command);

// The SCSI link registers the scan the main window runs while it is created (after the options
// are read, before the toolbar is built): it sets `state.aspiModule` when it finds the receiver
// and shows its status text. Without a registered scan SCSI is unavailable.
using ScsiScanHook = void (*)(EditorState& state, Ui& ui);
struct ScsiScanRegistrar {
  explicit ScsiScanRegistrar(ScsiScanHook hook);
};
ScsiScanHook FindScsiScan();

// The list's popup menu (right-click while settings are loaded), registered by the feature that
// builds its commands. Its items are enabled exactly when their command has a handler.
using ListPopupMenu = std::span<const MenuEntry> (*)();
struct ListPopupRegistrar {
  explicit ListPopupRegistrar(ListPopupMenu menu);
};
ListPopupMenu FindListPopup();

}  // namespace pelorus
