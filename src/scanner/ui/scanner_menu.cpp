// "Scansione Segnale": the band scanner's menu command.
#include <QCoreApplication>

#include "common/user_folders.h"
#include "scanner/band_scan.h"
#include "scanner/messages.h"
#include "scanner/ui/graph_window.h"
#include "scanner/ui/scan_dialog.h"
#include "serial/ui/serial_gui.h"

namespace pelorus {
namespace {

void RunBandScanner(GuiContext& context) {
  const std::string dataFolder = UserDataFolder();
  const ScanDialogResult choice = RunScanDialog(context, dataFolder);
  if (choice.kind == ScanDialogResult::Kind::kCancelled) return;

  SerialLink& link = SerialGui::For(context).link();
  const std::string subroutine = QCoreApplication::applicationDirPath().toStdString() + "/" +
                                 msg::scanner::kSignalSubroutineName;
  auto session = std::make_unique<SignalSession>(link, context.state, subroutine);
  ScanData data;
  if (choice.kind == ScanDialogResult::Kind::kLoad) {
    if (!LoadScanFile(choice.loadFile, data, context.ui)) return;
  } else {
    ScanRequest request;
    request.settings = choice.settings;
    request.calibrate = choice.kind == ScanDialogResult::Kind::kCalibrate;
    request.saveFile = choice.saveFile;
    BusyCursor busy(context.ui);
    if (!RunBandScan(*session, request, data, busy, dataFolder) || request.calibrate) return;
  }
  GraphWindow graph(context, data, std::move(session));
  graph.exec();
}

const GuiCommandRegistrar kBandScanner(cmd::kBandScanner, RunBandScanner);

}  // namespace
}  // namespace pelorus
