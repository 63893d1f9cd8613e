#include "pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <array>

namespace pelorus {
namespace {

constexpr int kSize = 16;

// Draws into a transparent 16 x 16 picture; the painter's coordinates are pixels.
template <typename Draw>
QIcon Picture(Draw draw) {
  QPixmap pixmap(kSize, kSize);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing, true);
  draw(painter);
  painter.end();
  return QIcon(pixmap);
}

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kBlue(30, 90, 200);
const QColor kRed(200, 30, 30);
const QColor kGreen(20, 150, 60);
const QColor kYellow(235, 190, 40);

void Page(QPainter& p, QRectF r) {
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - 3, r.top());
  path.lineTo(r.right(), r.top() + 3);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawPath(path);
}

void Arrow(QPainter& p, double x, double top, double bottom, bool down) {
  p.setPen(QPen(kBlue, 2));
  p.drawLine(QPointF(x, top), QPointF(x, bottom));
  const double tip = down ? bottom + 1 : top - 1;
  const double back = down ? tip - 4 : tip + 4;
  QPolygonF head({QPointF(x - 3.5, back), QPointF(x + 3.5, back), QPointF(x, tip)});
  p.setPen(Qt::NoPen);
  p.setBrush(kBlue);
  p.drawPolygon(head);
}

void ListLines(QPainter& p, const std::array<const char*, 3>& marks) {
  QFont font = p.font();
  font.setPixelSize(5);
  font.setBold(true);
  p.setFont(font);
  for (int i = 0; i < 3; ++i) {
    const double y = 2.5 + i * 5;
    p.setPen(kBlue);
    p.drawText(QRectF(0, y - 1.5, 5, 6), Qt::AlignCenter, marks[static_cast<size_t>(i)]);
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(QPointF(6.5, y + 1.5), QPointF(15, y + 1.5));
  }
}

void NewPage(QPainter& p) {
  Page(p, QRectF(3.5, 1.5, 9, 13));
  p.setPen(QPen(kYellow, 1.5));
  p.drawLine(QPointF(12, 1), QPointF(15, 4));
  p.drawLine(QPointF(15, 1), QPointF(12, 4));
}

QIcon DrawToolbarPicture(int image) {
  switch (image) {
    case 0:
    case 16:
      return Picture(NewPage);
    case 1:
      return Picture([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kYellow.darker(115));
        p.drawRect(QRectF(1.5, 4.5, 12, 9));
        p.setBrush(kYellow);
        QPolygonF flap(
            {QPointF(3.5, 7.5), QPointF(15.5, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)});
        p.drawPolygon(flap);
      });
    case 2:
      return Picture([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kBlue);
        p.drawRect(QRectF(1.5, 1.5, 13, 13));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(3.5, 9.5, 9, 5));
      });
    case 3:
      return Picture([](QPainter& p) {
        p.setPen(QPen(kInk, 1.3));
        p.drawLine(QPointF(4, 1), QPointF(10, 11));
        p.drawLine(QPointF(12, 1), QPointF(6, 11));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kRed, 1.5));
        p.drawEllipse(QPointF(5, 12.5), 2.3, 2.3);
        p.drawEllipse(QPointF(11, 12.5), 2.3, 2.3);
      });
    case 4:
      return Picture([](QPainter& p) {
        Page(p, QRectF(1.5, 1.5, 8, 10));
        Page(p, QRectF(6.5, 4.5, 8, 10));
      });
    case 5:
      return Picture([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(160, 110, 60));
        p.drawRoundedRect(QRectF(2.5, 2.5, 11, 13), 1.5, 1.5);
        p.setBrush(QColor(190, 190, 190));
        p.drawRect(QRectF(5.5, 1.5, 5, 3));
        Page(p, QRectF(4.5, 6.5, 7, 8));
      });
    case 6:
      return Picture([](QPainter& p) {
        p.setPen(QPen(kRed, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3, 3), QPointF(13, 13));
        p.drawLine(QPointF(13, 3), QPointF(3, 13));
      });
    case 7:
      return Picture([](QPainter& p) {
        Page(p, QRectF(1.5, 1.5, 9, 13));
        Arrow(p, 12.5, 2, 11, true);
      });
    case 8:
      return Picture([](QPainter& p) {
        Page(p, QRectF(1.5, 1.5, 9, 13));
        Arrow(p, 12.5, 5, 14, false);
      });
    case 9:
      return Picture([](QPainter& p) { ListLines(p, {"1", "2", "3"}); });
    case 10:
      return Picture([](QPainter& p) { ListLines(p, {"A", "B", "C"}); });
    case 11:
      return Picture([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(150, 150, 150));
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
        p.setBrush(kPaper);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        p.setPen(kGreen);
        p.drawPoint(QPointF(12.5, 8.5));
      });
    case 12:
      return Picture([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.drawLine(QPointF(1.5, 1), QPointF(1.5, 14.5));
        p.drawLine(QPointF(1, 14.5), QPointF(15, 14.5));
        p.setPen(QPen(kGreen, 1.4));
        const QPointF trace[] = {{2, 12},  {4, 11}, {6, 5},  {7, 3},  {8, 6},
                                 {10, 12}, {12, 9}, {13, 7}, {15, 12}};
        p.drawPolyline(trace, 9);
      });
    case 13:
      return Picture([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(kInk);
        QPolygonF cone({QPointF(2, 6), QPointF(5, 6), QPointF(9, 2), QPointF(9, 14), QPointF(5, 10),
                        QPointF(2, 10)});
        p.drawPolygon(cone);
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(7, 4, 6, 8), -60 * 16, 120 * 16);
        p.drawArc(QRectF(7, 1.5, 9, 13), -60 * 16, 120 * 16);
      });
    case 14:
      return Picture([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(QRectF(1.5, 5.5, 7, 6));
        p.setBrush(kYellow);
        p.drawRect(QRectF(8.5, 6.5, 5, 1.5));
        p.drawRect(QRectF(8.5, 9.5, 5, 1.5));
        p.setPen(QPen(kInk, 1.5));
        p.drawLine(QPointF(0, 8.5), QPointF(1.5, 8.5));
      });
    case 15:
      return Picture([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(150, 200, 255));
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        QPolygonF hill(
            {QPointF(2, 13), QPointF(7, 7), QPointF(11, 11), QPointF(14, 9), QPointF(14, 13)});
        p.drawPolygon(hill);
        p.setBrush(kYellow);
        p.drawEllipse(QPointF(11, 5.5), 1.6, 1.6);
      });
    default:
      return QIcon();
  }
}

