#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "common/link_problem.h"
#include "scsi/scsi_transport.h"
#include "si/section.h"

namespace pelorus {

// What a long run lets its steps know: whether it is asked to stop, and a wait a stop request
// cuts short (false then). The worker's RunControl in the program, anything in the tests.
struct RunGate {
  std::function<bool()> stopRequested;
  std::function<bool(std::chrono::milliseconds)> wait;
};

// One table read through a slot: its PID, and what takes each whole section with a right CRC,
// returning true once it has everything it wants from this PID.
struct SlotTable {
  uint16_t pid = 0;
  std::function<bool(const Section& section)> take;
  // A table read only while the others are: the capture does not wait for it.
  bool required = true;
};

// Up to three tables at once on the receiver's slotted stream, one packet per read, slot after
// slot, each slot's sections assembled on their own.
class SlotCapture {
 public:
  static constexpr size_t kMaxSlots = 3;

  explicit SlotCapture(ScsiTransport& transport) : transport_(transport) {}

  // Sets the slots up for these PIDs (at most kMaxSlots), each slot delivering whole packets.
  // False when the receiver refused or the link failed; `failure` says which.
  bool Setup(std::span<const uint16_t> pids, LinkFailure& failure);

  enum class Outcome {
    kDone,      // every table has what it wanted
    kTimedOut,  // the deadline came first
    kStopped,   // the run was asked to stop
    kLinkLost,  // the receiver went silent or the link went away: `failure` says how
  };
  // Reads the slots set up last (table i on slot i) until every required table is done, the
  // deadline passes or the run is to stop. The deadline is looked at before every read, so a
  // table's take may move it. A read the receiver refuses (nothing came in its own wait) is only
  // retried; one that finds the link silent or lost ends the capture at once.
  Outcome Read(std::span<SlotTable> tables, const std::chrono::steady_clock::time_point& deadline,
               const RunGate& gate, LinkFailure& failure);

 private:
  ScsiTransport& transport_;
};

}  // namespace pelorus
