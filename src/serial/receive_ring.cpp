#include "serial/receive_ring.h"

#include <algorithm>
#include <cstring>

namespace pelorus {

size_t ReceiveRing::Pop(std::span<uint8_t> out) {
  size_t taken = 0;
  while (taken < out.size() && !Empty()) {
    // Copy the contiguous run up to the write position or the end of the storage.
    const size_t runEnd = write_ >= read_ ? write_ : kReceiveRingSize;
    const size_t run = std::min(out.size() - taken, runEnd - read_);
    std::memcpy(out.data() + taken, bytes_.data() + read_, run);
    taken += run;
    read_ = (read_ + run) % kReceiveRingSize;
  }
  return taken;
}

}  // namespace pelorus
