// The channel dialog's rules for showing a record and for reading it back on OK.
#include "channels/channel_dialog_model.h"

#include <gtest/gtest.h>

#include "channels/channel_name.h"
#include "support/records.h"

namespace pelorus {
namespace {

ChannelRecord RoundTrip(const ChannelRecord& record, PidMode mode = PidMode::kHexadecimal) {
  ChannelRecord out = record;
  ReadChannelFields(ShowChannelFields(record, mode), mode, out);
  return out;
}

TEST(ChannelDialogModel, ShowsEveryFieldInItsFormat) {
  ChannelRecord record = testing::MakeChannel("[RAI] 1", 11766);
  record.serviceId = 3523;
  record.lockCode = 200;
  record.modeFlags = 0x80 | 0x10 | 0x01;  // left audio, 12 V, one video bit
  record.acqBandwidth = 36;
  record.fecCode = 3;
  record.polarity = 1;
  record.lnbSelect = 0x06;  // port 3, inversion Off
  record.videoPid = kNoPid;
  record.scrambling = 0x1234;
  record.serviceType = 178;
  record.autoFlags = 0x02;

  const ChannelDialogFields hex = ShowChannelFields(record, PidMode::kHexadecimal);
  EXPECT_EQ(hex.name, "[RAI] 1");
  EXPECT_EQ(hex.serviceId, "3523");
  EXPECT_EQ(hex.lockCode, "200");
  EXPECT_TRUE(hex.ntsc);  // either video bit shows NTSC
  EXPECT_EQ(hex.audioMode, 2);
  EXPECT_TRUE(hex.twelveVolt);
  EXPECT_EQ(hex.frequency, "11766");
  EXPECT_EQ(hex.acqBandwidth, "36");
  EXPECT_EQ(hex.symbolRate, "27500");
  EXPECT_EQ(hex.fecCode, std::optional<uint8_t>(3));
  EXPECT_FALSE(hex.horizontal);
  EXPECT_EQ(hex.videoPid, "1FFF");
  EXPECT_EQ(hex.audioPid, "0280");
  EXPECT_EQ(hex.scrambling, "1234");
  EXPECT_EQ(hex.diseqcIndex, 2);
  EXPECT_EQ(hex.inversionIndex, 1);
  EXPECT_EQ(hex.serviceTypeIndex, 13);
  EXPECT_FALSE(hex.autoPmt);
  EXPECT_TRUE(hex.autoPid);

  const ChannelDialogFields dec = ShowChannelFields(record, PidMode::kDecimal);
  EXPECT_EQ(dec.videoPid, "8191");
  EXPECT_EQ(dec.audioPid, "640");
}

TEST(ChannelDialogModel, FecCodesWithoutAButtonTickNoneAndSurviveOk) {
  for (const uint8_t code : {5, 8, 200}) {
    ChannelRecord record = testing::MakeChannel("X", 11000);
    record.fecCode = code;
    EXPECT_FALSE(ShowChannelFields(record, PidMode::kHexadecimal).fecCode.has_value());
    EXPECT_EQ(RoundTrip(record).fecCode, code);
  }
  ChannelRecord record = testing::MakeChannel("X", 11000);
  ChannelDialogFields fields = ShowChannelFields(record, PidMode::kHexadecimal);
  fields.fecCode = 7;
  ReadChannelFields(fields, PidMode::kHexadecimal, record);
  EXPECT_EQ(record.fecCode, 7);
}

TEST(ChannelDialogModel, ServiceTypesOutsideTheListBecomeReserved) {
  EXPECT_EQ(ServiceTypeIndex(0), 0);
  EXPECT_EQ(ServiceTypeIndex(11), 11);
  EXPECT_EQ(ServiceTypeIndex(12), 0);
  EXPECT_EQ(ServiceTypeIndex(177), 12);
  EXPECT_EQ(ServiceTypeIndex(179), 0);
  EXPECT_EQ(ServiceTypeOfIndex(12), 177);
  EXPECT_EQ(ServiceTypeOfIndex(13), 178);
  EXPECT_EQ(ServiceTypeOfIndex(-1), 0);
  ChannelRecord record = testing::MakeChannel("X", 11000);
  record.serviceType = 0x80;
  EXPECT_EQ(ShowChannelFields(record, PidMode::kHexadecimal).serviceTypeIndex, 0);
  EXPECT_EQ(RoundTrip(record).serviceType, 0);
  record.serviceType = 177;
  EXPECT_EQ(RoundTrip(record).serviceType, 177);
}

TEST(ChannelDialogModel, OkRebuildsModeAndLnbBytesAndKeepsOtherAutoBits) {
  ChannelRecord record = testing::MakeChannel("X", 11000);
  record.modeFlags = 0x01 | 0x04 | 0x08 | 0x20 | 0x40;
  record.lnbSelect = 0xF5;  // port 2, inversion On, upper bits set
  record.autoFlags = 0xF1;
  const ChannelRecord out = RoundTrip(record);
  EXPECT_EQ(out.modeFlags, 0x03 | 0x40);
  EXPECT_EQ(out.lnbSelect, 0x05);
  EXPECT_EQ(out.autoFlags, 0xF1);

  ChannelDialogFields fields = ShowChannelFields(record, PidMode::kHexadecimal);
  fields.autoPmt = false;
  fields.autoPid = true;
  fields.ntsc = false;
  fields.audioMode = 3;
  fields.twelveVolt = true;
  fields.horizontal = true;
  ReadChannelFields(fields, PidMode::kHexadecimal, record);
  EXPECT_EQ(record.autoFlags, 0xF2);
  EXPECT_EQ(record.modeFlags, 0xC0 | 0x10);
  EXPECT_EQ(record.polarity, 0);
}

TEST(ChannelDialogModel, InversionThreeHasNoItemAndIsKept) {
  ChannelRecord record = testing::MakeChannel("X", 11000);
  record.lnbSelect = 0x0E;  // port 3, inversion 3
  EXPECT_EQ(ShowChannelFields(record, PidMode::kHexadecimal).inversionIndex, -1);
  EXPECT_EQ(RoundTrip(record).lnbSelect, 0x0E);
}

TEST(ChannelDialogModel, NumbersAreReadLikeTheCLibraryAndKeepTheirLowBits) {
  ChannelRecord record = testing::MakeChannel("X", 11000);
  ChannelDialogFields fields = ShowChannelFields(record, PidMode::kHexadecimal);
  fields.frequency = "70000";
  fields.acqBandwidth = " 300 MHz";
  fields.lockCode = "-1";
  fields.videoPid = "0x0100";
  fields.audioPid = "100";
  fields.pcrPid = "1fffz";
  fields.serviceId = "x12";  // not a number: the field keeps its value
  record.serviceId = 77;
  ReadChannelFields(fields, PidMode::kHexadecimal, record);
  EXPECT_EQ(record.frequency, 4464);
  EXPECT_EQ(record.acqBandwidth, 300 & 0xFF);
  EXPECT_EQ(record.lockCode, 0xFF);
  EXPECT_EQ(record.videoPid, 0x100);
  EXPECT_EQ(record.audioPid, 0x100);
  EXPECT_EQ(record.pcrPid, 0x1FFF);
  EXPECT_EQ(record.serviceId, 77);

  fields.videoPid = "0x0100";  // in decimal mode "0x" ends the number at the 0
  fields.audioPid = "8191";
  ReadChannelFields(fields, PidMode::kDecimal, record);
  EXPECT_EQ(record.videoPid, 0);
  EXPECT_EQ(record.audioPid, 0x1FFF);
}

TEST(ChannelDialogModel, NameIsLimitedToTwentyFourCharactersWithEmphasis) {
  ChannelRecord record{};
  ChannelDialogFields fields = ShowChannelFields(record, PidMode::kHexadecimal);
  fields.name = "[Emphasis] and a very long tail";
  ReadChannelFields(fields, PidMode::kHexadecimal, record);
  EXPECT_EQ(record.name[0], kEmphasisOn);
  EXPECT_EQ(record.name[9], kEmphasisOff);
  EXPECT_EQ(DecodeChannelName(record), "[Emphasis] and a very lo");
  EXPECT_TRUE(record.HasTag());
}

}  // namespace
}  // namespace pelorus
