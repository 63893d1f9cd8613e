#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace pelorus {

// Builds command blocks and command data: every multi-byte number big-endian unless the name
// says otherwise. Each call returns the writer, so a block reads as one line.
class ByteWriter {
 public:
  ByteWriter& U8(uint32_t value) {
    bytes_.push_back(static_cast<uint8_t>(value));
    return *this;
  }
  ByteWriter& U16(uint32_t value) { return U8(value >> 8).U8(value); }
  ByteWriter& U24(uint32_t value) { return U8(value >> 16).U8(value >> 8).U8(value); }
  ByteWriter& U32(uint32_t value) {
    return U8(value >> 24).U8(value >> 16).U8(value >> 8).U8(value);
  }
  ByteWriter& U16Le(uint32_t value) { return U8(value).U8(value >> 8); }
  ByteWriter& U32Le(uint32_t value) {
    return U8(value).U8(value >> 8).U8(value >> 16).U8(value >> 24);
  }
  ByteWriter& Bytes(std::span<const uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  ByteWriter& Zeros(size_t count) {
    bytes_.insert(bytes_.end(), count, 0);
    return *this;
  }

  size_t Size() const { return bytes_.size(); }
  const std::vector<uint8_t>& View() const { return bytes_; }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace pelorus
