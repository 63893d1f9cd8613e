// The AC-3 decoder plugin: reads the audio stream from the pipe it is handed, decodes it with
// libavcodec and plays it on the desktop's audio, or writes it to the WAV file named by
// PELORUS_AC3_WAV.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "pcm_sink.h"

namespace pelorus::ac3dec {
namespace {

std::atomic<bool> stopRequested{false};

// The pipe is checked for the stop request this often while it is empty.
constexpr int kPipeWaitMs = 100;
constexpr size_t kReadChunk = 4096;

int16_t ToS16(float value) {
  const float scaled = std::nearbyint(value * 32767.0f);
  return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

// Interleaves one decoded frame into signed 16-bit samples; false for a layout it cannot take.
bool Interleave(const AVFrame& frame, int channels, std::vector<int16_t>& out) {
  const size_t count = static_cast<size_t>(frame.nb_samples);
  out.resize(count * static_cast<size_t>(channels));
  switch (frame.format) {
    case AV_SAMPLE_FMT_FLTP:
      for (int c = 0; c < channels; ++c) {
        const auto* plane = reinterpret_cast<const float*>(frame.extended_data[c]);
        for (size_t i = 0; i < count; ++i) out[i * channels + c] = ToS16(plane[i]);
      }
      return true;
    case AV_SAMPLE_FMT_FLT: {
      const auto* data = reinterpret_cast<const float*>(frame.extended_data[0]);
      for (size_t i = 0; i < out.size(); ++i) out[i] = ToS16(data[i]);
      return true;
    }
    case AV_SAMPLE_FMT_S16P:
      for (int c = 0; c < channels; ++c) {
        const auto* plane = reinterpret_cast<const int16_t*>(frame.extended_data[c]);
        for (size_t i = 0; i < count; ++i) out[i * channels + c] = plane[i];
      }
      return true;
    case AV_SAMPLE_FMT_S16: {
      const auto* data = reinterpret_cast<const int16_t*>(frame.extended_data[0]);
      std::copy(data, data + out.size(), out.begin());
      return true;
    }
    default:
      return false;
  }
}

class Decoder {
 public:
  ~Decoder() {
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    if (parser_ != nullptr) av_parser_close(parser_);
    avcodec_free_context(&context_);
  }

  bool Open() {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_AC3);
    if (codec == nullptr) return false;
    parser_ = av_parser_init(codec->id);
    context_ = avcodec_alloc_context3(codec);
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    return parser_ != nullptr && context_ != nullptr && packet_ != nullptr && frame_ != nullptr &&
           avcodec_open2(context_, codec, nullptr) == 0;
  }

  // Parses what came from the pipe into frames and decodes them; an empty span flushes.
  void Feed(const uint8_t* data, size_t size) {
    const bool flush = size == 0;
    do {
      const int used = av_parser_parse2(parser_, context_, &packet_->data, &packet_->size, data,
                                        static_cast<int>(size), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
      if (used < 0) return;
      data += used;
      size -= static_cast<size_t>(used);
      if (packet_->size > 0) Decode(packet_);
    } while (size > 0);
    if (flush) Decode(nullptr);
  }

  void Close() {
    if (sink_) sink_->Close();
  }

 private:
  void Decode(const AVPacket* packet) {
    // A damaged frame is skipped; the next sync word starts afresh.
    if (avcodec_send_packet(context_, packet) < 0) return;
    while (avcodec_receive_frame(context_, frame_) == 0) {
      Output(*frame_);
      av_frame_unref(frame_);
    }
  }

  void Output(const AVFrame& frame) {
    const int channels = frame.ch_layout.nb_channels;
    if (channels <= 0 || channels > 8 || frame.sample_rate <= 0) return;
    if (!sinkTried_) {
      sinkTried_ = true;
      sampleRate_ = frame.sample_rate;
      channels_ = channels;
      const char* wav = std::getenv("PELORUS_AC3_WAV");
      sink_ = wav != nullptr && *wav != '\0' ? OpenWavSink(wav, sampleRate_, channels_)
                                             : OpenAudioSink(sampleRate_, channels_);
      if (!sink_) {
        std::fprintf(stderr, "AC3DEC: %s\n",
                     wav != nullptr && *wav != '\0' ? "cannot create the WAV file"
                                                    : "no audio output (PulseAudio or ALSA)");
      }
    }
    // The output keeps the format it was opened with; frames in another one are left out.
    if (!sink_ || sinkFailed_ || frame.sample_rate != sampleRate_ || channels != channels_) return;
    if (!Interleave(frame, channels, samples_)) return;
    if (!sink_->Write(samples_)) sinkFailed_ = true;
  }

  AVCodecParserContext* parser_ = nullptr;
  AVCodecContext* context_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  std::unique_ptr<PcmSink> sink_;
  bool sinkTried_ = false;
  bool sinkFailed_ = false;
  int sampleRate_ = 0;
  int channels_ = 0;
  std::vector<int16_t> samples_;
};

// Waits for bytes on the pipe; 0 at its end (or a stop), else what was read.
ssize_t ReadPipe(int fd, uint8_t* buffer, size_t size) {
  while (!stopRequested.load()) {
    pollfd waiting{fd, POLLIN, 0};
    const int ready = ::poll(&waiting, 1, kPipeWaitMs);
    if (ready < 0 && errno != EINTR) return 0;
    if (ready <= 0) continue;
    const ssize_t got = ::read(fd, buffer, size);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return got < 0 ? 0 : got;
  }
  return 0;
}

}  // namespace
}  // namespace pelorus::ac3dec

extern "C" __attribute__((visibility("default"))) uint32_t AC3Start(void* readHandle) {
  using namespace pelorus::ac3dec;
  stopRequested = false;
  const int fd = static_cast<int>(reinterpret_cast<intptr_t>(readHandle));
  Decoder decoder;
  const bool opened = decoder.Open();
  if (!opened) std::fprintf(stderr, "AC3DEC: libavcodec has no AC-3 decoder\n");
  // The pipe is drained even when nothing can be decoded, so the feeding side never stalls.
  std::vector<uint8_t> buffer(kReadChunk + AV_INPUT_BUFFER_PADDING_SIZE, 0);
  for (;;) {
    const ssize_t got = ReadPipe(fd, buffer.data(), kReadChunk);
    if (got <= 0) break;
    if (opened) decoder.Feed(buffer.data(), static_cast<size_t>(got));
  }
  if (opened && !stopRequested.load()) decoder.Feed(nullptr, 0);
  decoder.Close();
  return opened ? 0 : 1;
}

extern "C" __attribute__((visibility("default"))) void AC3Stop() {
  pelorus::ac3dec::stopRequested = true;
}
