#include "scanner/qt/signal_plot_painter.h"

#include <QFontMetrics>
#include <QImage>

#include "common/strfmt.h"
#include "font_map.h"
#include "scanner/messages.h"

namespace pelorus {
namespace {

constexpr int kLabelPoints = 8;

QPolygon ToPolygon(const std::vector<Vertex>& vertices) {
  QPolygon polygon(static_cast<int>(vertices.size()));
  for (size_t i = 0; i < vertices.size(); ++i)
    polygon.setPoint(static_cast<int>(i), vertices[i].x, vertices[i].y);
  return polygon;
}

QString MhzText(int mhz) { return QString::fromStdString(Format(msg::scanner::kMhzLabel, mhz)); }

}  // namespace

void SignalPlotPainter::SetData(const ScanData& data, LevelRange levels) {
  data_ = data;
  levels_ = levels;
  Rebuild();
}

void SignalPlotPainter::Resize(int width, int height, int dpiY) {
  const int pixels = std::max(1, kLabelPoints * dpiY / 72);
  if (font_.pixelSize() != pixels) {
    font_ = MappedFont(QStringLiteral("Arial"));
    font_.setPixelSize(pixels);
    rotatedFont_ = font_;
  }
  if (width == layout_.width && height == layout_.height) return;
  layout_ = LayoutFor(width, height);
  Rebuild();
}

void SignalPlotPainter::Rebuild() {
  traces_ = BuildTraces(data_, layout_, levels_.maximum);
  horizontal_ = ToPolygon(traces_.horizontal);
  vertical_ = ToPolygon(traces_.vertical);
}

bool SignalPlotPainter::InPlot(int x, int y) const {
  return x > layout_.left && x <= traces_.lastX && y >= layout_.top && y <= layout_.bottom;
}

void SignalPlotPainter::Paint(QPainter& painter, const PlotOverlay& overlay) const {
  const PlotLayout& l = layout_;
  painter.fillRect(0, 0, l.width, l.height, Qt::black);
  const int midY = (l.top + l.bottom) / 2;
  const auto fullLine = [&](int x, const QColor& colour) {
    painter.setPen(colour);
    painter.drawLine(x, l.top, x, l.bottom);
  };

  if (IncludesVertical(data_.settings.mode)) {
    painter.setPen(QColor(255, 0, 0));
    painter.drawPolyline(vertical_);
  }
  if (IncludesHorizontal(data_.settings.mode)) {
    painter.setPen(QColor(0, 255, 0));
    painter.drawPolyline(horizontal_);
  }

  painter.setPen(Qt::white);
  painter.drawLine(l.left, l.top, l.left, l.bottom);
  painter.drawLine(l.left, l.bottom, traces_.lastX, l.bottom);

  painter.setFont(font_);
  const QFontMetrics metrics(font_);
  const int labelY = l.bottom + metrics.ascent() + 2;
  painter.drawText(l.left, labelY, MhzText(data_.settings.startMhz));
  const QString endText = MhzText(data_.settings.endMhz);
  painter.drawText(traces_.lastX - metrics.horizontalAdvance(endText), labelY, endText);

  // The level labels run upwards just left of the axis.
  painter.save();
  painter.setFont(rotatedFont_);
  painter.translate(l.left - 2, 0);
  painter.rotate(-90);
  const QString strength = QString::fromLatin1(msg::scanner::kSignalStrength);
  const QString minText = QString::number(levels_.minimum);
  const QString maxText = QString::number(levels_.maximum);
  painter.drawText(-l.bottom, 0, minText);
  painter.drawText(-l.top - metrics.horizontalAdvance(maxText), 0, maxText);
  painter.drawText(-midY - metrics.horizontalAdvance(strength) / 2, 0, strength);
  painter.restore();

  for (const ChannelMarker& marker : overlay.markers)
    fullLine(XAt(marker.mhz), marker.vertical ? QColor(255, 0, 0) : QColor(0, 255, 0));
  for (const FrequencyRange& range : overlay.ranges) {
    const int x0 = XAt(range.startMhz);
    const int x1 = XAt(range.endMhz);
    fullLine(x0, QColor(0, 0, 255));
    fullLine(x1, QColor(0, 0, 255));
    painter.drawLine(x0, midY, x1, midY);
  }
  if (overlay.anchorX) {
    fullLine(*overlay.anchorX, Qt::white);
    if (overlay.pointerX) {
      fullLine(*overlay.pointerX, Qt::white);
      painter.drawLine(*overlay.anchorX, midY, *overlay.pointerX, midY);
    }
  }
  if (overlay.searchMhz) fullLine(XAt(*overlay.searchMhz), QColor(255, 255, 0));
}

QImage RenderSignalPlot(const ScanData& data, int width, int height, const PlotOverlay& overlay) {
  ScanData plotted = data;
  const LevelRange levels = NormaliseLevels(plotted);
  QImage image(width, height, QImage::Format_RGB32);
  SignalPlotPainter plot;
  plot.SetData(plotted, levels);
  plot.Resize(width, height, image.logicalDpiY());
  QPainter painter(&image);
  plot.Paint(painter, overlay);
  painter.end();
  return image;
}

}  // namespace pelorus
