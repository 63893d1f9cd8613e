#include "lzw_coder.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <utility>

#if defined(_MSC_VER) && !defined(__clang__)
#include <stdlib.h>  // _byteswap_uint64
#endif

namespace pelorus::lzw {
namespace {

static_assert(std::endian::native == std::endian::little,
              "key words are byte-swapped into comparison order");

// Loads eight key bytes as a number that orders like the bytes themselves (first byte most
// significant), so one comparison decides the search direction.
inline std::uint64_t LoadOrderedWord(const std::uint8_t* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
#if defined(_MSC_VER) && !defined(__clang__)
  return _byteswap_uint64(word);
#else
  return __builtin_bswap64(word);
#endif
}

class SpanSource final : public ByteSource {
 public:
  explicit SpanSource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::span<const std::uint8_t> NextChunk() override { return std::exchange(bytes_, {}); }

 private:
  std::span<const std::uint8_t> bytes_;
};

class VectorSink final : public ByteSink {
 public:
  explicit VectorSink(std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  bool Write(std::span<const std::uint8_t> bytes) override {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return true;
  }

 private:
  std::vector<std::uint8_t>& bytes_;
};

}  // namespace

void LzwCoder::ResetState() {
  // Only the roots and the parents need clearing: a position's children are set when it is
  // inserted, and "no parent" is what marks a position as absent from every tree.
  std::fill(child_.begin() + kTreeRoot, child_.end(),
            std::array<std::uint16_t, 2>{kEmptyLink, kEmptyLink});
  std::fill(parent_.begin(), parent_.begin() + kRingSize, kEmptyLink);
  // The look-ahead area and the mirror are cleared too: a stream shorter than 35 bytes
  // compares keys against part of them, and bytes left over from an earlier stream would
  // change its output. Zero is what a coder that never ran holds.
  std::fill(text_.begin(), text_.begin() + kFirstPosition, kFillByte);
  std::fill(text_.begin() + kFirstPosition, text_.end(), std::uint8_t{0});
  matchPosition_ = 0;
  matchLength_ = 0;
  outputUsed_ = 0;
  bytesWritten_ = 0;
  inputCursor_ = nullptr;
  inputEnd_ = nullptr;
  inputEnded_ = false;
}

inline bool LzwCoder::ReadByte(std::uint8_t& c) {
  while (inputCursor_ == inputEnd_) {
    if (inputEnded_) return false;
    const std::span<const std::uint8_t> chunk = source_->NextChunk();
    if (chunk.empty()) {
      inputEnded_ = true;
      return false;
    }
    inputCursor_ = chunk.data();
    inputEnd_ = chunk.data() + chunk.size();
  }
  c = *inputCursor_++;
  return true;
}

// Walks the tree of the key's first byte, remembering the longest match met on the way
// (the first of equal length wins), and links r in as a leaf. A full 18-byte match makes r
// take the old node's place, since the newer position serves every later search as well.
void LzwCoder::InsertNode(int r) {
  const std::uint8_t* key = &text_[r];
  const std::uint64_t keyLow = LoadOrderedWord(key + 1);
  const std::uint64_t keyHigh = LoadOrderedWord(key + 9);
  const std::uint8_t keyLast = key[kMaxMatch - 1];
  child_[r] = {kEmptyLink, kEmptyLink};
  int p = kTreeRoot + key[0];
  int next = child_[p][kRight];
  if (next == kEmptyLink) {
    child_[p][kRight] = static_cast<std::uint16_t>(r);
    parent_[r] = static_cast<std::uint16_t>(p);
    matchLength_ = 0;
    return;
  }
  // Kept in locals during the walk so they stay in registers.
  int bestLength = 0;
  int bestPosition = matchPosition_;
  std::uint64_t nextLow = LoadOrderedWord(&text_[next] + 1);
  for (;;) {
    p = next;
    // The first key words of both children are loaded before the comparison decides which
    // one is needed, which takes the loads off the walk's critical path. An empty child
    // reads the mirror area, which is harmless.
    const int leftChild = child_[p][kLeft];
    const int rightChild = child_[p][kRight];
    const std::uint64_t leftLow = LoadOrderedWord(&text_[leftChild] + 1);
    const std::uint64_t rightLow = LoadOrderedWord(&text_[rightChild] + 1);
    // Bytes 1..17 of both keys, eight at a time; i ends at the first difference or at 18,
    // and r goes left of p when its key is smaller (equal keys go right).
    const std::uint8_t* node = &text_[p];
    const std::uint64_t nodeLow = nextLow;
    int i;
    bool goLeft;
    if (nodeLow != keyLow) {
      i = 1 + std::countl_zero(nodeLow ^ keyLow) / 8;
      goLeft = keyLow < nodeLow;
    } else if (const std::uint64_t nodeHigh = LoadOrderedWord(node + 9); nodeHigh != keyHigh) {
      i = 9 + std::countl_zero(nodeHigh ^ keyHigh) / 8;
      goLeft = keyHigh < nodeHigh;
    } else if (node[kMaxMatch - 1] != keyLast) {
      i = kMaxMatch - 1;
      goLeft = keyLast < node[kMaxMatch - 1];
    } else {
      i = kMaxMatch;
      goLeft = false;
    }
    if (i > bestLength) {
      bestPosition = p;
      bestLength = i;
      if (i >= kMaxMatch) break;
    }
    next = goLeft ? leftChild : rightChild;
    nextLow = goLeft ? leftLow : rightLow;
    if (next == kEmptyLink) {
      child_[p][goLeft ? kLeft : kRight] = static_cast<std::uint16_t>(r);
      parent_[r] = static_cast<std::uint16_t>(p);
      matchLength_ = bestLength;
      matchPosition_ = bestPosition;
      return;
    }
  }
  matchLength_ = bestLength;
  matchPosition_ = bestPosition;
  // The entry of the empty link absorbs the parent writes for missing children.
  const int up = parent_[p];
  parent_[r] = static_cast<std::uint16_t>(up);
  child_[r] = child_[p];
  parent_[child_[p][kLeft]] = static_cast<std::uint16_t>(r);
  parent_[child_[p][kRight]] = static_cast<std::uint16_t>(r);
  child_[up][child_[up][kRight] == p ? kRight : kLeft] = static_cast<std::uint16_t>(r);
  parent_[p] = kEmptyLink;
}

void LzwCoder::DeleteNode(int p) {
  const int up = parent_[p];
  if (up == kEmptyLink) return;
  const int leftChild = child_[p][kLeft];
  const int rightChild = child_[p][kRight];
  int q;
  if (rightChild == kEmptyLink) {
    q = leftChild;
  } else if (leftChild == kEmptyLink) {
    q = rightChild;
  } else {
    // Two children: the in-order predecessor (rightmost node of the left subtree) moves up.
    q = leftChild;
    if (child_[q][kRight] != kEmptyLink) {
      do {
        q = child_[q][kRight];
      } while (child_[q][kRight] != kEmptyLink);
      const int qUp = parent_[q];
      const int qLeft = child_[q][kLeft];
      child_[qUp][kRight] = static_cast<std::uint16_t>(qLeft);
      parent_[qLeft] = static_cast<std::uint16_t>(qUp);
      child_[q][kLeft] = static_cast<std::uint16_t>(leftChild);
      parent_[leftChild] = static_cast<std::uint16_t>(q);
    }
    child_[q][kRight] = static_cast<std::uint16_t>(rightChild);
    parent_[rightChild] = static_cast<std::uint16_t>(q);
  }
  parent_[q] = static_cast<std::uint16_t>(up);
  child_[up][child_[up][kRight] == p ? kRight : kLeft] = static_cast<std::uint16_t>(q);
  parent_[p] = kEmptyLink;
}

bool LzwCoder::FlushOutput(ByteSink& sink) {
  if (outputUsed_ == 0) return true;
  if (!sink.Write(std::span(output_.data(), outputUsed_))) return false;
  bytesWritten_ += outputUsed_;
  outputUsed_ = 0;
  return true;
}

bool LzwCoder::Encode(ByteSource& source, ByteSink& sink) {
  ResetState();
  source_ = &source;

  int s = 0;
  int r = kFirstPosition;
  int len = 0;
  for (std::uint8_t c; len < kMaxMatch && ReadByte(c); ++len) text_[r + len] = c;
  if (len == 0) return true;
  for (int i = 1; i <= kMaxMatch; ++i) InsertNode(r - i);
  InsertNode(r);

  // Groups are built in place: the flag byte's slot is kept and filled once the group ends.
  std::size_t flagSlot = outputUsed_++;
  std::uint8_t flags = 0;
  std::uint8_t mask = 1;
  do {
    if (matchLength_ > len) matchLength_ = len;
    if (matchLength_ <= kLiteralLimit) {
      matchLength_ = 1;
      flags |= mask;
      output_[outputUsed_++] = text_[r];
    } else {
      output_[outputUsed_++] = static_cast<std::uint8_t>(matchPosition_ & 0xFF);
      output_[outputUsed_++] = static_cast<std::uint8_t>(((matchPosition_ >> 4) & 0xF0) |
                                                         (matchLength_ - kShortestReference));
    }
    mask = static_cast<std::uint8_t>(mask << 1);
    if (mask == 0) {
      output_[flagSlot] = flags;
      if (outputUsed_ + kMaxGroupSize > output_.size() && !FlushOutput(sink)) return false;
      flagSlot = outputUsed_++;
      flags = 0;
      mask = 1;
    }

    const int last = matchLength_;
    int i = 0;
    for (std::uint8_t c; i < last && ReadByte(c); ++i) {
      DeleteNode(s);
      text_[s] = c;
      if (s < kMaxMatch - 1) text_[s + kRingSize] = c;
      s = (s + 1) & kRingMask;
      r = (r + 1) & kRingMask;
      InsertNode(r);
    }
    for (; i < last; ++i) {
      DeleteNode(s);
      s = (s + 1) & kRingMask;
      r = (r + 1) & kRingMask;
      if (--len != 0) InsertNode(r);
    }
  } while (len > 0);

  if (outputUsed_ > flagSlot + 1) {
    output_[flagSlot] = flags;
  } else {
    outputUsed_ = flagSlot;  // the group opened last holds no item
  }
  return FlushOutput(sink);
}

std::vector<std::uint8_t> EncodeLzw(std::span<const std::uint8_t> input, LzwCoder& encoder) {
  std::vector<std::uint8_t> output;
  output.reserve(input.size() + input.size() / 8 + 1);
  SpanSource source(input);
  VectorSink sink(output);
  encoder.Encode(source, sink);
  return output;
}

std::vector<std::uint8_t> EncodeLzw(std::span<const std::uint8_t> input) {
  auto encoder = std::make_unique<LzwCoder>();
  return EncodeLzw(input, *encoder);
}

std::span<const std::uint8_t> SelectStretch(std::span<const std::uint8_t> whole,
                                            std::int32_t maxLength, std::int32_t startOffset) {
  if (maxLength <= 0 || startOffset < 0 || static_cast<std::size_t>(startOffset) >= whole.size()) {
    return {};
  }
  const std::size_t available = whole.size() - static_cast<std::size_t>(startOffset);
  return whole.subspan(static_cast<std::size_t>(startOffset),
                       std::min(available, static_cast<std::size_t>(maxLength)));
}

}  // namespace pelorus::lzw
