#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace sim {

// What the receiver's flash subroutine does with a compressed step: expands the sliding-window
// stream (flag byte, then eight literals or two-byte ring references) into at most `limit`
// bytes. Reads nothing past `compressed`.
std::vector<uint8_t> ExpandStep(std::span<const uint8_t> compressed, size_t limit);

}  // namespace sim
