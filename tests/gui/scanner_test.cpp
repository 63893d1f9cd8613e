// The band scanner's windows: the parameters dialog, the plot with its mouse selection, and a
// lock search from "Utilità Sintonia" against the stand-in receiver.
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QtTest>
#include <cstdlib>

#include "app/options_store.h"
#include "scanner/messages.h"
#include "scanner/ui/graph_window.h"
#include "scanner/ui/plot_widget.h"
#include "scanner/ui/scan_dialog.h"
#include "serial/serial_timing.h"
#include "support/fake_ui.h"
#include "support/gui_window.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

using namespace pelorus;

namespace {

// Saves a look at a window when PELORUS_SHOTS names a folder.
void Shot(QWidget* widget, const char* name) {
  if (const char* folder = std::getenv("PELORUS_SHOTS"))
    widget->grab().save(QString::fromUtf8(folder) + "/" + name + ".png");
}

ScanData SampleScan() {
  ScanData data;
  data.settings = {10700, 12750, LnbType::kUniversal, PolarityMode::kBoth};
  for (const SweepSegment& s : SweepSegments(LnbType::kUniversal, 10700, 12750)) {
    for (int f = s.ifStart; f <= s.ifEnd; ++f) {
      data.horizontal.push_back({f, 100 + (f % 200 < 20 ? 3000 : f % 13)});
      data.vertical.push_back({f, 120 + (f % 170 < 15 ? 2500 : f % 11)});
    }
  }
  return data;
}

struct Context {
  testing::FakeUi ui;
  MemoryOptionsStore store;
  EditorState state;
  std::vector<int> selected;
  GuiContext gui{state,
                 ui,
                 store,
                 nullptr,
                 false,
                 [this] { return selected; },
                 [](const std::vector<int>&, int) {},
                 [] {}};
};

void Drag(QWidget* widget, int x0, int x1, int y) {
  QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(x0, y));
  QTest::mouseMove(widget, QPoint((x0 + x1) / 2, y));
  QTest::mouseMove(widget, QPoint(x1, y));
  QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(x1, y));
}

}  // namespace

class ScannerTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SetSerialTickForTesting(std::chrono::milliseconds(10)); }

  void dialogChecksTheRangeAndFollowsTheType() {
    Context context;
    testing::TempDir dir;
    ScanDialogResult result;
    bool checked = false;
    testing::WhenModalShown<QDialog>([&](QDialog* dialog) {
      auto* start = dialog->findChild<QLineEdit*>(QStringLiteral("start"));
      auto* end = dialog->findChild<QLineEdit*>(QStringLiteral("end"));
      QCOMPARE(start->text(), QString("10700"));
      QCOMPARE(end->text(), QString("12750"));
      QVERIFY(dialog->findChild<QRadioButton*>(QStringLiteral("pol1055"))->isChecked());
      Shot(dialog, "scan_dialog");
      QVERIFY(dialog->width() <= 1366 && dialog->height() <= 768);
      dialog->findChild<QRadioButton*>(QStringLiteral("lnb1047"))->click();
      QCOMPARE(start->text(), QString("3700"));
      QCOMPARE(dialog->findChild<QSlider*>(QStringLiteral("endSlider"))->value(), 4200);
      start->setText(QStringLiteral("3600"));
      dialog->findChild<QPushButton*>(QStringLiteral("start"))->click();
      QVERIFY(dialog->isVisible());  // the range error keeps it open
      dialog->findChild<QSlider*>(QStringLiteral("startSlider"))->setValue(3800);
      QCOMPARE(start->text(), QString("3800"));
      dialog->findChild<QPushButton*>(QStringLiteral("start"))->click();
      checked = true;
    });
    result = RunScanDialog(context.gui, dir.File("data"));
    QVERIFY(checked);
    QCOMPARE(result.kind, ScanDialogResult::Kind::kScan);  // calibration declined
    QCOMPARE(result.settings.lnb, LnbType::kCBand);
    QCOMPARE(result.settings.startMhz, 3800);
    QCOMPARE(result.settings.endMhz, 4200);
    QCOMPARE(context.ui.calls.front(), std::string("message stop: ") + msg::scanner::kRangeErrors);
    QVERIFY2(
        context.ui.calls.back().starts_with("ask yes/no question: Couldn't find a calibration"),
        context.ui.calls.back().c_str());
  }

  void plotSelectsRangesAndRefusesOverlaps() {
    Context context;
    context.state.settingsImage.emplace(std::vector<ChannelRecord>{
        testing::MakeChannel("a", 11000), testing::MakeChannel("b", 13000)});
    context.selected = {0, 1};
    GraphWindow graph(context.gui, SampleScan(), nullptr);
    graph.resize(900, 500);
    graph.ShowBoth();
    QVERIFY(QTest::qWaitForWindowExposed(&graph));
    PlotWidget* plot = graph.plot();
    QVERIFY(graph.tuning()->isVisible());
    QVERIFY2(graph.tuning()->frameGeometry().right() < graph.frameGeometry().left() + 2,
             qPrintable(QStringLiteral("tuning %1..%2, graph from %3")
                            .arg(graph.tuning()->frameGeometry().left())
                            .arg(graph.tuning()->frameGeometry().right())
                            .arg(graph.frameGeometry().left())));

    graph.tuning()->scanButton()->click();
    QCOMPARE(context.ui.calls.back(),
             std::string("message information: ") + msg::scanner::kSelectRangeFirst);

    const PlotLayout& layout = plot->plot().layout();
    const int y = (layout.top + layout.bottom) / 2;
    const int x0 = plot->plot().XAt(11200);
    const int x1 = plot->plot().XAt(11400);
    Drag(plot, x1, x0, y);
    QCOMPARE(plot->ranges().size(), size_t{1});
    QVERIFY(std::abs(plot->ranges()[0].startMhz - 11200) <= 3);
    QVERIFY(std::abs(plot->ranges()[0].endMhz - 11400) <= 3);
    Drag(plot, plot->plot().XAt(11300), plot->plot().XAt(11600), y);
    QCOMPARE(plot->ranges().size(), size_t{1});
    QCOMPARE(context.ui.calls.back(),
             std::string("message warning: ") + msg::scanner::kRangeAlreadySelected);
    QTest::mouseMove(plot, QPoint(x0, y));
    const QString under =
        graph.tuning()->findChild<QLabel*>(QStringLiteral("pointerFrequency"))->text();
    QVERIFY2(under.endsWith(" MHz") && std::abs(under.split(' ')[0].toInt() - 11200) <= 3,
             qPrintable(under));

    // The channel marker of the selected row inside the range, the selected range in blue.
    const QImage picture = plot->grab().toImage();
    Shot(plot, "signal_plot");
    Shot(graph.tuning(), "tuning_window");
    const int markerX = plot->plot().XAt(11000);
    QCOMPARE(picture.pixelColor(markerX, layout.top + 2), QColor(0, 255, 0));
    QCOMPARE(picture.pixelColor(plot->plot().XAt(plot->ranges()[0].startMhz), layout.top + 2),
             QColor(0, 0, 255));
    QCOMPARE(picture.pixelColor(2, 2), QColor(0, 0, 0));

    graph.tuning()->clearButton()->click();
    QVERIFY(plot->ranges().empty());
  }

  void lockSearchFromTheTuningWindowAddsChannels() {
    testing::TempDir dir;
    std::vector<ChannelRecord> channels = {testing::MakeChannel("Uno", 11000)};
    channels[0].fecCode = 3;
    testing::WriteBytes(dir.File("receiver.dvb"), testing::FileBytes(channels));
    testing::SimProcess receiver(dir, {"--channels", dir.File("receiver.dvb")});
    QVERIFY(receiver.Running());

    Context context;
    context.state.links.serialPort = receiver.Port();
    context.state.settingsImage.emplace();
    ScanData data = SampleScan();
    data.settings.mode = PolarityMode::kHorizontal;
    auto scanner = std::make_unique<ScannerLink>(context.ui, context.state,
                                                 PELORUS_BINARY_DIR "/src/app/ui/signal.sbr");
    {
      GraphWindow graph(context.gui, data, std::move(scanner));
      graph.resize(900, 500);
      graph.ShowBoth();
      QVERIFY(QTest::qWaitForWindowExposed(&graph));
      PlotWidget* plot = graph.plot();
      const int y = (plot->plot().layout().top + plot->plot().layout().bottom) / 2;
      Drag(plot, plot->plot().XAt(10984), plot->plot().XAt(11016), y);
      QCOMPARE(plot->ranges().size(), size_t{1});
      graph.tuning()->findChild<QSlider*>(QStringLiteral("sweepWidth"))->setValue(2);
      graph.tuning()->findChild<QSlider*>(QStringLiteral("step"))->setValue(2);
      QCOMPARE(graph.tuning()->findChild<QLabel*>(QStringLiteral("stepValue"))->text(),
               QString("2MHz"));
      graph.tuning()->findChild<QCheckBox*>(QStringLiteral("autoAdd"))->setChecked(true);
      graph.tuning()->scanButton()->click();
      // The search runs on its worker; the window stays responsive and shows it ending.
      QVERIFY(graph.SearchRunning());
      QVERIFY(!graph.tuning()->scanButton()->isEnabled());
      QTRY_VERIFY_WITH_TIMEOUT(!graph.SearchRunning(), 60000);
      QListWidget* results = graph.results();
      QVERIFY(results != nullptr);
      QStringList lines;
      for (int i = 0; i < results->count(); ++i) lines << results->item(i)->text();
      // The range's ends fall on whole pixels, so which frequencies are searched depends on the
      // plot's width; those within the sweep width and the carrier's capture range (a quarter of
      // its symbol rate, 6.875 MHz) lock onto it, the range's ends do not.
      QVERIFY2(lines.filter(" - lock at 11000 MHz 27500 2/3 (40) Inversion off").size() >= 1,
               qPrintable(lines.join(" | ")));
      QVERIFY2(lines.filter("no lock").size() >= 1, qPrintable(lines.join(" | ")));
      QCOMPARE(lines.front(), QString("Scanning horizontal plane"));
      // The width the search ran with stands beside its step.
      QCOMPARE(results->window()->findChild<QLabel*>(QStringLiteral("searchSettings"))->text(),
               QString("Step 2MHz  Sweep 2MHz"));
      QCOMPARE(lines.back(), QString("Scan completed"));
      QCOMPARE(results->currentRow(), results->count() - 1);
      QCOMPARE(graph.tuning()->closeButton()->text(), QString("Close"));
      QVERIFY(graph.tuning()->scanButton()->isEnabled());
      Shot(results->window(), "results_window");
      QVERIFY(context.state.ChannelCount() >= 1);
      QCOMPARE((*context.state.settingsImage)[0].frequency, uint16_t{11000});
      QVERIFY(context.state.settingsModified);
      QVERIFY(std::find(context.ui.calls.begin(), context.ui.calls.end(), "refill") !=
              context.ui.calls.end());
    }
    // Closing the graph ends the subroutine.
    QVERIFY(receiver.WaitForLog("signal end"));
  }
};

QTEST_MAIN(ScannerTest)
#include "scanner_test.moc"
