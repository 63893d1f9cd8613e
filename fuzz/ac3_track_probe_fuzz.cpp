// What the receiver streams on an audio PID, told AC-3 or not: any bytes, in pieces of any size.
#include <cstddef>
#include <cstdint>
#include <span>

#include "streams/ac3_track_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  for (size_t at = 0; at < size; ++at) {
    const size_t length = pelorus::Ac3FrameLength(bytes.subspan(at));
    // No frame is longer than E-AC-3's 2048 words.
    if (length > 4096) __builtin_trap();
  }
  const bool holds = pelorus::HoldsAc3Frames(bytes);
  // The first byte picks the piece size, as the receiver's answers come in pieces.
  pelorus::Ac3TrackProbe probe;
  const size_t piece = size == 0 ? 1 : 64 + size_t{data[0]} * 16;
  for (size_t at = 0; at < size; at += piece) {
    probe.Feed(bytes.subspan(at, piece < size - at ? piece : size - at));
  }
  // Within the window, a probe that saw everything agrees with the one-shot check.
  if (size < pelorus::kAc3ProbeWindow && holds && probe.Verdict() != true) __builtin_trap();
  return 0;
}
