#include "grabber/ui/grab_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>
#include <functional>

#include "grabber/messages.h"

namespace pelorus {
namespace {

QString Text(const char* text) { return QString::fromUtf8(text); }

QRadioButton* Radio(QWidget* parent, QVBoxLayout* column, const char* text, const char* name,
                    bool checked, std::function<void()> onClick) {
  auto* radio = new QRadioButton(Text(text), parent);
  radio->setObjectName(QString::fromLatin1(name));
  radio->setChecked(checked);
  QObject::connect(radio, &QRadioButton::clicked, parent, [onClick] { onClick(); });
  column->addWidget(radio);
  return radio;
}

QCheckBox* Check(QWidget* parent, QVBoxLayout* column, const char* text, const char* name,
                 bool& option) {
  auto* box = new QCheckBox(Text(text), parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setChecked(option);
  QObject::connect(box, &QCheckBox::clicked, parent, [&option](bool on) { option = on; });
  column->addWidget(box);
  return box;
}

QWidget* OptionsPanel(QWidget* parent, GrabOptions& options) {
  auto* panel = new QWidget(parent);
  panel->setObjectName(QStringLiteral("grabOptions"));
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(0, 0, 0, 0);

  auto* frames = new QGroupBox(Text(msg::grab::kFrameLabel), panel);
  auto* frameColumn = new QVBoxLayout(frames);
  const char* frameTexts[] = {msg::grab::kFrame1, msg::grab::kFrame2, msg::grab::kFrame3};
  const char* frameNames[] = {"frame1", "frame2", "frame3"};
  for (int number = 1; number <= 3; ++number) {
    Radio(frames, frameColumn, frameTexts[number - 1], frameNames[number - 1],
          options.frameNumber == number, [&options, number] { options.frameNumber = number; });
  }
  row->addWidget(frames);

  auto* modes = new QGroupBox(Text(msg::grab::kFormatLabel), panel);
  auto* modeColumn = new QVBoxLayout(modes);
  const struct {
    GrabDisplayMode mode;
    const char* text;
    const char* name;
  } modeButtons[] = {{GrabDisplayMode::kColour, msg::grab::kColour, "colour"},
                     {GrabDisplayMode::kLuminance, msg::grab::kLuminance, "luminance"},
                     {GrabDisplayMode::kCr, msg::grab::kCr, "cr"},
                     {GrabDisplayMode::kCb, msg::grab::kCb, "cb"}};
  for (const auto& button : modeButtons) {
    const GrabDisplayMode mode = button.mode;
    Radio(modes, modeColumn, button.text, button.name, options.displayMode == mode,
          [&options, mode] { options.displayMode = mode; });
  }
  row->addWidget(modes);

  auto* checks = new QWidget(panel);
  auto* checkColumn = new QVBoxLayout(checks);
  Check(checks, checkColumn, msg::grab::kInterpolate, "interpolate", options.interpolate);
  Check(checks, checkColumn, msg::grab::kDisplayImage, "displayImage", options.showPicture);
  Check(checks, checkColumn, msg::grab::kDeleteMem, "deleteMem", options.deleteMem);
  checkColumn->addStretch();
  row->addWidget(checks);
  return panel;
}

}  // namespace

bool ShowGrabDialog(QWidget* owner, GrabDialogRequest& request, GrabOptions& options) {
  const FileRequest& file = request.file;
  QFileDialog dialog(owner, QString::fromStdString(file.title),
                     QString::fromStdString(file.initialDir));
  dialog.setObjectName(QStringLiteral("grabDialog"));
  // The panel needs the toolkit's own dialog; a platform dialog cannot take extra widgets.
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !file.overwritePrompt);
  dialog.setNameFilters(
      {QString::fromStdString(file.filterName), QString::fromStdString(request.bitmapFilterName)});
  dialog.setDefaultSuffix(QString::fromStdString(file.defaultExtension));
  // The picture's format follows its extension: a name typed without one gets the extension of
  // the type chosen, as the listing shows files of that type only.
  const QString bitmapFilter = QString::fromStdString(request.bitmapFilterName);
  const QString bitmapSuffix = QString::fromStdString(request.bitmapFilterPattern).section('.', 1);
  const QString jpegSuffix = QString::fromStdString(file.defaultExtension);
  const auto followType = [&dialog, bitmapFilter, bitmapSuffix, jpegSuffix](const QString& filter) {
    dialog.setDefaultSuffix(filter == bitmapFilter ? bitmapSuffix : jpegSuffix);
  };
  // The type list of the toolkit's own dialog, which a program may also change; else the signal
  // of a choice made by hand.
  if (auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"))) {
    QObject::connect(types, &QComboBox::currentTextChanged, &dialog, followType);
  } else {
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, followType);
  }
  if (!file.path.empty()) dialog.selectFile(QString::fromStdString(file.path));
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(OptionsPanel(&dialog, options), grid->rowCount(), 0, 1, grid->columnCount());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  request.file.path = dialog.selectedFiles().front().toStdString();
  return true;
}

}  // namespace pelorus
