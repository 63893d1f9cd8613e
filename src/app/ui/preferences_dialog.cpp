#include "preferences_dialog.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "serial/serial_ports.h"

namespace pelorus {
namespace {

// A port path longer than about this many characters (a USB adapter's by-id name) is shortened
// in its middle, so that the port page keeps its width.
constexpr int kInUsePathChars = 40;

// Radio buttons of one group: exclusive, but a group may start with none checked.
QRadioButton* Radio(const char* text, const char* name, QButtonGroup* group, QWidget* parent) {
  auto* button = new QRadioButton(QString::fromUtf8(text), parent);
  button->setObjectName(QString::fromLatin1(name));
  group->addButton(button);
  return button;
}

}  // namespace

PreferencesDialog::PreferencesDialog(const PreferencesChoice& choice, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QStringLiteral("Preferences"));
  auto* tabs = new QTabWidget(this);
  tabs->addTab(BuildSerialPage(choice), QStringLiteral("Serial Settings"));
  tabs->addTab(BuildGeneralPage(choice), QStringLiteral("General Settings"));
  tabs->setCurrentIndex(0);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs);
  layout->addWidget(buttons);
}

QWidget* PreferencesDialog::BuildSerialPage(const PreferencesChoice& choice) {
  auto* page = new QWidget(this);
  auto* portBox = new QGroupBox(QStringLiteral("Porte"), page);
  auto* portGroup = new QButtonGroup(page);
  auto* portLayout = new QGridLayout(portBox);
  static constexpr const char* kPortLabels[] = {"COM&1", "COM&2", "COM&3", "COM&4",
                                                "COM&5", "COM&6", "COM&7", "COM&8"};
  for (int i = 0; i < 8; ++i) {
    const std::string name = "port" + std::to_string(i + 1);
    ports_[static_cast<size_t>(i)] = Radio(kPortLabels[i], name.c_str(), portGroup, portBox);
    portLayout->addWidget(ports_[static_cast<size_t>(i)], i % 4, i / 4);
    ports_[static_cast<size_t>(i)]->setChecked(choice.port == i + 1);
  }
  // Any other device: a USB adapter, a pseudo-terminal.
  otherPort_ = Radio("Altro:", "portOther", portGroup, portBox);
  devicePath_ = new QLineEdit(QString::fromStdString(choice.serialDevice), portBox);
  devicePath_->setObjectName(QStringLiteral("devicePath"));
  devicePath_->setPlaceholderText(QStringLiteral("/dev/ttyUSB0"));
  otherPort_->setChecked(!choice.serialDevice.empty());
  devicePath_->setEnabled(otherPort_->isChecked());
  connect(otherPort_, &QRadioButton::toggled, devicePath_, &QLineEdit::setEnabled);
  portLayout->addWidget(otherPort_, 4, 0);
  portLayout->addWidget(devicePath_, 4, 1);
  // The devices present now; picking one fills in the path.
  devices_ = new QComboBox(portBox);
  devices_->setObjectName(QStringLiteral("serialDevices"));
  devices_->addItem(QStringLiteral("Dispositivi trovati..."), QString());
  for (const SerialPortChoice& item : SerialPortChoices(FindSerialPorts(), choice.serialDevice)) {
    devices_->addItem(QString::fromStdString(item.label), QString::fromStdString(item.path));
  }
  devices_->setMaximumWidth(420);
  connect(devices_, &QComboBox::activated, this, [this](int index) {
    const QString path = devices_->itemData(index).toString();
    if (path.isEmpty()) return;
    otherPort_->setChecked(true);
    devicePath_->setText(path);
  });
  portLayout->addWidget(devices_, 5, 0, 1, 2);
  inUse_ = new QLabel(portBox);
  inUse_->setObjectName(QStringLiteral("deviceInUse"));
  // Broken only where the text says: a path wrapped by the label would be split inside a word.
  inUse_->setWordWrap(false);
  inUse_->hide();
  portLayout->addWidget(inUse_, 6, 0, 1, 2);

  auto* speedBox = new QGroupBox(QStringLiteral("Velocità"), page);
  auto* speedGroup = new QButtonGroup(page);
  auto* speedLayout = new QVBoxLayout(speedBox);
  static constexpr const char* kSpeedLabels[] = {"9&600", "1&9200", "3&8400"};
  for (int i = 0; i < 3; ++i) {
    const std::string name = "speed" + std::to_string(i + 1);
    speeds_[static_cast<size_t>(i)] = Radio(kSpeedLabels[i], name.c_str(), speedGroup, speedBox);
    speeds_[static_cast<size_t>(i)]->setChecked(choice.speed == i + 1);
    speedLayout->addWidget(speeds_[static_cast<size_t>(i)]);
  }

  auto* layout = new QHBoxLayout(page);
  layout->addWidget(portBox);
  layout->addWidget(speedBox);
  return page;
}

