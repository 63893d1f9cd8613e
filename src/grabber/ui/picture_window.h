#pragma once

#include <QDialog>
#include <QImage>

namespace pelorus {

// "Pelorus : Griglia di Cattura ": the grabbed picture at its own size, centred on the screen's
// work area; Escape or the close box ends it.
class PictureWindow : public QDialog {
  Q_OBJECT

 public:
  PictureWindow(QWidget* owner, QImage picture);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

}  // namespace pelorus
