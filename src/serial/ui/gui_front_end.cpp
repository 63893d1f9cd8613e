#include "serial/ui/gui_front_end.h"

#include <QThread>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace pelorus {
namespace {

// How often a waiting worker looks whether it was asked to stop.
constexpr auto kStopPoll = std::chrono::milliseconds(50);

struct PendingCall {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  bool abandoned = false;
};

}  // namespace

bool GuiFrontEnd::Call(const std::function<void(Ui&)>& call, const RunControl& control) {
  if (QThread::currentThread() == thread()) {
    call(ui_);
    return true;
  }
  const auto pending = std::make_shared<PendingCall>();
  QMetaObject::invokeMethod(
      this,
      [this, pending, call] {
        {
          std::lock_guard lock(pending->mutex);
          if (pending->abandoned) return;
        }
        call(ui_);
        std::lock_guard lock(pending->mutex);
        pending->finished = true;
        pending->done.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(pending->mutex);
  while (!pending->finished) {
    if (control.StopRequested()) {
      pending->abandoned = true;
      return false;
    }
    pending->done.wait_for(lock, kStopPoll);
  }
  return true;
}

}  // namespace pelorus
