#include "streams/ts_check.h"

#include <cstring>

#include "common/strfmt.h"
#include "streams/messages.h"

namespace pelorus {
namespace {

constexpr size_t kPacket = ts::kPacketSize;
// A sync byte is confirmed by the two that follow it, one and two packets on.
constexpr size_t kLookAhead = 2 * kPacket + 1;

unsigned long long Ull(uint64_t value) { return static_cast<unsigned long long>(value); }

// A sync byte at `at`, or the end of the stream before it: past the end nothing contradicts.
bool SyncOrEnd(const uint8_t* bytes, size_t size, size_t at) {
  return at >= size || bytes[at] == ts::kSyncByte;
}

// The stream is in step at `at` when the sync bytes of the next two packets are where they belong.
bool InStepAfter(const uint8_t* bytes, size_t size, size_t at) {
  return SyncOrEnd(bytes, size, at + kPacket) && SyncOrEnd(bytes, size, at + 2 * kPacket);
}

}  // namespace

void TsStatistics::CountPacket(const uint8_t* packet) {
  const unsigned pid = ((packet[1] & 0x1Fu) << 8) | packet[2];
  ++packets_[pid];
  ++packetsTotal_;
  tsErrors_ += packet[1] >> 7;
  continuityErrors_[pid] += static_cast<uint64_t>(continuity_.Check(packet));
}

size_t TsStatistics::Search(const uint8_t* bytes, size_t size, size_t at, bool atEnd) {
  while (at < size) {
    const void* hit = std::memchr(bytes + at, ts::kSyncByte, size - at);
    if (hit == nullptr) {
      skippedBytes_ += size - at;
      return size;
    }
    const auto candidate = static_cast<size_t>(static_cast<const uint8_t*>(hit) - bytes);
    skippedBytes_ += candidate - at;
    at = candidate;
    if (!atEnd && size - at < kLookAhead) return at;
    if (InStepAfter(bytes, size, at)) {
      searching_ = false;
      return at;
    }
    ++skippedBytes_;
    ++at;
  }
  return at;
}

size_t TsStatistics::Step(const uint8_t* bytes, size_t size, bool atEnd) {
  size_t at = 0;
  if (!started_) {
    if (size == 0 || (!atEnd && size < kLookAhead)) return 0;
    started_ = true;
    // A file cut out of a longer stream may begin with the rest of a packet, whose first byte
    // only looks like a sync byte by chance; one of the next two sync bytes must agree.
    const bool agreed = SyncOrEnd(bytes, size, kPacket) || SyncOrEnd(bytes, size, 2 * kPacket);
    if (bytes[0] == ts::kSyncByte && !agreed) {
      searching_ = true;
      ++syncLosses_;
    }
  }
  for (;;) {
    if (searching_) {
      at = Search(bytes, size, at, atEnd);
      if (searching_) return at;
    }
    // In step: the common case, kept tight. The counts live in locals so that the stores through
    // byte pointers cannot make the compiler reload them.
    uint64_t packets = 0;
    uint64_t tsErrors = 0;
    while (size - at >= kPacket && bytes[at] == ts::kSyncByte) {
      const uint8_t* packet = bytes + at;
      const unsigned pid = ((packet[1] & 0x1Fu) << 8) | packet[2];
      ++packets_[pid];
      tsErrors += packet[1] >> 7;
      if (continuity_.Check(packet) != 0) ++continuityErrors_[pid];
      ++packets;
      at += kPacket;
    }
    packetsTotal_ += packets;
    tsErrors_ += tsErrors;
    if (size - at < kPacket) {
      if (!atEnd) return at;
      tailBytes_ += size - at;
      return size;
    }
    // No sync byte where one should be. The stream may still be in step with one damaged byte,
    // which only the next two packets can tell.
    if (!atEnd && size - at < kLookAhead) return at;
    if (InStepAfter(bytes, size, at)) {
      ++badSync_;
      CountPacket(bytes + at);
      at += kPacket;
      continue;
    }
    searching_ = true;
    ++syncLosses_;
  }
}

void TsStatistics::Feed(std::span<const uint8_t> bytes) {
  if (carried_ > 0) {
    // What the last piece left undecided is judged with the start of this one.
    const size_t take = std::min(bytes.size(), carry_.size() - carried_);
    // An empty piece may have no storage at all; memcpy takes no null pointer, even for 0 bytes.
    if (take > 0) std::memcpy(carry_.data() + carried_, bytes.data(), take);
    const size_t joined = carried_ + take;
    const size_t used = Step(carry_.data(), joined, false);
    continuity_.Release();
    if (used < carried_) {
      // Only a short piece leaves the old bytes undecided, and then it is all in the carry.
      std::memmove(carry_.data(), carry_.data() + used, joined - used);
      carried_ = joined - used;
      return;
    }
    bytes = bytes.subspan(used - carried_);
    carried_ = 0;
  }
  const size_t used = Step(bytes.data(), bytes.size(), false);
  continuity_.Release();
  carried_ = bytes.size() - used;
  if (carried_ > 0) std::memcpy(carry_.data(), bytes.data() + used, carried_);
}

void TsStatistics::Finish() {
  Step(carry_.data(), carried_, true);
  continuity_.Release();
  carried_ = 0;
}

std::string TsStatistics::Report() const {
  std::string report = Format(msg::streams::kReportHeader, Ull(packetsTotal_));
  for (uint16_t pid = 0; pid < ts::kPidCount; ++pid) {
    if (packets_[pid] == 0) continue;
    const double share =
        static_cast<double>(packets_[pid]) / static_cast<double>(packetsTotal_) * 100;
    report += Format(msg::streams::kReportPidLine, static_cast<unsigned>(pid), Ull(packets_[pid]),
                     Ull(continuityErrors_[pid]), share);
  }
  report += Format(msg::streams::kReportBadSync, Ull(badSync_));
  report += Format(msg::streams::kReportTsErrors, Ull(tsErrors_));
  if (skippedBytes_ > 0) {
    report += Format(msg::streams::kReportSkipped, Ull(skippedBytes_), Ull(syncLosses_));
  }
  if (tailBytes_ > 0) report += Format(msg::streams::kReportTail, Ull(tailBytes_));
  return report;
}

}  // namespace pelorus
