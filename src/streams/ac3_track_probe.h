#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pelorus {

// Whether the audio the receiver streams is AC-3 at all. A service whose only audio is MPEG
// feeds the decoder bytes it can never play; the probe tells the user instead of leaving them
// with silence. AC-3 (and E-AC-3) is recognised by two sync frames one frame length apart;
// after kAc3ProbeWindow bytes without such a pair the stream is taken for something else.
inline constexpr size_t kAc3ProbeWindow = 16384;

class Ac3TrackProbe {
 public:
  // Takes the next bytes of the stream. Once a verdict is reached further bytes are ignored.
  void Feed(std::span<const uint8_t> bytes);
  // No value while undecided; true when AC-3 frames were found, false when none were.
  std::optional<bool> Verdict() const { return verdict_; }

 private:
  std::vector<uint8_t> seen_;
  std::optional<bool> verdict_;
};

// The length in bytes of the AC-3 or E-AC-3 sync frame that starts `bytes`, or 0 when no valid
// frame header starts there (or the header runs past the bytes).
size_t Ac3FrameLength(std::span<const uint8_t> bytes);

// True when two sync frames, the second where the first ends, stand somewhere in `bytes`.
bool HoldsAc3Frames(std::span<const uint8_t> bytes);

}  // namespace pelorus
