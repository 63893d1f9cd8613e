#pragma once

#include <array>
#include <cstdint>

#include "streams/ts_packet.h"

namespace pelorus {

// Follows the continuity counter of every PID through a recording. A counter that repeats on a
// packet with an adaptation field is a legal repeat; any other step but +1 (modulo 16) is one
// error. The null PID is not followed.
class ContinuityChecker {
 public:
  ContinuityChecker() { last_.fill(kUnknown); }

  // The number of errors this packet shows (0 or 1).
  int Check(ts::Packet packet);

 private:
  static constexpr uint8_t kUnknown = 0xFF;
  std::array<uint8_t, ts::kPidCount> last_{};
};

}  // namespace pelorus
