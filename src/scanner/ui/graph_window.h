#pragma once

#include <QDialog>
#include <QPointer>
#include <atomic>
#include <memory>

#include "app/ui/gui_command.h"
#include "common/worker.h"
#include "scanner/signal_session.h"

class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QCheckBox;

namespace pelorus {

class GuiFrontEnd;
class PlotWidget;
class TuningWindow;

// The scanner's own serial link and its signal subroutine, kept by the graph for lock searches.
// Other serial commands find the port in use while it is held.
struct ScannerLink {
  ScannerLink(Ui& ui, const EditorState& state, std::string subroutine)
      : link(ui), session(link, state, std::move(subroutine)) {}
  SerialLink link;
  SignalSession session;
};

// "Grafico Segnale": the plot of a scan, with "Utilità Sintonia" beside it and the lock
// search's "Risultato Scansione". Both windows belong to the main window (they stay above it)
// and neither blocks it. Lock searches run on a worker; the window ends the signal subroutine
// when it goes away.
class GraphWindow : public QDialog {
  Q_OBJECT

 public:
  GraphWindow(const GuiContext& context, const ScanData& scan, std::unique_ptr<ScannerLink> link);
  ~GraphWindow() override;

  PlotWidget* plot() const { return plot_; }
  TuningWindow* tuning() const { return tuning_; }
  QListWidget* results() const;
  bool SearchRunning() const { return searching_; }
  // The lock search's worker, for a wait in tests.
  Worker& searchWorker() { return worker_; }

  // Shows the graph and the tuning window side by side on the main window's screen.
  void ShowBoth();
  // "Scansione QPSK".
  void StartLockSearch();
  // "Chiudi" / "Cancel": stops a running search, else closes both windows.
  void CloseOrAbort();
  // "&Cancella".
  void ClearRanges();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Escape acts as "Chiudi".
  void reject() override;
  // Closing the results window during a search stops the search instead.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PlaceBesideEachOther();
  void SearchEnded(const RunResult& result);
  void AddFound(const ChannelRecord& record);

  GuiContext context_;
  std::unique_ptr<ScannerLink> link_;
  ScanSettings settings_;
  PlotWidget* plot_ = nullptr;
  TuningWindow* tuning_ = nullptr;
  GuiFrontEnd* frontEnd_ = nullptr;
  QPointer<QDialog> results_;
  bool searching_ = false;
  // Set only when the window goes away during a search: the read in progress is cut short.
  std::atomic<bool> closing_{false};
  std::unique_ptr<SerialLink::InterruptScope> closingInterrupt_;
  Worker worker_;
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
  void reject() override;

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
