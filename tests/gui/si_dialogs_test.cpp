// The service-information dialogs, offscreen, against the stand-in receiver's multiplex.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <chrono>
#include <fstream>
#include <sstream>

#include "app/options_store.h"
#include "scsi/scsi_scan.h"
#include "si/ui/eit_dialog.h"
#include "si/ui/pid_dialogs.h"
#include "si/ui/si_browser_dialog.h"
#include "support/fake_ui.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

using namespace pelorus;

namespace {

class FakeClock : public SystemClock {
 public:
  std::time_t NowUtc() const override { return std::time(nullptr); }
  bool SetUtc(std::time_t, std::string& error) override {
    ++calls;
    error = "Operation not permitted";
    return false;
  }
  std::atomic<int> calls{0};
};

// Saves what a dialog looks like, to be looked at by hand, and checks it fits a small screen.
void Look(QWidget& widget, const char* name) {
  widget.grab().save(QString::fromUtf8("/tmp/pelorus-") + name + ".png");
  QVERIFY(widget.width() <= 1366 && widget.height() <= 768);
}

}  // namespace

class SiDialogsTest : public QObject {
  Q_OBJECT

 private:
  void Connect() {
    sim = std::make_unique<testing::ScsiSimProcess>(dir);
    QVERIFY(sim->Running());
    state.links.scsi = sim->Link();
    ScsiScan(state, ui);
    QVERIFY(state.aspiModule != nullptr);
  }

  testing::TempDir dir;
  std::unique_ptr<testing::ScsiSimProcess> sim;
  EditorState state;
  testing::FakeUi ui;
  MemoryOptionsStore store;

 private slots:
  // One receiver for every dialog: starting one per test only adds waiting on a busy machine.
  void initTestCase() { Connect(); }
  void cleanupTestCase() { sim.reset(); }

