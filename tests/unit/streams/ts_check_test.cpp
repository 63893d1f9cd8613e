#include "streams/ts_check.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "common/strfmt.h"
#include "support/cli_process.h"
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

void AppendBytes(std::vector<uint8_t>& to, const std::vector<uint8_t>& bytes) {
  to.insert(to.end(), bytes.begin(), bytes.end());
}

TsStatistics Counted(const std::vector<uint8_t>& bytes) {
  TsStatistics stats;
  stats.Feed(bytes);
  stats.Finish();
  return stats;
}

std::string Check(const std::vector<uint8_t>& bytes) { return Counted(bytes).Report(); }

const char kNoPackets[] =
    "Packet statistics for 0 packets\n(PID/Count/Continuity Errors/Percentage)\n\n"
    "\n0 bad packets not starting 0x47\n0 packets with TS error set";

TEST(TsCheck, EmptyAndShortFilesReportNoPacketsAndTheTail) {
  EXPECT_EQ(Check({}), kNoPackets);
  EXPECT_EQ(Check(std::vector<uint8_t>(187, 0x47)),
            std::string(kNoPackets) + "\n187 bytes at the end do not make a whole packet");
  // Ten packets and 50 bytes: the ten are counted, and the tail gets a line of its own.
  std::vector<uint8_t> bytes;
  for (uint8_t i = 0; i < 10; ++i) AppendBytes(bytes, Packet(0x100, i));
  bytes.resize(bytes.size() + 50, 0x47);
  const TsStatistics stats = Counted(bytes);
  EXPECT_EQ(stats.Packets(), 10u);
  EXPECT_EQ(stats.TailBytes(), 50u);
  EXPECT_EQ(stats.Report(),
            "Packet statistics for 10 packets\n(PID/Count/Continuity Errors/Percentage)\n\n"
            "0100 10 0 100.00%\n"
            "\n0 bad packets not starting 0x47\n0 packets with TS error set"
            "\n50 bytes at the end do not make a whole packet");
}

TEST(TsCheck, ReportListsPidsInOrderLowerCaseWithShares) {
  std::vector<uint8_t> bytes;
  AppendBytes(bytes, Packet(0x1ABC, 0));
  AppendBytes(bytes, Packet(0x0000, 0));
  AppendBytes(bytes, Packet(0x1ABC, 1));
  AppendBytes(bytes, Packet(0x1ABC, 2, 1, true));
  EXPECT_EQ(Check(bytes),
            "Packet statistics for 4 packets\n(PID/Count/Continuity Errors/Percentage)\n\n"
            "0000 1 0 25.00%\n"
            "1abc 3 0 75.00%\n"
            "\n0 bad packets not starting 0x47\n1 packets with TS error set");
}

TEST(TsCheck, ContinuityIsCountedAsTheStandardCountsIt) {
  struct Case {
    std::vector<std::pair<uint8_t, uint8_t>> packets;  // counter, adaptation_field_control
    uint64_t errors;
  };
  const Case cases[] = {
      {{{5, 1}, {6, 1}, {6, 1}}, 0},            // one identical duplicate
      {{{5, 1}, {6, 1}, {6, 1}, {6, 1}}, 1},    // a third copy
      {{{5, 1}, {6, 1}, {6, 3}}, 1},            // the same counter on another packet
      {{{5, 1}, {5, 2}, {5, 0}, {6, 1}}, 0},    // no payload: the counter stays
      {{{5, 1}, {6, 2}}, 1},                    // ... and a change there is a loss
      {{{5, 1}, {7, 1}, {8, 1}}, 1},            // a jump, counted once, then followed again
      {{{14, 1}, {15, 1}, {0, 1}, {1, 1}}, 0},  // wrap
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bytes;
    for (auto [counter, afc] : c.packets) AppendBytes(bytes, Packet(0x44, counter, afc));
    const TsStatistics stats = Counted(bytes);
    EXPECT_EQ(stats.PidContinuityErrors(0x44), c.errors) << "case with " << c.packets.size();
    EXPECT_EQ(stats.PidPackets(0x44), c.packets.size());
  }
}

