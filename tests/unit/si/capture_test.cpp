// The workers and the bounded section capture against a scripted receiver.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "scsi/stream_primitives.h"
#include "section_builder.h"
#include "si/eit_capture.h"
#include "si/si_reader.h"
#include "unit/scsi/scripted_transport.h"

namespace pelorus {
namespace {

using testing::BlockHex;
using testing::Bytes;
using testing::ScriptedTransport;
using Clock = std::chrono::steady_clock;

// A packet that never starts a unit, served slowly: without a bound the capture would read it
// for minutes.
ScriptedTransport::Handler Silence() {
  return [](const ScriptedTransport::Command& command, std::span<uint8_t> in) {
    if (command.direction == ScsiDirection::kIn) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      in[0] = 0x47;
    }
    return ScriptedTransport::Reply{kScsiSuccess, in.size()};
  };
}

TEST(SectionCaptureTest, GivesUpAfterItsTimeOutOrWhenStopped) {
  ScriptedTransport transport;
  transport.handler = Silence();
  std::vector<uint8_t> buffer(1024);
  auto started = Clock::now();
  EXPECT_TRUE(
      CaptureSection(transport, 0x10, 0x40, buffer, {std::chrono::milliseconds(300)}).empty());
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(2));
  EXPECT_EQ(BlockHex(transport.commands.back().cdb), "3e000000000000000000");

  std::atomic<bool> stop{false};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stop = true;
  });
  started = Clock::now();
  EXPECT_FALSE(ReadPmt(transport, {1, 0x100}, {std::chrono::minutes(5), &stop}));
  stopper.join();
  EXPECT_LT(Clock::now() - started, std::chrono::seconds(1));
}

class CaptureClock : public SystemClock {
 public:
  std::time_t NowUtc() const override { return 750513600; }
  bool SetUtc(std::time_t utc, std::string&) override {
    set = utc;
    return true;
  }
  std::atomic<std::time_t> set{0};
};

TEST(EitCaptureTest, ListensToTheThreeSlotsAndStopsWithinASecond) {
  const Bytes sdt = testing::BuildSdt(1, 2, {{10, "Prov", "One"}});
  const Bytes eit = testing::BuildEit(10, {{1, 0xC079, 0x124500, 0x013000, "News", "Text"}});
  const Bytes tdt = {0x70, 0x70, 0x05, 0xC0, 0x79, 0x12, 0x45, 0x00};
  // Each slot's read carries one unit of its table followed by the start of the next, so every
  // read finishes the unit the read before began.
  auto reads = [](uint16_t pid, const Bytes& table, size_t packets) {
    Bytes read = testing::Concat(testing::Packetise(pid, table));
    while (read.size() < packets * 188) read = testing::Concat({read, read});
    read.resize(packets * 188);
    return read;
  };
  const Bytes slotReads[3] = {reads(0x12, eit, 16), reads(0x11, sdt, 8), reads(0x14, tdt, 1)};
  ScriptedTransport transport;
  transport.handler = [&](const ScriptedTransport::Command& command, std::span<uint8_t> in) {
    if (command.direction != ScsiDirection::kIn) return ScriptedTransport::Reply{kScsiSuccess, 0};
    const Bytes& read = slotReads[command.cdb[1]];
    std::copy(read.begin(), read.end(), in.begin());
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return ScriptedTransport::Reply{kScsiSuccess, read.size()};
  };
  Guide guide;
  CaptureClock clock;
  std::atomic<bool> finished{false};
  EitCapture capture(transport, guide, clock, {{}, [&](const RunResult&) { finished = true; }});
  capture.SetSyncTdt(true);
  capture.Start(false);
  const auto deadline = Clock::now() + std::chrono::seconds(5);
  while ((guide.Peek().events == 0 || clock.set == 0) && Clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const auto asked = Clock::now();
  capture.RequestStop();
  EXPECT_EQ(capture.Join().outcome, RunOutcome::kStopped);
  EXPECT_LT(Clock::now() - asked, std::chrono::seconds(1));
  EXPECT_TRUE(finished);

  const Guide::Counters counters = guide.Peek();
  EXPECT_EQ(counters.services, 1);
  EXPECT_EQ(counters.events, 1);
  EXPECT_EQ(counters.crcErrors, 0);
  EXPECT_GT(counters.polls, 3);
  EXPECT_GT(counters.sectionBytes, 0);
  EXPECT_EQ(clock.set.load(), 750513600 + 2700);
  ASSERT_GE(transport.commands.size(), 3u);
  EXPECT_EQ(BlockHex(transport.commands[0].data), "ffff");
  EXPECT_EQ(BlockHex(transport.commands[1].cdb), "3e000000000000001200");
  EXPECT_EQ(BlockHex(transport.commands[1].data),
            "00120bc0000600110"
            "5e00006001400bc0006");
  EXPECT_EQ(BlockHex(transport.commands[2].cdb),
            "3c000000000000"
            "0bc000");
  EXPECT_EQ(BlockHex(transport.commands.back().cdb), "3e000000000000000000");
}

}  // namespace
}  // namespace pelorus
