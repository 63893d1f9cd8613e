#pragma once

#include <span>

#include "app/commands.h"

namespace pelorus {

// The channel list's popup menu: the bulk parameters, the converter and the channel scan.
std::span<const MenuEntry> ChannelListPopup();

}  // namespace pelorus
