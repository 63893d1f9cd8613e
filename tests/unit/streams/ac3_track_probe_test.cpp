// Telling an AC-3 audio stream from MPEG audio (or anything else) by its sync frames.
#include "streams/ac3_track_probe.h"

#include <gtest/gtest.h>

#include <vector>

namespace pelorus {
namespace {

// `count` AC-3 frames with the given rate codes, their bodies zero.
std::vector<uint8_t> Ac3Frames(uint8_t fscod, uint8_t frmsizecod, size_t length, int count) {
  std::vector<uint8_t> frame(length, 0);
  frame[0] = 0x0B;
  frame[1] = 0x77;
  frame[4] = static_cast<uint8_t>(fscod << 6 | frmsizecod);
  frame[5] = 8 << 3;  // bsid 8
  std::vector<uint8_t> bytes;
  for (int i = 0; i < count; ++i) bytes.insert(bytes.end(), frame.begin(), frame.end());
  return bytes;
}

// MPEG-1 Layer II at 192 kbit/s, 48 kHz: 576-byte frames.
std::vector<uint8_t> MpegAudio(size_t bytes) {
  std::vector<uint8_t> stream(bytes, 0x55);
  for (size_t at = 0; at + 4 <= bytes; at += 576) {
    stream[at] = 0xFF;
    stream[at + 1] = 0xFD;
    stream[at + 2] = 0xA4;
    stream[at + 3] = 0x00;
  }
  return stream;
}

TEST(Ac3TrackProbe, FrameLengthsFollowRateAndSampleRate) {
  // 128 kbit/s: 512 bytes at 48 kHz, 768 at 32 kHz; 44.1 kHz rounds down, odd codes add a word.
  EXPECT_EQ(Ac3FrameLength(Ac3Frames(0, 16, 512, 1)), 512u);
  EXPECT_EQ(Ac3FrameLength(Ac3Frames(2, 16, 768, 1)), 768u);
  EXPECT_EQ(Ac3FrameLength(Ac3Frames(1, 16, 556, 1)), 556u);
  EXPECT_EQ(Ac3FrameLength(Ac3Frames(1, 17, 558, 1)), 558u);
  // The ends of the table: 32 and 640 kbit/s.
  EXPECT_EQ(Ac3FrameLength(Ac3Frames(0, 0, 128, 1)), 128u);
  EXPECT_EQ(Ac3FrameLength(Ac3Frames(2, 37, 3840, 1)), 3840u);

  // E-AC-3 (bsid 16) states its own size: 0x0FF + 1 words.
  std::vector<uint8_t> enhanced = {0x0B, 0x77, 0x00, 0xFF, 0x30, 16 << 3};
  EXPECT_EQ(Ac3FrameLength(enhanced), 512u);
}

TEST(Ac3TrackProbe, HeadersThatCannotBeFramesAreRefused) {
  std::vector<uint8_t> header = {0x0B, 0x77, 0, 0, 0x10, 8 << 3};
  EXPECT_EQ(Ac3FrameLength(header), 512u);
  header[4] = 0xD0;  // fscod 3 is reserved
  EXPECT_EQ(Ac3FrameLength(header), 0u);
  header[4] = 38;  // past the rate table
  EXPECT_EQ(Ac3FrameLength(header), 0u);
  header[4] = 0x10;
  header[5] = 20 << 3;  // no known bitstream
  EXPECT_EQ(Ac3FrameLength(header), 0u);
  header[5] = 8 << 3;
  header[1] = 0x78;
  EXPECT_EQ(Ac3FrameLength(header), 0u);
  // A header cut short is no header.
  EXPECT_EQ(Ac3FrameLength(std::span(header).first(5)), 0u);
  EXPECT_EQ(Ac3FrameLength({}), 0u);
}

TEST(Ac3TrackProbe, TwoFramesBackToBackMakeAnAc3Stream) {
  std::vector<uint8_t> stream(37, 0x11);  // the stream may start mid-frame
  const std::vector<uint8_t> frames = Ac3Frames(0, 16, 512, 3);
  stream.insert(stream.end(), frames.begin(), frames.end());
  EXPECT_TRUE(HoldsAc3Frames(stream));
  // One frame alone, or a sync word that only looks like one, is not enough.
  EXPECT_FALSE(HoldsAc3Frames(Ac3Frames(0, 16, 512, 1)));
  std::vector<uint8_t> stray(2000, 0);
  stray[100] = 0x0B;
  stray[101] = 0x77;
  stray[104] = 0x10;
  stray[105] = 8 << 3;
  EXPECT_FALSE(HoldsAc3Frames(stray));
  EXPECT_FALSE(HoldsAc3Frames(MpegAudio(20000)));
}

TEST(Ac3TrackProbe, DecidesFromPiecesAndStopsListening) {
  const std::vector<uint8_t> frames = Ac3Frames(0, 16, 512, 8);
  Ac3TrackProbe ac3;
  ac3.Feed(std::span(frames).first(500));
  EXPECT_FALSE(ac3.Verdict().has_value());
  ac3.Feed(std::span(frames).subspan(500, 700));
  ASSERT_TRUE(ac3.Verdict().has_value());
  EXPECT_TRUE(*ac3.Verdict());

  // MPEG audio is told apart once a whole window has come, not before.
  const std::vector<uint8_t> mpeg = MpegAudio(kAc3ProbeWindow + 4096);
  Ac3TrackProbe other;
  size_t fed = 0;
  while (fed + 1024 < kAc3ProbeWindow) {
    other.Feed(std::span(mpeg).subspan(fed, 1024));
    fed += 1024;
    EXPECT_FALSE(other.Verdict().has_value()) << fed;
  }
  other.Feed(std::span(mpeg).subspan(fed, 2048));
  ASSERT_TRUE(other.Verdict().has_value());
  EXPECT_FALSE(*other.Verdict());
  // Once decided, AC-3 arriving later does not change the verdict.
  other.Feed(frames);
  EXPECT_FALSE(*other.Verdict());
}

}  // namespace
}  // namespace pelorus
