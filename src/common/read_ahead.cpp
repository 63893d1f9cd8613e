#include "common/read_ahead.h"

#include <unistd.h>

#include <cerrno>

namespace pelorus {
namespace {

constexpr size_t kPageSize = 4096;

}  // namespace

ReadAhead::ReadAhead(int file, size_t blockSize)
    : file_(file), blockSize_(blockSize), storage_(2 * blockSize + kPageSize) {
  uint8_t* aligned =
      storage_.data() +
      (kPageSize - reinterpret_cast<uintptr_t>(storage_.data()) % kPageSize) % kPageSize;
  slots_[0].data = aligned;
  slots_[1].data = aligned + blockSize;
  thread_ = std::thread([this] { Run(); });
}

ReadAhead::~ReadAhead() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void ReadAhead::Run() {
  for (int slot = 0;; slot ^= 1) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return stop_ || !slots_[slot].full; });
      if (stop_) return;
    }
    ssize_t got;
    do {
      got = ::read(file_, slots_[slot].data, blockSize_);
    } while (got < 0 && errno == EINTR);
    const int error = got < 0 ? errno : 0;
    {
      std::lock_guard lock(mutex_);
      slots_[slot].size = got > 0 ? static_cast<size_t>(got) : 0;
      slots_[slot].error = error;
      slots_[slot].full = true;
    }
    changed_.notify_all();
    if (got <= 0) return;  // the end, or a failure: nothing more to read
  }
}

ReadAhead::Block ReadAhead::Next() {
  std::unique_lock lock(mutex_);
  if (holding_) {
    // The block returned last time is free to be read into again.
    slots_[next_ ^ 1].full = false;
    changed_.notify_all();
  }
  Slot& slot = slots_[next_];
  changed_.wait(lock, [&] { return slot.full; });
  holding_ = true;
  next_ ^= 1;
  if (slot.size == 0) {
    // The end stays the end however often it is asked for.
    holding_ = false;
    next_ ^= 1;
    return {{}, slot.error};
  }
  return {std::span<const uint8_t>(slot.data, slot.size), 0};
}

}  // namespace pelorus
