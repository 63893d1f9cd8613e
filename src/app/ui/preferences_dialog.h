#pragma once

#include <QDialog>
#include <array>

#include "app/preferences.h"

class QComboBox;
class QLabel;
class QRadioButton;
class QLineEdit;

namespace pelorus {

// The "Preferences" sheet: "Serial Settings" and "General Settings", OK and Cancel, no Apply.
class PreferencesDialog : public QDialog {
  Q_OBJECT

 public:
  PreferencesDialog(const PreferencesChoice& choice, QWidget* parent = nullptr);
  // The state of the buttons, for ApplyPreferences after OK.
  PreferencesChoice Choice() const;
  // Says which device is used instead of the choice, when `--port` or PELORUS_SERIAL names one.
  void ShowDeviceInUse(const std::string& device, const char* source);

 private:
  QWidget* BuildSerialPage(const PreferencesChoice& choice);
  QWidget* BuildGeneralPage(const PreferencesChoice& choice);

  std::array<QRadioButton*, 8> ports_{};
  QRadioButton* otherPort_ = nullptr;
  QLineEdit* devicePath_ = nullptr;
  QComboBox* devices_ = nullptr;  // the serial devices that exist now
  QLabel* inUse_ = nullptr;
  std::array<QRadioButton*, 3> speeds_{};
  QRadioButton* hexadecimal_ = nullptr;
  QRadioButton* decimal_ = nullptr;
  QRadioButton* eraseFirmware_ = nullptr;
  QRadioButton* eraseAll_ = nullptr;
  QRadioButton* pasteBefore_ = nullptr;
  QRadioButton* pasteAfter_ = nullptr;
  QRadioButton* scsiEnabled_ = nullptr;
  QRadioButton* scsiDisabled_ = nullptr;
};

}  // namespace pelorus
