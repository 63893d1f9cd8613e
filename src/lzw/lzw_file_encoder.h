#pragma once

// File-to-file compression as the exports offer it, with the result limit open to tests.

#include <cstdint>
#include <limits>

namespace pelorus::lzw {

// The exports return the compressed size as a 32-bit signed number.
inline constexpr std::uint64_t kMaxEncodedSize = std::numeric_limits<std::int32_t>::max();

// Compresses at most maxLength bytes of the input file, from startOffset on, into the
// output file (created or truncated). Returns the compressed size, which is also the
// output file's size. Returns 0 when there is nothing to code (empty stretch: the output is
// created empty) and on every failure: the input cannot be opened or is the output file
// itself (nothing created or changed), the output cannot be created, or reading, writing or
// closing fails, or the stream would exceed maxResult bytes (the output is then left empty,
// so no truncated stream is mistaken for a whole one).
std::int32_t EncodeFileStretch(const char* outputPath, const char* inputPath,
                               std::int32_t maxLength, std::int32_t startOffset,
                               std::uint64_t maxResult = kMaxEncodedSize);

}  // namespace pelorus::lzw
