#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "common/ui.h"

namespace pelorus {

// How a long run ended. A run stopped by request is a success; one that could not do what it
// was asked (a lost receiver, a full disk, nothing received) has failed, with the described
// message first and what failed and why beside it.
enum class RunOutcome { kDone, kStopped, kFailed };

struct RunResult {
  RunOutcome outcome = RunOutcome::kDone;
  std::string message;  // the described text
  std::string detail;   // "PATH: reason", the receiver's state, what was kept
  Icon icon = Icon::kStop;

  static RunResult Done() { return {}; }
  static RunResult Stopped() { return {RunOutcome::kStopped, {}, {}, Icon::kStop}; }
  static RunResult Failed(std::string message, std::string detail = {}, Icon icon = Icon::kStop) {
    return {RunOutcome::kFailed, std::move(message), std::move(detail), icon};
  }
  bool Failed() const { return outcome == RunOutcome::kFailed; }
};

// Both front ends end a run the same way: a failure shows its message with the detail beside it
// (the console prints both and exits 1); done and stopped show nothing of their own.
void ShowRunResult(Ui& ui, const RunResult& result);

// What the run's body gets: whether it is asked to stop, a wait that a stop request cuts short,
// and a way to report progress.
class RunControl {
 public:
  bool StopRequested() const;
  // Waits up to `duration`, and not a moment longer once a stop is asked for. False when the run
  // is to stop.
  bool Wait(std::chrono::milliseconds duration);
  // 0..100 and a status text, to the worker's progress callback (on the worker's thread).
  void Progress(int percent, const std::string& text);

 private:
  friend class Worker;
  explicit RunControl(class Worker& worker) : worker_(worker) {}
  class Worker& worker_;
};

// One long run on a thread of its own: start, stop request, a bounded wait, join, and one result.
// The body checks StopRequested between steps and waits with RunControl::Wait, so the run ends
// within a second of being asked (a command already sent to the receiver still runs to its own
// time-out). Callbacks come on the worker's thread; none comes after the run has ended.
class Worker {
 public:
  struct Callbacks {
    std::function<void(int percent, const std::string& text)> progress;
    // The last thing the worker does, with the run's result.
    std::function<void(const RunResult& result)> finished;
  };
  using Body = std::function<RunResult(RunControl& control)>;

  Worker() = default;
  // Asks a running body to stop and waits for it.
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Starts `body`. A worker still running is not started again (false); one that has ended is
  // joined first, so a worker can run one body after another.
  bool Start(Body body, Callbacks callbacks = {});
  void RequestStop();
  // Waits for the run to end, at most `limit`; true when it has ended (or never started).
  bool WaitFor(std::chrono::milliseconds limit);
  // Waits for the end and returns the result (Done when nothing was started).
  RunResult Join();

  bool Running() const;
  bool StopRequested() const;
  // The result once the run has ended.
  std::optional<RunResult> Result() const;

 private:
  friend class RunControl;
  void Run(Body body);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Callbacks callbacks_;
  bool running_ = false;
  bool stopRequested_ = false;
  std::optional<RunResult> result_;
  std::thread thread_;
};

}  // namespace pelorus
