#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// The video decoder's three frame buffers, each holding its own made-up picture in the
// decoder's tiled layout: luminance in tiles of 4 x 16 bytes, then the half-size chrominance
// (Cr, Cr, Cb, Cb per tile row). Frame 1 shows colour bars over a grey ramp, frame 2 a colour
// gradient, frame 3 a checkerboard with a disc, so that a grab of the wrong frame shows.
class FrameStore {
 public:
  static constexpr uint32_t kFrameBytes = 622080;
  static constexpr std::array<uint32_t, 3> kAddresses = {0x00038600, 0x000D0400, 0x00168200};
  // The SCSI side reaches the decoder's memory with this bit set.
  static constexpr uint32_t kScsiBit = 0x10000000;

  // The broadcast picture fills the left `pictureWidth` columns of the 720.
  explicit FrameStore(int pictureWidth);

  int PictureWidth() const { return pictureWidth_; }
  int PictureHeight() const { return 576; }
  const std::vector<uint8_t>& Frame(int index) const { return frames_[index]; }

  // Puts the frame bytes that lie in [address, address + length) over `out`; the rest of
  // `out` is left alone. Over the serial link the frames lie at their plain addresses, over
  // SCSI only in the decoder's memory (kScsiBit), so the flash and the table stay visible.
  void Overlay(uint32_t address, uint8_t* out, uint32_t length, bool scsi) const;

  // Writes each frame to PATH.frame1 .. PATH.frame3, for the tests to check grabs against.
  void Save(const std::string& path) const;

 private:
  int pictureWidth_;
  std::array<std::vector<uint8_t>, 3> frames_;
};

// The one store of the running simulator, made by PrepareFrames at start-up.
const FrameStore& Frames();
void PrepareFrames(int pictureWidth, const std::string& logPath);

// The picture-geometry answer of the SCSI side for the store's picture.
std::vector<uint8_t> PictureGeometryAnswer();

}  // namespace sim
