#include "streams/ts_to_es.h"

#include <gtest/gtest.h>

#include "streams/size_text.h"
#include "streams/stream_capture.h"
#include "ts_packets.h"

namespace pelorus {
namespace {

using testing::Append;
using testing::MakePacket;
using testing::PacketShape;

size_t HeaderOf(const std::vector<uint8_t>& packet) {
  return EsHeaderLength(ts::Packet(packet.data(), 188)).value_or(999);
}

TEST(SizeTextTest, BoundariesAndRate) {
  EXPECT_EQ(SizeText(0), "0");
  EXPECT_EQ(SizeText(1024), "1024");
  EXPECT_EQ(SizeText(1025), "1 KB");
  EXPECT_EQ(SizeText(1048576), "1024 KB");
  EXPECT_EQ(SizeText(1048577), "1.00 MB");
  EXPECT_EQ(SizeText(5u * 1048576 + 524288), "5.50 MB");
  EXPECT_EQ(RateText(128 * 1000, 2.0), "500.00 Kbps");
}

TEST(TsToEsTest, HeaderLengthForEveryAdaptationCase) {
  PacketShape shape;
  // Payload only: the 4-byte header; with a unit start also the PES header and its data.
  EXPECT_EQ(HeaderOf(MakePacket(shape)), 4u);
  std::vector<uint8_t> start = MakePacket({.unitStart = true});
  start[12] = 5;
  EXPECT_EQ(HeaderOf(start), 13u + 5u);
  // Adaptation and payload: 5 + its length, and with a unit start the PES header after it.
  std::vector<uint8_t> both = MakePacket({.adaptation = true, .adaptationLength = 7});
  EXPECT_EQ(HeaderOf(both), 12u);
  std::vector<uint8_t> bothStart =
      MakePacket({.unitStart = true, .adaptation = true, .adaptationLength = 7});
  bothStart[12 + 8] = 3;
  EXPECT_EQ(HeaderOf(bothStart), 12u + 9u + 3u);
  // Adaptation only and the reserved value carry no payload.
  EXPECT_FALSE(
      EsHeaderLength(ts::Packet(MakePacket({.payload = false, .adaptation = true}).data(), 188)));
  std::vector<uint8_t> reserved = MakePacket(shape);
  reserved[3] &= 0xCF;
  EXPECT_FALSE(EsHeaderLength(ts::Packet(reserved.data(), 188)));
  // Headers that claim more than the packet holds: nothing, and nothing read past the end.
  EXPECT_FALSE(EsHeaderLength(
      ts::Packet(MakePacket({.adaptation = true, .adaptationLength = 183}).data(), 188)));
  std::vector<uint8_t> longPes =
      MakePacket({.unitStart = true, .adaptation = true, .adaptationLength = 170});
  EXPECT_FALSE(EsHeaderLength(ts::Packet(longPes.data(), 188)));
  std::vector<uint8_t> farPes =
      MakePacket({.unitStart = true, .adaptation = true, .adaptationLength = 180});
  EXPECT_FALSE(EsHeaderLength(ts::Packet(farPes.data(), 188)));
}

TEST(TsToEsTest, ConvertsWholePacketsOfThePidOnly) {
  std::vector<uint8_t> in;
  Append(in, MakePacket({.fill = 0x01}));                          // 184
  Append(in, MakePacket({.payload = false, .adaptation = true}));  // nothing
  Append(in, MakePacket({.pid = 0x200, .fill = 0x02}));            // other PID
  std::vector<uint8_t> lost = MakePacket({.fill = 0x03});
  lost[0] = 0x46;  // no sync
  Append(in, lost);
  Append(in, MakePacket({.adaptation = true, .adaptationLength = 9, .fill = 0x04}));  // 174
  std::vector<uint8_t> out(in.size() + 100, 0xEE);
  const size_t count = ConvertTsToEs(in, 0x100, out);
  ASSERT_EQ(count, 184u + 174u);
  EXPECT_EQ(std::count(out.begin(), out.begin() + 184, 0x01), 184);
  EXPECT_EQ(std::count(out.begin() + 184, out.begin() + 358, 0x04), 174);
  // The last whole packet counts; a part packet after it does not.
  in.resize(in.size() + 50, 0x47);
  EXPECT_EQ(ConvertTsToEs(in, 0x100, out), count);
  EXPECT_EQ(ConvertTsToEs(std::span<const uint8_t>(in).first(187), 0x100, out), 0u);
}

TEST(CaptureFilterTest, SyncVideoWaitsForTheFirstSequenceHeader) {
  CaptureSettings settings;
  settings.threshold = 32;
  settings.syncVideo = true;
  CaptureFilter filter(settings);
  const std::vector<uint8_t> none = {1, 2, 3, 0, 0, 1, 0xB5, 9};
  ASSERT_TRUE(filter.Process(none));
  EXPECT_TRUE(filter.Process(none)->empty());
  EXPECT_FALSE(filter.VideoSynced());
  const std::vector<uint8_t> hit = {7, 7, 0, 0, 1, 0xB3, 5};
  EXPECT_EQ(filter.Process(hit)->size(), 5u);
  EXPECT_TRUE(filter.VideoSynced());
  // After the first hit every read is written whole.
  EXPECT_EQ(filter.Process(none)->size(), none.size());

  CaptureFilter atStart(settings);
  const std::vector<uint8_t> first = {0, 0, 1, 0xB3, 1, 2};
  EXPECT_EQ(atStart.Process(first)->size(), first.size());
  // A header in the last four bytes is found too.
  CaptureFilter atEnd(settings);
  const std::vector<uint8_t> last = {9, 9, 0, 0, 1, 0xB3};
  EXPECT_EQ(atEnd.Process(last)->size(), 4u);
}

TEST(CaptureFilterTest, ConversionDropsRoundsWithoutPayload) {
  CaptureSettings settings;
  settings.pid = 0x100;
  settings.threshold = 376;
  settings.mode = kModeEntirePackets;
  settings.ts2es = true;
  settings.syncVideo = true;
  CaptureFilter filter(settings);
  std::vector<uint8_t> empty = MakePacket({.payload = false, .adaptation = true});
  Append(empty, MakePacket({.pid = 0x300}));
  EXPECT_FALSE(filter.Process(empty));
  std::vector<uint8_t> video = MakePacket({.unitStart = true, .fill = 0x00});
  video[12] = 0;  // no PES header data: the ES starts at byte 13
  video[13] = 0x00;
  video[14] = 0x00;
  video[15] = 0x01;
  video[16] = 0xB3;
  Append(video, MakePacket({.fill = 0x22}));
  const auto bytes = filter.Process(video);
  ASSERT_TRUE(bytes);
  ASSERT_EQ(bytes->size(), 175u + 184u);
  EXPECT_EQ((*bytes)[3], 0xB3);
}

}  // namespace
}  // namespace pelorus
