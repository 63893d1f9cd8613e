// A recording as a packet source: looped, its continuity kept across the loop, its packets
// falling due at the pace its PCRs give (or at a fixed rate).
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>

#include "packet_source.h"
#include "recording_reader.h"

namespace sim {
namespace {

constexpr size_t kHeadBytes = 16 << 20;  // where the tables and the first PCRs are looked for
constexpr double kDefaultBitsPerSecond = 5e6;
constexpr uint64_t kPcrModulus = (uint64_t{1} << 33) * 300;
constexpr uint64_t kPcrPerSecond = 27000000;
// Two PCRs further apart than this (or going back) are a discontinuity: a splice, the loop.
constexpr uint64_t kLongestPcrGap = kPcrPerSecond / 2;
// Packets read ahead while waiting for the next PCR; past it they go at the last pace.
constexpr size_t kMaxAhead = 65536;

std::optional<uint64_t> PcrOf(const Packet& p) {
  if (p[0] != 0x47 || !(p[3] & 0x20) || p[4] < 7 || !(p[5] & 0x10)) return std::nullopt;
  const uint64_t base = uint64_t{p[6]} << 25 | uint64_t{p[7]} << 17 | uint64_t{p[8]} << 9 |
                        uint64_t{p[9]} << 1 | p[10] >> 7;
  return base * 300 + ((p[10] & 1) << 8 | p[11]);
}

bool Discontinuity(const Packet& p) { return (p[3] & 0x20) && p[4] > 0 && (p[5] & 0x80); }

uint16_t PidOf(const Packet& p) { return static_cast<uint16_t>((p[1] & 0x1F) << 8 | p[2]); }

double NanosecondsPerPacket(double bitsPerSecond) { return kPacketSize * 8 * 1e9 / bitsPerSecond; }

class RecordingSource : public PacketSource {
 public:
  RecordingSource(const Recording& recording, int64_t startNs, uint64_t fixedRate)
      : reader_(recording.path, recording.format), startNs_(startNs), fixed_(fixedRate != 0) {
    const RecordingInfo& info = recording.info;
    const double bits = fixedRate != 0                       ? static_cast<double>(fixedRate)
                        : recording.initialBitsPerSecond > 0 ? recording.initialBitsPerSecond
                                                             : kDefaultBitsPerSecond;
    nsPerPacket_ = NanosecondsPerPacket(bits);
    if (info.pcrPid) {
      pacingPid_ = *info.pcrPid;
    } else if (info.firstPcrPid) {
      pacingPid_ = *info.firstPcrPid;
    }
    service_.pmt = info.pmtPid.value_or(0);
    service_.video = info.videoPid.value_or(0);
    service_.audio = info.audioPid.value_or(0);
    service_.ac3 = info.ac3Pid.value_or(0);
    service_.pcr = info.pcrPid.value_or(kNullPid);
  }

  void Advance(int64_t elapsedNs, const Multiplex::Sink& sink, bool withNulls) override {
    (void)withNulls;  // the recording's own null packets are part of it
    const double now = static_cast<double>(elapsedNs - startNs_);
    while (true) {
      if (timed_.empty() && !Refill()) return;
      if (timed_.front().due > now) return;
      sink(timed_.front().packet);
      timed_.pop_front();
    }
  }

  ServicePids CurrentService() const override { return service_; }

 private:
  struct Timed {
    Packet packet;
    double due;  // ns after the source started
  };

