// What the table parsers read loops, bit fields, descriptors and broadcast times with.
#include <gtest/gtest.h>

#include <vector>

#include "common/byte_reader.h"
#include "common/dvb_time.h"

namespace pelorus {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(ByteReaderLoopsTest, SubReadersStayInsideTheirLoopAndACutLoopIsReadAsFarAsItGoes) {
  // A 12-bit loop of 3 bytes with flags 0xF in the top nibble, then one byte after it.
  const Bytes bytes = {0xF0, 0x03, 0xAA, 0xBB, 0xCC, 0x42};
  ByteReader reader(bytes);
  uint8_t top = 0;
  ByteReader loop = reader.Loop12(&top);
  EXPECT_EQ(top, 0x0F);
  EXPECT_EQ(loop.Remaining(), 3u);
  EXPECT_EQ(loop.U16(), 0xAABB);
  EXPECT_EQ(loop.U16(), 0u);  // past the loop's end, not into the byte after it
  EXPECT_FALSE(loop.Ok());
  EXPECT_EQ(reader.U8(), 0x42);
  EXPECT_TRUE(reader.Ok());

  // A length past the end: the sub-reader holds what is there, the outer reader's error is set.
  const Bytes cut = {0x05, 0x01, 0x02};
  ByteReader outer(cut);
  ByteReader inner = outer.Loop8();
  EXPECT_FALSE(outer.Ok());
  EXPECT_EQ(inner.Remaining(), 2u);
  EXPECT_EQ(inner.U16(), 0x0102);
  EXPECT_TRUE(inner.Ok());
  // A reader already failed gives failed sub-readers.
  EXPECT_FALSE(outer.Sub(1).Ok());
  EXPECT_EQ(outer.Sub(1).Remaining(), 0u);
}

TEST(ByteReaderLoopsTest, BitFieldsRunAcrossBytesAndByteReadsNeedABoundary) {
  // 1 | 011 | 0000 1101 0010 | ...: a flag, three bits, twelve bits, then a byte.
  const Bytes bytes = {0xB0, 0xD2, 0x7E};
  ByteReader reader(bytes);
  EXPECT_TRUE(reader.Flag());
  EXPECT_EQ(reader.ReadBits(3), 0x3u);
  EXPECT_EQ(reader.ReadBits(12), 0x0D2u);
  EXPECT_EQ(reader.U8(), 0x7E);
  EXPECT_TRUE(reader.Ok());
  EXPECT_EQ(reader.ReadBits(1), 0u);
  EXPECT_FALSE(reader.Ok());

  ByteReader misaligned(bytes);
  misaligned.ReadBits(4);
  EXPECT_EQ(misaligned.U8(), 0);
  EXPECT_FALSE(misaligned.Ok());
  ByteReader wide(bytes);
  EXPECT_EQ(wide.ReadBits(33), 0u);
  EXPECT_FALSE(wide.Ok());
}

TEST(ByteReaderLoopsTest, DescriptorLoopVisitsEachAndStopsAtOneRunningPastTheLoop) {
  const Bytes loop = {0x48, 0x02, 0x01, 0x02, 0x4D, 0x00, 0x4E, 0x05, 0x09};
  std::vector<std::pair<int, size_t>> seen;
  const bool whole = ForEachDescriptor(loop, [&](uint8_t tag, std::span<const uint8_t> body) {
    seen.emplace_back(tag, body.size());
  });
  EXPECT_FALSE(whole);
  EXPECT_EQ(seen, (std::vector<std::pair<int, size_t>>{{0x48, 2}, {0x4D, 0}}));
  seen.clear();
  EXPECT_TRUE(ForEachDescriptor(
      std::span(loop).first(6),
      [&](uint8_t tag, std::span<const uint8_t> body) { seen.emplace_back(tag, body.size()); }));
  EXPECT_EQ(seen.size(), 2u);
  // A lone tag byte at the end is no descriptor, and the loop is not whole.
  EXPECT_FALSE(ForEachDescriptor(std::span(loop).first(7), [](uint8_t, auto) {}));
}

TEST(ByteReaderLoopsTest, BroadcastTimesLenientForTheGuideStrictForTheClock) {
  const Bytes bytes = {0xC0, 0x79, 0x12, 0x45, 0x00};
  ByteReader reader(bytes);
  const BroadcastTime time = reader.Time40();
  ASSERT_TRUE(reader.Ok());
  EXPECT_EQ(time.mjd, 0xC079);
  EXPECT_EQ(time.bcd, 0x124500u);
  const GuideTime shown = ToGuideTime(time);
  EXPECT_EQ(shown.year * 10000 + shown.month * 100 + shown.day, 19931013);
  EXPECT_EQ(shown.hour * 10000 + shown.minute * 100 + shown.second, 124500);
  // 1993-10-13 12:45:00 UTC, worked out from the day number and through the calendar alike.
  EXPECT_EQ(BroadcastSeconds(time), 750516300);
  EXPECT_EQ(ToEpoch(shown), 750516300);
  EXPECT_EQ(StrictBroadcastSeconds(time), 750516300);

  for (const uint32_t garbled : {0x1A4500u, 0x250000u, 0x126000u, 0x120060u, 0x12450Fu}) {
    EXPECT_FALSE(IsBcdTimeOfDay(garbled)) << std::hex << garbled;
    EXPECT_FALSE(StrictBroadcastSeconds({0xC079, garbled})) << std::hex << garbled;
  }
  EXPECT_TRUE(IsBcdTimeOfDay(0x235959));
  EXPECT_TRUE(IsBcdTimeOfDay(0x000000));
  // Durations are read digit pair by digit pair whatever the nibbles, as the guide always did.
  EXPECT_EQ(DurationSeconds(BcdTime(0x013000)), 5400);
}

}  // namespace
}  // namespace pelorus