  void siBrowserWalksFromTheNetworkToTheStreams() {
    SiBrowserDialog dialog(*state.aspiModule, ui, nullptr);
    dialog.show();
    auto* deliveries = dialog.findChild<QListWidget*>("deliveries");
    auto* programs = dialog.findChild<QListWidget*>("programs");
    auto* streams = dialog.findChild<QListWidget*>("streams");
    // The NIT actual names the three transport streams of the tuned one's position.
    QTRY_COMPARE_WITH_TIMEOUT(deliveries->count(), 3, 15000);
    QCOMPARE(deliveries->item(0)->text(), QString("11747"));
    QCOMPARE(dialog.findChild<QLineEdit*>("networkName")->text(), QString("Pelorus Sat Net"));
    deliveries->setCurrentRow(2);
    QCOMPARE(dialog.findChild<QLineEdit*>("symbolRate")->text(), QString("27.50000 MSps"));
    QCOMPARE(programs->count(), 3);
    QCOMPARE(dialog.findChild<QLineEdit*>("transportStreamId")->text(), QString("0001"));
    programs->setCurrentRow(0);
    QCOMPARE(streams->count(), 3);
    QCOMPARE(dialog.findChild<QLineEdit*>("esPid")->text(), QString("0200"));
    QCOMPARE(dialog.findChild<QLineEdit*>("pcrPid")->text(), QString("0200"));
    QCOMPARE(dialog.findChild<QLabel*>("status")->text(), QString("Ready"));
    Look(dialog, "si-browser");

    // Every caption in the program's language, the network id named as the channel dialog does.
    QStringList captions;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) captions << label->text();
    for (const QGroupBox* group : dialog.findChildren<QGroupBox*>()) captions << group->title();
    for (const char* expected :
         {"ID Canali:", "Nome Rete:", "Frequenza:", "Posizione Orbitale:", "Polarizzazione:",
          "Symbol Rate:", "FEC:", "TS ID:", "PMT PID:", "PCR PID:", "ES PID:", "Tabella Canali",
          "Tabella Associazione Programmi", "Mappa Tabella Programmi"}) {
      QVERIFY2(captions.contains(QString::fromUtf8(expected)), expected);
    }
    for (const char* english : {"Network ID:", "Network:", "Frequency:", "Orbital position:",
                                "Polarisation:", "Transport stream ID:", "PAT"}) {
      QVERIFY2(!captions.contains(QString::fromUtf8(english)), english);
    }
  }

  void eitBrowserFillsItsListsAndStopsQuickly() {
    FakeClock clock;
    state.options.syncTdt = 1;
    auto dialog = std::make_unique<EitDialog>(state, ui, store, clock, nullptr);
    dialog->show();
    auto* services = dialog->findChild<QListWidget*>("serviceList");
    QTRY_COMPARE_WITH_TIMEOUT(services->count(), 3, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(dialog->findChild<QLabel*>("events")->text().toInt() > 0, 15000);
    // The text is built when a service is selected: select again until its events are in.
    auto* eventText = dialog->findChild<QPlainTextEdit*>("eventText");
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
          services->setCurrentRow(-1);
          services->setCurrentRow(0);
          return eventText->toPlainText().contains("Il grande film");
        }(),
        15000);
    // The clock refused: the dialog says why instead of failing silently.
    QTRY_VERIFY_WITH_TIMEOUT(clock.calls > 0, 5000);
    QTRY_VERIFY(
        dialog->findChild<QLabel*>("clockStatus")->text().contains("Operation not permitted"));
    Look(*dialog, "eit-browser");

    ui.savePaths.push_back(dir.File("guide.txt"));
    dialog->findChild<QPushButton*>("writeText")->click();
    std::ifstream saved(dir.File("guide.txt"));
    std::stringstream text;
    text << saved.rdbuf();
    QVERIFY(text.str().starts_with("Ch:   101 Pelorus Uno (Pelorus)\r\n"));

    const auto asked = std::chrono::steady_clock::now();
    dialog->reject();
    dialog.reset();
    QVERIFY(std::chrono::steady_clock::now() - asked < std::chrono::seconds(1));
  }

  void pidMonitorKeepsABoundedDump() {
    PidMonitorDialog dialog(state, 0x0200, nullptr);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Monitoring PID 0200"));
    auto* dump = dialog.findChild<QPlainTextEdit*>("dump");
    QTRY_VERIFY_WITH_TIMEOUT(dump->blockCount() >= PidMonitorDialog::kMaxRows, 30000);
    QTRY_COMPARE(dump->blockCount(), PidMonitorDialog::kMaxRows);
    auto* button = dialog.findChild<QPushButton*>("button");
    QCOMPARE(button->text(), QString("Stop"));
    button->click();
    QCOMPARE(button->text(), QString("Close"));
    Look(dialog, "pid-monitor");
  }

  void pidFinderListsActivePids() {
    PidFinderDialog::StartPid() = 9000;  // a stored start beyond the PID space opens as 0
    PidFinderDialog dialog(state, store, nullptr);
    dialog.show();
    QCOMPARE(dialog.findChild<QLineEdit*>("startPid")->text(), QString("0000"));
    dialog.findChild<QLineEdit*>("dwell")->setText("1100");
    dialog.findChild<QCheckBox*>("untilStopped")->setChecked(true);
    dialog.findChild<QPushButton*>("start")->click();
    auto* cancel = dialog.findChild<QPushButton*>("cancel");
    QCOMPARE(cancel->text(), QString("Stop"));
    auto* active = dialog.findChild<QListWidget*>("active");
    QTRY_VERIFY_WITH_TIMEOUT(active->count() >= 5, 5000);
    QCOMPARE(active->item(0)->text(), QString("PID 0000 active TSF=00"));
    QCOMPARE(dialog.findChild<QLabel*>("range")->text(), QString("0020 - 003F"));
    cancel->click();
    QTRY_COMPARE_WITH_TIMEOUT(cancel->text(), QString("Cancel"), 3000);
    QCOMPARE(dialog.findChild<QLineEdit*>("startPid")->text(), QString("0040"));
    Look(dialog, "pid-finder");
  }
};

QTEST_MAIN(SiDialogsTest)
#include "si_dialogs_test.moc"
