#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace pelorus::ac3dec {

// Where decoded audio goes: interleaved signed 16-bit samples in host order.
class PcmSink {
 public:
  virtual ~PcmSink() = default;
  // False when the output failed; the decoder then stops writing to it.
  virtual bool Write(std::span<const int16_t> samples) = 0;
  // Finishes the output (a WAV file gets its sizes); also done by the destructor.
  virtual void Close() = 0;
};

// A WAV file of the given format. Null when the file cannot be created.
std::unique_ptr<PcmSink> OpenWavSink(const std::string& path, int sampleRate, int channels);

// The desktop's audio: PulseAudio (which PipeWire also serves), else ALSA's default device.
// Null when neither can be opened.
std::unique_ptr<PcmSink> OpenAudioSink(int sampleRate, int channels);

}  // namespace pelorus::ac3dec
