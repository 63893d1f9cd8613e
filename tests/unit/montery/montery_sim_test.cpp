// Channel selection and the Montery 140 against the stand-in receiver: selecting over either
// link moves the receiver's current channel, and the Montery 140 hears each change once.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "receiver/receiver_memory.h"
#include "scsi/receiver_commands.h"
#include "scsi/scsi_scan.h"
#include "scsi/scsi_transport.h"
#include "serial/montery_interface.h"
#include "serial/select_channel.h"
#include "serial/serial_timing.h"
#include "sim/montery_side.h"
#include "support/cli_run.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;
using testing::FakeUi;
using testing::MakeChannel;
using testing::SimProcess;
using testing::TempDir;

ChannelRecord SimChannel(const std::string& name, uint16_t frequency, bool vertical) {
  ChannelRecord record = MakeChannel(name, frequency);
  record.polarity = vertical ? 1 : 0;
  return record;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// Twelve channels: channel 12 (index 11) is 11778 V under "== HOTSAT-1", channel 13 is another
// vertical HOTSAT channel, channel 2 a horizontal COLDSAT one.
class MonterySimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSerialTickForTesting(25ms);
    std::vector<ChannelRecord> records = {MakeChannel("== COLDSAT", 0),
                                          SimChannel("Cold One", 11000, false)};
    while (records.size() < 10) records.push_back(SimChannel("Cold More", 11500, false));
    records.push_back(MakeChannel("== HOTSAT-1", 0));
    records.push_back(SimChannel("Hot One", 11778, true));
    records.push_back(SimChannel("Hot Two", 12000, true));
    testing::WriteBytes(listPath, testing::FileBytes(records));
    sim = std::make_unique<SimProcess>(
        dir, std::vector<std::string>{"--scsi-socket", socketPath, "--montery-link", monteryPath,
                                      "--channels", listPath});
    for (int i = 0;
         i < 3000 && !(std::filesystem::exists(socketPath) && std::filesystem::exists(monteryPath));
         ++i) {
      std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(sim->Running());
    state.links.scsi = "sim:" + socketPath;
    ScsiScan(state, ui);
    ASSERT_TRUE(state.aspiModule);
    state.settingsImage = records;
  }
  void TearDown() override { SetSerialTickForTesting(250ms); }

  std::optional<uint16_t> CurrentChannel() {
    std::array<uint8_t, 2> answer{};
    if (!ExecScsiCommandFully(*state.aspiModule, ReadMemoryBlock(kCurrentChannelAddress, 2),
                              ScsiDirection::kIn, answer)) {
      return std::nullopt;
    }
    return static_cast<uint16_t>(answer[0] << 8 | answer[1]);
  }
  void SelectOverScsi(int row) {
    SerialLink unused(ui);
    SelectChannelOnReceiver(state, unused, std::span(&row, 1));
  }

  TempDir dir;
  std::string listPath = dir.File("list.dvb");
  std::string socketPath = dir.File("receiver.sock");
  std::string monteryPath = dir.File("montery-tty");
  std::unique_ptr<SimProcess> sim;
  FakeUi ui;
  EditorState state;
};

TEST_F(MonterySimTest, SelectionOverBothLinksMovesTheCurrentChannel) {
  EXPECT_EQ(CurrentChannel(), 0);
  SelectOverScsi(11);
  EXPECT_EQ(CurrentChannel(), 11);
  EXPECT_TRUE(sim->WaitForLog("select-channel 12\n"));

  EditorState serialState;
  serialState.links.serialPort = sim->Port();
  serialState.options.speed = 3;
  SerialLink link(ui);
  const int row = 4;
  EXPECT_TRUE(SelectChannelOnReceiver(serialState, link, std::span(&row, 1)));
  EXPECT_TRUE(sim->WaitForLog("select-channel 5\n"));
  EXPECT_EQ(CurrentChannel(), 4);

  // A number past the table is refused on both links and leaves the screen as it was.
  std::vector<uint8_t> past = SelectChannelCommand(99);
  EXPECT_EQ(ExecScsiCommand(*state.aspiModule, ReceiverCommandBlock(8), ScsiDirection::kOut, past),
            kScsiError);
  const int pastRow = 98;
  EXPECT_TRUE(SelectChannelOnReceiver(serialState, link, std::span(&pastRow, 1)));
  EXPECT_EQ(Count(sim->Log(), "select-channel 99 refused: the table holds 13 channels"), 2u);
  EXPECT_EQ(CurrentChannel(), 4);
  // A wider read sees the value in place, big-endian, between the memory around it.
  std::array<uint8_t, 4> around{};
  ASSERT_TRUE(ExecScsiCommandFully(*state.aspiModule,
                                   ReadMemoryBlock(kCurrentChannelAddress - 1, 4),
                                   ScsiDirection::kIn, around));
  EXPECT_EQ(around[1], 0);
  EXPECT_EQ(around[2], 4);
  EXPECT_EQ(std::count_if(ui.calls.begin(), ui.calls.end(),
                          [](const std::string& call) { return call.starts_with("message"); }),
            0);
}

