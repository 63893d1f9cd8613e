#include "lzw_cli.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "pelorus_lzw.h"

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
  const std::int32_t result = LZWencode(argv[1], argv[2], *maxLength, *startOffset);
  std::printf("%d\n", static_cast<int>(result));
  std::fflush(stdout);
  return 0;
}
