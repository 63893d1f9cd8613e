#include "common/text_lines.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace pelorus {
namespace {

std::vector<std::string> Split(std::string_view text, size_t pieceSize,
                               size_t maxLine = LineSplitter::kDefaultMaxLine) {
  std::vector<std::string> lines;
  LineSplitter splitter(
      [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
      },
      maxLine);
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  for (size_t at = 0; at < text.size(); at += pieceSize) {
    splitter.Feed(std::span(bytes + at, std::min(pieceSize, text.size() - at)));
  }
  splitter.Finish();
  return lines;
}

using LineList = std::vector<std::string>;

TEST(LineSplitter, EndsLinesAtCrLfOrCrLfWhereverThePiecesBreak) {
  const std::string text = "one\r\ntwo\nthree\rfour\r\r\nsix\n\nlast";
  const LineList expected = {"one", "two", "three", "four", "", "six", "", "last"};
  for (size_t piece = 1; piece <= text.size(); ++piece) {
    EXPECT_EQ(Split(text, piece), expected) << "pieces of " << piece;
  }
  EXPECT_EQ(Split("", 4), LineList{});
  EXPECT_EQ(Split("\n", 4), LineList{""});
  EXPECT_EQ(Split("a\r", 1), LineList{"a"});
}

TEST(LineSplitter, CutsOverlongLinesAndStopsWhenAsked) {
  EXPECT_EQ(Split("abcdefgh\nxy", 3, 4), (LineList{"abcd", "xy"}));

  LineList seen;
  LineSplitter splitter([&](std::string_view line) {
    seen.emplace_back(line);
    return !line.empty();
  });
  const std::string text = "a\nb\n\nc\nd";
  splitter.Feed(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  splitter.Finish();
  EXPECT_TRUE(splitter.Stopped());
  EXPECT_EQ(seen, (LineList{"a", "b", ""}));
}

TEST(ReadTextLines, ReadsAFileInPiecesAndRefusesOneOverTheBound) {
  testing::TempDir dir;
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "line " + std::to_string(i) + "\r\n";
  text += "no line end";
  testing::WriteBytes(dir.File("in.txt"), std::vector<uint8_t>(text.begin(), text.end()));
  LineList lines;
  const FileContents read = ReadTextLines(dir.File("in.txt"), [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  });
  EXPECT_FALSE(read.readFailed);
  ASSERT_EQ(lines.size(), 20001u);
  EXPECT_EQ(lines[19999], "line 19999");
  EXPECT_EQ(lines.back(), "no line end");

  lines.clear();
  const FileContents tooLarge = ReadTextLines(
      dir.File("in.txt"), [&](std::string_view) { return true; }, 1000);
  EXPECT_TRUE(tooLarge.readFailed);
  EXPECT_EQ(tooLarge.problem, FileProblem::kTooLarge);
  EXPECT_FALSE(ReadTextLines(dir.File("missing"), [](std::string_view) { return true; }).opened);
}

}  // namespace
}  // namespace pelorus
