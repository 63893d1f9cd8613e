#include "common/worker.h"

namespace pelorus {

void ShowRunResult(Ui& ui, const RunResult& result) {
  if (!result.Failed() || result.message.empty()) return;
  if (result.detail.empty()) {
    ui.ShowMessage(result.message, result.icon);
  } else {
    ui.ShowDetailedMessage(result.message, result.detail, result.icon);
  }
}

bool RunControl::StopRequested() const { return worker_.StopRequested(); }

bool RunControl::Wait(std::chrono::milliseconds duration) {
  std::unique_lock lock(worker_.mutex_);
  worker_.changed_.wait_for(lock, duration, [this] { return worker_.stopRequested_; });
  return !worker_.stopRequested_;
}

void RunControl::Progress(int percent, const std::string& text) {
  if (worker_.callbacks_.progress) worker_.callbacks_.progress(percent, text);
}

Worker::~Worker() {
  RequestStop();
  Join();
}

bool Worker::Start(Body body, Callbacks callbacks) {
  std::unique_lock lock(mutex_);
  if (running_) return false;
  if (thread_.joinable()) {
    // An ended run's thread is only a formality to join; it touches nothing more.
    lock.unlock();
    thread_.join();
    lock.lock();
  }
  callbacks_ = std::move(callbacks);
  running_ = true;
  stopRequested_ = false;
  result_.reset();
  thread_ = std::thread([this, body = std::move(body)]() mutable { Run(std::move(body)); });
  return true;
}

void Worker::Run(Body body) {
  RunControl control(*this);
  RunResult result = body(control);
  if (result.outcome == RunOutcome::kDone && StopRequested()) result.outcome = RunOutcome::kStopped;
  {
    std::lock_guard lock(mutex_);
    result_ = result;
  }
  if (callbacks_.finished) callbacks_.finished(result);
  std::lock_guard lock(mutex_);
  running_ = false;
  changed_.notify_all();
}

void Worker::RequestStop() {
  std::lock_guard lock(mutex_);
  if (!running_) return;
  stopRequested_ = true;
  changed_.notify_all();
}

bool Worker::WaitFor(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [this] { return !running_; });
}

RunResult Worker::Join() {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !running_; });
  }
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
  std::lock_guard lock(mutex_);
  return result_.value_or(RunResult::Done());
}

bool Worker::Running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

bool Worker::StopRequested() const {
  std::lock_guard lock(mutex_);
  return stopRequested_;
}

std::optional<RunResult> Worker::Result() const {
  std::lock_guard lock(mutex_);
  if (running_) return std::nullopt;
  return result_;
}

}  // namespace pelorus
