#include "worker_run.h"

#include <algorithm>

#include "long_run.h"

namespace pelorus {

RunResult RunOnWorker(CliContext& context, const Worker::Body& body) {
  Ui& ui = context.ui;
  Worker worker;
  Worker::Callbacks callbacks;
  callbacks.progress = [&ui](int percent, const std::string& text) {
    ui.SetStatusText(text);
    ui.SetProgress(std::max(percent, 0), percent >= 0);
  };
  worker.Start(body, std::move(callbacks));
  WaitOutRun(context, worker, 0);
  const RunResult result = worker.Join();
  ui.SetProgress(0, false);
  return result;
}

}  // namespace pelorus
