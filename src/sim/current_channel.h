#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "sim_state.h"

namespace sim {

// The channel number (1-based) of a select-channel receiver command: 16 01 01, four ASCII
// digits, 00. Nothing when the data is not exactly that.
std::optional<uint32_t> DecodeSelectChannel(std::span<const uint8_t> data);

// Puts channel `number` (1-based) on screen when the table holds it, as the remote control's
// digits would; a number the table does not hold leaves the screen as it is. Logs either way.
// True when the channel was switched.
bool SelectChannel(SimState& state, uint32_t number);

// Lays the current channel (16 bits, big-endian, at its receiver address) over a memory read
// that covers any of its two bytes.
void OverlayCurrentChannel(SimState& state, uint32_t address, std::vector<uint8_t>& data);

}  // namespace sim
