// The "&Seriali" menu commands: settings both ways, subroutine upload and the firmware upgrade.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>

#include "app/commands.h"
#include "common/file_io.h"
#include "common/program_files.h"
#include "serial/firmware_serial.h"
#include "serial/messages.h"
#include "serial/settings_serial.h"
#include "serial/subroutine_upload.h"
#include "serial/ui/serial_gui.h"

namespace pelorus {
namespace {

void RunSerialRead(GuiContext& context) {
  ReadSettingsSerial(context.state, SerialGui::For(context).link());
}

void RunSerialWrite(GuiContext& context) {
  WriteSettingsSerial(context.state, SerialGui::For(context).link());
}

void RunSerialFirmware(GuiContext& context) {
  const QString compressed = QDir::temp().filePath(
      QStringLiteral("pelorus-%1.tmp").arg(QCoreApplication::applicationPid()));
  FirmwareUpgradeSerial(context.state, SerialGui::For(context).link(),
                        {ShippedDataFolder(), compressed.toStdString()});
  QFile::remove(compressed);
}

// The subroutine dialog carries the "Rimuovi Errori Seriali" check box below its own controls.
bool ChooseSubroutine(GuiContext& context, SerialLink& link) {
  Options& options = context.state.options;
  QFileDialog dialog(context.window, QString::fromUtf8(msg::kOpenSubroutineTitle),
                     QString::fromStdString(options.sbrInitialDir),
                     QStringLiteral("%1").arg(QString::fromUtf8(msg::kSubroutineFilterName)));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(QString::fromUtf8(msg::kSubroutineExtension));
  dialog.selectFile(QString::fromUtf8(msg::kSubroutineInitialName));
  auto* removeErrors = new QCheckBox(QString::fromUtf8(msg::kRemoveSerialErrors), &dialog);
  removeErrors->setChecked(link.serialDebug);
  QObject::connect(removeErrors, &QCheckBox::clicked, [&link](bool on) { link.serialDebug = on; });
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
    grid->addWidget(removeErrors, grid->rowCount(), 0, 1, grid->columnCount());
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  context.state.commandLineFile = dialog.selectedFiles().front().toStdString();
  options.sbrInitialDir = FolderOf(context.state.commandLineFile);
  return true;
}

void RunUploadSubroutine(GuiContext& context) {
  SerialGui& gui = SerialGui::For(context);
  if (context.state.commandLineFile.empty() && !ChooseSubroutine(context, gui.link())) return;
  if (UploadSubroutineCommand(context.state, gui.link()) && gui.link().serialDebug) {
    gui.StartDebugTerminal();
  }
}

const GuiCommandRegistrar kRead(cmd::kSerialRead, RunSerialRead);
const GuiCommandRegistrar kWrite(cmd::kSerialWrite, RunSerialWrite);
const GuiCommandRegistrar kUpload(cmd::kUploadSubroutine, RunUploadSubroutine);
const GuiCommandRegistrar kFirmware(cmd::kSerialFirmware, RunSerialFirmware);

}  // namespace
}  // namespace pelorus
