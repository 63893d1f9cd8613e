#pragma once

#include <cstdint>
#include <vector>

#include "multiplex.h"
#include "stream_requests.h"

namespace sim {

// What one stream filter delivers from one packet of its PID, by mode:
//   0 "Adaptation/Private"  the transport_private_data bytes of the adaptation field
//   1 "Headers"             the 4-byte packet header
//   2 "ES data"             the payload without PES headers, from the first PES start on
//   3 "TS payload"          the payload (after any adaptation field)
//   4 "PES only"            the payload from the first PES start on, PES headers included
//   5 "Adaptation"          the adaptation field, its length byte first
//   6 "Entire"              the whole 188-byte packet
// `started` remembers, for modes 2 and 4, that a PES start has been seen.
void FilterPacket(uint16_t mode, const Packet& packet, bool& started, std::vector<uint8_t>& out);

// The receiver's queue for one stream filter: a ring of packets of the filter's PID that the
// generator fills and the client's reads empty. A full ring drops new packets and counts them,
// so a slow client loses packets and never holds up the generator.
class PidQueue {
 public:
  PidQueue(StreamFilter filter, size_t capacity);

  const StreamFilter& Filter() const { return filter_; }
  void Push(const Packet& packet);
  // Exactly `length` bytes of filtered data, or false (and nothing taken) if there are fewer.
  bool Take(size_t length, std::vector<uint8_t>& out);
  uint64_t Lost() const { return lost_; }
  size_t Queued() const { return count_; }
  void Clear();

 private:
  StreamFilter filter_;
  std::vector<Packet> ring_;
  size_t head_ = 0;
  size_t count_ = 0;
  uint64_t lost_ = 0;
  bool started_ = false;
  std::vector<uint8_t> pending_;  // filtered bytes not yet read
};

}  // namespace sim
