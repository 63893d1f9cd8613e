#pragma once

#include <QTableView>
#include <QTimer>
#include <functional>

namespace pelorus {

// The channel list. Beside the table's own behaviour, the selected rows can be dragged to
// another place in the list: a line shows where they will land, and the list scrolls when the
// pointer nears its top or bottom edge. The drag stays inside the list, so it needs no drag
// and drop through the desktop.
class ChannelListView : public QTableView {
  Q_OBJECT

 public:
  explicit ChannelListView(QWidget* parent = nullptr);

  // Called with the row the selected rows are to stand before (the row count: the end).
  std::function<void(int destination)> onDrop;

  // The row a drop at this viewport position lands before; -1 while no drag is under way.
  int dropRow() const { return dragging_ ? dropRow_ : -1; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int DropRowAt(const QPoint& position) const;
  void ScrollNearEdge();
  void EndDrag();

  bool pressOnSelection_ = false;
  bool dragging_ = false;
  QPoint pressPosition_;
  QPoint lastPosition_;
  int dropRow_ = -1;
  QTimer autoScroll_;
};

}  // namespace pelorus
