#include <alsa/asoundlib.h>
#include <pulse/error.h>
#include <pulse/simple.h>

#include "pcm_sink.h"

namespace pelorus::ac3dec {
namespace {

class PulseSink : public PcmSink {
 public:
  explicit PulseSink(pa_simple* stream) : stream_(stream) {}
  ~PulseSink() override { Close(); }
  bool Write(std::span<const int16_t> samples) override {
    int error = 0;
    return stream_ != nullptr &&
           pa_simple_write(stream_, samples.data(), samples.size_bytes(), &error) == 0;
  }
  void Close() override {
    if (stream_ == nullptr) return;
    int error = 0;
    pa_simple_drain(stream_, &error);
    pa_simple_free(stream_);
    stream_ = nullptr;
  }

 private:
  pa_simple* stream_;
};

class AlsaSink : public PcmSink {
 public:
  AlsaSink(snd_pcm_t* pcm, int channels) : pcm_(pcm), channels_(channels) {}
  ~AlsaSink() override { Close(); }
  bool Write(std::span<const int16_t> samples) override {
    if (pcm_ == nullptr) return false;
    const int16_t* data = samples.data();
    snd_pcm_uframes_t frames = samples.size() / static_cast<size_t>(channels_);
    while (frames > 0) {
      snd_pcm_sframes_t written = snd_pcm_writei(pcm_, data, frames);
      if (written < 0) written = snd_pcm_recover(pcm_, static_cast<int>(written), 1);
      if (written < 0) return false;
      data += written * channels_;
      frames -= static_cast<snd_pcm_uframes_t>(written);
    }
    return true;
  }
  void Close() override {
    if (pcm_ == nullptr) return;
    snd_pcm_drain(pcm_);
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
  }

 private:
  snd_pcm_t* pcm_;
  int channels_;
};

}  // namespace

std::unique_ptr<PcmSink> OpenAudioSink(int sampleRate, int channels) {
  pa_sample_spec sampleFormat{};
  sampleFormat.format = PA_SAMPLE_S16NE;
  sampleFormat.rate = static_cast<uint32_t>(sampleRate);
  sampleFormat.channels = static_cast<uint8_t>(channels);
  int error = 0;
  if (pa_simple* stream = pa_simple_new(nullptr, "Pelorus", PA_STREAM_PLAYBACK, nullptr, "AC-3",
                                        &sampleFormat, nullptr, nullptr, &error)) {
    return std::make_unique<PulseSink>(stream);
  }
  snd_pcm_t* pcm = nullptr;
  if (snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, 0) < 0) return nullptr;
  // Half a second of buffer rides out the stream's polling without adding a long delay.
  if (snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16, SND_PCM_ACCESS_RW_INTERLEAVED,
                         static_cast<unsigned>(channels), static_cast<unsigned>(sampleRate), 1,
                         500000) < 0) {
    snd_pcm_close(pcm);
    return nullptr;
  }
  return std::make_unique<AlsaSink>(pcm, channels);
}

}  // namespace pelorus::ac3dec
