#pragma once

// Draws the printout's layout with QPainter. Header-only on purpose: the desktop program and
// the console's PDF writer both include it, and the console links QtGui but no widgets.
#include <QFont>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <QString>
#include <array>
#include <vector>

#include "channels/print_layout.h"
#include "font_map.h"

namespace pelorus {

// The printer's three fonts, made for the painter's device resolution.
class PrintFonts {
 public:
  explicit PrintFonts(QPaintDevice& device) {
    for (PrintFont font : {PrintFont::kRow, PrintFont::kHeader, PrintFont::kTitle}) {
      const PrintFontStyle style = FontStyleOf(font);
      QFont& qfont = fonts_[static_cast<size_t>(font)];
      qfont = MappedFont(QStringLiteral("Arial"));
      qfont.setPixelSize(std::max(1, PointsToPixels(style.points, device.logicalDpiY())));
      qfont.setWeight(style.weight >= 900 ? QFont::Black : QFont::Normal);
    }
  }

  const QFont& Of(PrintFont font) const { return fonts_[static_cast<size_t>(font)]; }

  // Metrics measured on the device the painter draws on.
  PrintMetrics Metrics(QPaintDevice& device) const {
    PrintMetrics metrics;
    metrics.width = device.width();
    metrics.height = device.height();
    metrics.lineHeight = [this, &device](PrintFont font) {
      return QFontMetrics(Of(font), &device).height();
    };
    metrics.textWidth = [this, &device](PrintFont font, std::string_view text) {
      return QFontMetrics(Of(font), &device)
          .horizontalAdvance(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    };
    return metrics;
  }

 private:
  std::array<QFont, 3> fonts_;
};

// Renders the operations on a painter that is already active on a paged device (printer or
// PDF writer); kNewPage starts the next page. Black text and lines on white.
inline void PaintPrintLayout(QPainter& painter, QPagedPaintDevice& device, const PrintFonts& fonts,
                             const std::vector<PrintOp>& ops) {
  painter.setPen(QPen(Qt::black, 1));
  painter.setBackground(Qt::white);
  for (const PrintOp& op : ops) {
    switch (op.kind) {
      case PrintOpKind::kNewPage:
        device.newPage();
        break;
      case PrintOpKind::kLine:
        painter.drawLine(op.x, op.y, op.x2, op.y);
        break;
      case PrintOpKind::kText: {
        painter.setFont(fonts.Of(op.font));
        const QFontMetrics metrics(fonts.Of(op.font), &device);
        // Names are 8-bit text; Latin-1 shows every byte as one character.
        painter.drawText(
            op.x, op.y + metrics.ascent(),
            QString::fromLatin1(op.text.data(), static_cast<qsizetype>(op.text.size())));
        break;
      }
    }
  }
}

}  // namespace pelorus
