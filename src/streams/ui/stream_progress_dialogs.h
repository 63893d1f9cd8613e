#pragma once

#include <QDialog>

#include "streams/multi_pid_recorder.h"
#include "streams/stream_capture.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace pelorus {

// "SCSI : Lettura Dati": bytes written, polls and rate of a single-PID capture. The worker
// starts when the dialog is first shown; "Stop" or closing ends the dialog, and the command
// then stops the worker.
class CaptureProgressDialog : public QDialog {
 public:
  CaptureProgressDialog(QWidget* owner, CaptureWorker& worker);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Show(const CaptureProgress& progress);

  CaptureWorker& worker_;
  bool started_ = false;
  QLabel* count_;
  QLabel* polls_;
  QLabel* rate_;
};

// "Lettura Registrazione Dati": every counter of the recorder, its running time and the ring's
// fill, refreshed on a 250 ms timer whose ticks also ask for the next PAT and PMT.
class RecorderProgressDialog : public QDialog {
 public:
  RecorderProgressDialog(QWidget* owner, MultiPidRecorder& recorder);

  // One timer tick, for the dialog's own timer and for tests.
  void TickOnce();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Show(const RecorderDisplay& display);

  MultiPidRecorder& recorder_;
  QTimer* timer_;
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
