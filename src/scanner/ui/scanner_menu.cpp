// "Scansione Segnale": the band scanner's menu command.
#include <QCoreApplication>
#include <QWidget>

#include "common/user_folders.h"
#include "scanner/band_scan.h"
#include "scanner/messages.h"
#include "scanner/ui/graph_window.h"
#include "scanner/ui/scan_dialog.h"
#include "serial/ui/gui_front_end.h"
#include "serial/ui/run_dialog.h"

namespace pelorus {
namespace {

// The sweep runs on a worker behind its window: the progress moves with the sweep, and "Stop"
// ends it with the points that arrived.
RunResult SweepWithProgress(GuiContext& context, ScannerLink& scanner, const ScanRequest& request,
                            ScanData& data, const std::string& dataFolder) {
  GuiFrontEnd frontEnd(context.ui, nullptr);
  Worker worker;
  RunDialog dialog(context.window, context.ui, QString::fromUtf8(msg::scanner::kScanDialogTitle),
                   worker, [&](RunControl& control) {
                     return RunBandScan(scanner.session, request, data, dataFolder, control,
                                        frontEnd);
                   });
  dialog.setObjectName(QStringLiteral("sweepDialog"));
  RunResult result;
  dialog.finished = [&result](const RunResult& ended) { result = ended; };
  dialog.exec();
  return result;
}

void RunBandScanner(GuiContext& context) {
  // One scanner at a time: the one open is brought forward.
  if (context.window != nullptr) {
    if (auto* open = context.window->findChild<GraphWindow*>()) {
      open->ShowBoth();
      return;
    }
  }
  const std::string dataFolder = UserDataFolder();
  const ScanDialogResult choice = RunScanDialog(context, dataFolder);
  if (choice.kind == ScanDialogResult::Kind::kCancelled) return;

  const std::string subroutine = QCoreApplication::applicationDirPath().toStdString() + "/" +
                                 msg::scanner::kSignalSubroutineName;
  auto scanner = std::make_unique<ScannerLink>(context.ui, context.state, subroutine);
  ScanData data;
  if (choice.kind == ScanDialogResult::Kind::kLoad) {
    if (!LoadScanFile(choice.loadFile, data, context.ui)) return;
  } else {
    ScanRequest request;
    request.settings = choice.settings;
    request.calibrate = choice.kind == ScanDialogResult::Kind::kCalibrate;
    request.saveFile = choice.saveFile;
    const RunResult result = SweepWithProgress(context, *scanner, request, data, dataFolder);
    ShowRunResult(context.ui, result);
    if (result.Failed() || request.calibrate) return;
  }
  auto* graph = new GraphWindow(context, data, std::move(scanner));
  graph->setAttribute(Qt::WA_DeleteOnClose);
  graph->ShowBoth();
}

const GuiCommandRegistrar kBandScanner(cmd::kBandScanner, RunBandScanner);

}  // namespace
}  // namespace pelorus
