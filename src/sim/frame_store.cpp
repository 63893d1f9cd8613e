#include "frame_store.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>

namespace sim {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 576;
constexpr int kLumaSize = kWidth * kHeight;

struct Rgb {
  int r, g, b;
};

Rgb BarsPicture(double u, double v) {
  static constexpr Rgb kBars[8] = {{235, 235, 235}, {235, 235, 16}, {16, 235, 235}, {16, 235, 16},
                                   {235, 16, 235},  {235, 16, 16},  {16, 16, 235},  {16, 16, 16}};
  if (v < 2.0 / 3.0) return kBars[std::min(7, static_cast<int>(u * 8))];
  const int grey = static_cast<int>(u * 255);
  return {grey, grey, grey};
}

Rgb GradientPicture(double u, double v) {
  return {static_cast<int>(u * 255), static_cast<int>(v * 255), static_cast<int>((1 - u) * 255)};
}

Rgb CheckerPicture(double u, double v) {
  const double dx = u - 0.5;
  const double dy = (v - 0.5) * 0.8;
  if (dx * dx + dy * dy < 0.04) return {255, 200, 0};
  const bool dark = (static_cast<int>(u * 15) + static_cast<int>(v * 12)) % 2 == 0;
  return dark ? Rgb{0, 0, 128} : Rgb{255, 255, 255};
}

uint8_t Byte(double value) {
  return static_cast<uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

// The studio-range conversion a broadcaster's encoder would have applied.
uint8_t LumaOf(Rgb c) { return Byte(16 + (65.481 * c.r + 128.553 * c.g + 24.966 * c.b) / 255); }
uint8_t CbOf(Rgb c) { return Byte(128 + (-37.797 * c.r - 74.203 * c.g + 112.0 * c.b) / 255); }
uint8_t CrOf(Rgb c) { return Byte(128 + (112.0 * c.r - 93.786 * c.g - 18.214 * c.b) / 255); }

size_t LumaAt(int x, int y) {
  return static_cast<size_t>(((y / 16) * 180 + x / 4) * 64 + (y % 16) * 4 + x % 4);
}
size_t ChromaRowAt(int tile, int row) {
  return static_cast<size_t>(kLumaSize + ((row / 16) * 180 + tile) * 64 + (row % 16) * 4);
}

std::vector<uint8_t> Render(Rgb (*picture)(double, double), int pictureWidth) {
  std::vector<uint8_t> frame(FrameStore::kFrameBytes);
  auto colour = [&](int x, int y) -> std::optional<Rgb> {
    if (x >= pictureWidth) return std::nullopt;
    return picture((x + 0.5) / pictureWidth, (y + 0.5) / kHeight);
  };
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const auto c = colour(x, y);
      frame[LumaAt(x, y)] = c ? LumaOf(*c) : 16;
    }
  }
  for (int row = 0; row < kHeight / 2; ++row) {
    for (int tile = 0; tile < 180; ++tile) {
      uint8_t* out = frame.data() + ChromaRowAt(tile, row);
      for (int k = 0; k < 2; ++k) {
        const auto c = colour(4 * tile + 2 * k, 2 * row);
        out[k] = c ? CrOf(*c) : 128;
        out[2 + k] = c ? CbOf(*c) : 128;
      }
    }
  }
  return frame;
}

std::unique_ptr<FrameStore>& Store() {
  static std::unique_ptr<FrameStore> store;
  return store;
}

}  // namespace

FrameStore::FrameStore(int pictureWidth) : pictureWidth_(std::clamp(pictureWidth, 2, kWidth)) {
  frames_[0] = Render(BarsPicture, pictureWidth_);
  frames_[1] = Render(GradientPicture, pictureWidth_);
  frames_[2] = Render(CheckerPicture, pictureWidth_);
}

void FrameStore::Overlay(uint32_t address, uint8_t* out, uint32_t length, bool scsi) const {
  const uint64_t begin = address;
  const uint64_t end = begin + length;
  for (size_t i = 0; i < frames_.size(); ++i) {
    const uint64_t base = scsi ? (kAddresses[i] | kScsiBit) : kAddresses[i];
    const uint64_t from = std::max(begin, base);
    const uint64_t to = std::min(end, base + kFrameBytes);
    if (from >= to) continue;
    std::copy(frames_[i].begin() + static_cast<long>(from - base),
              frames_[i].begin() + static_cast<long>(to - base), out + (from - begin));
  }
}

void FrameStore::Save(const std::string& path) const {
  for (size_t i = 0; i < frames_.size(); ++i) {
    std::ofstream out(path + ".frame" + std::to_string(i + 1), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(frames_[i].data()),
              static_cast<std::streamsize>(frames_[i].size()));
  }
}

const FrameStore& Frames() {
  if (!Store()) Store() = std::make_unique<FrameStore>(kWidth);
  return *Store();
}

void PrepareFrames(int pictureWidth, const std::string& logPath) {
  Store() = std::make_unique<FrameStore>(pictureWidth);
  if (!logPath.empty()) Store()->Save(logPath);
}

std::vector<uint8_t> PictureGeometryAnswer() {
  // The receiver counts both numbers in base 255, the width less 2 and the height less 1.
  const int width = Frames().PictureWidth() - 2;
  const int height = Frames().PictureHeight() - 1;
  return {static_cast<uint8_t>(width / 255), static_cast<uint8_t>(width % 255),
          static_cast<uint8_t>(height / 255), static_cast<uint8_t>(height % 255)};
}

}  // namespace sim
