#include "scanner/ui/scan_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include "common/file_io.h"
#include "common/number_parse.h"
#include "scanner/messages.h"

namespace pelorus {
namespace {

namespace m = msg::scanner;

FileRequest ScanFileRequest(const Options& options, const char* title) {
  FileRequest request;
  request.title = title;
  request.filterName = m::kScanFilterName;
  request.filterPattern = m::kScanFilterPattern;
  request.defaultExtension = m::kScanExtension;
  request.initialDir = options.scnInitialDir;
  return request;
}

}  // namespace

ScanDialogResult RunScanDialog(GuiContext& context, const std::string& dataFolder) {
  ScanDialogResult result;
  QDialog dialog(context.window);
  dialog.setObjectName(QStringLiteral("scanDialog"));
  dialog.setWindowTitle(QString::fromUtf8(m::kScanDialogTitle));

  auto* lnbBox = new QGroupBox(QStringLiteral("LNB"));
  auto* lnbLayout = new QVBoxLayout(lnbBox);
  auto* lnbGroup = new QButtonGroup(&dialog);
  for (const LnbInfo& info : LnbTypes()) {
    auto* button = new QRadioButton(QString::fromUtf8(info.caption));
    button->setObjectName(QStringLiteral("lnb%1").arg(static_cast<int>(info.type)));
    lnbGroup->addButton(button, static_cast<int>(info.type));
    lnbLayout->addWidget(button);
  }
  auto* polarityBox = new QGroupBox(QStringLiteral("Polarit\u00e0"));
  auto* polarityLayout = new QVBoxLayout(polarityBox);
  auto* polarityGroup = new QButtonGroup(&dialog);
  const std::pair<PolarityMode, const char*> modes[] = {
      {PolarityMode::kHorizontal, m::kPolarityH},
      {PolarityMode::kVertical, m::kPolarityV},
      {PolarityMode::kBoth, m::kPolarityHV},
      {PolarityMode::kBothWithPause, m::kPolarityHVPause}};
  for (const auto& [mode, caption] : modes) {
    auto* button = new QRadioButton(QString::fromUtf8(caption));
    button->setObjectName(QStringLiteral("pol%1").arg(static_cast<int>(mode)));
    polarityGroup->addButton(button, static_cast<int>(mode));
    polarityLayout->addWidget(button);
  }

  auto* startField = new QLineEdit;
  auto* endField = new QLineEdit;
  startField->setObjectName(QStringLiteral("start"));
  endField->setObjectName(QStringLiteral("end"));
  auto* startSlider = new QSlider(Qt::Horizontal);
  auto* endSlider = new QSlider(Qt::Horizontal);
  startSlider->setObjectName(QStringLiteral("startSlider"));
  endSlider->setObjectName(QStringLiteral("endSlider"));
  QObject::connect(startSlider, &QSlider::valueChanged, startField,
                   [startField](int value) { startField->setText(QString::number(value)); });
  QObject::connect(endSlider, &QSlider::valueChanged, endField,
                   [endField](int value) { endField->setText(QString::number(value)); });
  // Choosing a type resets the fields and sliders to its range.
  const auto chooseType = [=](int id) {
    const auto info = FindLnb(id);
    if (!info) return;
    for (QSlider* slider : {startSlider, endSlider}) slider->setRange(info->minMhz, info->maxMhz);
    startSlider->setValue(info->minMhz);
    endSlider->setValue(info->maxMhz);
    startField->setText(QString::number(info->minMhz));
    endField->setText(QString::number(info->maxMhz));
  };
  QObject::connect(lnbGroup, &QButtonGroup::idClicked, &dialog, chooseType);
  lnbGroup->button(static_cast<int>(LnbType::kUniversal))->setChecked(true);
  polarityGroup->button(static_cast<int>(PolarityMode::kBoth))->setChecked(true);
  chooseType(static_cast<int>(LnbType::kUniversal));

  auto* rangeBox = new QGroupBox(QStringLiteral("MHz"));
  auto* rangeLayout = new QGridLayout(rangeBox);
  rangeLayout->addWidget(startField, 0, 0);
  rangeLayout->addWidget(startSlider, 0, 1);
  rangeLayout->addWidget(endField, 1, 0);
  rangeLayout->addWidget(endSlider, 1, 1);

  auto* save = new QCheckBox(QString::fromUtf8(m::kSaveToFile));
  save->setObjectName(QStringLiteral("saveToFile"));
  auto* load = new QPushButton(QString::fromUtf8(m::kLoad));
  load->setObjectName(QStringLiteral("load"));
  auto* start = new QPushButton(QString::fromUtf8(m::kStart));
  start->setObjectName(QStringLiteral("start"));
  start->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(QStringLiteral("cancel"));

  Options& options = context.state.options;
  QObject::connect(save, &QCheckBox::toggled, &dialog, [&](bool on) {
    result.saveFile.clear();
    if (!on) return;
    FileRequest request = ScanFileRequest(options, m::kSaveScanTitle);
    request.overwritePrompt = true;
    if (context.ui.ShowSaveDialog(request)) {
      result.saveFile = request.path;
      options.scnInitialDir = FolderOf(request.path);
    } else {
      save->setChecked(false);
    }
  });
  QObject::connect(load, &QPushButton::clicked, &dialog, [&] {
    FileRequest request = ScanFileRequest(options, m::kLoadScanTitle);
    if (!context.ui.ShowOpenDialog(request)) return;
    options.scnInitialDir = FolderOf(request.path);
    result.loadFile = request.path;
    result.kind = ScanDialogResult::Kind::kLoad;
    dialog.accept();
  });
  QObject::connect(start, &QPushButton::clicked, &dialog, [&] {
    result.settings.lnb = static_cast<LnbType>(lnbGroup->checkedId());
    result.settings.mode = static_cast<PolarityMode>(polarityGroup->checkedId());
    // Only a whole number is one: "11000x" fails the range check instead of reading as 11000.
    const auto startValue = ParseNumber(startField->text().trimmed().toStdString(), 0, 65535);
    const auto endValue = ParseNumber(endField->text().trimmed().toStdString(), 0, 65535);
    result.settings.startMhz = startValue ? static_cast<int>(*startValue) : -1;
    result.settings.endMhz = endValue ? static_cast<int>(*endValue) : -1;
    switch (ConfirmScanStart(result.settings, context.ui, dataFolder)) {
      case ScanChoice::kStay:
        return;
      case ScanChoice::kScan:
        result.kind = ScanDialogResult::Kind::kScan;
        break;
      case ScanChoice::kCalibrate:
        result.kind = ScanDialogResult::Kind::kCalibrate;
        break;
    }
    dialog.accept();
  });
  QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);

  auto* buttons = new QVBoxLayout;
  for (QWidget* widget : std::initializer_list<QWidget*>{start, cancel, save, load})
    buttons->addWidget(widget);
  buttons->addStretch();
  auto* left = new QVBoxLayout;
  left->addWidget(lnbBox);
  left->addWidget(rangeBox);
  auto* right = new QVBoxLayout;
  right->addWidget(polarityBox);
  right->addLayout(buttons);
  auto* layout = new QHBoxLayout(&dialog);
  layout->addLayout(left);
  layout->addLayout(right);

  if (dialog.exec() != QDialog::Accepted) result.kind = ScanDialogResult::Kind::kCancelled;
  return result;
}

}  // namespace pelorus
