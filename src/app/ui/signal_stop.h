#pragma once

#include <QObject>

class QSocketNotifier;
class QWidget;

namespace pelorus {

// SIGINT, SIGTERM and SIGHUP end the editor as its own buttons would: a run in progress (the
// modal dialog of a capture, a recording, a scan) is stopped as its Stop button stops it, so what
// arrived is kept, and then the main window is closed. A second signal ends the process at once,
// with the temporary files being written removed.
class SignalStop : public QObject {
 public:
  explicit SignalStop(QWidget* mainWindow);
  ~SignalStop() override;

 private:
  void Arrived();
  void CloseNext();

  QWidget* mainWindow_;
  int pipe_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace pelorus
