#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "streams/ts_packet.h"

namespace pelorus {

// Follows the continuity counter of every PID through a stream, as the MPEG-2 systems standard
// counts it:
// - a packet with payload advances the counter by one (modulo 16);
// - a packet with payload sent a second time at once, with identical bytes, is a legal duplicate;
//   a third copy, or a packet that repeats the counter with other bytes, is an error;
// - a packet without payload (adaptation field only, or neither) keeps the counter; one that
//   changes it is an error;
// - where the adaptation field sets discontinuity_indicator, a new counter is not an error;
// - the first packet of a PID starts its count; the null PID is never followed.
// After an error the count goes on from the counter that arrived, so one loss is one error.
//
// A duplicate is only known by comparing it with the packet before it, so the checker remembers
// where that packet is. The packets handed to Check must stay where they are until Release is
// called; Release copies what it still needs before the caller reuses its buffer.
class ContinuityChecker {
 public:
  ContinuityChecker();

  // The number of errors this whole 188-byte packet shows (0 or 1).
  int Check(const uint8_t* packet) {
    const unsigned pid = ((packet[1] & 0x1Fu) << 8) | packet[2];
    PidState& state = state_[pid];
    // The usual case, kept short: a packet with payload and the next counter. The state of a
    // PID that saw a copy, or none at all, never matches.
    if ((packet[3] & 0x10) != 0 && state.count == ((packet[3] + 15u) & 0x0Fu)) {
      state.count = static_cast<uint8_t>(packet[3] & 0x0F);
      Remember(state, pid, packet);
      return 0;
    }
    if (pid == ts::kNullPid) return 0;
    return CheckUnusual(state, pid, packet);
  }
  int Check(ts::Packet packet) { return Check(packet.data()); }

  // The caller is about to reuse the memory of the packets checked since the last call.
  void Release();

 private:
  // `count` holds the counter in its low four bits and, above them, whether a copy of the last
  // packet with payload was seen (kCopySeen) or may no longer come (kNoCopyAllowed).
  static constexpr uint8_t kUnknown = 0xFF;
  static constexpr uint8_t kCopySeen = 0x10;
  static constexpr uint8_t kNoCopyAllowed = 0x20;
  struct PidState {
    const uint8_t* lastPayload = nullptr;  // the last packet with payload, for duplicates
    uint32_t generation = 0;               // lastPayload points into the caller's memory
    uint16_t saved = 0;                    // 1 + the index of this PID's copy (0: none yet)
    uint8_t count = kUnknown;
  };

  void Remember(PidState& state, unsigned pid, const uint8_t* packet) {
    state.lastPayload = packet;
    if (state.generation != generation_) {
      state.generation = generation_;
      pending_.push_back(static_cast<uint16_t>(pid));
    }
  }
  int CheckUnusual(PidState& state, unsigned pid, const uint8_t* packet);

  std::array<PidState, ts::kPidCount> state_{};
  // Generation 0 is never current, so a fresh state is never taken for pending.
  uint32_t generation_ = 1;
  std::vector<uint16_t> pending_;  // PIDs whose last packet is still in the caller's memory
  std::vector<std::unique_ptr<std::array<uint8_t, ts::kPacketSize>>> copies_;
};

}  // namespace pelorus
