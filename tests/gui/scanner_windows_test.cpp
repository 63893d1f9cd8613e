// The windows of the serial long runs on a 1366 x 768 screen with the main window maximised:
// the scanner's two windows belong to the main window and stay in reach, and a long run's window
// shows its progress as it goes and stops it when asked.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>
#include <QtTest>
#include <atomic>
#include <thread>

#include "app/ui/gui_command.h"
#include "scanner/ui/graph_window.h"
#include "serial/ui/gui_front_end.h"
#include "serial/ui/run_dialog.h"
#include "support/fake_ui.h"
#include "support/gui_window.h"

using namespace pelorus;

namespace {

ScanData SampleScan() {
  ScanData data;
  data.settings = {10700, 12750, LnbType::kUniversal, PolarityMode::kBoth};
  for (const SweepSegment& s : SweepSegments(LnbType::kUniversal, 10700, 12750)) {
    for (int f = s.ifStart; f <= s.ifEnd; ++f) {
      data.horizontal.push_back({f, 100 + f % 13});
      data.vertical.push_back({f, 120 + f % 11});
    }
  }
  return data;
}

QString Describe(const QRect& r) {
  return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

}  // namespace

class ScannerWindowsTest : public QObject {
  Q_OBJECT

 private slots:
  void bothScannerWindowsBelongToTheMainWindowAndAreOnScreen() {
    testing::EditorWindow editor;
    MainWindow& main = editor.window;
    main.showMaximized();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    const QRect screen = main.screen()->availableGeometry();
    QCOMPARE(main.screen()->geometry().size(), QSize(1366, 768));
    GuiContext context{editor.state, main, editor.store, &main, false, {}, {}, {}};

    auto* graph = new GraphWindow(context, SampleScan(), nullptr);
    graph->setAttribute(Qt::WA_DeleteOnClose);
    graph->ShowBoth();
    QVERIFY(QTest::qWaitForWindowExposed(graph));
    TuningWindow* tuning = graph->tuning();
    QVERIFY(tuning->isVisible());

    // Each is a window of its own whose transient parent is the main window: it stays above it.
    for (QWidget* window : {static_cast<QWidget*>(graph), static_cast<QWidget*>(tuning)}) {
      QVERIFY(window->isWindow());
      QVERIFY(window->windowHandle() != nullptr);
      QCOMPARE(window->windowHandle()->transientParent(), main.windowHandle());
      QCOMPARE(window->windowModality(), Qt::NonModal);
      QVERIFY2(screen.contains(window->frameGeometry()),
               qPrintable(Describe(window->frameGeometry()) + " on " + Describe(screen)));
    }
    // Side by side, top-aligned, the tuning window on the left, neither covering the other.
    QCOMPARE(tuning->frameGeometry().top(), graph->frameGeometry().top());
    QCOMPARE(tuning->frameGeometry().right() + 1, graph->frameGeometry().left());
    QVERIFY(!tuning->frameGeometry().intersects(graph->frameGeometry()));
    // The main window is not blocked by them.
    QVERIFY(!QApplication::activeModalWidget());

    // The menu command brings the open scanner forward instead of starting a second one.
    tuning->hide();
    FindGuiCommand(cmd::kBandScanner)(context);
    QVERIFY(tuning->isVisible());
    QCOMPARE(main.findChildren<GraphWindow*>().size(), 1);

    QPointer<GraphWindow> gone(graph);
    tuning->closeButton()->click();
    QTRY_VERIFY(gone.isNull());
  }

