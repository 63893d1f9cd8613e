#pragma once

// File-to-file compression as the exports offer it, with the result limit open to tests.

#include <cstdint>
#include <limits>

namespace pelorus::lzw {

// The exports return the compressed size as a 32-bit signed number.
inline constexpr std::uint64_t kMaxEncodedSize = std::numeric_limits<std::int32_t>::max();

// Why a call returned 0 for a failure, for callers that tell the user.
enum class EncodeProblem {
  kNone,
  kNoWorkspace,     // no memory for the coder
  kInputUnusable,   // the input cannot be opened (see `error`)
  kInputNotFile,    // the input is a folder, FIFO or device
  kSameFile,        // input and output are one file
  kOutputNotFile,   // something other than a regular file stands at the output path
  kOutputUnusable,  // the output (its temporary file) cannot be created (see `error`)
  kReadFailed,      // reading the input failed part-way (see `error`)
  kWriteFailed,     // writing, flushing or renaming the output failed (see `error`)
  kResultTooLarge,  // the stream would exceed maxResult bytes
};
struct EncodeFailure {
  EncodeProblem problem = EncodeProblem::kNone;
  int error = 0;  // errno where the system gave one
};

// Compresses at most maxLength bytes of the input file, from startOffset on, into the
// output file. Returns the compressed size, which is also the output file's size. Returns 0
// when there is nothing to code (empty stretch: the output is created empty) and on every
// failure, which `failure` (when given) describes. The output is written to a temporary file
// beside it and renamed over it only when whole, so a failure leaves an existing output as it
// was, and no truncated stream can be mistaken for a whole one. Neither file may be anything
// but a regular file, and they may not be the same file.
std::int32_t EncodeFileStretch(const char* outputPath, const char* inputPath,
                               std::int32_t maxLength, std::int32_t startOffset,
                               std::uint64_t maxResult = kMaxEncodedSize,
                               EncodeFailure* failure = nullptr);

}  // namespace pelorus::lzw
