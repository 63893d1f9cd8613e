#pragma once

// The sliding-window coder behind PelorusLZW, usable in memory. The file-based exports in
// pelorus_lzw.h wrap it; tests, benchmarks and the fuzzer call it directly.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pelorus::lzw {

inline constexpr int kRingSize = 4096;
inline constexpr int kRingMask = kRingSize - 1;
inline constexpr int kMaxMatch = 18;
inline constexpr int kLiteralLimit = 4;
inline constexpr int kShortestReference = kLiteralLimit + 1;
inline constexpr int kEmptyLink = kRingSize;
inline constexpr std::uint8_t kFillByte = 0x20;
inline constexpr int kFirstPosition = kRingSize - kMaxMatch;
// A flag byte plus eight two-byte references.
inline constexpr int kMaxGroupSize = 1 + 8 * 2;

// Supplies the bytes to compress in chunks of any size.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Returns the next chunk; an empty span means the input has ended (or failed; the source
  // remembers why).
  virtual std::span<const std::uint8_t> NextChunk() = 0;
};

// Receives the compressed stream in chunks.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Returns false when the bytes could not be taken; the encoder then stops at once.
  virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
};

// Holds the ring, the search trees and an output buffer. One object codes one stream at a
// time; Encode resets everything, so an object can be reused without any carry-over.
class LzwCoder {
 public:
  LzwCoder() = default;
  LzwCoder(const LzwCoder&) = delete;
  LzwCoder& operator=(const LzwCoder&) = delete;

  // Compresses everything `source` delivers into `sink`. Returns false only when the sink
  // refused bytes; BytesWritten() then counts what the sink accepted before that.
  bool Encode(ByteSource& source, ByteSink& sink);

  std::uint64_t BytesWritten() const { return bytesWritten_; }

 private:
  static constexpr int kTreeRoot = kRingSize + 1;  // tree of first byte b hangs at kTreeRoot + b
  static constexpr int kOutputCapacity = 1 << 16;

  void ResetState();
  void InsertNode(int r);
  void DeleteNode(int p);
  bool ReadByte(std::uint8_t& c);
  bool FlushOutput(ByteSink& sink);

  // Positions kRingSize..kRingSize+16 mirror 0..16 so an 18-byte key never wraps.
  std::array<std::uint8_t, kRingSize + kMaxMatch - 1> text_{};
  // 16-bit links keep the trees and the ring together in the first-level cache; the values
  // (positions, the empty link and the 256 roots) all fit. Children are indexed by side so
  // the search picks the next node without a branch; entry kTreeRoot + b holds the root of
  // byte b's tree as its right child.
  static constexpr int kRight = 0;
  static constexpr int kLeft = 1;
  std::array<std::array<std::uint16_t, 2>, kRingSize + 1 + 256> child_{};
  std::array<std::uint16_t, kRingSize + 1> parent_{};
  int matchPosition_ = 0;
  int matchLength_ = 0;

  ByteSource* source_ = nullptr;
  const std::uint8_t* inputCursor_ = nullptr;
  const std::uint8_t* inputEnd_ = nullptr;
  bool inputEnded_ = false;

  std::array<std::uint8_t, kOutputCapacity> output_{};
  std::size_t outputUsed_ = 0;
  std::uint64_t bytesWritten_ = 0;
};

// Compresses `input` as one stream and returns the compressed bytes.
std::vector<std::uint8_t> EncodeLzw(std::span<const std::uint8_t> input);
// The same with a coder the caller keeps, so that repeated calls need no new working state.
std::vector<std::uint8_t> EncodeLzw(std::span<const std::uint8_t> input, LzwCoder& encoder);

// The part of `whole` that a call with this maximum length and start offset codes: nothing
// for a length of 0 or less or an offset outside the data, else at most maxLength bytes from
// the offset on.
std::span<const std::uint8_t> SelectStretch(std::span<const std::uint8_t> whole,
                                            std::int32_t maxLength, std::int32_t startOffset);

}  // namespace pelorus::lzw
