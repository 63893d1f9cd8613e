#include "streams/continuity.h"

namespace pelorus {

int ContinuityChecker::Check(ts::Packet packet) {
  const uint16_t pid = ts::Pid(packet);
  if (pid == ts::kNullPid) return 0;
  const uint8_t counter = ts::Continuity(packet);
  uint8_t& last = last_[pid];
  if (last == kUnknown) {
    last = counter;
    return 0;
  }
  if (last == counter && ts::HasAdaptation(packet)) return 0;
  const int error = counter == ((last + 1) & 0x0F) ? 0 : 1;
  last = counter;
  return error;
}

}  // namespace pelorus
