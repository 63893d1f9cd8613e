#include "grabber/ui/picture_window.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "grabber/messages.h"

namespace pelorus {

PictureWindow::PictureWindow(QWidget* owner, QImage picture)
    : QDialog(owner), picture_(std::move(picture)) {
  setWindowTitle(QString::fromUtf8(msg::grab::kPictureCaption));
  setObjectName(QStringLiteral("pictureWindow"));
  setFixedSize(picture_.size());
  QScreen* screen = owner != nullptr && owner->screen() != nullptr
                        ? owner->screen()
                        : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    const QRect area = screen->availableGeometry();
    const QSize outer = frameGeometry().size().expandedTo(size());
    move(area.x() + (area.width() - outer.width()) / 2,
         area.y() + (area.height() - outer.height()) / 2);
  }
}

void PictureWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, picture_);
}

}  // namespace pelorus
