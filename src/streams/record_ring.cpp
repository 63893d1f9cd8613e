#include "streams/record_ring.h"

#include <algorithm>

namespace pelorus {

RecordRing::RecordRing(size_t capacityPackets)
    : capacity_(std::max<size_t>(capacityPackets, 1)), bytes_(capacity_ * ts::kPacketSize, 0) {}

size_t RecordRing::Push(std::span<const uint8_t> packets) {
  const size_t offered = packets.size() / ts::kPacketSize;
  if (offered == 0) return 0;
  size_t room = 0;
  size_t at = 0;
  {
    std::lock_guard lock(mutex_);
    room = std::min(offered, capacity_ - fill_);
    dropped_ += offered - room;
    at = write_;
  }
  // Only this thread writes to free packets, and the writer never reads them until committed.
  for (size_t i = 0; i < room;) {
    const size_t run = std::min(room - i, capacity_ - at);
    std::copy_n(packets.begin() + static_cast<std::ptrdiff_t>(i * ts::kPacketSize),
                run * ts::kPacketSize,
                bytes_.begin() + static_cast<std::ptrdiff_t>(at * ts::kPacketSize));
    i += run;
    at = (at + run) % capacity_;
  }
  if (room > 0) {
    std::lock_guard lock(mutex_);
    write_ = at;
    fill_ += room;
  }
  dataReady_.notify_one();
  return room;
}

std::span<const uint8_t> RecordRing::Peek(size_t maxPackets) const {
  std::lock_guard lock(mutex_);
  const size_t run = std::min({fill_, capacity_ - read_, maxPackets});
  return std::span<const uint8_t>(bytes_).subspan(read_ * ts::kPacketSize, run * ts::kPacketSize);
}

void RecordRing::Consume(size_t packets) {
  std::lock_guard lock(mutex_);
  packets = std::min(packets, fill_);
  read_ = (read_ + packets) % capacity_;
  fill_ -= packets;
}

void RecordRing::WaitForData(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  dataReady_.wait_for(lock, timeout, [this] { return fill_ > 0 || woken_; });
  woken_ = false;
}

void RecordRing::Wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  dataReady_.notify_all();
}

size_t RecordRing::Fill() const {
  std::lock_guard lock(mutex_);
  return fill_;
}

uint64_t RecordRing::Dropped() const {
  std::lock_guard lock(mutex_);
  return dropped_;
}

}  // namespace pelorus
