#pragma once

#include <cstdint>

#include "grabber/frame_format.h"

namespace pelorus {

// The chroma part of each channel for one row, per chroma column: pixel x takes entry x / 2,
// which is how the half-width chroma comes to full width.
struct ColourOffsets {
  alignas(32) int16_t blue[kChromaWidth];
  alignas(32) int16_t green[kChromaWidth];
  alignas(32) int16_t red[kChromaWidth];
};

// Writes the 720 pixels of a row as blue, green, red: each channel is Y plus its offset, held
// to 1..254. Uses the processor's vector instructions when it has them.
void ColourRowKernel(const uint8_t* luma, const ColourOffsets& offsets, uint8_t* out);
// The plain loop, for processors without them (and to check the vector one against).
void ColourRowPlain(const uint8_t* luma, const ColourOffsets& offsets, uint8_t* out);

}  // namespace pelorus
