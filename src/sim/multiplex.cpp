#include "multiplex.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

namespace sim {
namespace {

using Wide = unsigned __int128;

constexpr uint64_t kPacketBits = kPacketSize * 8;
constexpr int64_t kTicksPerSecond = 90000;
// The receiver's clock does not start at zero, and decoding starts this long after a unit was
// sent: enough for the largest picture at the lowest rate the simulator accepts.
constexpr int64_t kTimeBase = 10 * kTicksPerSecond;
constexpr int64_t kDecodeDelay = 700 * kTicksPerSecond / 1000;
constexpr int64_t kPcrInterval = 20 * kTicksPerSecond / 1000;
constexpr int64_t kPidStopAfter = 2 * kTicksPerSecond;
constexpr uint64_t kPtsMask = (uint64_t{1} << 33) - 1;

enum Priority { kClock = 0, kTables = 1, kAudio = 2, kVideo = 3 };

void PutTimestamp(std::vector<uint8_t>& out, uint8_t prefix, uint64_t value) {
  value &= kPtsMask;
  out.push_back(static_cast<uint8_t>(prefix << 4 | ((value >> 30) & 7) << 1 | 1));
  out.push_back(static_cast<uint8_t>(value >> 22));
  out.push_back(static_cast<uint8_t>(((value >> 15) & 0x7F) << 1 | 1));
  out.push_back(static_cast<uint8_t>(value >> 7));
  out.push_back(static_cast<uint8_t>((value & 0x7F) << 1 | 1));
}

// Scrambled payload: unreadable without the (imaginary) key, but the header stays clear.
void Scramble(uint8_t* payload, size_t count) {
  for (size_t i = 0; i < count; ++i) payload[i] ^= static_cast<uint8_t>(0x5A + i * 37);
}

}  // namespace

bool ParseTsFault(const std::string& name, TsFault& fault) {
  if (name.empty())
    fault = TsFault::kNone;
  else if (name == "cc-jump")
    fault = TsFault::kCcJump;
  else if (name == "tei")
    fault = TsFault::kTei;
  else if (name == "bad-sync")
    fault = TsFault::kBadSync;
  else if (name == "pid-stop")
    fault = TsFault::kPidStop;
  else
    return false;
  return true;
}

const Packet& NullPacket() {
  static const Packet packet = [] {
    Packet bytes;
    bytes.fill(0xFF);
    bytes[0] = 0x47;
    bytes[1] = 0x1F;
    bytes[2] = 0xFF;
    bytes[3] = 0x10;
    return bytes;
  }();
  return packet;
}

Multiplex::Multiplex(const StreamAssets& assets, int transponder, uint64_t rate, int64_t clockStart,
                     uint64_t startIndex, TsFault fault)
    : assets_(assets),
      transponder_(transponder),
      rate_(rate),
      clockStart_(clockStart),
      startIndex_(startIndex),
      fault_(fault),
      position_(startIndex) {
  const int64_t ms = kTicksPerSecond / 1000;
  const int count = ServiceCount(transponder);
  faultVideoPid_ = ServiceAt(transponder, 0).pids.video;
  faultAudioPid_ = ServiceAt(transponder, 0).pids.audio;
  AddSectionSource(kPatPid, 100 * ms,
                   [this] { return std::vector<Section>{BuildPat(transponder_)}; });
  if (HasConditionalAccess(transponder)) {
    AddSectionSource(kCatPid, 100 * ms,
                     [this] { return std::vector<Section>{BuildCat(transponder_)}; });
  }
  for (int s = 0; s < count; ++s) {
    const ServiceLayout service = ServiceAt(transponder, s);
    AddSectionSource(service.pids.pmt, 100 * ms,
                     [this, s] { return std::vector<Section>{BuildPmt(transponder_, s)}; });
  }
  const int network = kTransponders[static_cast<size_t>(transponder)].network;
  // One source for both NITs, so that the packets of their sections never interleave: the
  // actual every round, the other networks' every fifth.
  auto nitRound = std::make_shared<int>(0);
  AddSectionSource(kNitPid, 200 * ms, [network, nitRound] {
    std::vector<Section> sections{BuildNit(network, true)};
    if ((*nitRound)++ % 5 == 0) {
      for (int other = 0; other < static_cast<int>(kNetworks.size()); ++other) {
        if (other != network) sections.push_back(BuildNit(other, false));
      }
    }
    return sections;
  });
  AddSectionSource(kSdtPid, 200 * ms, [this] { return BuildSdt(transponder_); });
  auto schedules = std::make_shared<std::vector<std::vector<Section>>>();
  std::vector<int> withEvents;
  for (int s = 0; s < count; ++s) {
    if (!ServiceAt(transponder, s).hasEvents) continue;
    withEvents.push_back(s);
    schedules->push_back(BuildEitSchedule(transponder, s, clockStart));
  }
  auto round = std::make_shared<size_t>(0);
  AddSectionSource(kEitPid, 500 * ms, [this, schedules, round, withEvents] {
    const int64_t now = clockStart_ + Ticks90(position_) / kTicksPerSecond;
    std::vector<Section> sections;
    for (const int s : withEvents) {
      for (Section& section : BuildEitPresentFollowing(transponder_, s, clockStart_, now)) {
        sections.push_back(std::move(section));
      }
    }
    // The schedules are long: one service's per round.
    const auto& schedule = (*schedules)[(*round)++ % schedules->size()];
    sections.insert(sections.end(), schedule.begin(), schedule.end());
    return sections;
  });
  AddSectionSource(kTdtPid, 1000 * ms, [this] {
    return std::vector<Section>{BuildTdt(clockStart_ + Ticks90(position_) / kTicksPerSecond)};
  });
  if (HasConditionalAccess(transponder)) {
    AddSectionSource(kEcmPid, 100 * ms, [this] {
      return std::vector<Section>{BuildEcm(clockStart_ + Ticks90(position_) / kTicksPerSecond)};
    });
    auto emms = std::make_shared<uint32_t>(0);
    AddSectionSource(kEmmPid, 1000 * ms,
                     [emms] { return std::vector<Section>{BuildEmm((*emms)++)}; });
  }

  for (int s = 0; s < count; ++s) {
    const ServiceLayout service = ServiceAt(transponder, s);
    const size_t tone = static_cast<size_t>(transponder + s) % assets.tones.size();
    if (service.pids.video != 0) {
      const ElementaryStream* video =
          service.kind == ServiceKind::kH264Television ? &assets.h264 : &assets.video;
      AddPesSource(service.pids.video, 0xE0, video, true, service.pids.pcr == service.pids.video,
                   service.scrambled);
    }
    if (service.pids.audio != 0) {
      AddPesSource(service.pids.audio, 0xC0, &assets.tones[tone], false, false, service.scrambled);
    }
    if (service.pids.ac3 != 0) {
      AddPesSource(service.pids.ac3, 0xBD, &assets.ac3, false, false, service.scrambled);
    }
    if (service.pids.data != 0) {
      auto number = std::make_shared<uint32_t>(0);
      AddSectionSource(service.pids.data, 1000 * ms, [this, number] {
        return std::vector<Section>{BuildDataSection(transponder_, (*number)++)};
      });
    }
    if (service.pids.pcr != kNullPid) AddPcrSource(service.pids.pcr);
  }
}

int64_t Multiplex::Ticks90(uint64_t n) const {
  return static_cast<int64_t>(Wide{n} * kPacketBits * kTicksPerSecond / rate_);
}

uint64_t Multiplex::IndexAt(int64_t ticks90) const {
  const Wide scaled = Wide{static_cast<uint64_t>(ticks90)} * rate_;
  const Wide per = Wide{kPacketBits} * kTicksPerSecond;
  return static_cast<uint64_t>((scaled + per - 1) / per);
}

// Counters are given out as packets leave, since a clock packet may overtake queued payload.
// Packets without payload repeat the last counter of their PID.
uint8_t Multiplex::NextCounter(uint16_t pid, bool payload) {
  uint8_t& next = counters_[pid];
  if (!payload) return static_cast<uint8_t>((next + 15) & 0x0F);
  const uint8_t value = next;
  next = static_cast<uint8_t>((next + 1) & 0x0F);
  if (fault_ == TsFault::kCcJump && pid == faultVideoPid_ && ++videoPackets_ % 500 == 0) {
    next = static_cast<uint8_t>((next + 1) & 0x0F);
  }
  return value;
}

void Multiplex::AddSectionSource(uint16_t pid, int64_t intervalTicks,
                                 std::function<std::vector<Section>()> sections) {
  Source source;
  source.pid = pid;
  source.priority = kTables;
  source.due = startIndex_;
  const int64_t start = Ticks90(startIndex_);
  source.produce = [this, intervalTicks, start, sections = std::move(sections)](Source& self) {
    for (const Section& section : sections()) QueueSection(self, section);
    ++self.unit;
    self.due = IndexAt(start + self.unit * intervalTicks);
  };
  sources_.push_back(std::move(source));
}

void Multiplex::QueueSection(Source& source, const Section& section) {
  size_t at = 0;
  bool first = true;
  while (at < section.size() || first) {
    Queued packet;
    packet.bytes.fill(0xFF);
    uint8_t* p = packet.bytes.data();
    p[0] = 0x47;
    p[1] = static_cast<uint8_t>((first ? 0x40 : 0) | source.pid >> 8);
    p[2] = static_cast<uint8_t>(source.pid);
    p[3] = 0x10;
    size_t offset = 4;
    if (first) p[offset++] = 0;  // pointer_field: the section starts right away
    const size_t count = std::min(kPacketSize - offset, section.size() - at);
    std::copy_n(section.begin() + static_cast<long>(at), count, p + offset);
    at += count;
    first = false;
    source.queue.push_back(packet);
  }
}

void Multiplex::AddPesSource(uint16_t pid, uint8_t streamId, const ElementaryStream* stream,
                             bool withDts, bool carriesPcr, bool scrambled) {
  if (stream->Empty()) return;
  Source source;
  source.pid = pid;
  source.priority = streamId == 0xE0 ? kVideo : kAudio;
  source.due = startIndex_;
  const int64_t start = Ticks90(startIndex_);
  const bool stops = fault_ == TsFault::kPidStop && pid == faultAudioPid_;
  source.produce = [=, this](Source& self) {
    const int64_t sendAt = start + self.unit * stream->unitTicks;
    const AccessUnit& unit = stream->units[static_cast<size_t>(self.unit) % stream->units.size()];
    ++self.unit;
    self.due = IndexAt(start + self.unit * stream->unitTicks);
    if (stops && sendAt - start >= kPidStopAfter) return;
    const uint64_t dts = static_cast<uint64_t>(kTimeBase + sendAt + kDecodeDelay);
    std::vector<uint8_t> pes = {0x00,
                                0x00,
                                0x01,
                                streamId,
                                0,
                                0,
                                0x80,
                                static_cast<uint8_t>(withDts ? 0xC0 : 0x80),
                                static_cast<uint8_t>(withDts ? 10 : 5)};
    // Pictures are shown one frame after they are decoded; audio frames when decoded.
    PutTimestamp(pes, withDts ? 3 : 2,
                 withDts ? dts + static_cast<uint64_t>(stream->unitTicks) : dts);
    if (withDts) PutTimestamp(pes, 1, dts);
    pes.insert(pes.end(), stream->bytes.begin() + static_cast<long>(unit.offset),
               stream->bytes.begin() + static_cast<long>(unit.offset + unit.size));
    const size_t length = pes.size() - 6;
    if (length <= 0xFFFF) {  // a longer video packet says 0: unbounded
      pes[4] = static_cast<uint8_t>(length >> 8);
      pes[5] = static_cast<uint8_t>(length);
    }
    QueuePes(self, pes, carriesPcr, scrambled);
  };
  sources_.push_back(std::move(source));
}

void Multiplex::QueuePes(Source& source, const std::vector<uint8_t>& pes, bool pcr,
                         bool scrambled) {
  size_t at = 0;
  bool first = true;
  while (at < pes.size()) {
    Queued packet;
    uint8_t* p = packet.bytes.data();
    const bool withPcr = first && pcr;
    const size_t room = withPcr ? 176 : 184;
    const size_t count = std::min(room, pes.size() - at);
    p[0] = 0x47;
    p[1] = static_cast<uint8_t>((first ? 0x40 : 0) | source.pid >> 8);
    p[2] = static_cast<uint8_t>(source.pid);
    const bool adaptation = withPcr || count < 184;
    p[3] = static_cast<uint8_t>((scrambled ? 0x80 : 0) | (adaptation ? 0x30 : 0x10));
    size_t offset = 4;
    if (adaptation) {
      // The adaptation field carries the PCR, and stuffing so the payload fills the packet.
      const size_t fieldLength = 183 - count;
      p[4] = static_cast<uint8_t>(fieldLength);
      if (fieldLength > 0) {
        p[5] = withPcr ? 0x10 : 0x00;
        std::fill(p + 6, p + 5 + fieldLength, uint8_t{0xFF});
      }
      packet.pcr = withPcr;
      offset = 5 + fieldLength;
    }
    std::copy_n(pes.begin() + static_cast<long>(at), count, p + offset);
    if (scrambled) Scramble(p + offset, count);
    at += count;
    first = false;
    source.queue.push_back(packet);
  }
}

void Multiplex::AddPcrSource(uint16_t pid) {
  Source source;
  source.pid = pid;
  source.priority = kClock;
  source.due = startIndex_;
  const int64_t start = Ticks90(startIndex_);
  source.produce = [this, start](Source& self) {
    Queued packet;
    packet.bytes.fill(0xFF);
    uint8_t* p = packet.bytes.data();
    p[0] = 0x47;
    p[1] = static_cast<uint8_t>(self.pid >> 8);
    p[2] = static_cast<uint8_t>(self.pid);
    p[3] = 0x20;  // adaptation only
    p[4] = 183;
    p[5] = 0x10;
    packet.pcr = true;
    self.queue.push_back(packet);
    ++self.unit;
    self.due = IndexAt(start + self.unit * kPcrInterval);
  };
  sources_.push_back(std::move(source));
}

void Multiplex::Emit(Queued& queued, uint64_t index, const Sink& sink) {
  uint8_t* p = queued.bytes.data();
  if (queued.pcr) {
    const Wide clock27 = Wide{index} * kPacketBits * 27000000 / rate_ + Wide{kTimeBase} * 300;
    const uint64_t base = static_cast<uint64_t>(clock27 / 300) & kPtsMask;
    const uint32_t extension = static_cast<uint32_t>(clock27 % 300);
    p[6] = static_cast<uint8_t>(base >> 25);
    p[7] = static_cast<uint8_t>(base >> 17);
    p[8] = static_cast<uint8_t>(base >> 9);
    p[9] = static_cast<uint8_t>(base >> 1);
    p[10] = static_cast<uint8_t>((base & 1) << 7 | 0x7E | extension >> 8);
    p[11] = static_cast<uint8_t>(extension);
  }
  const uint16_t pid = static_cast<uint16_t>((p[1] & 0x1F) << 8 | p[2]);
  p[3] = static_cast<uint8_t>((p[3] & 0xF0) | NextCounter(pid, (p[3] & 0x10) != 0));
  if (pid == faultVideoPid_ && fault_ != TsFault::kNone) {
    const uint64_t count = ++emittedVideo_;
    if (fault_ == TsFault::kTei && count % 400 == 0) p[1] |= 0x80;
    if (fault_ == TsFault::kBadSync && count % 300 == 0) p[0] = 0x46;
  }
  sink(queued.bytes);
}

void Multiplex::Flush(const Sink& sink) {
  for (Source& source : sources_) {
    while (!source.queue.empty()) {
      Emit(source.queue.front(), position_++, sink);
      source.queue.pop_front();
    }
  }
}

void Multiplex::Generate(uint64_t end, const Sink& sink, bool withNulls) {
  while (position_ < end) {
    uint64_t nextDue = std::numeric_limits<uint64_t>::max();
    for (Source& source : sources_) {
      while (source.due <= position_) source.produce(source);
      nextDue = std::min(nextDue, source.due);
    }
    std::optional<size_t> pick;
    for (size_t step = 1; step <= sources_.size(); ++step) {
      const size_t k = (lastSent_ + step) % sources_.size();
      if (!sources_[k].queue.empty() &&
          (!pick || sources_[k].priority < sources_[*pick].priority)) {
        pick = k;
      }
    }
    if (pick) {
      Source& source = sources_[*pick];
      Emit(source.queue.front(), position_, sink);
      source.queue.pop_front();
      lastSent_ = *pick;
      ++position_;
      continue;
    }
    // Nothing to send until the next source is due: null packets, formatted only if wanted.
    const uint64_t until = std::min(nextDue, end);
    if (withNulls) {
      for (uint64_t n = position_; n < until; ++n) sink(NullPacket());
    }
    position_ = until;
  }
}

}  // namespace sim