  // Reads on to the next PCR of the pacing PID and gives the packets up to it their times.
  bool Refill() {
    Packet packet;
    std::optional<uint64_t> pcr;
    bool discontinuity = false;
    while (ahead_.size() < kMaxAhead) {
      if (!reader_.Next(packet)) break;
      ahead_.push_back(packet);
      if (fixed_ || !pacingPid_) break;
      if (PidOf(packet) == *pacingPid_ && (pcr = PcrOf(packet))) {
        discontinuity = Discontinuity(packet);
        break;
      }
    }
    if (ahead_.empty()) return false;
    if (pcr) {
      if (lastPcr_ && !discontinuity) {
        const uint64_t gap = (*pcr + kPcrModulus - *lastPcr_) % kPcrModulus;
        if (gap > 0 && gap <= kLongestPcrGap) {
          nsPerPacket_ =
              static_cast<double>(gap) * 1e9 / kPcrPerSecond / static_cast<double>(ahead_.size());
        }
      }
      lastPcr_ = pcr;
    }
    for (const Packet& p : ahead_) {
      last_ += nsPerPacket_;
      timed_.push_back({p, last_});
    }
    ahead_.clear();
    return true;
  }

  RecordingReader reader_;
  int64_t startNs_;
  bool fixed_;
  double nsPerPacket_ = 0;
  double last_ = 0;
  std::optional<uint16_t> pacingPid_;
  std::optional<uint64_t> lastPcr_;
  std::deque<Packet> ahead_;
  std::deque<Timed> timed_;
  ServicePids service_{};
};

// The bit rate between the first two PCRs of `pid` in the head of a recording, or 0.
double BitRateFrom(std::span<const uint8_t> head, const PacketFormat& format, uint16_t pid) {
  std::optional<uint64_t> first;
  size_t firstIndex = 0;
  size_t index = 0;
  for (size_t at = format.offset; at + format.size <= head.size(); at += format.size, ++index) {
    Packet packet;
    std::copy_n(head.begin() + static_cast<long>(at + format.prefix), kPacketSize, packet.begin());
    if (PidOf(packet) != pid) continue;
    const auto pcr = PcrOf(packet);
    if (!pcr) continue;
    if (!first) {
      first = pcr;
      firstIndex = index;
      continue;
    }
    const uint64_t gap = (*pcr + kPcrModulus - *first) % kPcrModulus;
    if (gap == 0 || gap > kLongestPcrGap) {
      first = pcr;
      firstIndex = index;
      continue;
    }
    return static_cast<double>(index - firstIndex) * kPacketSize * 8 * kPcrPerSecond /
           static_cast<double>(gap);
  }
  return 0;
}

}  // namespace

bool OpenRecording(const std::string& path, Recording& recording, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  std::vector<uint8_t> head(kHeadBytes);
  head.resize(std::fread(head.data(), 1, head.size(), file));
  std::fclose(file);
  const auto format = DetectPacketFormat(head);
  if (!format) {
    error = path + ": no transport stream packets in its first " + std::to_string(head.size()) +
            " bytes";
    return false;
  }
  recording.path = path;
  recording.format = *format;
  recording.info = ParseRecordingTables(head, *format);
  const auto pacing = recording.info.pcrPid ? recording.info.pcrPid : recording.info.firstPcrPid;
  recording.initialBitsPerSecond = pacing ? BitRateFrom(head, *format, *pacing) : 0;
  return true;
}

std::unique_ptr<PacketSource> MakeRecordingSource(const Recording& recording, int64_t startNs,
                                                  uint64_t fixedRate) {
  return std::make_unique<RecordingSource>(recording, startNs, fixedRate);
}

int FindRecording(const std::vector<Recording>& recordings, const TuneRequest& request) {
  for (size_t i = 0; i < recordings.size(); ++i) {
    const RecordingInfo& info = recordings[i].info;
    if (!info.frequency10kHz || !info.symbolRate100) continue;
    // The tune command names whole MHz and the first five digits of the symbol rate in units
    // of 100 symbols/s, as the delivery descriptor gives it.
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05u", *info.symbolRate100);
    digits[5] = 0;
    const int64_t offset = int64_t{*info.frequency10kHz} - int64_t{request.frequencyMhz} * 100;
    if (std::llabs(offset) < 100 && info.vertical == request.vertical &&
        std::atoi(digits) == request.symbolRateDigits) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace sim