TEST(TsCheck, NullPacketsAreCountedButNeverContinuityErrors) {
  std::vector<uint8_t> bytes;
  for (uint8_t counter : {0, 9, 3, 3, 12}) AppendBytes(bytes, Packet(0x1FFF, counter));
  AppendBytes(bytes, Packet(0x20, 0));
  const TsStatistics stats = Counted(bytes);
  EXPECT_EQ(stats.PidPackets(0x1FFF), 5u);
  EXPECT_EQ(stats.PidContinuityErrors(0x1FFF), 0u);
  EXPECT_NE(stats.Report().find("1fff 5 0 83.33%\n"), std::string::npos);
}

// Packets of PID 0x100 with running counters, whose payload holds no sync byte.
std::vector<uint8_t> Packets(int count, uint16_t pid = 0x100) {
  std::vector<uint8_t> bytes;
  for (int i = 0; i < count; ++i) {
    std::vector<uint8_t> packet = Packet(pid, static_cast<uint8_t>(i));
    for (size_t k = 4; k < packet.size(); ++k) packet[k] = static_cast<uint8_t>(0x80 + k % 64);
    AppendBytes(bytes, packet);
  }
  return bytes;
}

TEST(TsCheck, ADamagedSyncByteInStepIsOneBadPacket) {
  std::vector<uint8_t> bytes = Packets(10);
  bytes[3 * 188] = 0x46;
  bytes[9 * 188] = 0x00;  // the last packet: nothing after it says otherwise
  const TsStatistics stats = Counted(bytes);
  EXPECT_EQ(stats.Packets(), 10u);
  EXPECT_EQ(stats.BadSync(), 2u);
  EXPECT_EQ(stats.SkippedBytes(), 0u);
  EXPECT_EQ(stats.PidContinuityErrors(0x100), 0u);
}

TEST(TsCheck, ACutOf100BytesIsSkippedAndShowsAsOneLoss) {
  std::vector<uint8_t> bytes = Packets(20);
  // 100 bytes go missing from the middle of packet 10.
  const auto cut = bytes.begin() + 10 * 188 + 50;
  bytes.erase(cut, cut + 100);
  const TsStatistics stats = Counted(bytes);
  // Packet 10's header still counts; the 88 bytes left of packet 11 are skipped.
  EXPECT_EQ(stats.Packets(), 19u);
  EXPECT_EQ(stats.SkippedBytes(), 88u);
  EXPECT_EQ(stats.SyncLosses(), 1u);
  EXPECT_EQ(stats.BadSync(), 0u);
  EXPECT_EQ(stats.PidContinuityErrors(0x100), 1u);  // 10 to 12
  EXPECT_EQ(stats.TailBytes(), 0u);
  EXPECT_EQ(stats.Report(),
            "Packet statistics for 19 packets\n(PID/Count/Continuity Errors/Percentage)\n\n"
            "0100 19 1 100.00%\n"
            "\n0 bad packets not starting 0x47\n0 packets with TS error set"
            "\n88 bytes skipped to find the sync byte again (sync lost 1 times)");
}

TEST(TsCheck, JunkAtTheStartIsSkipped) {
  for (const uint8_t first : {uint8_t{0x00}, uint8_t{0x47}}) {
    // The rest of a packet cut off at the start, whether or not it begins like a sync byte.
    std::vector<uint8_t> bytes(50, 0x13);
    bytes[0] = first;
    AppendBytes(bytes, Packets(10));
    const TsStatistics stats = Counted(bytes);
    EXPECT_EQ(stats.Packets(), 10u) << int{first};
    EXPECT_EQ(stats.SkippedBytes(), 50u);
    EXPECT_EQ(stats.SyncLosses(), 1u);
    EXPECT_EQ(stats.BadSync(), 0u);
    EXPECT_EQ(stats.PidContinuityErrors(0x100), 0u);
  }
}

TEST(TsCheck, AFileOutOfStepThroughoutIsSkippedNotCountedAsPackets) {
  // One stray byte after every packet: no sync byte is ever confirmed after the first packet.
  std::vector<uint8_t> bytes;
  const std::vector<uint8_t> packets = Packets(50);
  for (int i = 0; i < 50; ++i) {
    bytes.insert(bytes.end(), packets.begin() + i * 188, packets.begin() + (i + 1) * 188);
    bytes.push_back(0x00);
  }
  const TsStatistics stats = Counted(bytes);
  EXPECT_EQ(stats.Packets() * 188 + stats.SkippedBytes() + stats.TailBytes(), bytes.size());
  EXPECT_LE(stats.Packets(), 2u);
  EXPECT_GT(stats.SkippedBytes(), 48u * 188);
  EXPECT_NE(stats.Report().find(" bytes skipped to find the sync byte again"), std::string::npos);
}

