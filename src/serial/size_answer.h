#pragma once

#include <cstdint>
#include <span>

namespace pelorus {

// The largest settings block the editor takes from the receiver: 65,536 records.
inline constexpr uint64_t kMaxSettingsBytes = 4u * 1024 * 1024;

// The receiver's answer to the size command: hexadecimal text padded to 10 bytes. Leading white
// space is skipped, an optional "0x" is taken, and parsing stops at the first byte that is not
// a hex digit; no digits give 0. Values beyond 32 bits stick at 0x100000000, which every
// caller refuses.
uint64_t ParseSizeAnswer(std::span<const uint8_t> answer);

}  // namespace pelorus
