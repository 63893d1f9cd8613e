#include "app/ui/channel_list_view.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace pelorus {
namespace {

constexpr int kEdgeMargin = 24;  // pixels from the edge where the list starts to scroll
constexpr int kScrollIntervalMs = 40;

}  // namespace

ChannelListView::ChannelListView(QWidget* parent) : QTableView(parent) {
  // With dragging enabled a press on a selected row keeps the selection until the release, so
  // the whole selection can be dragged.
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::NoDragDrop);
  autoScroll_.setInterval(kScrollIntervalMs);
  connect(&autoScroll_, &QTimer::timeout, this, [this] { ScrollNearEdge(); });
}

void ChannelListView::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  const QModelIndex index = indexAt(event->position().toPoint());
  pressOnSelection_ = event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier &&
                      index.isValid() && selectionModel()->isRowSelected(index.row(), {});
  pressPosition_ = event->position().toPoint();
}

void ChannelListView::mouseMoveEvent(QMouseEvent* event) {
  if (!pressOnSelection_ || !(event->buttons() & Qt::LeftButton)) {
    QTableView::mouseMoveEvent(event);
    return;
  }
  lastPosition_ = event->position().toPoint();
  if (!dragging_ &&
      (lastPosition_ - pressPosition_).manhattanLength() >= QApplication::startDragDistance()) {
    dragging_ = true;
    autoScroll_.start();
  }
  if (dragging_) {
    dropRow_ = DropRowAt(lastPosition_);
    viewport()->update();
  }
}

void ChannelListView::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_) {
    pressOnSelection_ = false;
    QTableView::mouseReleaseEvent(event);
    return;
  }
  const int destination = DropRowAt(event->position().toPoint());
  EndDrag();
  setState(NoState);
  if (onDrop) onDrop(destination);
}

void ChannelListView::EndDrag() {
  dragging_ = false;
  pressOnSelection_ = false;
  dropRow_ = -1;
  autoScroll_.stop();
  viewport()->update();
}

int ChannelListView::DropRowAt(const QPoint& position) const {
  const int rows = model() != nullptr ? model()->rowCount() : 0;
  const int row = rowAt(position.y());
  if (row < 0) return position.y() < 0 ? rowAt(0) : rows;
  // Over the lower half of a row the rows land after it.
  return position.y() >= rowViewportPosition(row) + rowHeight(row) / 2 ? row + 1 : row;
}

void ChannelListView::ScrollNearEdge() {
  QScrollBar* bar = verticalScrollBar();
  const int height = viewport()->height();
  if (lastPosition_.y() < kEdgeMargin) {
    bar->setValue(bar->value() - 1);
  } else if (lastPosition_.y() > height - kEdgeMargin) {
    bar->setValue(bar->value() + 1);
  } else {
    return;
  }
  dropRow_ = DropRowAt(lastPosition_);
  viewport()->update();
}

void ChannelListView::paintEvent(QPaintEvent* event) {
  QTableView::paintEvent(event);
  if (!dragging_ || dropRow_ < 0 || model() == nullptr) return;
  const int rows = model()->rowCount();
  int y = 0;
  if (rows > 0) {
    y = dropRow_ < rows ? rowViewportPosition(dropRow_)
                        : rowViewportPosition(rows - 1) + rowHeight(rows - 1);
  }
  QPainter painter(viewport());
  painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
  painter.drawLine(0, y, viewport()->width(), y);
}

}  // namespace pelorus
