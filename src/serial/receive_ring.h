#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pelorus {

inline constexpr size_t kReceiveRingSize = 131072;

// The receive ring between the reader thread and the transfers. It is empty when the two
// positions are equal, so it holds at most kReceiveRingSize - 1 bytes. Not locked: the link
// guards it with its own mutex.
class ReceiveRing {
 public:
  ReceiveRing() : bytes_(kReceiveRingSize, 0) {}

  // False when the ring is full; the byte is then not stored and what is held stays intact.
  bool Push(uint8_t byte) {
    const size_t next = (write_ + 1) % kReceiveRingSize;
    if (next == read_) return false;
    bytes_[write_] = byte;
    write_ = next;
    return true;
  }
  // Takes up to out.size() bytes, oldest first; returns how many.
  size_t Pop(std::span<uint8_t> out);
  size_t Size() const { return (write_ + kReceiveRingSize - read_) % kReceiveRingSize; }
  size_t Free() const { return kReceiveRingSize - 1 - Size(); }
  bool Empty() const { return read_ == write_; }
  void Clear() { read_ = write_ = 0; }

 private:
  std::vector<uint8_t> bytes_;
  size_t write_ = 0;
  size_t read_ = 0;
};

}  // namespace pelorus
