#include "es_assets.h"

#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "common/byte_reader.h"
#include "multiplex_layout.h"

namespace sim {
namespace {

constexpr int64_t kVideoTicks = 90000 / 25;
constexpr int64_t kMpegAudioTicks = 1152 * 90000 / 48000;
constexpr int64_t kAc3Ticks = 1536 * 90000 / 48000;

constexpr uint8_t kPictureStart = 0x00;
constexpr uint8_t kSequenceHeader = 0xB3;
constexpr uint8_t kGroupStart = 0xB8;
constexpr uint8_t kSequenceEnd = 0xB7;

std::vector<uint8_t> ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return {std::istreambuf_iterator<char>(in), {}};
}

// Splits a stream of frames whose length each header gives; `FrameLength` is 0 for a bad header.
template <typename FrameLength>
std::vector<AccessUnit> SplitFrames(std::span<const uint8_t> bytes, FrameLength frameLength) {
  std::vector<AccessUnit> units;
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t length = frameLength(bytes.subspan(at));
    if (length == 0 || length > bytes.size() - at) break;
    units.push_back({at, length});
    at += length;
  }
  return units;
}

}  // namespace

std::vector<AccessUnit> SplitVideo(std::span<const uint8_t> bytes) {
  std::vector<AccessUnit> units;
  size_t unitStart = 0;
  bool open = false;         // a unit has begun
  bool headerAhead = false;  // a sequence or GOP header already began the next unit
  size_t end = bytes.size();
  for (size_t i = 0; i + 3 < bytes.size(); ++i) {
    if (bytes[i] != 0 || bytes[i + 1] != 0 || bytes[i + 2] != 1) continue;
    const uint8_t code = bytes[i + 3];
    if (code == kSequenceEnd) {
      // The looped stream goes on, so the end of the sequence is left out.
      end = i;
      break;
    }
    if (code != kPictureStart && code != kSequenceHeader && code != kGroupStart) continue;
    if (!headerAhead) {
      if (open) units.push_back({unitStart, i - unitStart});
      unitStart = i;
      open = true;
    }
    headerAhead = code != kPictureStart;
    i += 3;
  }
  if (open && end > unitStart) units.push_back({unitStart, end - unitStart});
  return units;
}

std::vector<AccessUnit> SplitH264(std::span<const uint8_t> bytes) {
  constexpr uint8_t kSlice = 1;
  constexpr uint8_t kIdrSlice = 5;
  constexpr uint8_t kSei = 6;
  constexpr uint8_t kPictureParameters = 8;
  constexpr uint8_t kDelimiter = 9;
  constexpr size_t kNone = static_cast<size_t>(-1);
  std::vector<AccessUnit> units;
  size_t unitStart = kNone;
  bool sawSlice = false;  // the current unit has its picture's first slice
  for (size_t i = 0; i + 4 < bytes.size(); ++i) {
    if (bytes[i] != 0 || bytes[i + 1] != 0 || bytes[i + 2] != 1) continue;
    const size_t nal = i + 3;
    const uint8_t type = bytes[nal] & 0x1F;
    const bool slice = type == kSlice || type == kIdrSlice;
    bool begins = false;
    if (unitStart == kNone || type == kDelimiter) {
      begins = true;
    } else if (sawSlice) {
      // After a picture's slices, parameter sets or a slice with first_mb_in_slice 0 (its
      // Exp-Golomb code is the single bit 1) start the next picture.
      begins =
          (type >= kSei && type <= kPictureParameters) || (slice && (bytes[nal + 1] & 0x80) != 0);
    }
    // A four-byte start code belongs to the unit it starts.
    const size_t start = i > 0 && bytes[i - 1] == 0 ? i - 1 : i;
    if (begins) {
      if (unitStart != kNone) units.push_back({unitStart, start - unitStart});
      unitStart = start;
      sawSlice = false;
    }
    sawSlice = sawSlice || slice;
    i = nal;
  }
  if (unitStart != kNone) units.push_back({unitStart, bytes.size() - unitStart});
  return units;
}

std::vector<AccessUnit> SplitMpegAudio(std::span<const uint8_t> bytes) {
  static constexpr std::array<int, 15> kKbps = {0,   32,  48,  56,  64,  80,  96, 112,
                                                128, 160, 192, 224, 256, 320, 384};
  return SplitFrames(bytes, [](std::span<const uint8_t> frame) -> size_t {
    pelorus::ByteReader reader(frame);
    const uint32_t header = reader.U32();
    if (!reader.Ok() || (header >> 21) != 0x7FF) return 0;
    const uint32_t version = (header >> 19) & 3;
    const uint32_t layer = (header >> 17) & 3;
    const uint32_t rateIndex = (header >> 12) & 0xF;
    const uint32_t sampling = (header >> 10) & 3;
    const uint32_t padding = (header >> 9) & 1;
    // MPEG-1, Layer II, 48 kHz only: the rate the frame duration is reckoned in.
    if (version != 3 || layer != 2 || sampling != 1 || rateIndex == 0 || rateIndex >= 15) {
      return 0;
    }
    return 144 * static_cast<size_t>(kKbps[rateIndex]) * 1000 / 48000 + padding;
  });
}

std::vector<AccessUnit> SplitAc3(std::span<const uint8_t> bytes) {
  static constexpr std::array<int, 19> kWords48k = {64,  80,  96,   112,  128, 160, 192,
                                                    224, 256, 320,  384,  448, 512, 640,
                                                    768, 896, 1024, 1152, 1280};
  return SplitFrames(bytes, [](std::span<const uint8_t> frame) -> size_t {
    pelorus::ByteReader reader(frame);
    const uint16_t sync = reader.U16();
    reader.Skip(2);  // crc1
    const uint8_t code = reader.U8();
    if (!reader.Ok() || sync != 0x0B77) return 0;
    const uint8_t fscod = code >> 6;
    const uint8_t sizeCode = code & 0x3F;
    if (fscod != 0 || sizeCode / 2 >= kWords48k.size()) return 0;
    return 2 * static_cast<size_t>(kWords48k[sizeCode / 2]);
  });
}

std::string AssetFolder(const std::string& given) {
  if (!given.empty()) return given;
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  const std::filesystem::path folder = exe.parent_path();
  for (const auto& candidate : {folder / "streams", folder / "../share/pelorus/streams"}) {
    if (std::filesystem::exists(candidate / "testcard.m2v", error)) return candidate.string();
  }
  return (folder / "streams").string();
}

StreamAssets LoadAssets(const std::string& folder) {
  StreamAssets assets;
  const std::filesystem::path base(folder);
  auto load = [&](const std::string& name, auto split, int64_t ticks, ElementaryStream& out) {
    out.bytes = ReadWhole(base / name);
    out.units = split(std::span<const uint8_t>(out.bytes));
    out.unitTicks = ticks;
    if (out.units.empty() && assets.error.empty()) {
      assets.error = "no usable stream in " + (base / name).string();
    }
  };
  load("testcard.m2v", SplitVideo, kVideoTicks, assets.video);
  load("testcard.h264", SplitH264, kVideoTicks, assets.h264);
  for (int tone : kToneHz) {
    assets.tones.emplace_back();
    load("tone-" + std::to_string(tone) + ".mp2", SplitMpegAudio, kMpegAudioTicks,
         assets.tones.back());
  }
  load("tone-ac3.ac3", SplitAc3, kAc3Ticks, assets.ac3);
  return assets;
}

}  // namespace sim
