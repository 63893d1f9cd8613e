// "Analizza File TS...", offscreen: a recording of the stand-in receiver analysed with progress,
// then its three tabs filled from what the file holds; and a file that is no stream refused.
#include "si/ui/ts_file_dialog.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>
#include <cstdlib>

#include "support/quiet_ui.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

using namespace pelorus;

class TsFileDialogTest : public QObject {
  Q_OBJECT

 private:
  // Runs the analysis as the command does: the progress dialog starts the worker when shown and
  // closes itself when the worker has finished.
  static RunResult Analyse(const std::string& path, TsFileAnalysis& analysis) {
    Worker worker;
    TsFileProgressDialog progress(nullptr, worker, path, analysis);
    progress.exec();
    worker.RequestStop();
    return worker.Join();
  }

 private slots:
  void aRecordingFillsTheThreeTabs() {
    testing::TempDir dir;
    const std::string file = dir.File("sim.ts");
    const std::string write = testing::ScsiSimProcess::SimulatorPath() + " --write-ts " + file +
                              " --seconds 10 --transponder 1";
    QCOMPARE(std::system(write.c_str()), 0);

    TsFileAnalysis analysis;
    const RunResult result = Analyse(file, analysis);
    QVERIFY2(!result.Failed(), result.message.c_str());
    QVERIFY(analysis.packets > 0);

    testing::QuietUi ui;
    std::string folder = dir.path().string();
    TsFileDialog dialog(analysis, file, ui, folder, nullptr);
    dialog.show();
    QVERIFY(dialog.width() <= 1366 && dialog.height() <= 768);
    // The network and its programmes, the SDT's services, and a row per PID that came.
    QVERIFY(dialog.siTree()->topLevelItemCount() > 0);
    QVERIFY(dialog.serviceList()->count() > 0);
    QCOMPARE(static_cast<size_t>(dialog.pidTable()->rowCount()), analysis.pids.size());
    dialog.serviceList()->setCurrentRow(0);
    QVERIFY(!dialog.eventText()->toPlainText().isEmpty());
  }

  void aFileThatIsNoStreamIsAFailureWithItsReason() {
    testing::TempDir dir;
    const std::string file = dir.File("notes.ts");
    const std::string text(4096, 'x');
    testing::WriteBytes(file, std::vector<uint8_t>(text.begin(), text.end()));
    TsFileAnalysis analysis;
    const RunResult result = Analyse(file, analysis);
    QVERIFY(result.Failed());
    QVERIFY(!result.message.empty());
    QVERIFY(result.detail.find(file) != std::string::npos);
  }
};

QTEST_MAIN(TsFileDialogTest)
#include "ts_file_dialog_test.moc"
