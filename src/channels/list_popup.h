#pragma once

#include <span>

#include "common/command_ids.h"
#include "common/menu_entry.h"

namespace pelorus {

// The channel list's popup menu: the bulk parameters, the converter and the channel scan.
std::span<const MenuEntry> ChannelListPopup();

}  // namespace pelorus
