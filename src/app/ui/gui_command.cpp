#include "app/ui/gui_command.h"

#include <map>

namespace pelorus {
namespace {

std::map<int, GuiCommandHandler>& Registry() {
  static std::map<int, GuiCommandHandler> handlers;
  return handlers;
}

}  // namespace

GuiCommandRegistrar::GuiCommandRegistrar(int command, GuiCommandHandler handler) {
  Registry()[command] = handler;
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

ScsiScanRegistrar::ScsiScanRegistrar(ScsiScanHook hook) { ScanHook() = hook; }

ScsiScanHook FindScsiScan() { return ScanHook(); }

namespace {
ListPopupMenu& PopupMenu() {
  static ListPopupMenu menu = nullptr;
  return menu;
}
}  // namespace

ListPopupRegistrar::ListPopupRegistrar(ListPopupMenu menu) { PopupMenu() = menu; }

ListPopupMenu FindListPopup() { return PopupMenu(); }

}  // namespace pelorus
