#include "scsi/settings_transfer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/fake_ui.h"
#include "support/records.h"
#include "test_receiver.h"

namespace pelorus {
namespace {

using testing::BlockHex;
using testing::FakeUi;
using testing::FileBytes;
using testing::MakeChannel;
using testing::TestReceiver;
using Calls = std::vector<std::string>;

class SettingsTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    transport = receiver.Transport();
    state.aspiModule = transport;
  }
  void SetTable(const std::vector<ChannelRecord>& records) {
    receiver.table = FileBytes(records);
    receiver.count = static_cast<uint32_t>(records.size());
  }

  TestReceiver receiver;
  std::shared_ptr<testing::ScriptedTransport> transport;
  EditorState state;
  FakeUi ui;
};

TEST_F(SettingsTransferTest, ReadFetchesCountThenTableAndMasksTheRecords) {
  ChannelRecord wide = MakeChannel("Wide", 11778);
  wide.videoPid = 0xE123;
  wide.polarity = 0xFF;
  SetTable({MakeChannel("One", 10700), wide});
  state.currentFileName = "old.dvb";
  ASSERT_TRUE(ReadSettingsScsi(state, ui));

  // The read leaves the status line cleared, as every transfer does.
  EXPECT_EQ(ui.calls,
            (Calls{"title: Tessera Settings Editor", "busy", "status: Getting channel count...",
                   "status: Getting channels...", "refill", "idle", "status: "}));
  ASSERT_EQ(transport->commands.size(), 2u);
  EXPECT_EQ(BlockHex(transport->commands[0].cdb), "3c010000000000000400");
  EXPECT_EQ(BlockHex(transport->commands[1].cdb), "3c00000d000000008000");
  ASSERT_EQ(state.ChannelCount(), 2);
  EXPECT_EQ((*state.settingsImage)[1].frequency, 11778);
  EXPECT_EQ((*state.settingsImage)[1].videoPid, 0x0123);
  EXPECT_EQ((*state.settingsImage)[1].polarity, 1);
  EXPECT_TRUE(state.currentFileName.empty());
}

TEST_F(SettingsTransferTest, ReadAsksBeforeDiscardingAndNoKeepsTheImage) {
  SetTable({MakeChannel("One", 10700)});
  state.settingsImage = std::vector<ChannelRecord>{MakeChannel("Mine", 12000)};
  ui.answers = {Answer::kNo};
  EXPECT_FALSE(ReadSettingsScsi(state, ui));
  EXPECT_EQ(ui.calls,
            (Calls{"ask yes/no question: Settings already loaded. OK to discard?", "status: "}));
  EXPECT_EQ(state.ChannelCount(), 1);
  EXPECT_TRUE(transport->commands.empty());

  ui.calls.clear();
  ui.answers = {Answer::kYes};
  EXPECT_TRUE(ReadSettingsScsi(state, ui));
  EXPECT_EQ(ui.calls[1], "refill");
  EXPECT_EQ(ui.calls[2], "status: ");
  EXPECT_EQ(state.ChannelCount(), 1);
}

