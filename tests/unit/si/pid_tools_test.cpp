#include "si/pid_tools.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>

#include "unit/scsi/scripted_transport.h"

namespace pelorus {
namespace {

using testing::BlockHex;
using testing::ScriptedTransport;

TEST(PidToolsTest, ProbeBlocksAndRangeTexts) {
  const std::vector<uint8_t> full = ProbeBlock(0x100);
  ASSERT_EQ(full.size(), 68u);
  EXPECT_EQ(full[0], 0x3F);
  EXPECT_EQ(full[1], 0x01);
  EXPECT_EQ(full[2], 0x00);
  EXPECT_EQ(full[64], 0x1F);
  EXPECT_EQ(BlockHex(std::span(full).last(4)), "1fffff00");

  const std::vector<uint8_t> end = ProbeBlock(8176);
  ASSERT_EQ(end.size(), 36u);
  EXPECT_EQ(BlockHex(std::span(end).first(3)), "3f1ff0");
  EXPECT_EQ(BlockHex(std::span(end).last(5)), "1fffffff00");
  EXPECT_EQ(ProbeRangeText(8176, PidMode::kDecimal), "8176 - 8192");
  EXPECT_EQ(ProbeRangeText(8176, PidMode::kHexadecimal), "1FF0 - 2000");
  EXPECT_EQ(ProbeRangeText(0, PidMode::kHexadecimal), "0000 - 001F");

  // A start beyond the PID space probes nothing: the end mark and the pad byte only.
  EXPECT_EQ(BlockHex(ProbeBlock(9000)), "3fffff00");
  EXPECT_EQ(OpeningStartPid(9000), 0);
  EXPECT_EQ(OpeningStartPid(8191), 8191);
}

TEST(PidToolsTest, ProbeResultLinesInBothPidModes) {
  std::vector<uint8_t> result(8192, 0);
  // Area 0 (PID 256): a packet header after some noise; area 1 (PID 257) only a header of
  // another PID; area 3 (PID 259) scrambled with the odd key; area 31 a header cut by its end.
  result[10] = 0x47;
  result[11] = 0x41;
  result[12] = 0x00;
  result[13] = 0x10;
  result[256] = 0x47;
  result[257] = 0x01;
  result[258] = 0x05;
  result[3 * 256 + 7] = 0x47;
  result[3 * 256 + 8] = 0x01;
  result[3 * 256 + 9] = 0x03;
  result[3 * 256 + 10] = 0xD0;
  result[31 * 256 + 253] = 0x47;
  result[31 * 256 + 254] = 0x01;
  result[31 * 256 + 255] = 0x1F;
  EXPECT_EQ(ScanProbeResult(result, 256, PidMode::kDecimal),
            (std::vector<std::string>{"PID 256 active TSF=00", "PID 259 active TSF=03"}));
  EXPECT_EQ(ScanProbeResult(result, 256, PidMode::kHexadecimal),
            (std::vector<std::string>{"PID 0100 active TSF=00", "PID 0103 active TSF=03"}));
  EXPECT_EQ(PidActiveLine(0x1FFF, 2, PidMode::kHexadecimal), "PID 1FFF active TSF=02");
  // A short result and a block past the end find only what is there.
  EXPECT_EQ(ScanProbeResult(std::span(result).first(20), 256, PidMode::kDecimal).size(), 1u);
  EXPECT_TRUE(ScanProbeResult(result, 9000, PidMode::kDecimal).empty());
}

TEST(PidToolsTest, DumpOfOnePacketIsTwelveRows) {
  std::vector<uint8_t> packet(188);
  for (size_t i = 0; i < packet.size(); ++i) packet[i] = static_cast<uint8_t>(i + 0x1E);
  const std::vector<std::string> rows = PacketDumpRows(packet);
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[0], "00: 1e 1f 20 21 22 23 24 25 26 27 28 29 2a 2b 2c 2d .. !\"#$%&'()*+,-\r\n");
  EXPECT_EQ(rows[6].substr(0, 4), "60: ");
  EXPECT_EQ(rows[6].substr(4 + 2 * 3, 6), "80 81 ");  // 0x60 + 0x1E + 2 = 0x80
  EXPECT_EQ(rows[6].substr(4 + 48, 16), "~\x7f..............");
  EXPECT_EQ(rows[11], "b0: ce cf d0 d1 d2 d3 d4 d5 d6 d7 d8 d9 " + std::string(12, ' ') +
                          "............" + std::string(4, ' ') + "\r\n\r\n");
}

// A receiver whose probe result shows the PIDs of `active` and whose stream answers packets.
struct ProbeReceiver {
  std::vector<int> active;
  std::mutex lock;
  std::vector<int> probedStarts;

