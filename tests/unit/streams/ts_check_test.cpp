#include "streams/ts_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "common/strfmt.h"
#include "support/cli_run.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::FakeUi;
using testing::TempDir;

// One 188-byte packet: sync byte, PID, counter and adaptation_field_control as given.
std::vector<uint8_t> Packet(uint16_t pid, uint8_t counter, uint8_t afc = 1, bool tei = false,
                            uint8_t sync = 0x47) {
  std::vector<uint8_t> packet(188, 0xFF);
  packet[0] = sync;
  packet[1] = static_cast<uint8_t>((tei ? 0x80 : 0) | ((pid >> 8) & 0x1F));
  packet[2] = static_cast<uint8_t>(pid & 0xFF);
  packet[3] = static_cast<uint8_t>((afc << 4) | (counter & 0x0F));
  return packet;
}

void Append(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

std::string Check(const std::vector<uint8_t>& bytes) {
  TsStatistics stats;
  stats.Feed(bytes);
  return stats.Report();
}

const char kNoPackets[] =
    "Packet statistics for 0 packets\n(PID/Count/Continuity Errors/Percentage)\n\n"
    "\n0 bad packets not starting 0x47\n0 packets with TS error set";

TEST(TsCheck, EmptyAndShortFilesReportNoPackets) {
  EXPECT_EQ(Check({}), kNoPackets);
  EXPECT_EQ(Check(std::vector<uint8_t>(187, 0x47)), kNoPackets);
  // A short tail after whole packets is ignored as well.
  std::vector<uint8_t> bytes = Packet(0x100, 0);
  bytes.resize(188 + 100, 0x47);
  TsStatistics stats;
  EXPECT_EQ(stats.Feed(bytes), 188u);
  EXPECT_EQ(stats.Packets(), 1u);
  EXPECT_EQ(stats.Report(),
            "Packet statistics for 1 packets\n(PID/Count/Continuity Errors/Percentage)\n\n"
            "0100 1 0 100.00%\n"
            "\n0 bad packets not starting 0x47\n0 packets with TS error set");
}

TEST(TsCheck, ReportListsPidsInOrderLowerCaseWithShares) {
  std::vector<uint8_t> bytes;
  Append(bytes, Packet(0x1ABC, 0));
  Append(bytes, Packet(0x0000, 0));
  Append(bytes, Packet(0x1ABC, 1));
  Append(bytes, Packet(0x1ABC, 2, 1, true));
  EXPECT_EQ(Check(bytes),
            "Packet statistics for 4 packets\n(PID/Count/Continuity Errors/Percentage)\n\n"
            "0000 1 0 25.00%\n"
            "1abc 3 0 75.00%\n"
            "\n0 bad packets not starting 0x47\n1 packets with TS error set");
}

TEST(TsCheck, ContinuityRules) {
  struct Case {
    std::vector<std::pair<uint8_t, uint8_t>> packets;  // counter, adaptation_field_control
    uint64_t errors;
  };
  const Case cases[] = {
      {{{5, 1}, {6, 1}, {6, 3}}, 0},            // a repeat with an adaptation field
      {{{5, 1}, {6, 1}, {6, 2}}, 0},            // adaptation only repeats too
      {{{5, 1}, {6, 1}, {6, 1}}, 1},            // a repeat without one is an error
      {{{5, 1}, {7, 1}}, 1},                    // a jump
      {{{5, 1}, {7, 1}, {8, 1}}, 1},            // counted once, then followed again
      {{{14, 1}, {15, 1}, {0, 1}, {1, 1}}, 0},  // wrap
      {{{3, 1}, {3, 3}, {3, 3}, {4, 1}}, 0},    // repeats never move the counter
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes;
    for (auto [counter, afc] : c.packets) Append(bytes, Packet(0x44, counter, afc));
    TsStatistics stats;
    stats.Feed(bytes);
    EXPECT_EQ(stats.PidContinuityErrors(0x44), c.errors) << "case with " << c.packets.size();
    EXPECT_EQ(stats.PidPackets(0x44), c.packets.size());
  }
}

TEST(TsCheck, NullPacketsAreCountedButNeverContinuityErrors) {
  std::vector<uint8_t> bytes;
  for (uint8_t counter : {0, 9, 3, 3, 12}) Append(bytes, Packet(0x1FFF, counter));
  Append(bytes, Packet(0x20, 0));
  TsStatistics stats;
  stats.Feed(bytes);
  EXPECT_EQ(stats.PidPackets(0x1FFF), 5u);
  EXPECT_EQ(stats.PidContinuityErrors(0x1FFF), 0u);
  EXPECT_NE(stats.Report().find("1fff 5 0 83.33%\n"), std::string::npos);
}

TEST(TsCheck, DriftingFileShowsBadPacketsAndGarbagePids) {
  // One stray byte after every packet: from the second packet on, the steps miss the sync byte.
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 50; ++i) {
    std::vector<uint8_t> packet = Packet(0x100, static_cast<uint8_t>(i));
    for (size_t k = 4; k < packet.size(); ++k)
      packet[k] = static_cast<uint8_t>(0x80 + (k * 7 + i) % 64);
    Append(bytes, packet);
    bytes.push_back(0x00);
  }
  TsStatistics stats;
  stats.Feed(bytes);
  EXPECT_EQ(stats.Packets(), bytes.size() / 188);
  EXPECT_EQ(stats.PidPackets(0x100), 1u);
  EXPECT_EQ(stats.BadSync(), stats.Packets() - 1);
  EXPECT_NE(stats.Report().find(Format("\n%llu bad packets not starting 0x47",
                                       static_cast<unsigned long long>(stats.Packets() - 1))),
            std::string::npos);
}

