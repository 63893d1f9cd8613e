#pragma once

#include <QDialog>

namespace pelorus {

// The About box: the program's picture, "Versione %s" with the version text, the credits.
class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace pelorus
