#include "serial/serial_link.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "serial/messages.h"
#include "serial/receive_ring.h"
#include "serial/serial_timing.h"
#include "support/fake_ui.h"
#include "unit/serial/pty_pair.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::FakeUi;
using testing::PtyPair;

class SerialLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSerialTickForTesting(20ms);
    ASSERT_TRUE(link.Open(pty.slave, 38400));
  }
  void TearDown() override { SetSerialTickForTesting(250ms); }

  PtyPair pty;
  FakeUi ui;
  SerialLink link{ui};
};

TEST(ReceiveRing, HoldsOneByteLessThanItsSizeAndWraps) {
  ReceiveRing ring;
  for (size_t i = 0; i < kReceiveRingSize - 1; ++i) ASSERT_TRUE(ring.Push(static_cast<uint8_t>(i)));
  EXPECT_EQ(ring.Free(), 0u);
  // Full: the next byte is refused and what the ring holds is untouched.
  EXPECT_FALSE(ring.Push(0xEE));
  std::vector<uint8_t> out(kReceiveRingSize);
  ASSERT_EQ(ring.Pop(out), kReceiveRingSize - 1);
  for (size_t i = 0; i < kReceiveRingSize - 1; ++i) ASSERT_EQ(out[i], static_cast<uint8_t>(i));
  EXPECT_TRUE(ring.Empty());
  // Now the positions sit near the end, so the next bytes wrap round.
  for (uint8_t b : {1, 2, 3}) ring.Push(b);
  uint8_t two[2];
  ASSERT_EQ(ring.Pop(two), 2u);
  EXPECT_EQ(two[0], 1);
  EXPECT_EQ(two[1], 2);
  EXPECT_EQ(ring.Size(), 1u);
}

TEST_F(SerialLinkTest, LineIsEightNoParityOneStopAndSendingIgnoresCts) {
  const termios tio = pty.Settings();
  EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB), 0u);
  // A receiver that never raises CTS must still get every byte.
  EXPECT_EQ(tio.c_cflag & CRTSCTS, 0u);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
  EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B38400));
}

TEST_F(SerialLinkTest, ReadTakesExactlyWhatWasAskedAndKeepsTheRest) {
  pty.Send("abcdef");
  uint8_t first[4];
  ASSERT_EQ(link.Read(first), 4u);
  EXPECT_EQ(std::string(first, first + 4), "abcd");
  uint8_t rest[2];
  ASSERT_EQ(link.Read(rest), 2u);
  EXPECT_EQ(std::string(rest, rest + 2), "ef");
}

TEST_F(SerialLinkTest, EveryByteRestartsTheTimeOut) {
  link.timeoutTicks = 8;  // 160 ms of silence at the test tick
  std::thread slowSender([&] {
    for (int i = 0; i < 5; ++i) {
      std::this_thread::sleep_for(120ms);
      pty.Send(std::string(1, static_cast<char>('0' + i)));
    }
  });
  const auto start = Clock::now();
  uint8_t bytes[5];
  const size_t got = link.Read(bytes);
  slowSender.join();
  EXPECT_EQ(got, 5u);
  EXPECT_GE(Clock::now() - start, 500ms);  // far beyond one time-out, yet no expiry
  EXPECT_GT(ui.keepAliveCount, 0);         // the user interface ran while it waited
}

TEST_F(SerialLinkTest, SilenceEndsTheReadWithWhatArrived) {
  link.timeoutTicks = 8;
  pty.Send("xy");
  const auto start = Clock::now();
  uint8_t bytes[5];
  EXPECT_EQ(link.Read(bytes), 2u);
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, 160ms);
  EXPECT_LT(waited, 1000ms);
}

