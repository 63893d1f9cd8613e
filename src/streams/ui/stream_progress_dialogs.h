#pragma once

#include <QDialog>

#include "streams/multi_pid_recorder.h"
#include "streams/stream_capture.h"

class QCloseEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace pelorus {

// "SCSI : Lettura Dati": bytes written, polls and rate of a single-PID capture. The worker
// starts when the dialog is first shown. "Stop", Escape or closing only ask the worker to stop;
// the dialog ends when the worker reports that the run is over, so the GUI thread never waits
// on the receiver. The command then shows how the run ended.
class CaptureProgressDialog : public QDialog {
 public:
  CaptureProgressDialog(QWidget* owner, CaptureWorker& worker);

  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Show(const CaptureProgress& progress);

  CaptureWorker& worker_;
  bool started_ = false;
  QLabel* count_;
  QLabel* polls_;
  QLabel* rate_;
  QPushButton* stop_;
};

// "Lettura Registrazione Dati": every counter of the recorder, its running time and the ring's
// fill, refreshed on a 250 ms timer. "Stop", Escape or closing only ask the recording to stop;
// the dialog ends at the first tick after the recording has ended.
class RecorderProgressDialog : public QDialog {
 public:
  RecorderProgressDialog(QWidget* owner, MultiPidRecorder& recorder);

  // One timer tick, for the dialog's own timer and for tests.
  void TickOnce();
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void Show(const RecorderDisplay& display);

  MultiPidRecorder& recorder_;
  QTimer* timer_;
  QPushButton* stop_;
  QLabel* count_;
  QLabel* piped_;
  QLabel* polls_;
  QLabel* rate_;
  QLabel* runningTime_;
  QLabel* syncErrors_;
  QLabel* continuityErrors_;
  QLabel* dropped_;
  QProgressBar* fill_;
};

}  // namespace pelorus
