#include "grabber/picture_size.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "grabber/frame_format.h"
#include "grabber/mem_file.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

std::optional<PictureSize> Parse(std::string text) {
  text.resize(9, '\0');
  return ParsePictureSizeAnswer(
      std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

TEST(PictureSizeTest, AnswerIsTwoNumbersAroundAColon) {
  EXPECT_EQ(Parse("720:576"), (PictureSize{720, 576}));
  EXPECT_EQ(Parse(" 480:\t576"), (PictureSize{480, 576}));
  EXPECT_EQ(Parse("+352:-288"), (PictureSize{352, -288}));
  EXPECT_EQ(Parse("480:576\r\n"), (PictureSize{480, 576}));
  EXPECT_FALSE(Parse("720 :576"));  // the colon follows the first number at once
  EXPECT_FALSE(Parse("720576"));
  EXPECT_FALSE(Parse(":576"));
  EXPECT_FALSE(Parse("720:"));
  EXPECT_FALSE(Parse("abc"));
  EXPECT_FALSE(Parse("720\0:576"));  // the text ends at a zero byte
  const std::string huge = "999999999999:-99999999999";
  const auto held =
      ParsePictureSizeAnswer(std::span(reinterpret_cast<const uint8_t*>(huge.data()), huge.size()));
  EXPECT_EQ(held, (PictureSize{INT32_MAX, INT32_MIN}));
  // Nine bytes with no end: nothing is read past them.
  const uint8_t full[] = {'1', '2', '3', '4', ':', '5', '6', '7', '8'};
  EXPECT_EQ(ParsePictureSizeAnswer(full), (PictureSize{1234, 5678}));
  EXPECT_FALSE(ParsePictureSizeAnswer({}));
}

TEST(PictureSizeTest, ZeroUnknownAndOversizedSizes) {
  EXPECT_EQ(DecidePictureSize(PictureSize{480, 576}).verdict, SizeVerdict::kUsable);
  EXPECT_EQ(DecidePictureSize(PictureSize{720, 576}).size, (PictureSize{720, 576}));
  for (const auto unknown : {std::optional<PictureSize>{}, std::optional{PictureSize{0, 576}},
                             std::optional{PictureSize{480, 0}}}) {
    const SizeDecision decision = DecidePictureSize(unknown);
    EXPECT_EQ(decision.verdict, SizeVerdict::kUnknown);
    EXPECT_EQ(decision.size, (PictureSize{720, 576}));
  }
  const SizeDecision big = DecidePictureSize(PictureSize{1920, 1080});
  EXPECT_EQ(big.verdict, SizeVerdict::kClamped);
  EXPECT_EQ(big.size, (PictureSize{720, 576}));
  const SizeDecision tall = DecidePictureSize(PictureSize{480, 600});
  EXPECT_EQ(tall.size, (PictureSize{480, 576}));
  const SizeDecision negative = DecidePictureSize(PictureSize{-480, 288});
  EXPECT_EQ(negative.verdict, SizeVerdict::kClamped);
  EXPECT_EQ(negative.size, (PictureSize{720, 288}));
}

TEST(MemFileTest, DumpNameAndPictureKind) {
  EXPECT_EQ(MemFileName("/pictures/grab.2000.jpg"), "/pictures/grab.mem");
  EXPECT_EQ(MemFileName("/pictures/Grab"), "/pictures/Grab.mem");
  // Only the file name is cut: a dot in a folder does not move the dump elsewhere.
  EXPECT_EQ(MemFileName("/home/a.b/grab.jpg"), "/home/a.b/grab.mem");
  EXPECT_EQ(MemFileName("grab.bmp"), "grab.mem");
  EXPECT_EQ(PictureFormatFor("/pictures/GRAB.2000.JPG"), PictureFormat::kJpeg);
  EXPECT_EQ(PictureFormatFor("/pictures/grab.Jpeg"), PictureFormat::kJpeg);
  EXPECT_EQ(PictureFormatFor("shot.jpg.bmp"), PictureFormat::kBitmap);
  EXPECT_EQ(PictureFormatFor("/pictures/grab.BMP"), PictureFormat::kBitmap);
  EXPECT_EQ(PictureFormatFor("/holiday.jpg/grab.bmp"), PictureFormat::kBitmap);
  // Neither a JPEG nor a bitmap would be what such a name says.
  for (const char* name : {"/pictures/grab", "shot.png", "x.bmp.png", "/a.jpg/b", "jpg", ".jpgx"})
    EXPECT_EQ(PictureFormatFor(name), std::nullopt) << name;
}

TEST(MemFileTest, OnlyGrabDumpsAreReplacedUnasked) {
  testing::TempDir dir;
  const std::string path = dir.File("grab.mem");
  EXPECT_TRUE(MemFileReplaceable(path, {}));
  { std::ofstream(path) << "the user's own notes"; }
  EXPECT_FALSE(MemFileReplaceable(path, {}));
  EXPECT_TRUE(MemFileReplaceable(path, {path}));
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << std::string(kFrameBytes, '\x10');
  }
  // A dump's very size does not make a file the grabber's.
  EXPECT_FALSE(MemFileReplaceable(path, {}));
}

}  // namespace
}  // namespace pelorus