TEST_F(SerialLinkTest, ReadLineSplitsAtReturnsAndDropsLineFeeds) {
  pty.Send("AB\r\nCD\rABCDEF\r\r");
  char line[4];
  ASSERT_EQ(link.ReadLine(line), 2u);
  EXPECT_STREQ(line, "AB");
  ASSERT_EQ(link.ReadLine(line), 2u);
  EXPECT_STREQ(line, "CD");
  // A longer line keeps capacity - 1 bytes; the rest of it is read and dropped.
  ASSERT_EQ(link.ReadLine(line), 3u);
  EXPECT_STREQ(line, "ABC");
  EXPECT_EQ(link.ReadLine(line), 0u);  // an empty line
  pty.Send("partial");
  EXPECT_EQ(link.ReadLine(line), 0u);  // a time-out, even with part of a line stored
}

TEST_F(SerialLinkTest, WritesBytesAndLittleEndianLongs) {
  EXPECT_EQ(link.Write(std::span<const uint8_t>()), 0u);
  EXPECT_EQ(link.Write("CBEG"), 4u);
  EXPECT_EQ(link.WriteLong(0x00010001), 4u);
  EXPECT_EQ(link.WriteLong(0x12345678), 4u);
  const std::vector<uint8_t> expected = {'C',  'B',  'E',  'G',  0x01, 0x00,
                                         0x01, 0x00, 0x78, 0x56, 0x34, 0x12};
  EXPECT_EQ(pty.Received(), expected);
}

TEST_F(SerialLinkTest, SlowSendPausesAfterEveryByte) {
  link.slowSend = true;  // 100 ms at the real tick, 8 ms at the test tick
  const auto start = Clock::now();
  link.Write("CBEG");
  EXPECT_GE(Clock::now() - start, 32ms);
  EXPECT_EQ(pty.Received().size(), 4u);
}

TEST_F(SerialLinkTest, OverrunIsReportedAndKeepsWhatTheRingHolds) {
  std::vector<uint8_t> flood(kReceiveRingSize);
  for (size_t i = 0; i < flood.size(); ++i) flood[i] = static_cast<uint8_t>(i * 31);
  pty.Send(flood);  // one byte more than the ring holds, and nobody reading
  std::this_thread::sleep_for(300ms);
  std::vector<uint8_t> held(kReceiveRingSize - 1);
  ASSERT_EQ(link.Read(held), held.size());
  EXPECT_TRUE(std::equal(held.begin(), held.end(), flood.begin()));
  // The reader has ended: nothing more arrives, and the user is told once.
  pty.Send("more");
  uint8_t after[4];
  EXPECT_EQ(link.Read(after), 0u);
  link.Close();
  int overruns = 0;
  for (const auto& call : ui.calls)
    overruns += call == "message stop: Serial buffer receive overrun";
  EXPECT_EQ(overruns, 1);
}

TEST_F(SerialLinkTest, HangUpKeepsWhatArrivedAndFailsWrites) {
  EXPECT_FALSE(link.LinkLost());
  pty.Send("ok");
  std::this_thread::sleep_for(50ms);
  pty.CloseMaster();
  uint8_t bytes[3];
  EXPECT_EQ(link.Read(bytes), 2u);  // what came before the hang-up is still there
  EXPECT_LT(link.Write("CBEG"), 4u);
  EXPECT_TRUE(ui.calls.empty());
  EXPECT_TRUE(link.LinkLost());
  EXPECT_EQ(link.LostReason().rfind(pty.slave + ": the serial line hung up", 0), 0u)
      << link.LostReason();
}

TEST_F(SerialLinkTest, AReadEndsAtOnceWhenTheLineHangsUp) {
  // A whole time-out of silence would be several seconds; a hang-up is news at once.
  link.timeoutTicks = 150;
  std::jthread hangUp([&] {
    std::this_thread::sleep_for(100ms);
    pty.CloseMaster();
  });
  uint8_t bytes[4];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(link.Read(bytes), 0u);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_TRUE(link.LinkLost());
}