QWidget* PreferencesDialog::BuildGeneralPage(const PreferencesChoice& choice) {
  auto* page = new QWidget(this);
  auto pair = [&](const char* title, const char* first, const char* firstName, const char* second,
                  const char* secondName, QRadioButton*& a, QRadioButton*& b) {
    auto* box = new QGroupBox(QString::fromUtf8(title), page);
    auto* group = new QButtonGroup(box);
    auto* layout = new QVBoxLayout(box);
    a = Radio(first, firstName, group, box);
    b = Radio(second, secondName, group, box);
    layout->addWidget(a);
    layout->addWidget(b);
    return box;
  };
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(pair("Modo PID", "&Esadecimali", "hexadecimal", "&Decimali", "decimal",
                         hexadecimal_, decimal_));
  layout->addWidget(pair("Opzioni Firmware", "&Cancella Firmware", "eraseFirmware",
                         "Cancella &Tutto", "eraseAll", eraseFirmware_, eraseAll_));
  layout->addWidget(pair("Opzione Incolla", "&Prima", "pasteBefore", "&Dopo", "pasteAfter",
                         pasteBefore_, pasteAfter_));
  // Kept and written back, but nothing reads it: the buttons exist, hidden.
  QWidget* scsiBox = pair("SCSI", "SCSI Abilitata", "scsiEnabled", "SCSI Disabilitata",
                          "scsiDisabled", scsiEnabled_, scsiDisabled_);
  scsiBox->hide();
  layout->addWidget(scsiBox);

  (choice.decimal ? decimal_ : hexadecimal_)->setChecked(true);
  (choice.eraseAll ? eraseAll_ : eraseFirmware_)->setChecked(true);
  (choice.scsiDisabled ? scsiDisabled_ : scsiEnabled_)->setChecked(true);
  (choice.pasteBefore ? pasteBefore_ : pasteAfter_)->setChecked(true);
  return page;
}

void PreferencesDialog::ShowDeviceInUse(const std::string& device, const char* source) {
  // The path on a line of its own (a label that wrapped would break it inside a word), shortened
  // in the middle when it is long; the whole path stays in the tooltip.
  const QString path = QString::fromStdString(device);
  const int room = inUse_->fontMetrics().averageCharWidth() * kInUsePathChars;
  const QString shown = inUse_->fontMetrics().elidedText(path, Qt::ElideMiddle, room);
  inUse_->setText(QStringLiteral("In uso: %1\n(%2)").arg(shown, QString::fromUtf8(source)));
  inUse_->setToolTip(path);
  inUse_->setVisible(!device.empty());
}

PreferencesChoice PreferencesDialog::Choice() const {
  PreferencesChoice choice;
  for (int i = 0; i < 8; ++i) {
    if (ports_[static_cast<size_t>(i)]->isChecked()) choice.port = i + 1;
  }
  if (otherPort_->isChecked()) choice.serialDevice = devicePath_->text().trimmed().toStdString();
  for (int i = 0; i < 3; ++i) {
    if (speeds_[static_cast<size_t>(i)]->isChecked()) choice.speed = i + 1;
  }
  choice.hexadecimal = hexadecimal_->isChecked();
  choice.decimal = decimal_->isChecked();
  choice.eraseAll = eraseAll_->isChecked();
  choice.scsiDisabled = scsiDisabled_->isChecked();
  choice.pasteBefore = pasteBefore_->isChecked();
  return choice;
}

}  // namespace pelorus