  void aRunsWindowMovesWithTheRunAndStopsItWhenAsked() {
    testing::FakeUi ui;
    Worker worker;
    std::atomic<bool> halfway{false};
    RunDialog dialog(nullptr, ui, QStringLiteral("Scansione Segnale"), worker,
                     [&halfway](RunControl& control) {
                       for (int percent = 0; percent <= 100; percent += 10) {
                         control.Progress(percent, "Scanning horizontal plane...");
                         if (percent == 50) halfway = true;
                         if (!control.Wait(std::chrono::milliseconds(percent < 50 ? 20 : 5000)))
                           break;
                       }
                       return RunResult::Done();
                     });
    std::optional<RunResult> ended;
    dialog.finished = [&ended](const RunResult& result) { ended = result; };
    int asked = 0;
    bool agree = false;
    dialog.confirmStop = [&] {
      ++asked;
      return agree;
    };
    dialog.show();
    // The bar follows the run while it runs, not only at its end.
    QTRY_VERIFY(halfway.load());
    QTRY_COMPARE(dialog.progressBar()->value(), 50);
    QCOMPARE(dialog.statusLabel()->text(), QString("Scanning horizontal plane..."));
    QVERIFY(worker.Running());
    // Escape asks first; a No keeps the run going.
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QCOMPARE(asked, 1);
    QVERIFY(dialog.isVisible());
    QVERIFY(worker.Running());
    agree = true;
    dialog.stopButton()->click();
    QCOMPARE(asked, 2);
    QTRY_VERIFY(ended.has_value());
    QCOMPARE(ended->outcome, RunOutcome::kStopped);
    QVERIFY(!dialog.isVisible());
    QVERIFY(!worker.Running());
    // The main window's status line was shown the same, and cleared at the end.
    QVERIFY(std::find(ui.calls.begin(), ui.calls.end(), "status: Scanning horizontal plane...") !=
            ui.calls.end());
    QCOMPARE(ui.calls.back(), std::string("status: "));
  }

  void aWorkersQuestionIsAskedOnTheGuiThreadAndNeverHoldsUpItsEnd() {
    testing::FakeUi ui;
    ui.answers.push_back(Answer::kYes);
    GuiFrontEnd frontEnd(ui, nullptr);
    Worker worker;
    std::atomic<bool> onGuiThread{false};
    std::optional<Answer> answer;
    worker.Start([&](RunControl& control) {
      RunUi run(control, frontEnd);
      frontEnd.Call([&](Ui&) { onGuiThread = QThread::currentThread() == qApp->thread(); },
                    control);
      answer = run.Ask("Abort frame grab?", Buttons::kYesNo, Icon::kWarning, Answer::kNo);
      return RunResult::Done();
    });
    QTRY_VERIFY(answer.has_value());
    worker.Join();
    QVERIFY(onGuiThread.load());
    QCOMPARE(*answer, Answer::kYes);

    // A window that ends its worker while the worker waits on it: no event is processed, and
    // still the worker gives up its question and ends.
    std::atomic<bool> waiting{false};
    worker.Start([&](RunControl& control) {
      RunUi run(control, frontEnd);
      waiting = true;
      answer = run.Ask("Replace it?", Buttons::kYesNo, Icon::kQuestion, Answer::kNo);
      return RunResult::Done();
    });
    while (!waiting) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    worker.RequestStop();
    QVERIFY(worker.WaitFor(std::chrono::seconds(2)));
    QCOMPARE(*answer, Answer::kNo);
    // The question given up is never asked afterwards.
    const size_t asked = ui.calls.size();
    QTest::qWait(50);
    QCOMPARE(ui.calls.size(), asked);
  }
};

int main(int argc, char** argv) {
  // A laptop's screen: the size at which the scanner's windows fell out of reach.
  QTemporaryDir dir;
  const QString config = dir.filePath("screen.json");
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) return 2;
  file.write(
      "{\"screens\":[{\"name\":\"laptop\",\"x\":0,\"y\":0,\"width\":1366,\"height\":768,"
      "\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}");
  file.close();
  qputenv("QT_QPA_PLATFORM", QStringLiteral("offscreen:configfile=%1").arg(config).toUtf8());
  QApplication app(argc, argv);
  ScannerWindowsTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "scanner_windows_test.moc"
