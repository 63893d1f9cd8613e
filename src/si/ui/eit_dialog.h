#pragma once

#include <QDialog>
#include <memory>

#include "common/editor_state.h"
#include "common/ui.h"
#include "si/eit_capture.h"
#include "si/guide.h"
#include "si/system_clock.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTimer;

namespace pelorus {

class OptionsStore;

// "EIT Parsing": listens to the SDT, EIT and TDT of the tuned multiplex while open, shows the
// counters once a second and the selected service's events, and writes the guide to a file.
class EitDialog : public QDialog {
  Q_OBJECT

 public:
  EitDialog(EditorState& state, Ui& ui, OptionsStore& store, SystemClock& clock, QWidget* parent);
  ~EitDialog() override;

  const Guide& guide() const { return guide_; }

 private:
  void StartCapture();
  void ShowCounters();
  void AddService(uint16_t serviceId);
  void ShowEvents();
  void ClockResult(TdtClockSync::Result result, const QString& detail);
  void StopCapture();
  void RunEnded(const RunResult& result);
  void done(int result) override;

  EditorState& state_;
  Ui& ui_;
  OptionsStore& store_;
  Guide guide_;
  std::unique_ptr<EitCapture> capture_;
  Guide::Counters shown_{-1, -1, 0, 0, 0};
  bool closing_ = false;

  QLabel* services_;
  QLabel* events_;
  QLabel* polls_;
  QLabel* bytes_;
  QLabel* crcErrors_;
  QLabel* clockStatus_;
  QListWidget* serviceList_;
  QPlainTextEdit* eventText_;
  QCheckBox* syncClock_;
  QTimer* timer_;
};

}  // namespace pelorus
