// The service-information runs against a receiver that fails: lost, silent, refusing or quiet.
// Each run ends at once with its own text and the link's reason, and one that heard nothing says
// so instead of reporting success.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "scsi/stream_primitives.h"
#include "si/eit_capture.h"
#include "si/messages.h"
#include "si/pid_tools.h"
#include "si/si_reader.h"
#include "unit/scsi/scripted_transport.h"

namespace pelorus {
namespace {

using testing::BlockHex;
using testing::ScriptedTransport;
using Clock = std::chrono::steady_clock;

// A scripted receiver that is lost (or falls silent) from one command on: every command from
// then fails as the socket transport reports it.
class LosingTransport : public ScriptedTransport {
 public:
  size_t loseAtCommand = 0;  // 1 = the first command; 0: never
  LinkProblem lostAs = LinkProblem::kLost;

  static std::string Reason(LinkProblem problem) {
    return problem == LinkProblem::kSilent ? "sim:rx: the receiver did not answer"
                                           : "sim:rx: the receiver closed the connection";
  }

 protected:
  int Execute(ScsiAddress address, std::span<const uint8_t> cdb, ScsiDirection direction,
              std::span<uint8_t> buffer, size_t& received) override {
    const int status = ScriptedTransport::Execute(address, cdb, direction, buffer, received);
    if (loseAtCommand == 0 || commands.size() < loseAtCommand) return status;
    lastProblem_ = lostAs;
    lastFailure_ = Reason(lostAs);
    received = 0;
    return kScsiError;
  }
};

// Whole packets that never start a section: the receiver streams, but nothing comes of it.
ScriptedTransport::Handler Quiet() {
  return [](const ScriptedTransport::Command& command, std::span<uint8_t> in) {
    if (command.direction == ScsiDirection::kIn) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      for (size_t at = 0; at + 188 <= in.size(); at += 188) in[at] = 0x47;
    }
    return ScriptedTransport::Reply{kScsiSuccess, in.size()};
  };
}

class FixedClock : public SystemClock {
 public:
  std::time_t NowUtc() const override { return 750513600; }
  bool SetUtc(std::time_t, std::string&) override { return true; }
};

// Waits for a run that should end by itself; a run still going after `limit` has hung.
bool EndsWithin(Worker& worker, std::chrono::milliseconds limit) { return worker.WaitFor(limit); }

TEST(SiWorkersTest, ALostOrSilentReceiverEndsEveryRunAtOnceWithTheReason) {
  for (const LinkProblem problem : {LinkProblem::kLost, LinkProblem::kSilent}) {
    SCOPED_TRACE(static_cast<int>(problem));
    const std::string reason = LosingTransport::Reason(problem);
    {
      // The guide: busy word, set-up, then reads; lost at the fifth command.
      LosingTransport transport;
      transport.handler = Quiet();
      transport.loseAtCommand = 5;
      transport.lostAs = problem;
      Guide guide;
      FixedClock clock;
      EitCapture capture(transport, guide, clock, {});
      ASSERT_TRUE(capture.Start(false));
      ASSERT_TRUE(EndsWithin(capture.worker(), std::chrono::seconds(2)));
      const RunResult result = capture.Join();
      EXPECT_EQ(result.outcome, RunOutcome::kFailed);
      EXPECT_EQ(result.message, msg::si::kGuideLost);
      EXPECT_EQ(result.detail, reason);
      // No read after the one that failed; the stream is still told to stop.
      ASSERT_EQ(transport.commands.size(), 6u);
      EXPECT_EQ(BlockHex(transport.commands.back().cdb), "3e000000000000000000");
    }
    {
      // The finder: lost at its first result read, after the probe.
      LosingTransport transport;
      transport.loseAtCommand = 2;
      transport.lostAs = problem;
      RunResult seen;
      PidFinder finder(transport, {{}, {}, [&](int, const RunResult& result) { seen = result; }});
      ASSERT_TRUE(finder.Start(0, 0, PidMode::kHexadecimal));
      ASSERT_TRUE(EndsWithin(finder.worker(), std::chrono::seconds(2)));
      const RunResult result = finder.Join();
      EXPECT_EQ(result.message, msg::si::kFinderLost);
      EXPECT_EQ(result.detail, reason);
      EXPECT_EQ(seen.message, msg::si::kFinderLost);
      EXPECT_EQ(transport.commands.size(), 3u);
    }
    {
      // The monitor: lost after two packets.
      LosingTransport transport;
      transport.handler = Quiet();
      transport.loseAtCommand = 5;
      transport.lostAs = problem;
      std::atomic<int> packets{0};
      PidMonitor monitor(transport, [&](std::string) { ++packets; }, {});
      ASSERT_TRUE(monitor.Start(0x100, false, PidMode::kHexadecimal));
      ASSERT_TRUE(EndsWithin(monitor.worker(), std::chrono::seconds(2)));
      const RunResult result = monitor.Join();
      EXPECT_EQ(result.message, msg::si::kMonitorLost);
      EXPECT_EQ(result.detail, reason);
      EXPECT_EQ(packets, 2);
    }
    {
      // A table read given minutes ends at the first failed read, with the reason.
      LosingTransport transport;
      transport.handler = Quiet();
      transport.loseAtCommand = 3;
      transport.lostAs = problem;
      LinkFailure failure;
      const auto started = Clock::now();
      EXPECT_FALSE(ReadNit(transport, {std::chrono::minutes(5)}, &failure));
      EXPECT_LT(Clock::now() - started, std::chrono::seconds(1));
      EXPECT_EQ(failure.problem, problem);
      EXPECT_EQ(failure.reason, reason);
      ASSERT_EQ(transport.commands.size(), 4u);
      EXPECT_EQ(BlockHex(transport.commands.back().cdb), "3e000000000000000000");
    }
  }
}

TEST(SiWorkersTest, RunsThatHeardNothingFailAndARefusedTuneIsSaid) {
  ScriptedTransport transport;
  transport.handler = Quiet();
  Guide guide;
  FixedClock clock;
  EitCapture capture(transport, guide, clock, {});
  ASSERT_TRUE(capture.Start(false));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  capture.RequestStop();
  const RunResult guideResult = capture.Join();
  EXPECT_EQ(guideResult.outcome, RunOutcome::kFailed);
  EXPECT_EQ(guideResult.message, msg::si::kNoGuideReceived);

  // Refused reads are skipped as before, but a monitor that never showed a packet has failed.
  transport.handler = [](const ScriptedTransport::Command& command, std::span<uint8_t>) {
    return ScriptedTransport::Reply{
        command.direction == ScsiDirection::kIn ? kScsiError : kScsiSuccess, 0};
  };
  PidMonitor monitor(transport, [](std::string) {}, {});
  ASSERT_TRUE(monitor.Start(0x100, false, PidMode::kHexadecimal));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_TRUE(monitor.worker().Running());
  monitor.RequestStop();
  const RunResult monitorResult = monitor.Join();
  EXPECT_EQ(monitorResult.outcome, RunOutcome::kFailed);
  EXPECT_EQ(monitorResult.message, "No packet of PID 0100 was received");

  LinkFailure failure;
  transport.handler = [](const ScriptedTransport::Command&, std::span<uint8_t>) {
    return ScriptedTransport::Reply{kScsiError, 0};
  };
  EXPECT_FALSE(SendTuneCommand(transport, 11747, 27500, 3, false, &failure));
  EXPECT_EQ(failure.problem, LinkProblem::kRefused);
}

TEST(SiWorkersTest, TheGuideCaptureStartsAgainButNeverTwiceAtOnce) {
  ScriptedTransport transport;
  transport.handler = Quiet();
  Guide guide;
  FixedClock clock;
  std::atomic<int> finished{0};
  EitCapture capture(transport, guide, clock, {{}, [&](const RunResult&) { ++finished; }});
  ASSERT_TRUE(capture.Start(false));
  // A second start while the first runs is refused, not a second thread over the first.
  EXPECT_FALSE(capture.Start(false));
  capture.RequestStop();
  capture.Join();
  EXPECT_FALSE(capture.Running());
  // An ended run is joined and the capture starts afresh, its stream set up again.
  const size_t before = transport.commands.size();
  ASSERT_TRUE(capture.Start(false));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  capture.RequestStop();
  capture.Join();
  EXPECT_EQ(finished, 2);
  ASSERT_GT(transport.commands.size(), before + 2);
  EXPECT_EQ(BlockHex(transport.commands[before + 1].cdb), "3e000000000000001200");
}

}  // namespace
}  // namespace pelorus