  ScriptedTransport::Handler Handler() {
    return [this](const ScriptedTransport::Command& command, std::span<uint8_t> in) {
      std::lock_guard guard(lock);
      if (command.cdb[0] == 0x3B && command.cdb[1] == 0x30) {
        const auto& data = command.data;
        probedStarts.push_back(data.size() > 3 && data[1] != 0xFF ? (data[1] << 8) | data[2] : -1);
      }
      if (command.direction == ScsiDirection::kIn && in.size() == 8192) {
        const int start = probedStarts.empty() ? -1 : probedStarts.back();
        for (int k = 0; k < 32 && start >= 0; ++k) {
          for (const int pid : active) {
            if (pid != start + k) continue;
            in[k * 256] = 0x47;
            in[k * 256 + 1] = static_cast<uint8_t>(pid >> 8);
            in[k * 256 + 2] = static_cast<uint8_t>(pid);
          }
        }
      }
      if (command.direction == ScsiDirection::kIn && in.size() == 188) {
        in[0] = 0x47;
        in[1] = 0x41;
      }
      return ScriptedTransport::Reply{kScsiSuccess, in.size()};
    };
  }
};

TEST(PidToolsTest, FinderScansToTheEndAndStopsOnRequest) {
  ScriptedTransport transport;
  ProbeReceiver receiver;
  receiver.active = {8170, 8191};
  transport.handler = receiver.Handler();
  std::vector<std::string> lines;
  std::vector<std::string> ranges;
  int next = -1;
  PidFinder finder(transport, {[&](int, const std::string& range) { ranges.push_back(range); },
                               [&](const std::string& line) { lines.push_back(line); },
                               [&](int nextStart, const RunResult&) { next = nextStart; }});
  finder.Start(8150, 0, PidMode::kDecimal);
  finder.Join();
  EXPECT_EQ(ranges, (std::vector<std::string>{"8150 - 8181", "8182 - 8192"}));
  EXPECT_EQ(lines, (std::vector<std::string>{"PID 8170 active TSF=00", "PID 8191 active TSF=00"}));
  EXPECT_EQ(next, 8214);
  EXPECT_FALSE(finder.Running());
  EXPECT_EQ(BlockHex(transport.commands.back().cdb), "3d000000000000000000");

  // A start beyond the PID space ends after its one empty block.
  receiver.probedStarts.clear();
  finder.Start(9000, 0, PidMode::kDecimal);
  finder.Join();
  EXPECT_EQ(receiver.probedStarts, (std::vector<int>{-1}));

  // Until stopped it wraps to 0, and a stop cuts even a long dwell short.
  finder.SetUntilStopped(true);
  receiver.probedStarts.clear();
  finder.Start(8160, 60000, PidMode::kDecimal);
  const auto asked = std::chrono::steady_clock::now();
  while (true) {
    std::lock_guard guard(receiver.lock);
    if (!receiver.probedStarts.empty()) break;
  }
  finder.RequestStop();
  finder.Join();
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
  EXPECT_EQ(next, 0);
}

TEST(PidToolsTest, MonitorDumpsPacketsUntilStopped) {
  ScriptedTransport transport;
  ProbeReceiver receiver;
  transport.handler = receiver.Handler();
  std::mutex lock;
  std::vector<std::string> dumps;
  PidMonitor monitor(transport,
                     [&](std::string rows) {
                       std::lock_guard guard(lock);
                       dumps.push_back(std::move(rows));
                     },
                     {});
  monitor.Start(0x100, false, PidMode::kHexadecimal, 3);
  EXPECT_EQ(monitor.Join().outcome, RunOutcome::kDone);
  ASSERT_EQ(dumps.size(), 3u);
  EXPECT_TRUE(dumps[0].starts_with("00: 47 41 00 "));
  EXPECT_TRUE(monitor.Finished());
  EXPECT_EQ(BlockHex(transport.commands[1].data), "010000bc0006");
  EXPECT_EQ(BlockHex(transport.commands.back().cdb), "3e000000000000000000");
}

}  // namespace
}  // namespace pelorus
