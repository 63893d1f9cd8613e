#pragma once

#include <QDialog>
#include <array>

#include "channels/channel_dialog_model.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace pelorus {

// "Setaggio Canali": every field of one channel. It shows and returns the controls' contents;
// the rules that turn them into a record are the core's (ShowChannelFields, ReadChannelFields).
class ChannelDialog : public QDialog {
  Q_OBJECT

 public:
  // `mode` is how the PID fields are read, so that OK can refuse text they cannot read.
  explicit ChannelDialog(const ChannelDialogFields& fields, QWidget* parent = nullptr,
                         PidMode mode = PidMode::kHexadecimal);
  ChannelDialogFields Fields() const;

  // OK: refused, with the fields marked and named, while a number field holds text its reading
  // would take only in part or not at all.
  void accept() override;

 private:
  QLineEdit* AddEdit(const char* label, const char* name, const std::string& text);
  QRadioButton* AddRadio(const char* caption, const char* name, QButtonGroup* group, int id);

  QLineEdit* name_ = nullptr;
  QLineEdit* serviceId_ = nullptr;
  QLineEdit* lockCode_ = nullptr;
  QLineEdit* frequency_ = nullptr;
  QLineEdit* acqBandwidth_ = nullptr;
  QLineEdit* symbolRate_ = nullptr;
  QLineEdit* videoPid_ = nullptr;
  QLineEdit* audioPid_ = nullptr;
  QLineEdit* pmtPid_ = nullptr;
  QLineEdit* textPid_ = nullptr;
  QLineEdit* pcrPid_ = nullptr;
  QLineEdit* pmc_ = nullptr;
  QLineEdit* tsId_ = nullptr;
  QLineEdit* networkId_ = nullptr;
  QLineEdit* scrambling_ = nullptr;
  QButtonGroup* video_ = nullptr;
  QButtonGroup* audio_ = nullptr;
  QButtonGroup* twelveVolt_ = nullptr;
  QButtonGroup* fec_ = nullptr;
  QButtonGroup* polarity_ = nullptr;
  QComboBox* diseqc_ = nullptr;
  QComboBox* inversion_ = nullptr;
  QComboBox* serviceType_ = nullptr;
  QCheckBox* autoPmt_ = nullptr;
  QCheckBox* autoPid_ = nullptr;
  QWidget* page_ = nullptr;
  QLabel* warning_ = nullptr;
  PidMode mode_;
};

// Runs the dialog over a record in the given PID mode; true when OK wrote the record.
bool ExecChannelDialog(ChannelRecord& record, PidMode mode, QWidget* parent);

}  // namespace pelorus
