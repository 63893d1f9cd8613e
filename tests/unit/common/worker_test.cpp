#include "common/worker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <vector>

#include "support/fake_ui.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;

TEST(Worker, ABodyThatWaitsEndsWithinASecondOfTheStopRequest) {
  Worker worker;
  std::atomic<int> rounds = 0;
  ASSERT_TRUE(worker.Start([&](RunControl& control) {
    while (control.Wait(10s)) ++rounds;
    return RunResult::Done();
  }));
  EXPECT_TRUE(worker.Running());
  EXPECT_FALSE(worker.WaitFor(50ms));
  const auto asked = std::chrono::steady_clock::now();
  worker.RequestStop();
  EXPECT_TRUE(worker.WaitFor(1s));
  EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s);
  // Done after a stop request is a stop.
  EXPECT_EQ(worker.Join().outcome, RunOutcome::kStopped);
  EXPECT_EQ(rounds, 0);
}

TEST(Worker, RunsOneBodyAtATimeAndCanRunTheNextOnceTheFirstEnded) {
  Worker worker;
  std::atomic<bool> release = false;
  ASSERT_TRUE(worker.Start([&](RunControl& control) {
    while (!release && control.Wait(1ms)) {
    }
    return RunResult::Failed("first", "why");
  }));
  // A second start while running is refused, not a second thread over the first.
  EXPECT_FALSE(worker.Start([](RunControl&) { return RunResult::Done(); }));
  release = true;
  const RunResult first = worker.Join();
  EXPECT_EQ(first.outcome, RunOutcome::kFailed);
  EXPECT_EQ(first.message, "first");
  EXPECT_EQ(first.detail, "why");

  std::vector<std::string> progress;
  RunResult finished;
  ASSERT_TRUE(worker.Start(
      [](RunControl& control) {
        control.Progress(50, "half");
        control.Progress(100, "all");
        return RunResult::Done();
      },
      {[&](int percent, const std::string& text) {
         progress.push_back(std::to_string(percent) + " " + text);
       },
       [&](const RunResult& result) { finished = result; }}));
  EXPECT_TRUE(worker.WaitFor(1s));
  ASSERT_TRUE(worker.Result().has_value());
  EXPECT_EQ(worker.Result()->outcome, RunOutcome::kDone);
  EXPECT_EQ(finished.outcome, RunOutcome::kDone);
  EXPECT_EQ(progress, (std::vector<std::string>{"50 half", "100 all"}));
}

TEST(Worker, TheDestructorStopsARunningBodyAndAJoinWithoutARunIsDone) {
  std::atomic<bool> ended = false;
  {
    Worker worker;
    worker.Start([&](RunControl& control) {
      while (control.Wait(10s)) {
      }
      ended = true;
      return RunResult::Done();
    });
  }
  EXPECT_TRUE(ended);
  Worker idle;
  EXPECT_TRUE(idle.WaitFor(0ms));
  EXPECT_EQ(idle.Join().outcome, RunOutcome::kDone);
  EXPECT_FALSE(idle.Result().has_value());
  idle.RequestStop();
  EXPECT_FALSE(idle.StopRequested());
}

TEST(ShowRunResult, FailuresShowTheirMessageWithTheDetailBeside) {
  testing::FakeUi ui;
  ShowRunResult(ui, RunResult::Done());
  ShowRunResult(ui, RunResult::Stopped());
  EXPECT_TRUE(ui.calls.empty());
  ShowRunResult(ui, RunResult::Failed("Setup PID stream command failed"));
  ShowRunResult(ui, RunResult::Failed("Unable to write file x", "x: No space left on device",
                                      Icon::kWarning));
  ASSERT_EQ(ui.calls.size(), 2u);
  EXPECT_EQ(ui.calls[0], "message stop: Setup PID stream command failed");
  EXPECT_EQ(ui.calls[1], "message warning: Unable to write file x");
  EXPECT_EQ(ui.details, (std::vector<std::string>{"x: No space left on device"}));
}

}  // namespace
}  // namespace pelorus