QIcon DrawRowPicture(RowIcon icon) {
  switch (icon) {
    case RowIcon::kData:
      return Picture([](QPainter& p) {
        // "0101" in two rows, so the digits stay readable at 16 pixels.
        QFont font = p.font();
        font.setPixelSize(8);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kBlue);
        p.drawText(QRectF(0, 0, kSize, kSize / 2), Qt::AlignCenter, "01");
        p.drawText(QRectF(0, kSize / 2, kSize, kSize / 2), Qt::AlignCenter, "01");
      });
    case RowIcon::kRadio:
      return DrawToolbarPicture(13);
    case RowIcon::kTelevision:
      return Picture([](QPainter& p) {
        static const std::array<QColor, 6> kBars = {QColor(255, 255, 255), QColor(255, 230, 0),
                                                    QColor(0, 220, 230),   QColor(0, 200, 0),
                                                    QColor(230, 0, 200),   QColor(220, 0, 0)};
        for (size_t i = 0; i < kBars.size(); ++i) {
          p.fillRect(QRectF(2 + 2 * static_cast<double>(i), 3, 2, 10), kBars[i]);
        }
        p.setPen(QPen(kInk, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
      });
    case RowIcon::kMarker:
      return Picture([](QPainter& p) {
        p.setPen(QPen(kInk, 1));
        p.setBrush(QColor(70, 110, 200));
        p.drawRect(QRectF(1.5, 5.5, 4, 5));
        p.drawRect(QRectF(10.5, 5.5, 4, 5));
        p.setBrush(QColor(210, 210, 210));
        p.drawRect(QRectF(5.5, 4.5, 5, 7));
        p.drawLine(QPointF(8, 11.5), QPointF(8, 14.5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(5, 12, 6, 4), 0, 180 * 16);
      });
  }
  return QIcon();
}

}  // namespace

QIcon ToolbarPicture(int image) {
  // Drawn once: the toolbar and the menus ask for the same pictures.
  static const auto pictures = [] {
    std::array<QIcon, 17> all;
    for (int i = 0; i < 17; ++i) all[static_cast<size_t>(i)] = DrawToolbarPicture(i);
    return all;
  }();
  return image >= 0 && image < 17 ? pictures[static_cast<size_t>(image)] : QIcon();
}

QIcon RowPicture(RowIcon icon) {
  static const std::array<QIcon, 4> pictures = {
      DrawRowPicture(RowIcon::kData), DrawRowPicture(RowIcon::kRadio),
      DrawRowPicture(RowIcon::kTelevision), DrawRowPicture(RowIcon::kMarker)};
  return pictures[static_cast<size_t>(icon)];
}

QIcon ProgramPicture() {
  static const QIcon picture = [] {
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(kInk, 2));
    p.setBrush(QColor(235, 240, 250));
    p.drawEllipse(QPointF(32, 32), 29, 29);
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawPolygon(QPolygonF({QPointF(32, 6), QPointF(38, 32), QPointF(26, 32)}));
    p.setBrush(kInk);
    p.drawPolygon(QPolygonF({QPointF(32, 58), QPointF(38, 32), QPointF(26, 32)}));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF({QPointF(6, 32), QPointF(32, 27), QPointF(32, 37)}));
    p.drawPolygon(QPolygonF({QPointF(58, 32), QPointF(32, 27), QPointF(32, 37)}));
    p.end();
    return QIcon(pixmap);
  }();
  return picture;
}

}  // namespace pelorus