TEST(TsCheck, FileReadInBlocksGivesTheSameCountsAsOneFeed) {
  // Packets straddle the read blocks, so the carried tail must be joined correctly.
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 12000; ++i) {
    Append(bytes, Packet(static_cast<uint16_t>(i % 7 == 0 ? 0x1FFF : 0x30 + i % 3),
                         static_cast<uint8_t>(i / 3 + (i == 5000 ? 1 : 0))));
  }
  bytes.resize(bytes.size() + 77, 0x47);
  TempDir dir;
  const std::string path = dir.File("big.m2t");
  testing::WriteBytes(path, bytes);
  TsStatistics fromFile;
  std::vector<int> percents;
  ASSERT_EQ(ReadTsFile(path, fromFile, [&](int p) { percents.push_back(p); }), TsReadResult::kDone);
  EXPECT_EQ(fromFile.Report(), Check(bytes));
  EXPECT_GT(fromFile.PidContinuityErrors(0x30 + 5000 % 3), 0u);
  ASSERT_FALSE(percents.empty());
  EXPECT_EQ(percents.back(), 100);
  for (size_t i = 1; i < percents.size(); ++i) EXPECT_GT(percents[i], percents[i - 1]);
}

TEST(TsCheck, CommandAsksInStreamFolderAndShowsFailures) {
  TempDir dir;
  EditorState state;
  state.options.mppInitialDir = dir.path().string() + "/";
  FakeUi ui;
  std::string shown;
  auto show = [&](const std::string& report) { shown = report; };

  EXPECT_FALSE(CheckTsFile(state, ui, show));  // cancelled
  ASSERT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_EQ(ui.fileRequests[0].title, "Check MPEG TS stream");
  EXPECT_EQ(ui.fileRequests[0].filterName, "MPEG TS files (*.m2t)");
  EXPECT_EQ(ui.fileRequests[0].defaultExtension, "m2t");
  EXPECT_EQ(ui.fileRequests[0].initialDir, state.options.mppInitialDir);

  ui.openPaths.push_back(dir.File("missing.m2t"));
  EXPECT_FALSE(CheckTsFile(state, ui, show));
  EXPECT_EQ(ui.calls.back(), "message none: Couldn't open input MPEG TS stream");
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(ui.busyDepth, 0);

  ui.openPaths.push_back(dir.path().string());  // a folder opens but is no stream
  EXPECT_FALSE(CheckTsFile(state, ui, show));
  EXPECT_EQ(ui.calls.back(), "message none: Couldn't open input MPEG TS stream");

  const std::string path = dir.File("one.m2t");
  testing::WriteBytes(path, Packet(0x12, 3));
  ui.openPaths.push_back(path);
  ui.calls.clear();
  EXPECT_TRUE(CheckTsFile(state, ui, show));
  EXPECT_EQ(shown, Check(Packet(0x12, 3)));
  ASSERT_GE(ui.calls.size(), 2u);
  EXPECT_EQ(ui.calls[0], "open dialog: Check MPEG TS stream");
  EXPECT_EQ(ui.calls[1], "busy");
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "progress 100"), ui.calls.end());
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST(TsCheck, ConsolePrintsTheReportAndFailsOnMissingFile) {
  TempDir dir;
  std::vector<uint8_t> bytes;
  Append(bytes, Packet(0x21, 0));
  Append(bytes, Packet(0x21, 4));
  Append(bytes, Packet(0x21, 5, 1, false, 0x46));
  const std::string path = dir.File("rec.m2t");
  testing::WriteBytes(path, bytes);

  const auto run = testing::RunCommandLine({"ts-check", path});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, Check(bytes) + "\n");
  EXPECT_NE(run.out.find("0021 3 1 100.00%\n"), std::string::npos);
  EXPECT_NE(run.out.find("\n1 bad packets not starting 0x47"), std::string::npos);

  const auto missing = testing::RunCommandLine({"ts-check", dir.File("none.m2t")});
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(missing.out.empty());
  EXPECT_NE(missing.err.find("Couldn't open input MPEG TS stream"), std::string::npos);

  EXPECT_EQ(testing::RunCommandLine({"ts-check"}).status, 2);
}

}  // namespace
}  // namespace pelorus
