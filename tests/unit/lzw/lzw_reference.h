#pragma once

// Test-side models of the compressed format: an expander that follows the expansion rule
// and checks the stream's shape strictly, and a plain coder that follows the coding rules
// one byte at a time, against which the library's tuned coder is compared byte for byte.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace pelorus::testing {

// Expands `stream` into exactly `expectedSize` bytes. Returns nothing when the stream is
// malformed: an item cut short, an item beyond the expected size, bytes left over after the
// last group, or a set flag bit after the last item.
inline std::optional<std::vector<std::uint8_t>> ExpandLzw(std::span<const std::uint8_t> stream,
                                                          std::size_t expectedSize) {
  std::vector<std::uint8_t> ring(4096, 0x20);
  std::size_t write = 4078;
  std::vector<std::uint8_t> out;
  out.reserve(expectedSize);
  std::size_t pos = 0;
  while (pos < stream.size()) {
    const std::uint8_t flags = stream[pos++];
    int item = 0;
    for (; item < 8 && out.size() < expectedSize; ++item) {
      if (flags & (1u << item)) {
        if (pos >= stream.size()) return std::nullopt;
        const std::uint8_t literal = stream[pos++];
        out.push_back(literal);
        ring[write] = literal;
        write = (write + 1) % 4096;
      } else {
        if (pos + 2 > stream.size()) return std::nullopt;
        const std::uint8_t a = stream[pos++];
        const std::uint8_t b = stream[pos++];
        std::size_t from = a + 256u * (b >> 4);
        const std::size_t length = (b & 0x0Fu) + 5;
        if (out.size() + length > expectedSize) return std::nullopt;
        for (std::size_t k = 0; k < length; ++k) {
          const std::uint8_t copied = ring[from];
          out.push_back(copied);
          ring[write] = copied;
          write = (write + 1) % 4096;
          from = (from + 1) % 4096;
        }
      }
    }
    // A group may end early only at the end of the stream, with its unused flag bits clear.
    if (item < 8) {
      if (pos != stream.size()) return std::nullopt;
      if ((flags >> item) != 0) return std::nullopt;
    }
  }
  if (out.size() != expectedSize) return std::nullopt;
  return out;
}

// The coding rules written out plainly: 32-bit links, byte-wise key comparison, one input
// byte at a time. Slow but easy to check against the rules.
class PlainLzwCoder {
 public:
  std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> input) {
    input_ = input;
    inputPos_ = 0;
    std::vector<std::uint8_t> out;
    for (int b = 0; b < 256; ++b) right_[4097 + b] = kNil;
    for (int i = 0; i < 4096; ++i) parent_[i] = kNil;
    std::uint8_t group[17] = {0};
    int groupSize = 1;
    std::uint8_t mask = 1;
    for (int i = 0; i < 4078; ++i) text_[i] = 0x20;
    int s = 0;
    int r = 4078;
    int len = 0;
    int c;
    for (; len < 18 && (c = Next()) >= 0; ++len) text_[r + len] = static_cast<std::uint8_t>(c);
    if (len == 0) return out;
    for (int i = 1; i <= 18; ++i) Insert(r - i);
    Insert(r);
    do {
      if (matchLength_ > len) matchLength_ = len;
      if (matchLength_ <= 4) {
        matchLength_ = 1;
        group[0] |= mask;
        group[groupSize++] = text_[r];
      } else {
        group[groupSize++] = static_cast<std::uint8_t>(matchPosition_);
        group[groupSize++] =
            static_cast<std::uint8_t>(((matchPosition_ >> 4) & 0xF0) | (matchLength_ - 5));
      }
      mask = static_cast<std::uint8_t>(mask << 1);
      if (mask == 0) {
        out.insert(out.end(), group, group + groupSize);
        group[0] = 0;
        groupSize = 1;
        mask = 1;
      }
      const int last = matchLength_;
      int i = 0;
      for (; i < last && (c = Next()) >= 0; ++i) {
        Delete(s);
        text_[s] = static_cast<std::uint8_t>(c);
        if (s < 17) text_[s + 4096] = static_cast<std::uint8_t>(c);
        s = (s + 1) & 4095;
        r = (r + 1) & 4095;
        Insert(r);
      }
      while (i++ < last) {
        Delete(s);
        s = (s + 1) & 4095;
        r = (r + 1) & 4095;
        if (--len) Insert(r);
      }
    } while (len > 0);
    if (groupSize > 1) out.insert(out.end(), group, group + groupSize);
    return out;
  }

 private:
  static constexpr int kNil = 4096;

  int Next() { return inputPos_ < input_.size() ? input_[inputPos_++] : -1; }

  // The link in `parent` that points at `child`.
  int& LinkTo(int parent, int child) {
    return right_[parent] == child ? right_[parent] : left_[parent];
  }

  void Insert(int r) {
    int cmp = 1;
    int p = 4097 + text_[r];
    right_[r] = left_[r] = kNil;
    matchLength_ = 0;
    for (;;) {
      int& next = cmp >= 0 ? right_[p] : left_[p];
      if (next == kNil) {
        next = r;
        parent_[r] = p;
        return;
      }
      p = next;
      int i = 1;
      for (; i < 18; ++i) {
        cmp = text_[r + i] - text_[p + i];
        if (cmp != 0) break;
      }
      if (i > matchLength_) {
        matchPosition_ = p;
        matchLength_ = i;
        if (i >= 18) break;
      }
    }
    parent_[r] = parent_[p];
    left_[r] = left_[p];
    right_[r] = right_[p];
    parent_[left_[p]] = parent_[right_[p]] = r;
    LinkTo(parent_[p], p) = r;
    parent_[p] = kNil;
  }

  void Delete(int p) {
    if (parent_[p] == kNil) return;
    int q;
    if (right_[p] == kNil) {
      q = left_[p];
    } else if (left_[p] == kNil) {
      q = right_[p];
    } else {
      q = left_[p];
      if (right_[q] != kNil) {
        while (right_[q] != kNil) q = right_[q];
        right_[parent_[q]] = left_[q];
        parent_[left_[q]] = parent_[q];
        left_[q] = left_[p];
        parent_[left_[p]] = q;
      }
      right_[q] = right_[p];
      parent_[right_[p]] = q;
    }
    parent_[q] = parent_[p];
    LinkTo(parent_[p], p) = q;
    parent_[p] = kNil;
  }

  std::span<const std::uint8_t> input_;
  std::size_t inputPos_ = 0;
  // A fresh coder's ring holds zeros beyond the fill, the state every call starts from.
  std::uint8_t text_[4096 + 17] = {};
  std::int32_t left_[4097] = {};
  std::int32_t right_[4097 + 256] = {};
  std::int32_t parent_[4097] = {};
  int matchPosition_ = 0;
  int matchLength_ = 0;
};

// Codes `input` with a fresh plain coder.
inline std::vector<std::uint8_t> PlainEncode(std::span<const std::uint8_t> input) {
  return std::make_unique<PlainLzwCoder>()->Encode(input);
}

}  // namespace pelorus::testing
