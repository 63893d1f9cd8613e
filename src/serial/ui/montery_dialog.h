#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>

#include "serial/montery_interface.h"

class QLabel;
class QPlainTextEdit;

namespace pelorus {

// Dialog 180 "Montery 140 Interface": every 250 ms it runs one tick of the monitor and shows
// the receiver's channel, the Montery satellite and channel, and the last commands sent. The
// ticks run on the GUI thread; the pauses around a sending wait through the link, which keeps
// the window painting and answering "Chiudi" meanwhile.
class MonteryDialog : public QDialog {
  Q_OBJECT

 public:
  MonteryDialog(QWidget* owner, MonteryMonitor& monitor);

  // Starts the timer; the first tick comes after 250 ms.
  void Start();
  // One tick now, as the timer runs it (for the tests).
  void TickNow();

 private:
  void ShowView(const MonteryView& view);

  MonteryMonitor& monitor_;
  QLabel* receiverChannel_;   // 1171
  QLabel* channelText_;       // 1172
  QLabel* satellite_;         // 1173
  QLabel* note_;              // why the satellite is empty
  QPlainTextEdit* commands_;  // 1174
  QTimer timer_;
  bool ticking_ = false;
};

}  // namespace pelorus