TEST(TsCheck, PiecesCutAnywhereGiveTheSameReport) {
  std::vector<uint8_t> bytes(30, 0x01);
  AppendBytes(bytes, Packets(30));
  bytes.erase(bytes.begin() + 30 + 7 * 188 + 3, bytes.begin() + 30 + 7 * 188 + 103);
  AppendBytes(bytes, Packets(3, 0x200));
  AppendBytes(bytes, Packets(3, 0x200));  // the same counters again: three jumps
  bytes.resize(bytes.size() + 20, 0x47);
  const std::string whole = Check(bytes);
  for (size_t piece : {1u, 2u, 187u, 188u, 189u, 376u, 377u, 1000u}) {
    TsStatistics stats;
    for (size_t at = 0; at < bytes.size(); at += piece) {
      stats.Feed(std::span(bytes).subspan(at, std::min(piece, bytes.size() - at)));
    }
    stats.Finish();
    EXPECT_EQ(stats.Report(), whole) << piece;
  }
}

TEST(TsCheck, FileReadInBlocksGivesTheSameCountsAsOneFeed) {
  // Packets straddle the read blocks, so the carried tail must be joined correctly.
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 12000; ++i) {
    AppendBytes(bytes, Packet(static_cast<uint16_t>(i % 7 == 0 ? 0x1FFF : 0x30 + i % 3),
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
  EXPECT_EQ(ui.details.back(), dir.File("missing.m2t") + ": No such file or directory");
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(ui.busyDepth, 0);

  ui.openPaths.push_back(dir.path().string());  // a folder opens but is no stream
  EXPECT_FALSE(CheckTsFile(state, ui, show));
  EXPECT_EQ(ui.calls.back(), "message none: Couldn't open input MPEG TS stream");
  EXPECT_EQ(ui.details.back(), dir.path().string() + ": Is a directory");

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
  AppendBytes(bytes, Packet(0x21, 0));
  AppendBytes(bytes, Packet(0x21, 4));
  AppendBytes(bytes, Packet(0x21, 5, 1, false, 0x46));
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
  EXPECT_TRUE(missing.err.ends_with("Couldn't open input MPEG TS stream\n" + dir.File("none.m2t") +
                                    ": No such file or directory\n"))
      << missing.err;

  EXPECT_EQ(testing::RunCommandLine({"ts-check"}).status, 2);
}

TEST(TsCheck, EachPathThatCannotBeCheckedSaysWhy) {
  TempDir dir;
  const std::string fifo = dir.File("pipe.m2t");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string locked = dir.File("locked.m2t");
  testing::WriteBytes(locked, Packet(0x21, 0));
  ::chmod(locked.c_str(), 0);
  struct Case {
    std::string path;
    std::string reason;
  };
  std::vector<Case> cases = {{fifo, "a FIFO (named pipe), not a file"},
                             {dir.path().string(), "Is a directory"},
                             {dir.File("none.m2t"), "No such file or directory"}};
  for (const Case& c : cases) {
    // The FIFO has no writer: a check that waited for one would never return.
    const auto run = testing::RunCommandLine({"ts-check", c.path});
    EXPECT_EQ(run.status, 1) << c.path;
    EXPECT_TRUE(
        run.err.ends_with("Couldn't open input MPEG TS stream\n" + c.path + ": " + c.reason + "\n"))
        << run.err;
  }
  // A file's mode refuses no one to root, so the console runs as nobody then.
  ::chmod(dir.path().c_str(), 0755);
  const int nobody = 65534;
  const testing::CliProcessRun run =
      testing::RunCliProcess(dir.path().string(), {"ts-check", locked}, std::chrono::seconds(5),
                             ::geteuid() == 0 ? nobody : -1);
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(
      run.err.ends_with("Couldn't open input MPEG TS stream\n" + locked + ": Permission denied\n"))
      << run.err;
}

}  // namespace
}  // namespace pelorus
