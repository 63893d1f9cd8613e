#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "grabber/frame_convert.h"
#include "scsi/memory_dump.h"

namespace pelorus {

// The parts of a frame dump that did not arrive, as a dump of `dumpBytes` bytes lists them,
// with whatever lies beyond a short dump's end added.
std::vector<MemoryGap> MissingFromDump(std::vector<MemoryGap> gaps, uint64_t dumpBytes);

// Paints black every pixel of the bitmap (kBitmapBytes, as the conversion wrote it) whose
// samples for `mode` fall in a part of the dump that did not arrive: the picture shows what
// arrived where it belongs, and nothing else in place of what did not. Returns how many pixels.
size_t BlackenMissing(std::span<const MemoryGap> missing, GrabDisplayMode mode,
                      std::span<uint8_t> bitmap);

}  // namespace pelorus
