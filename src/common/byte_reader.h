#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace pelorus {

// Reads numbers out of bytes that came from outside (the receiver, a file, the air). A read past
// the end yields zeros and sets an error that stays set, so a parser reads straight through and
// checks `Ok()` once at the end instead of after every field.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  uint8_t U8() {
    if (!Need(1)) return 0;
    return bytes_[position_++];
  }
  uint16_t U16() {  // big-endian
    if (!Need(2)) return 0;
    const uint16_t value = static_cast<uint16_t>((bytes_[position_] << 8) | bytes_[position_ + 1]);
    position_ += 2;
    return value;
  }
  uint32_t U24() {  // big-endian
    if (!Need(3)) return 0;
    const uint32_t value = (uint32_t{bytes_[position_]} << 16) |
                           (uint32_t{bytes_[position_ + 1]} << 8) | bytes_[position_ + 2];
    position_ += 3;
    return value;
  }
  uint32_t U32() {  // big-endian
    if (!Need(4)) return 0;
    const uint32_t value = (uint32_t{bytes_[position_]} << 24) |
                           (uint32_t{bytes_[position_ + 1]} << 16) |
                           (uint32_t{bytes_[position_ + 2]} << 8) | bytes_[position_ + 3];
    position_ += 4;
    return value;
  }
  uint16_t U16Le() {
    if (!Need(2)) return 0;
    const uint16_t value = static_cast<uint16_t>(bytes_[position_] | (bytes_[position_ + 1] << 8));
    position_ += 2;
    return value;
  }
  uint32_t U32Le() {
    if (!Need(4)) return 0;
    const uint32_t value = bytes_[position_] | (uint32_t{bytes_[position_ + 1]} << 8) |
                           (uint32_t{bytes_[position_ + 2]} << 16) |
                           (uint32_t{bytes_[position_ + 3]} << 24);
    position_ += 4;
    return value;
  }
  // The next `count` bytes; an empty span (and the error set) when fewer are left.
  std::span<const uint8_t> Bytes(size_t count) {
    if (!Need(count)) return {};
    const std::span<const uint8_t> taken = bytes_.subspan(position_, count);
    position_ += count;
    return taken;
  }
  void Skip(size_t count) {
    if (Need(count)) position_ += count;
  }

  // Bits `first` .. `first + count - 1` of a value, counted from the most significant bit of a
  // `width`-bit field, the way tables of bit fields are written.
  static uint32_t Bits(uint32_t value, int width, int first, int count) {
    const int shift = width - first - count;
    const uint32_t mask = count >= 32 ? 0xFFFFFFFFu : ((1u << count) - 1u);
    return (value >> shift) & mask;
  }

  bool Ok() const { return ok_; }
  size_t Position() const { return position_; }
  size_t Remaining() const { return bytes_.size() - position_; }

 private:
  bool Need(size_t count) {
    if (!ok_ || count > bytes_.size() - position_) {
      ok_ = false;
      return false;
    }
    return true;
  }

  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
  bool ok_ = true;
};

}  // namespace pelorus
