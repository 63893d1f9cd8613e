#pragma once

#include <cstdint>

#include "grabber/frame_format.h"

namespace pelorus {

// The chroma part of each channel for one row, per pixel: pixels 2m and 2m + 1 share chroma
// column m, which is how the half-width chroma comes to full width. Two picture rows share one
// chroma row, so this is worked out once for both.
struct ColourOffsets {
  alignas(32) int16_t blue[kFrameWidth];
  alignas(32) int16_t green[kFrameWidth];
  alignas(32) int16_t red[kFrameWidth];
};

// The offsets of one chroma row (360 Cr and Cb samples). Each channel is
// (10000 Y + c) x 0.0001 with an integer c that depends on the chroma only; since 10000 Y is a
// multiple of 10000, truncating that equals Y + floor(c / 10000) (the double constant 0.0001
// lies just above a ten-thousandth, so whole numbers stay whole). These are the floors.
void ChromaOffsetsKernel(const uint8_t* cr, const uint8_t* cb, ColourOffsets& offsets);
void ChromaOffsetsPlain(const uint8_t* cr, const uint8_t* cb, ColourOffsets& offsets);

// One entry of each, by the plain integer arithmetic.
int BlueOffset(int cb);
int GreenOffset(int cr, int cb);
int RedOffset(int cr);

// Writes the 720 pixels of a row as blue, green, red: each channel is Y plus its offset, held
// to 1..254. Uses the processor's vector instructions when it has them.
void ColourRowKernel(const uint8_t* luma, const ColourOffsets& offsets, uint8_t* out);
// The plain loop, for processors without them (and to check the vector one against).
void ColourRowPlain(const uint8_t* luma, const ColourOffsets& offsets, uint8_t* out);

}  // namespace pelorus
