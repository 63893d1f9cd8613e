#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "common/ui.h"
#include "scanner/qt/signal_plot_painter.h"

namespace pelorus {

// The signal plot of "Grafico Segnale": paints from the data it holds (polylines rebuilt only
// on a resize) and lets the user pick the ranges for the lock search with the mouse.
class PlotWidget : public QWidget {
  Q_OBJECT

 public:
  PlotWidget(const ScanData& scan, std::vector<ChannelMarker> markers, Ui& ui,
             QWidget* parent = nullptr);

  const std::vector<FrequencyRange>& ranges() const { return overlay_.ranges; }
  void ClearRanges();
  void SetSearchMarker(std::optional<int> mhz);
  const SignalPlotPainter& plot() const { return plot_; }

  // Asked before a selection starts: true while a lock search runs.
  std::function<bool()> searchRunning;
  // The frequency under the pointer, or none outside the plot.
  std::function<void(std::optional<int>)> pointerMoved;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Ui& ui_;
  SignalPlotPainter plot_;
  PlotOverlay overlay_;
  bool selecting_ = false;
};

}  // namespace pelorus
