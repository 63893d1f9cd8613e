#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "channels/channel_name.h"
#include "support/records.h"

namespace pelorus {
namespace {

TEST(ChannelRecord, SwapExchangesElevenFieldsAndLeavesScrambling) {
  ChannelRecord record{};
  uint8_t* raw = reinterpret_cast<uint8_t*>(&record);
  for (size_t i = 0; i < sizeof record; ++i) raw[i] = static_cast<uint8_t>(i);
  SwapRecordByteOrder(record);

  const size_t swapped[] = {4, 6, 8, 10, 16, 18, 20, 24, 28, 30, 62};
  for (size_t offset = 0; offset < sizeof record; ++offset) {
    const bool isSwappedField =
        std::find(std::begin(swapped), std::end(swapped), offset & ~size_t{1}) != std::end(swapped);
    const size_t expected = isSwappedField ? (offset ^ 1) : offset;
    EXPECT_EQ(raw[offset], expected) << "offset " << offset;
  }
  // The scrambling word keeps its order: bytes 22 and 23 stay where they are.
  EXPECT_EQ(raw[22], 22);
  EXPECT_EQ(raw[23], 23);

  SwapRecordByteOrder(record);
  for (size_t i = 0; i < sizeof record; ++i) EXPECT_EQ(raw[i], i);
}

TEST(ChannelRecord, MaskKeepsThirteenPidBitsAndOnePolarityBit) {
  ChannelRecord record{};
  record.videoPid = record.audioPid = record.pmtPid = record.pcrPid = record.textPid = 0xFFFF;
  record.polarity = 0xFE;
  record.serviceId = 0xFFFF;
  MaskRecordFields(record);
  EXPECT_EQ(record.videoPid, 0x1FFF);
  EXPECT_EQ(record.audioPid, 0x1FFF);
  EXPECT_EQ(record.pmtPid, 0x1FFF);
  EXPECT_EQ(record.pcrPid, 0x1FFF);
  EXPECT_EQ(record.textPid, 0x1FFF);
  EXPECT_EQ(record.polarity, 0);
  EXPECT_EQ(record.serviceId, 0xFFFF);
}

TEST(ChannelName, DecodeDropsTrailingBlanksAndShowsEmphasisAsBrackets) {
  ChannelRecord record{};
  record.name.fill(' ');
  EXPECT_EQ(DecodeChannelName(record), "");

  std::memcpy(record.name.data(), "RAI", 3);
  EXPECT_EQ(DecodeChannelName(record), "RAI");

  record.name.fill(0);
  record.name[0] = kEmphasisOn;
  std::memcpy(record.name.data() + 1, "TV", 2);
  record.name[3] = kEmphasisOff;
  EXPECT_EQ(DecodeChannelName(record), "[TV]");

  std::memcpy(record.name.data(), "ABCDEFGHIJKLMNOPQRSTUVWX", 24);
  EXPECT_EQ(DecodeChannelName(record), "ABCDEFGHIJKLMNOPQRSTUVWX");

  // Blanks inside the name stay; only the trailing ones go.
  record.name.fill(' ');
  std::memcpy(record.name.data(), "A B", 3);
  EXPECT_EQ(DecodeChannelName(record), "A B");
}

TEST(ChannelName, EncodeZeroFillsCutsAt24AndTurnsBracketsIntoCodes) {
  ChannelRecord record{};
  record.name.fill('x');
  EncodeChannelName(record, "[TV]");
  EXPECT_EQ(record.name[0], kEmphasisOn);
  EXPECT_EQ(record.name[3], kEmphasisOff);
  for (size_t i = 4; i < kChannelNameSize; ++i) EXPECT_EQ(record.name[i], 0);
  EXPECT_EQ(DecodeChannelName(record), "[TV]");

  EncodeChannelName(record, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(DecodeChannelName(record), "ABCDEFGHIJKLMNOPQRSTUVWX");

  // A blank-padded name keeps its blanks in the record.
  EncodeChannelName(record, "AB  ");
  EXPECT_EQ(record.name[2], ' ');
  EXPECT_EQ(record.name[3], ' ');
  EXPECT_EQ(record.name[4], 0);
}

}  // namespace
}  // namespace pelorus
