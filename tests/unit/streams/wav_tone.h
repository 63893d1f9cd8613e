#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace pelorus::testing {

// A 16-bit PCM WAV file as the decoder plugin writes it.
struct Wav {
  int channels = 0;
  int sampleRate = 0;
  std::vector<int16_t> samples;  // interleaved
};

inline std::optional<Wav> ReadWav(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  if (bytes.size() < 44 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
      std::string(bytes.begin() + 36, bytes.begin() + 40) != "data") {
    return std::nullopt;
  }
  auto le = [&](size_t at, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[at + i];
    return value;
  };
  Wav wav;
  wav.channels = static_cast<int>(le(22, 2));
  wav.sampleRate = static_cast<int>(le(24, 4));
  const uint32_t dataBytes = le(40, 4);
  if (le(34, 2) != 16 || dataBytes > bytes.size() - 44 || le(4, 4) != 36 + dataBytes) {
    return std::nullopt;
  }
  wav.samples.resize(dataBytes / 2);
  for (size_t i = 0; i < wav.samples.size(); ++i) {
    wav.samples[i] = static_cast<int16_t>(le(44 + 2 * i, 2));
  }
  return wav;
}

// The tone's frequency in the first channel, from its rising zero crossings after
// `skipSeconds` (the decoder's start-up is left out); 0 when there is no tone. A crossing counts
// only after the signal went well below zero, so the coding noise of a quiet tail adds none.
// The periods are averaged where the tone plays on: a frame the player had to let go by (a
// loaded machine polls the receiver late) is a gap in the sound, not a lower tone.
inline double ToneFrequency(const Wav& wav, double skipSeconds = 0.1) {
  if (wav.channels <= 0 || wav.sampleRate <= 0) return 0;
  const size_t frames = wav.samples.size() / static_cast<size_t>(wav.channels);
  const size_t first = static_cast<size_t>(skipSeconds * wav.sampleRate);
  int peak = 0;
  for (size_t i = first; i < frames; ++i) {
    peak = std::max(peak, std::abs(static_cast<int>(wav.samples[i * wav.channels])));
  }
  const int armAt = -peak / 4;
  bool armed = false;
  std::vector<size_t> crossings;
  for (size_t i = first; i < frames; ++i) {
    const int sample = wav.samples[i * wav.channels];
    if (sample < armAt) armed = true;
    if (armed && sample >= 0) {
      armed = false;
      crossings.push_back(i);
    }
  }
  if (peak < 100 || crossings.size() < 3) return 0;
  std::vector<size_t> periods;
  for (size_t i = 1; i < crossings.size(); ++i) periods.push_back(crossings[i] - crossings[i - 1]);
  std::vector<size_t> sorted = periods;
  std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
  const double median = static_cast<double>(sorted[sorted.size() / 2]);
  double samples = 0;
  size_t counted = 0;
  for (const size_t period : periods) {
    if (static_cast<double>(period) > 1.5 * median) continue;
    samples += static_cast<double>(period);
    ++counted;
  }
  if (counted == 0) return 0;
  return static_cast<double>(counted) * wav.sampleRate / samples;
}

}  // namespace pelorus::testing
