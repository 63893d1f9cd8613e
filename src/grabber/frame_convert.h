#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "grabber/frame_format.h"

namespace pelorus {

// What the picture shows; the values are the numbers of the dialog's radio buttons.
enum class GrabDisplayMode : int { kColour = 1087, kLuminance = 1088, kCr = 1089, kCb = 1090 };

struct Bgr {
  uint8_t b = 0;
  uint8_t g = 0;
  uint8_t r = 0;
  friend bool operator==(const Bgr&, const Bgr&) = default;
};

// One colour pixel by the receiver's formula, computed as written: double precision, each
// channel held to 1..254, then truncated.
Bgr ColourPixelFormula(int y, int cr, int cb);
// The same pixel from the conversion's whole-number offsets (what the frame conversion uses).
Bgr ColourPixelFast(int y, int cr, int cb);

// Turns a frame dump into the 720 x 576 blue-green-red bitmap, rows top to bottom, no padding.
// The work is split in steps so that the caller can report each one.
class FrameConverter {
 public:
  FrameConverter();

  // Untile the dump; a dump shorter than a frame leaves the rest of the picture black (zero),
  // anything beyond a frame is ignored.
  void LoadChroma(std::span<const uint8_t> dump);
  void LoadLuma(std::span<const uint8_t> dump);

  // Converts the pixel rows [firstRow, endRow) into `bitmap` (kBitmapBytes long). Column 0 is
  // never written; in colour, column 719 is black as well.
  void ConvertRows(GrabDisplayMode mode, int firstRow, int endRow, std::span<uint8_t> bitmap) const;

  std::span<const uint8_t> Luma() const { return luma_; }
  std::span<const uint8_t> Cr() const { return cr_; }  // 360 x 288
  std::span<const uint8_t> Cb() const { return cb_; }

 private:
  void ColourRow(int row, uint8_t* out) const;

  std::vector<uint8_t> luma_;
  std::vector<uint8_t> cr_;
  std::vector<uint8_t> cb_;
};

// The whole conversion into a new zero-filled bitmap.
std::vector<uint8_t> ConvertFrame(std::span<const uint8_t> dump, GrabDisplayMode mode);

}  // namespace pelorus
