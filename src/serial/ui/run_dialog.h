#pragma once

#include <QDialog>
#include <functional>

#include "common/ui.h"
#include "common/worker.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace pelorus {

// The window of a long run: its status text, its progress bar and "Stop". The run starts on
// `worker` when the window is first shown; its progress is shown here and on the main window's
// status line (through `ui`). "Stop", Escape or closing the window asks the run to stop, once
// `confirmStop` (when set) agrees; the window stays until the run has ended, then closes itself
// and hands the result to `finished` on the GUI thread.
class RunDialog : public QDialog {
 public:
  RunDialog(QWidget* owner, Ui& ui, const QString& title, Worker& worker, Worker::Body body);

  std::function<bool()> confirmStop;
  std::function<void(const RunResult&)> finished;

  QLabel* statusLabel() const { return status_; }
  QProgressBar* progressBar() const { return bar_; }
  QPushButton* stopButton() const { return stop_; }
  // The stop request of "Stop", for tests and for a window that must end the run.
  void AskToStop();

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  void ShowProgress(int percent, const QString& text);
  void RunEnded(const RunResult& result);

  Ui& ui_;
  Worker& worker_;
  Worker::Body body_;
  bool started_ = false;
  bool asking_ = false;
  QLabel* status_;
  QProgressBar* bar_;
  QPushButton* stop_;
};

}  // namespace pelorus
