// The SCSI link in the main window: the start-up scan, and the SCSI menu's settings, firmware,
// speed-test and memory commands.
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>
#include <QWidget>

#include "app/commands.h"
#include "app/ui/gui_command.h"
#include "scsi/firmware_upgrade.h"
#include "scsi/memory_dump.h"
#include "scsi/messages.h"
#include "scsi/scsi_scan.h"
#include "scsi/settings_transfer.h"
#include "scsi/speed_test.h"

namespace pelorus {
namespace {

// The dialog keeps at most this many characters per range field.
constexpr int kRangeFieldLength = 100;

void RunScsiRead(GuiContext& context) { ReadSettingsScsi(context.state, context.ui); }
void RunScsiWrite(GuiContext& context) { WriteSettingsScsi(context.state, context.ui); }
void RunScsiFirmware(GuiContext& context) { UpgradeFirmwareScsi(context.state, context.ui); }
void RunScsiSpeedTest(GuiContext& context) { SpeedTestScsi(context.state, context.ui); }

// The save dialog with the address and length fields below its own controls.
bool ShowMemoryDialog(QWidget* owner, MemoryDialogRequest& request) {
  const FileRequest& file = request.file;
  QFileDialog dialog(owner, QString::fromStdString(file.title),
                     QString::fromStdString(file.initialDir),
                     QString::fromStdString(file.filterName));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !file.overwritePrompt);
  dialog.setDefaultSuffix(QString::fromStdString(file.defaultExtension));
  dialog.selectFile(QString::fromStdString(file.path));

  auto* fields = new QWidget(&dialog);
  auto* form = new QFormLayout(fields);
  form->setContentsMargins(0, 0, 0, 0);
  auto* address = new QLineEdit(QString::fromStdString(request.addressText), fields);
  auto* length = new QLineEdit(QString::fromStdString(request.lengthText), fields);
  address->setObjectName(QStringLiteral("address"));
  length->setObjectName(QStringLiteral("length"));
  address->setMaxLength(kRangeFieldLength);
  length->setMaxLength(kRangeFieldLength);
  form->addRow(QString::fromUtf8(msg::scsi::kAddressLabel), address);
  form->addRow(QString::fromUtf8(msg::scsi::kLengthLabel), length);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(fields, grid->rowCount(), 0, 1, grid->columnCount());
  }

  const bool confirmed = dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty();
  // The fields are kept whether the dialog was confirmed or not.
  request.addressText = address->text().toStdString();
  request.lengthText = length->text().toStdString();
  if (confirmed) request.file.path = dialog.selectedFiles().front().toStdString();
  return confirmed;
}

void RunScsiReadMemory(GuiContext& context) {
  QWidget* owner = context.window;
  SaveReceiverMemory(context.state, context.ui, [owner](MemoryDialogRequest& request) {
    return ShowMemoryDialog(owner, request);
  });
}

const ScsiScanRegistrar kScan(ScsiScan);
const GuiCommandRegistrar kRead(cmd::kScsiRead, RunScsiRead);
const GuiCommandRegistrar kWrite(cmd::kScsiWrite, RunScsiWrite);
const GuiCommandRegistrar kFirmware(cmd::kScsiFirmware, RunScsiFirmware);
const GuiCommandRegistrar kSpeedTest(cmd::kScsiSpeedTest, RunScsiSpeedTest);
const GuiCommandRegistrar kReadMemory(cmd::kScsiReadMemory, RunScsiReadMemory);

}  // namespace
}  // namespace pelorus
