#include "serial/serial_timing.h"

#include <atomic>

namespace pelorus {
namespace {

constexpr int kRealTickMs = 250;
std::atomic<long> tickMilliseconds{kRealTickMs};

}  // namespace

std::chrono::milliseconds SerialTick() {
  return std::chrono::milliseconds(tickMilliseconds.load());
}

void SetSerialTickForTesting(std::chrono::milliseconds tick) {
  tickMilliseconds.store(tick.count() > 0 ? static_cast<long>(tick.count()) : 1);
}

std::chrono::microseconds SerialPause(int milliseconds) {
  return std::chrono::microseconds(static_cast<long long>(milliseconds) * 1000 *
                                   tickMilliseconds.load() / kRealTickMs);
}

}  // namespace pelorus
