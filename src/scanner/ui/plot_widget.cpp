#include "scanner/ui/plot_widget.h"

#include <QMouseEvent>
#include <QPainter>

#include "scanner/messages.h"

namespace pelorus {

PlotWidget::PlotWidget(const ScanData& scan, std::vector<ChannelMarker> markers, Ui& ui,
                       QWidget* parent)
    : QWidget(parent), ui_(ui) {
  setObjectName(QStringLiteral("signalPlot"));
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  ScanData plotted = scan;
  const LevelRange levels = NormaliseLevels(plotted);
  plot_.SetData(plotted, levels);
  overlay_.markers = std::move(markers);
  setMinimumSize(320, 200);
}

void PlotWidget::ClearRanges() {
  overlay_.ranges.clear();
  update();
}

void PlotWidget::SetSearchMarker(std::optional<int> mhz) {
  overlay_.searchMhz = mhz;
  update();
}

void PlotWidget::paintEvent(QPaintEvent*) {
  plot_.Resize(width(), height(), logicalDpiY());
  QPainter painter(this);
  plot_.Paint(painter, overlay_);
}

void PlotWidget::resizeEvent(QResizeEvent*) {
  plot_.Resize(width(), height(), logicalDpiY());
  update();
}

void PlotWidget::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (event->button() != Qt::LeftButton || !plot_.InPlot(at.x(), at.y())) return;
  if (searchRunning && searchRunning()) {
    ui_.ShowMessage(msg::scanner::kStopBeforeSelecting, Icon::kInformation);
    return;
  }
  selecting_ = true;
  overlay_.anchorX = at.x();
  overlay_.pointerX.reset();
  update();
}

void PlotWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  if (pointerMoved) {
    pointerMoved(plot_.InPlot(at.x(), at.y()) ? std::optional(plot_.FrequencyAt(at.x()))
                                              : std::nullopt);
  }
  if (!selecting_) return;
  const PlotLayout& layout = plot_.layout();
  overlay_.pointerX = std::clamp(at.x(), layout.left, plot_.traces().lastX);
  update();
}

void PlotWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !selecting_) return;
  selecting_ = false;
  const PlotLayout& layout = plot_.layout();
  const int x = std::clamp(event->position().toPoint().x(), layout.left, plot_.traces().lastX);
  const int a = plot_.FrequencyAt(*overlay_.anchorX);
  const int b = plot_.FrequencyAt(x);
  overlay_.anchorX.reset();
  overlay_.pointerX.reset();
  if (!AddSelectedRange(overlay_.ranges, a, b))
    ui_.ShowMessage(msg::scanner::kRangeAlreadySelected, Icon::kWarning);
  update();
}

}  // namespace pelorus
