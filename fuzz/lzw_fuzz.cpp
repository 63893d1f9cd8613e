// Codes a stretch of any bytes as the firmware upgrade does and checks the stream: it must
// expand back to the stretch, match the plain coder byte for byte, and never grow by more
// than one flag byte per eight literals.
//
// Input layout: bytes 0-1 the maximum length and 2-3 the start offset (little-endian,
// signed, so zero and negative values occur), byte 4 the size of the chunks the input is
// delivered in, the rest the "file".
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <vector>

#include "lzw_coder.h"
#include "unit/lzw/lzw_reference.h"

namespace {

using pelorus::lzw::ByteSink;
using pelorus::lzw::ByteSource;

class ChunkedSource final : public ByteSource {
 public:
  ChunkedSource(std::span<const std::uint8_t> bytes, std::size_t chunk)
      : bytes_(bytes), chunk_(chunk) {}
  std::span<const std::uint8_t> NextChunk() override {
    const auto piece = bytes_.first(std::min(bytes_.size(), chunk_));
    bytes_ = bytes_.subspan(piece.size());
    return piece;
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t chunk_;
};

class CollectingSink final : public ByteSink {
 public:
  bool Write(std::span<const std::uint8_t> bytes) override {
    collected.insert(collected.end(), bytes.begin(), bytes.end());
    return true;
  }
  std::vector<std::uint8_t> collected;
};

std::int32_t Signed16(const std::uint8_t* bytes) {
  return static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 5) return 0;
  const std::int32_t maxLength = Signed16(data);
  const std::int32_t startOffset = Signed16(data + 2);
  const std::size_t chunk = 1 + data[4];
  const auto stretch =
      pelorus::lzw::SelectStretch(std::span(data + 5, size - 5), maxLength, startOffset);

  static auto encoder = std::make_unique<pelorus::lzw::LzwCoder>();
  ChunkedSource source(stretch, chunk);
  CollectingSink sink;
  if (!encoder->Encode(source, sink)) std::abort();
  const std::vector<std::uint8_t>& encoded = sink.collected;

  if (encoded.size() != encoder->BytesWritten()) std::abort();
  if (encoded.size() > stretch.size() + (stretch.size() + 7) / 8) std::abort();
  const auto expanded = pelorus::testing::ExpandLzw(encoded, stretch.size());
  if (!expanded || !std::equal(expanded->begin(), expanded->end(), stretch.begin(), stretch.end()))
    std::abort();
  if (encoded != pelorus::testing::PlainEncode(stretch)) std::abort();
  return 0;
}