TEST_F(SettingsTransferTest, AFailedCountLeavesNoImage) {
  state.settingsImage = std::vector<ChannelRecord>{MakeChannel("Mine", 12000)};
  ui.answers = {Answer::kYes};
  receiver.failing = {1};
  EXPECT_FALSE(ReadSettingsScsi(state, ui));
  EXPECT_FALSE(state.HasSettings());
  EXPECT_EQ(ui.calls.back(), "message stop: Unable to get channel count from Mediamaster");
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(SettingsTransferTest, ACountTheTableCannotHoldIsRefusedBeforeAnythingIsRead) {
  receiver.count = 65537;
  EXPECT_FALSE(ReadSettingsScsi(state, ui));
  EXPECT_FALSE(state.HasSettings());
  EXPECT_EQ(transport->commands.size(), 1u);
  EXPECT_EQ(ui.calls.back(),
            "message stop: The Mediamaster reports 65537 channels; at most 65536 can be read");

  receiver.count = 0xFFFFFFFF;
  EXPECT_FALSE(ReadSettingsScsi(state, ui));
  EXPECT_FALSE(state.HasSettings());
}

TEST_F(SettingsTransferTest, FailedPiecesAreCountedApartFromUntaggedRecords) {
  std::vector<ChannelRecord> records;
  for (int i = 0; i < 1025; ++i) records.push_back(MakeChannel("C" + std::to_string(i), 11000));
  SetTable(records);
  receiver.failing = {2};  // the first piece of two
  EXPECT_FALSE(ReadSettingsScsi(state, ui));
  ASSERT_EQ(transport->commands.size(), 3u);
  EXPECT_EQ(BlockHex(transport->commands[1].cdb), "3c00000d000001000000");
  EXPECT_EQ(BlockHex(transport->commands[2].cdb), "3c00000e000000004000");
  // The records of the failed piece never arrived: they are not shown as channels.
  ASSERT_EQ(state.ChannelCount(), 1);
  // They are not blamed on the data as records without the tag.
  EXPECT_EQ(ui.calls.back(), "message warning: One or more \"Read Channels\" commands failed");
  EXPECT_EQ(ui.details, std::vector<std::string>{"1024 records could not be read"});

  // With an untagged record among those that did arrive, both counts are told, each its own.
  records[1024] = ChannelRecord{};
  SetTable(records);
  receiver.failing = {5};  // numbering goes on: the count is 4, the first piece 5
  state.settingsImage.reset();
  ui = FakeUi();
  EXPECT_FALSE(ReadSettingsScsi(state, ui));
  EXPECT_EQ(ui.details, std::vector<std::string>{"1024 records could not be read"});
  EXPECT_EQ(ui.calls.back(), "message information: 1 records without the channel tag were dropped");
}

TEST_F(SettingsTransferTest, AnEmptyTableSaysSoBeforeAnyMessage) {
  SetTable({});
  EXPECT_TRUE(ReadSettingsScsi(state, ui));
  ASSERT_TRUE(state.HasSettings());
  EXPECT_EQ(ui.calls.back(), "status: 0 channels");
  // A table of records none of which is a channel says so too, and then why.
  SetTable({ChannelRecord{}});
  state.settingsImage.reset();
  ui = FakeUi();
  EXPECT_TRUE(ReadSettingsScsi(state, ui));
  ASSERT_GE(ui.calls.size(), 2u);
  EXPECT_EQ(ui.calls[ui.calls.size() - 2], "status: 0 channels");
  EXPECT_EQ(ui.calls.back(), "message information: 1 records without the channel tag were dropped");
  // A read whose count failed left no list, and says nothing of channels.
  receiver.failing = {4};  // commands are numbered on: two reads took three
  state.settingsImage.reset();
  ui = FakeUi();
  EXPECT_FALSE(ReadSettingsScsi(state, ui));
  EXPECT_EQ(std::count(ui.calls.begin(), ui.calls.end(), "status: 0 channels"), 0);
}

TEST_F(SettingsTransferTest, AShortAnswerCountsAsAFailedPiece) {
  SetTable({MakeChannel("One", 10700), MakeChannel("Two", 10800)});
  receiver.shortAnswers = true;
  EXPECT_FALSE(ReadSettingsScsi(state, ui));
  EXPECT_EQ(state.ChannelCount(), 0);
  EXPECT_TRUE(state.HasSettings());
}

TEST_F(SettingsTransferTest, UntaggedRecordsFromTheReceiverAreDroppedAndCounted) {
  ChannelRecord blank{};
  SetTable({MakeChannel("One", 10700), blank, MakeChannel("Two", 10800), blank});
  EXPECT_TRUE(ReadSettingsScsi(state, ui));
  EXPECT_EQ(state.ChannelCount(), 2);
  EXPECT_EQ(ui.calls.back(), "message information: 2 records without the channel tag were dropped");
}

TEST_F(SettingsTransferTest, WriteSendsReceiverOrderInPiecesAndKeepsTheImage) {
  std::vector<ChannelRecord> records;
  for (int i = 0; i < 1025; ++i) records.push_back(MakeChannel("C" + std::to_string(i), 11000 + i));
  state.settingsImage = records;
  state.settingsModified = true;
  ASSERT_TRUE(WriteSettingsScsi(state, ui));
  EXPECT_EQ(ui.calls, (Calls{"busy", "status: Sending channels...", "status: ", "idle"}));
  ASSERT_EQ(transport->commands.size(), 2u);
  EXPECT_EQ(BlockHex(transport->commands[0].cdb), "3b04000d000001000000");
  EXPECT_EQ(BlockHex(transport->commands[1].cdb), "3b04000e000000004000");
  std::vector<uint8_t> sent = receiver.writes[0x000D0000];
  sent.insert(sent.end(), receiver.writes[0x000E0000].begin(), receiver.writes[0x000E0000].end());
  EXPECT_EQ(sent, FileBytes(records));
  EXPECT_EQ((*state.settingsImage)[5].frequency, 11005);  // still in host order
  EXPECT_FALSE(state.settingsModified);
}

TEST_F(SettingsTransferTest, AFailedWritePieceKeepsTheListMarkedAsChanged) {
  state.settingsImage = std::vector<ChannelRecord>{MakeChannel("One", 10700)};
  state.settingsModified = true;
  receiver.failing = {1};
  EXPECT_FALSE(WriteSettingsScsi(state, ui));
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(ui.calls.back(), "message warning: One or more \"Write Channels\" command failed");
  EXPECT_EQ((*state.settingsImage)[0].frequency, 10700);
}

TEST_F(SettingsTransferTest, WriteNeedsSettingsAndATableTheReceiverCanHold) {
  EXPECT_FALSE(WriteSettingsScsi(state, ui));
  EXPECT_EQ(ui.calls.back(), "message warning: Please load settings before using this function");
  state.settingsImage = std::vector<ChannelRecord>(65537, MakeChannel("X", 11000));
  EXPECT_FALSE(WriteSettingsScsi(state, ui));
  EXPECT_TRUE(transport->commands.empty());
  EXPECT_EQ(ui.calls.back(),
            "message stop: The list has 65537 channels; the Mediamaster holds at most 65536");
}

TEST_F(SettingsTransferTest, WithoutTheReceiverNothingIsSent) {
  state.aspiModule.reset();
  state.settingsImage = std::vector<ChannelRecord>{MakeChannel("One", 10700)};
  EXPECT_FALSE(WriteSettingsScsi(state, ui));
  EXPECT_FALSE(ReadSettingsScsi(state, ui));
  EXPECT_EQ(ui.calls.back(), "message stop: Function unavailable without SCSI interface");
  EXPECT_TRUE(transport->commands.empty());
}

}  // namespace
}  // namespace pelorus
