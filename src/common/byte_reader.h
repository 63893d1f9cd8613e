#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/dvb_time.h"

namespace pelorus {

// Reads numbers out of bytes that came from outside (the receiver, a file, the air). A read past
// the end yields zeros and sets an error that stays set, so a parser reads straight through and
// checks `Ok()` once at the end instead of after every field.
//
// Bit fields are read most significant bit first with `ReadBits`; the byte reads expect the
// reader to be on a byte boundary and set the error when it is not.
class ByteReader {
 public:
  ByteReader() = default;
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
  // Everything that is left.
  std::span<const uint8_t> Rest() {
    if (!Need(0)) return {};
    const std::span<const uint8_t> rest = bytes_.subspan(position_);
    position_ = bytes_.size();
    return rest;
  }

  // The next `length` bytes as a reader of their own, and this reader moves past them. When
  // fewer are left, the sub-reader holds what there is and this reader's error is set: a loop
  // whose length points past its table is read as far as the table goes.
  ByteReader Sub(size_t length) {
    if (!Need(0)) return Failed();
    const size_t available = std::min(length, bytes_.size() - position_);
    ByteReader sub(bytes_.subspan(position_, available));
    position_ += available;
    if (available < length) ok_ = false;
    return sub;
  }
  // A loop led by a 16-bit field whose low 12 bits are its length (the top four bits are
  // reserved or flags, and are given in `top` when asked for).
  ByteReader Loop12(uint8_t* top = nullptr) {
    const uint16_t field = U16();
    if (top != nullptr) *top = static_cast<uint8_t>(field >> 12);
    if (!ok_) return Failed();
    return Sub(field & 0x0FFF);
  }
  // A loop led by an 8-bit length.
  ByteReader Loop8() {
    const uint8_t length = U8();
    if (!ok_) return Failed();
    return Sub(length);
  }
  // The 40-bit date and time of the tables: MJD, then BCD hhmmss.
  BroadcastTime Time40() {
    BroadcastTime time;
    time.mjd = U16();
    time.bcd = U24();
    return time;
  }

  // The next `count` bits (at most 32), most significant first.
  uint32_t ReadBits(int count) {
    if (count < 0 || count > 32 || !ok_ ||
        static_cast<size_t>(count) > (bytes_.size() - position_) * 8 - bitOffset_) {
      ok_ = false;
      return 0;
    }
    uint64_t value = 0;
    while (count > 0) {
      const int available = 8 - bitOffset_;
      const int take = std::min(available, count);
      const uint32_t bits = (bytes_[position_] >> (available - take)) & ((1u << take) - 1u);
      value = (value << take) | bits;
      count -= take;
      bitOffset_ += take;
      if (bitOffset_ == 8) {
        bitOffset_ = 0;
        ++position_;
      }
    }
    return static_cast<uint32_t>(value);
  }
  bool Flag() { return ReadBits(1) != 0; }

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
  bool AtEnd() const { return position_ == bytes_.size(); }

 private:
  static ByteReader Failed() {
    ByteReader failed;
    failed.ok_ = false;
    return failed;
  }
  bool Need(size_t count) {
    if (!ok_ || bitOffset_ != 0 || count > bytes_.size() - position_) {
      ok_ = false;
      return false;
    }
    return true;
  }

  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
  int bitOffset_ = 0;
  bool ok_ = true;
};

// Calls `visit(tag, body)` for every descriptor of a loop (tag, 8-bit length, body); the body
// is a span inside the loop. A descriptor whose length runs past the loop ends it: false then,
// true when the loop was read to its end.
template <typename Visit>
bool ForEachDescriptor(std::span<const uint8_t> loop, Visit&& visit) {
  ByteReader reader(loop);
  while (reader.Remaining() >= 2) {
    const uint8_t tag = reader.U8();
    const uint8_t length = reader.U8();
    const std::span<const uint8_t> body = reader.Bytes(length);
    if (!reader.Ok()) return false;
    visit(tag, body);
  }
  return reader.AtEnd();
}

}  // namespace pelorus
