#include "app/ui/gui_command.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace pelorus {
namespace {

std::map<int, GuiCommandHandler>& Registry() {
  static std::map<int, GuiCommandHandler> handlers;
  return handlers;
}

// Two features claiming the same command (or hook) is a wiring mistake: whichever registered
// last would win, depending on the link order. Registrations run before main(), so stopping
// here makes every test of the program fail at once.
[[noreturn]] void RefuseSecondRegistration(const std::string& what) {
  std::fprintf(stderr, "%s is registered twice\n", what.c_str());
  std::abort();
}

}  // namespace

bool RegisterGuiCommand(int command, GuiCommandHandler handler) {
  return Registry().try_emplace(command, handler).second;
}

GuiCommandRegistrar::GuiCommandRegistrar(int command, GuiCommandHandler handler) {
  if (!RegisterGuiCommand(command, handler))
    RefuseSecondRegistration("menu command " + std::to_string(command));
}

GuiCommandHandler FindGuiCommand(int command) {
  const auto found = Registry().find(command);
  return found == Registry().end() ? nullptr : found->second;
}

namespace {
ScsiScanHook& ScanHook() {
  static ScsiScanHook hook = nullptr;
  return hook;
}
}  // namespace

ScsiScanRegistrar::ScsiScanRegistrar(ScsiScanHook hook) {
  if (ScanHook() != nullptr) RefuseSecondRegistration("the SCSI scan hook");
  ScanHook() = hook;
}

ScsiScanHook FindScsiScan() { return ScanHook(); }

namespace {
ListPopupMenu& PopupMenu() {
  static ListPopupMenu menu = nullptr;
  return menu;
}
}  // namespace

ListPopupRegistrar::ListPopupRegistrar(ListPopupMenu menu) {
  if (PopupMenu() != nullptr) RefuseSecondRegistration("the list popup menu");
  PopupMenu() = menu;
}

ListPopupMenu FindListPopup() { return PopupMenu(); }

}  // namespace pelorus
