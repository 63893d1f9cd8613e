#pragma once

#include <cstddef>
#include <cstdint>

namespace pelorus {

// The video decoder's frame buffer as it lies in the receiver's memory: the luminance of a
// 720 x 576 picture in tiles of 4 columns x 16 rows, then the chrominance of the 360 x 288
// half-resolution grid in tiles of the same shape (Cr, Cr, Cb, Cb per tile row).
inline constexpr int kFrameWidth = 720;
inline constexpr int kFrameHeight = 576;
inline constexpr int kChromaWidth = kFrameWidth / 2;
inline constexpr int kChromaHeight = kFrameHeight / 2;
inline constexpr int kTileColumns = 4;
inline constexpr int kTileRows = 16;
inline constexpr int kTileBytes = kTileColumns * kTileRows;
inline constexpr int kTilesPerBand = kFrameWidth / kTileColumns;                  // 180
inline constexpr size_t kLumaBytes = size_t{kFrameWidth} * kFrameHeight;          // 414720
inline constexpr size_t kChromaBytes = size_t{kChromaWidth} * kChromaHeight * 2;  // 207360
inline constexpr size_t kFrameBytes = kLumaBytes + kChromaBytes;                  // 622080
inline constexpr size_t kBitmapBytes = size_t{kFrameWidth} * kFrameHeight * 3;    // 1244160
inline constexpr size_t kBitmapStride = size_t{kFrameWidth} * 3;

// Where the three frame buffers start; over SCSI the decoder's memory is reached with this bit.
inline constexpr uint32_t kFrameAddresses[3] = {0x00038600, 0x000D0400, 0x00168200};
inline constexpr uint32_t kScsiDecoderMemory = 0x10000000;

// Byte offset, inside the dump, of the luminance sample of column x, row y.
constexpr size_t LumaOffset(int x, int y) {
  return (size_t(y / kTileRows) * kTilesPerBand + size_t(x / kTileColumns)) * kTileBytes +
         size_t(y % kTileRows) * kTileColumns + size_t(x % kTileColumns);
}

// Byte offset, inside the dump, of the first byte (Cr of the even chroma column) of tile t in
// chroma row r.
constexpr size_t ChromaOffset(int tile, int row) {
  return kLumaBytes + (size_t(row / kTileRows) * kTilesPerBand + size_t(tile)) * kTileBytes +
         size_t(row % kTileRows) * kTileColumns;
}

// The receiver's address of a frame (1, 2 or 3; anything else is frame 1).
constexpr uint32_t FrameAddress(int frameNumber, bool viaScsi) {
  const uint32_t address =
      kFrameAddresses[frameNumber >= 1 && frameNumber <= 3 ? frameNumber - 1 : 0];
  return viaScsi ? (address | kScsiDecoderMemory) : address;
}

}  // namespace pelorus