TEST_F(MonterySimTest, MonteryHearsEachChangeOnce) {
  state.links.serialPort = monteryPath;
  MonteryProfile profile;
  MonterySent sent;
  SerialLink link(ui);
  MonteryMonitor monitor(state, link, profile, sent);

  SelectOverScsi(11);
  EXPECT_EQ(monitor.Tick().size(), 2u);
  ASSERT_TRUE(sim->WaitForLog("montery #71 \"HOTSAT V MPE\",99\n"));
  SelectOverScsi(12);  // the same satellite and polarity
  EXPECT_TRUE(monitor.Tick().empty());
  EXPECT_TRUE(monitor.Tick().empty());
  SelectOverScsi(1);
  EXPECT_EQ(monitor.Tick().size(), 2u);
  ASSERT_TRUE(sim->WaitForLog("montery #71 \"COLDSAT H MP\",98\n"));

  const std::string log = sim->Log();
  EXPECT_EQ(Count(log, "montery #70 \"HOTSAT\"\n"), 1u);
  EXPECT_EQ(Count(log, "montery #71 \"HOTSAT V MPE\",99\n"), 1u);
  EXPECT_EQ(Count(log, "montery #70 \"COLDSAT\"\n"), 1u);
  EXPECT_EQ(Count(log, "montery #7"), 4u);
  EXPECT_EQ(Count(log, "montery unknown"), 0u);
  // The satellite goes first.
  EXPECT_LT(log.find("montery #70 \"HOTSAT\""), log.find("montery #71 \"HOTSAT V MPE\""));
}

TEST_F(MonterySimTest, ConsoleCommandPrintsWhatItSends) {
  SelectOverScsi(11);
  const std::string ini = dir.File("profile.ini");
  const std::string text = "[Seperate Ku]\nHOTSAT=y\n";
  testing::WriteBytes(ini, std::vector<uint8_t>(text.begin(), text.end()));
  const testing::CliRun run = testing::RunCommandLine(
      {"montery", listPath, "--seconds", "1", "--ini", ini, "--scsi", "sim:" + socketPath, "--port",
       monteryPath, "--options", dir.File("no-options.ini")});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "#70 \"HOTSAT\"\n#71 \"HOTSAT VK MP\",97\n");
  EXPECT_TRUE(sim->WaitForLog("montery #71 \"HOTSAT VK MP\",97\n"));

  EXPECT_EQ(testing::RunCommandLine({"montery", listPath, "--seconds", "0"}).status, 2);
  EXPECT_EQ(testing::RunCommandLine({"montery", listPath}).status, 2);
  const testing::CliRun missing = testing::RunCommandLine(
      {"montery", listPath, "--seconds", "1", "--ini", dir.File("absent.ini")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("absent.ini"), std::string::npos);
}

TEST(MonteryListener, CutsCommandsAtCarriageReturns) {
  sim::MonteryListener listener;
  std::vector<std::string> lines;
  const auto push = [&](const std::string& bytes) {
    for (const char c : bytes) {
      if (auto line = listener.Push(static_cast<uint8_t>(c))) lines.push_back(*line);
    }
  };
  push("#70 \"HOT\"\r#71 \"HOT V MPEG2\",99\rnoise\x01\r");
  push(std::string(300, 'x') + "\r#70 \"AFTER\"\r");
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "montery #70 \"HOT\"", "montery #71 \"HOT V MPEG2\",99",
                       "montery unknown noise\\x01", "montery overlong command dropped",
                       "montery #70 \"AFTER\""}));
}

}  // namespace
}  // namespace pelorus
