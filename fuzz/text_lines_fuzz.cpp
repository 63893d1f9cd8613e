// Splits any bytes into lines, whole and in pieces whose sizes the input picks: both must give
// the same lines, none longer than the bound and none holding a line end.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "common/text_lines.h"

namespace {

std::vector<std::string> Split(std::span<const uint8_t> text, std::span<const uint8_t> pieces) {
  std::vector<std::string> lines;
  pelorus::LineSplitter splitter(
      [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
      },
      64);
  size_t at = 0;
  size_t next = 0;
  while (at < text.size()) {
    const size_t size = pieces.empty() ? text.size() : pieces[next++ % pieces.size()] % 17 + 1;
    const size_t taken = std::min(size, text.size() - at);
    splitter.Feed(text.subspan(at, taken));
    at += taken;
  }
  splitter.Finish();
  return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first bytes choose the piece sizes; the rest is the text.
  const size_t pieceCount = size > 0 ? data[0] % 8 : 0;
  if (size < 1 + pieceCount) return 0;
  const std::span<const uint8_t> pieces(data + 1, pieceCount);
  const std::span<const uint8_t> text(data + 1 + pieceCount, size - 1 - pieceCount);
  const std::vector<std::string> whole = Split(text, {});
  if (Split(text, pieces) != whole) std::abort();
  for (const std::string& line : whole) {
    if (line.size() > 64 || line.find_first_of("\r\n") != std::string::npos) std::abort();
  }
  return 0;
}
