#pragma once

// The signal plot drawn with QPainter: used by the graph window and by the console's --png,
// so both show the same picture. Needs QtGui only.
#include <QFont>
#include <QPainter>
#include <QPolygon>
#include <optional>
#include <vector>

#include "scanner/plot_model.h"
#include "scanner/signal_session.h"

namespace pelorus {

// What is drawn over the traces, changing while the user works with the plot.
struct PlotOverlay {
  std::vector<ChannelMarker> markers;
  std::vector<FrequencyRange> ranges;  // blue: selected for the lock search
  std::optional<int> anchorX;          // white: a selection in progress
  std::optional<int> pointerX;
  std::optional<int> searchMhz;  // yellow: the frequency being searched
};

class SignalPlotPainter {
 public:
  // Takes the data as it is plotted: normalise it first.
  void SetData(const ScanData& data, LevelRange levels);
  // Rebuilds the polylines when the size changed; cheap otherwise.
  void Resize(int width, int height, int dpiY);
  void Paint(QPainter& painter, const PlotOverlay& overlay) const;

  const PlotLayout& layout() const { return layout_; }
  const PlotTraces& traces() const { return traces_; }
  const ScanSettings& settings() const { return data_.settings; }
  int FrequencyAt(int x) const {
    return FrequencyAtX(x, data_.settings, layout_.left, traces_.lastX);
  }
  int XAt(int mhz) const { return XAtFrequency(mhz, data_.settings, layout_.left, traces_.lastX); }
  // Inside the plot: left < x <= last x, top <= y <= bottom.
  bool InPlot(int x, int y) const;

 private:
  void Rebuild();

  ScanData data_;
  LevelRange levels_;
  PlotLayout layout_;
  PlotTraces traces_;
  QPolygon horizontal_;
  QPolygon vertical_;
  QFont font_;
  QFont rotatedFont_;
};

// The plot of `data` (normalised here) as a picture of width x height, as the window shows it.
QImage RenderSignalPlot(const ScanData& data, int width, int height,
                        const PlotOverlay& overlay = {});

}  // namespace pelorus
