#pragma once

#include <span>

namespace pelorus {

// One entry of a menu: a command, a separator, or a submenu of further entries.
struct MenuEntry {
  int command;           // 0 for a separator or a submenu
  const char* label;     // Italian, with '&' marking the mnemonic
  const char* shortcut;  // key sequence text ("Ctrl+O"), or empty
  std::span<const MenuEntry> submenu;
};

struct MenuPopup {
  const char* title;
  std::span<const MenuEntry> entries;
};

}  // namespace pelorus
