#include "pid_queue.h"

#include <algorithm>

namespace sim {
namespace {

// Bytes of the PES header at the start of a payload, or 0 when it does not start a PES packet.
size_t PesHeaderLength(const uint8_t* payload, size_t size) {
  if (size < 9 || payload[0] != 0 || payload[1] != 0 || payload[2] != 1) return 0;
  return std::min(size, size_t{9} + payload[8]);
}

}  // namespace

void FilterPacket(uint16_t mode, const Packet& packet, bool& started, std::vector<uint8_t>& out) {
  const uint8_t* p = packet.data();
  const uint8_t control = (p[3] >> 4) & 3;
  const bool hasAdaptation = control & 2;
  const size_t fieldLength = hasAdaptation ? p[4] : 0;
  const size_t payloadStart = hasAdaptation ? 5 + fieldLength : 4;
  const bool hasPayload = (control & 1) && payloadStart < kPacketSize;
  const uint8_t* payload = p + payloadStart;
  const size_t payloadSize = hasPayload ? kPacketSize - payloadStart : 0;
  const bool unitStart = p[1] & 0x40;
  switch (mode) {
    case 0: {
      if (!hasAdaptation || fieldLength == 0 || fieldLength > 183 || !(p[5] & 0x02)) return;
      // After the flags: PCR, OPCR and splice countdown when flagged, then the private data.
      size_t at = 6 + ((p[5] & 0x10) ? 6 : 0) + ((p[5] & 0x08) ? 6 : 0) + ((p[5] & 0x04) ? 1 : 0);
      const size_t fieldEnd = 5 + fieldLength;
      if (at >= fieldEnd) return;
      const size_t length = std::min<size_t>(p[at], fieldEnd - at - 1);
      out.insert(out.end(), p + at + 1, p + at + 1 + length);
      return;
    }
    case 1:
      out.insert(out.end(), p, p + 4);
      return;
    case 2:
    case 4: {
      if (unitStart) started = true;
      if (!started || payloadSize == 0) return;
      const size_t skip = (mode == 2 && unitStart) ? PesHeaderLength(payload, payloadSize) : 0;
      out.insert(out.end(), payload + skip, payload + payloadSize);
      return;
    }
    case 3:
      out.insert(out.end(), payload, payload + payloadSize);
      return;
    case 5:
      if (hasAdaptation && payloadStart <= kPacketSize)
        out.insert(out.end(), p + 4, p + payloadStart);
      return;
    default:
      out.insert(out.end(), p, p + kPacketSize);
      return;
  }
}

PidQueue::PidQueue(StreamFilter filter, size_t capacity) : filter_(filter), ring_(capacity) {}

void PidQueue::Push(const Packet& packet) {
  if (count_ == ring_.size()) {
    ++lost_;
    return;
  }
  ring_[(head_ + count_) % ring_.size()] = packet;
  ++count_;
}

bool PidQueue::Take(size_t length, std::vector<uint8_t>& out) {
  while (pending_.size() < length && count_ > 0) {
    FilterPacket(filter_.mode, ring_[head_], started_, pending_);
    head_ = (head_ + 1) % ring_.size();
    --count_;
  }
  if (pending_.size() < length) return false;
  out.assign(pending_.begin(), pending_.begin() + static_cast<long>(length));
  pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(length));
  return true;
}

void PidQueue::Clear() {
  head_ = count_ = 0;
  started_ = false;
  pending_.clear();
}

}  // namespace sim
