#pragma once

#include <QDialog>
#include <memory>

#include "channels/pid_format.h"
#include "common/editor_state.h"
#include "common/ui.h"
#include "si/pid_tools.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace pelorus {

class OptionsStore;

// "PID Finder": probes the PID space 32 PIDs at a time and lists the PIDs that carried packets;
// a double click on a line monitors that PID.
class PidFinderDialog : public QDialog {
  Q_OBJECT

 public:
  PidFinderDialog(EditorState& state, Ui& ui, OptionsStore& store, QWidget* parent);
  ~PidFinderDialog() override;

  // Kept while the program runs, like the dialog's own fields.
  static int& StartPid();
  static int& DwellTime();

 private:
  void Start();
  void Finished(int nextStartPid, const RunResult& result);
  void Monitor(const QString& line);
  void reject() override;

  EditorState& state_;
  Ui& ui_;
  OptionsStore& store_;
  PidMode mode_;
  std::unique_ptr<PidFinder> finder_;
  bool running_ = false;

  QLineEdit* startPid_;
  QLineEdit* dwell_;
  QCheckBox* untilStopped_;
  QPushButton* start_;
  QPushButton* cancel_;
  QLabel* range_;
  QProgressBar* progress_;
  QListWidget* active_;
};

// "Monitor PID": every packet of one PID as a hex dump, until stopped. The text keeps the
// newest rows only, so a long run stays fast.
class PidMonitorDialog : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kMaxRows = 2000;

  PidMonitorDialog(EditorState& state, Ui& ui, uint16_t pid, QWidget* parent);
  ~PidMonitorDialog() override;

 private:
  void Button();
  void Append(const QString& rows);
  void Ended(const RunResult& result);

  Ui& ui_;
  std::unique_ptr<PidMonitor> monitor_;
  QPlainTextEdit* dump_;
  QPushButton* button_;
};

}  // namespace pelorus
