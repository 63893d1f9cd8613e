#pragma once

#include <QDialog>
#include <functional>

#include "common/options.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;

namespace pelorus {

// "Paste from MPEG Search Project": which bands to take, the LNB port of each band, the
// delimiter and the satellite markers. OK stores the choices in the options and runs the paste
// while the dialog is still up, so that the paste's messages appear over it.
class MpegSearchDialog : public QDialog {
  Q_OBJECT

 public:
  MpegSearchDialog(Options& options, std::function<void()> paste, QWidget* parent = nullptr);

 private:
  void Accept();

  Options& options_;
  std::function<void()> paste_;
  QCheckBox* markers_ = nullptr;
  QComboBox* diseqcC_ = nullptr;
  QComboBox* diseqcKu_ = nullptr;
  QComboBox* diseqcKuDbs_ = nullptr;
  QButtonGroup* mode_ = nullptr;
  QButtonGroup* delimiter_ = nullptr;
};

}  // namespace pelorus