TEST_F(SerialLinkTest, DebugWindowSeesEveryByteByTheEchoRule) {
  struct Sink : SerialDebugSink {
    void PortOpened(bool serialDebug) override { shown = serialDebug; }
    bool WindowShown() const override { return shown; }
    void Echo(std::string_view text) override {
      std::lock_guard lock(mutex);
      echoed += text;
    }
    bool shown = false;
    std::mutex mutex;
    std::string echoed;
  } sink;
  link.Close();
  link.SetDebugSink(&sink);
  link.serialDebug = true;
  ASSERT_TRUE(link.Open(pty.slave, 38400));
  pty.Send(std::vector<uint8_t>{'O', 'K', 13, 10, 0x7D, 0x7C});
  uint8_t bytes[6];
  ASSERT_EQ(link.Read(bytes), 6u);
  link.Close();
  EXPECT_EQ(sink.echoed, "OK\r<0x0a><0x7d>|");
  link.SetDebugSink(nullptr);
}

TEST_F(SerialLinkTest, APortInUseOrMissingIsRefused) {
  link.held = true;
  EXPECT_FALSE(link.Open(pty.slave, 38400));  // still open for the debug terminal
  SerialLink other(ui);
  EXPECT_FALSE(other.Open("/nonexistent/ttyS9", 9600));
  EXPECT_EQ(ui.calls, (std::vector<std::string>{"message stop: Unable to open serial port",
                                                "message stop: Unable to open serial port"}));
}

TEST_F(SerialLinkTest, TakeWaitingEmptiesTheRingWithoutWaiting) {
  pty.Send("subroutine says hi");
  std::this_thread::sleep_for(50ms);
  const auto start = Clock::now();
  const std::vector<uint8_t> bytes = link.TakeWaiting();
  EXPECT_LT(Clock::now() - start, 20ms);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "subroutine says hi");
  EXPECT_TRUE(link.TakeWaiting().empty());
}

}  // namespace
}  // namespace pelorus

namespace pelorus {
namespace {

// A long run on a worker holds the port with a link of its own: a second link of the program
// must not open the same port under it (a terminal's exclusive mode does not stop the
// superuser), and the port is free again once the first one closes it.
TEST_F(SerialLinkTest, APortHeldByAnotherLinkOfTheProgramIsRefused) {
  FakeUi other;
  SerialLink second(other);
  EXPECT_FALSE(second.Open(pty.slave, 38400));
  ASSERT_EQ(other.calls.size(), 1u);
  EXPECT_EQ(other.calls[0], std::string("message stop: ") + msg::kUnableToOpenSerialPort);
  EXPECT_EQ(other.details[0], pty.slave + ": the port is in use by another command of Pelorus");
  link.Close();
  EXPECT_TRUE(second.Open(pty.slave, 38400));
  second.Close();
}

// A stop request cuts a read short instead of letting it wait out the receiver's time-out; the
// scopes nest, and the link's Ui can be lent to another thread's for a while.
TEST_F(SerialLinkTest, InterruptAndUiScopesEndWithTheirScope) {
  link.timeoutTicks = 100;  // 2 s
  std::atomic<bool> stop{false};
  FakeUi lent;
  {
    const SerialLink::UiScope lending(link, lent);
    const SerialLink::InterruptScope outer(link, [] { return false; });
    const SerialLink::InterruptScope inner(link, [&stop] { return stop.load(); });
    std::thread asker([&stop] {
      std::this_thread::sleep_for(100ms);
      stop = true;
    });
    std::array<uint8_t, 4> buffer{};
    const auto start = Clock::now();
    EXPECT_EQ(link.Read(buffer), 0u);
    EXPECT_LT(Clock::now() - start, 1s);
    asker.join();
    EXPECT_GT(lent.keepAliveCount, 0);
  }
  // Outside the scopes the read waits for its bytes again, and the link's own Ui is back.
  const int before = ui.keepAliveCount;
  pty.Send("ab");
  std::array<uint8_t, 2> two{};
  EXPECT_EQ(link.Read(two), 2u);
  link.timeoutTicks = 5;
  std::array<uint8_t, 1> one{};
  EXPECT_EQ(link.Read(one), 0u);
  EXPECT_GT(ui.keepAliveCount, before);
}

}  // namespace
}  // namespace pelorus
