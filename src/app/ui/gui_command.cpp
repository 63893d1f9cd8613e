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

}  // namespace pelorus
