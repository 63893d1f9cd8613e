#include <cstdio>
#include <limits>

#include "pcm_sink.h"

namespace pelorus::ac3dec {
namespace {

constexpr uint32_t kHeaderSize = 44;
// The RIFF sizes are 32-bit: the data stops short of what they can count.
constexpr uint64_t kMaxData = std::numeric_limits<uint32_t>::max() - kHeaderSize;

void PutLe(uint8_t* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

class WavSink : public PcmSink {
 public:
  WavSink(std::FILE* file, int sampleRate, int channels)
      : file_(file), sampleRate_(sampleRate), channels_(channels) {}
  ~WavSink() override { Close(); }

  bool Write(std::span<const int16_t> samples) override {
    if (file_ == nullptr || failed_) return false;
    const uint64_t bytes = samples.size_bytes();
    if (dataBytes_ + bytes > kMaxData) return false;
    if (std::fwrite(samples.data(), 1, bytes, file_) != bytes) {
      failed_ = true;
      return false;
    }
    dataBytes_ += bytes;
    return true;
  }

  void Close() override {
    if (file_ == nullptr) return;
    WriteHeader();
    std::fclose(file_);
    file_ = nullptr;
  }

  bool WriteHeader() {
    uint8_t header[kHeaderSize] = {'R', 'I', 'F', 'F', 0,   0,  0, 0, 'W', 'A', 'V',
                                   'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,   1,   0};
    const uint32_t data = static_cast<uint32_t>(dataBytes_);
    PutLe(header + 4, 36 + data, 4);
    PutLe(header + 22, static_cast<uint32_t>(channels_), 2);
    PutLe(header + 24, static_cast<uint32_t>(sampleRate_), 4);
    PutLe(header + 28, static_cast<uint32_t>(sampleRate_ * channels_ * 2), 4);
    PutLe(header + 32, static_cast<uint32_t>(channels_ * 2), 2);
    PutLe(header + 34, 16, 2);
    header[36] = 'd';
    header[37] = 'a';
    header[38] = 't';
    header[39] = 'a';
    PutLe(header + 40, data, 4);
    return std::fseek(file_, 0, SEEK_SET) == 0 &&
           std::fwrite(header, 1, kHeaderSize, file_) == kHeaderSize && std::fflush(file_) == 0;
  }

 private:
  std::FILE* file_;
  int sampleRate_;
  int channels_;
  uint64_t dataBytes_ = 0;
  bool failed_ = false;
};

}  // namespace

std::unique_ptr<PcmSink> OpenWavSink(const std::string& path, int sampleRate, int channels) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return nullptr;
  auto sink = std::make_unique<WavSink>(file, sampleRate, channels);
  // The header goes first with zero sizes; Close writes the real ones.
  if (!sink->WriteHeader()) return nullptr;
  return sink;
}

}  // namespace pelorus::ac3dec
