#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace sim {

// One elementary stream cut into the units the multiplex puts into PES packets: video into
// pictures (with the sequence and GOP headers that precede them), audio into frames.
struct AccessUnit {
  size_t offset = 0;
  size_t size = 0;
};

struct ElementaryStream {
  std::vector<uint8_t> bytes;
  std::vector<AccessUnit> units;
  int64_t unitTicks = 0;  // duration of one unit in 90 kHz ticks
  bool Empty() const { return units.empty(); }
};

// The splitters read untrusted bytes: units end at the data, a bad header ends the stream.
// MPEG-2 video: one unit per picture, at 25 pictures a second.
std::vector<AccessUnit> SplitVideo(std::span<const uint8_t> bytes);
// H.264 in Annex B byte stream form: one unit per access unit, each begun by its access unit
// delimiter (or, in a stream without them, by the parameter sets or the first slice of a picture).
std::vector<AccessUnit> SplitH264(std::span<const uint8_t> bytes);
// MPEG-1 Layer II audio at 48 kHz: one unit per frame of 1152 samples.
std::vector<AccessUnit> SplitMpegAudio(std::span<const uint8_t> bytes);
// AC-3 at 48 kHz: one unit per sync frame of 1536 samples.
std::vector<AccessUnit> SplitAc3(std::span<const uint8_t> bytes);

// The committed streams, read from a folder (see AssetFolder).
struct StreamAssets {
  ElementaryStream video;
  ElementaryStream h264;
  std::vector<ElementaryStream> tones;  // one per kToneHz entry
  ElementaryStream ac3;
  std::string error;  // what was missing or unreadable; empty when all loaded
};

// Where the streams are: --assets FOLDER, else beside the build's or the installed program.
std::string AssetFolder(const std::string& given);
StreamAssets LoadAssets(const std::string& folder);

}  // namespace sim
