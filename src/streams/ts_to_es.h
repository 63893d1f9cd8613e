#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "streams/ts_packet.h"

namespace pelorus {

// Where the elementary-stream bytes of one packet begin: after the 4-byte header, the
// adaptation field and, in a packet that starts a PES packet, the PES header. No value when the
// packet carries no payload or its headers claim more than the packet holds.
std::optional<size_t> EsHeaderLength(ts::Packet packet);

// Converts the whole packets of `in` that start with the sync byte and carry `pid` to their
// elementary-stream bytes, appended to `out` (which needs room for `in.size()` bytes at most).
// Returns the number of bytes written; a trailing part packet is ignored.
size_t ConvertTsToEs(std::span<const uint8_t> in, uint16_t pid, std::span<uint8_t> out);

// The position of the first MPEG video sequence header (00 00 01 B3) in `bytes`.
std::optional<size_t> FindSequenceHeader(std::span<const uint8_t> bytes);

}  // namespace pelorus
