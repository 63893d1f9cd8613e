#include "lzw_cli.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "lzw_file_encoder.h"

namespace {

constexpr const char* kUsage = "usage: pelorus-cli lzw-encode OUT IN MAXLEN OFFSET\n";

// Accepts a whole decimal argument that fits the library's 32-bit parameters, nothing else.
std::optional<std::int32_t> ParseInt32(const char* text) {
  if (text == nullptr || *text == '\0') return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < std::numeric_limits<std::int32_t>::min() ||
      value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

// Why the call failed, in one line naming the file concerned.
void PrintFailure(const pelorus::lzw::EncodeFailure& failure, const char* output,
                  const char* input) {
  using pelorus::lzw::EncodeProblem;
  const char* reason = failure.error != 0 ? std::strerror(failure.error) : "";
  switch (failure.problem) {
    case EncodeProblem::kNone:
      return;
    case EncodeProblem::kNoWorkspace:
      std::fprintf(stderr, "lzw-encode: not enough memory\n");
      return;
    case EncodeProblem::kInputUnusable:
      std::fprintf(stderr, "lzw-encode: cannot open %s: %s\n", input, reason);
      return;
    case EncodeProblem::kInputNotFile:
      std::fprintf(stderr, "lzw-encode: %s: not a regular file\n", input);
      return;
    case EncodeProblem::kSameFile:
      std::fprintf(stderr, "lzw-encode: %s is the input file itself\n", output);
      return;
    case EncodeProblem::kOutputNotFile:
      std::fprintf(stderr, "lzw-encode: %s: not a regular file\n", output);
      return;
    case EncodeProblem::kOutputUnusable:
      std::fprintf(stderr, "lzw-encode: cannot create %s: %s\n", output, reason);
      return;
    case EncodeProblem::kReadFailed:
      std::fprintf(stderr, "lzw-encode: reading %s failed: %s\n", input, reason);
      return;
    case EncodeProblem::kWriteFailed:
      std::fprintf(stderr, "lzw-encode: writing %s failed (it was left as it was): %s\n", output,
                   reason);
      return;
    case EncodeProblem::kResultTooLarge:
      std::fprintf(stderr, "lzw-encode: the compressed stream would exceed %lld bytes\n",
                   static_cast<long long>(pelorus::lzw::kMaxEncodedSize));
      return;
  }
}

}  // namespace

int RunLzwEncodeCommand(int argc, char** argv) {
  if (argc != 5) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::optional<std::int32_t> maxLength = ParseInt32(argv[3]);
  const std::optional<std::int32_t> startOffset = ParseInt32(argv[4]);
  if (!maxLength || !startOffset) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  // The library's own call, with the reason for a 0 that the exported entry cannot return.
  pelorus::lzw::EncodeFailure failure;
  const std::int32_t result = pelorus::lzw::EncodeFileStretch(
      argv[1], argv[2], *maxLength, *startOffset, pelorus::lzw::kMaxEncodedSize, &failure);
  std::printf("%d\n", static_cast<int>(result));
  std::fflush(stdout);
  if (failure.problem == pelorus::lzw::EncodeProblem::kNone) return 0;
  PrintFailure(failure, argv[1], argv[2]);
  return 1;
}
