#pragma once

#include <QDialog>
#include <QPointer>
#include <atomic>
#include <memory>

#include "app/ui/gui_command.h"
#include "scanner/signal_session.h"

class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QCheckBox;

namespace pelorus {

class PlotWidget;
class TuningWindow;

// "Grafico Segnale": the plot of a scan, with "Utilità Sintonia" beside it and the lock
// search's "Risultato Scansione". Ends the signal subroutine when it goes away.
class GraphWindow : public QDialog {
  Q_OBJECT

 public:
  GraphWindow(GuiContext& context, const ScanData& scan, std::unique_ptr<SignalSession> session);
  ~GraphWindow() override;

  PlotWidget* plot() const { return plot_; }
  TuningWindow* tuning() const { return tuning_; }
  QListWidget* results() const;
  bool SearchRunning() const { return searching_; }

  // "Scansione QPSK".
  void StartLockSearch();
  // "Chiudi" / "Cancel": stops a running search, else closes both windows.
  void CloseOrAbort();
  // "&Cancella".
  void ClearRanges();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Closing the results window during a search stops the search instead.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  GuiContext& context_;
  std::unique_ptr<SignalSession> session_;
  ScanSettings settings_;
  PlotWidget* plot_ = nullptr;
  TuningWindow* tuning_ = nullptr;
  QPointer<QDialog> results_;
  bool searching_ = false;
  std::atomic<bool> abort_{false};
};

// "Utilità Sintonia": sweep width and step, the frequency under the pointer, the buttons.
class TuningWindow : public QDialog {
  Q_OBJECT

 public:
  TuningWindow(GraphWindow& graph, const ScanSettings& settings, QWidget* parent);

  int Width() const;
  int Step() const;
  bool AutoAdd() const;
  void ShowFrequency(std::optional<int> mhz);
  void SetSearching(bool searching);

  QPushButton* scanButton() const { return scan_; }
  QPushButton* closeButton() const { return close_; }
  QPushButton* clearButton() const { return clear_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  GraphWindow& graph_;
  QSlider* width_;
  QSlider* step_;
  QCheckBox* autoAdd_;
  QLabel* frequency_;
  QPushButton* scan_;
  QPushButton* close_;
  QPushButton* clear_;
};

}  // namespace pelorus
