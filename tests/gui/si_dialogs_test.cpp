// The service-information dialogs, offscreen, against the stand-in receiver's multiplex.
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
#include <tuple>

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

// A receiver that streams packets which never start a section, a little slowly: every table
// read runs to its time-out.
class QuietReceiver : public ScsiTransport {
 protected:
  int Execute(ScsiAddress, std::span<const uint8_t>, ScsiDirection direction,
              std::span<uint8_t> buffer, size_t& received) override {
    if (direction == ScsiDirection::kIn) {
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
      for (size_t at = 0; at + 188 <= buffer.size(); at += 188) buffer[at] = 0x47;
      received = buffer.size();
    }
    return kScsiSuccess;
  }
  bool ListAdapters(std::vector<ScsiAdapter>& adapters) override {
    adapters = {{0, 7}};
    return true;
  }
};

// A receiver whose socket has closed: every command fails as a lost link.
class LostReceiver : public ScsiTransport {
 protected:
  int Execute(ScsiAddress, std::span<const uint8_t>, ScsiDirection, std::span<uint8_t>,
              size_t&) override {
    lastProblem_ = LinkProblem::kLost;
    lastFailure_ = "rx.sock: the receiver closed the connection";
    return kScsiError;
  }
  bool ListAdapters(std::vector<ScsiAdapter>& adapters) override {
    adapters = {{0, 7}};
    return true;
  }
};

// Fills "Sintonia Manuale" once it is open and presses OK.
void AnswerManualTune(const QString& frequency, const QString& symbolRate, bool vertical) {
  QTimer::singleShot(50, [=] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog != nullptr);
    dialog->findChild<QLineEdit*>("frequency")->setText(frequency);
    dialog->findChild<QLineEdit*>("symbolRate")->setText(symbolRate);
    for (QRadioButton* button : dialog->findChildren<QRadioButton*>()) {
      if (button->text() == (vertical ? "V" : "H")) button->setChecked(true);
    }
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
}

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
    // The reads run on the worker: their lines arrive a little later.
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Reading(), 15000);
    QCOMPARE(programs->count(), 3);
    QCOMPARE(dialog.findChild<QLineEdit*>("transportStreamId")->text(), QString("0001"));
    programs->setCurrentRow(0);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Reading(), 15000);
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

  void siBrowserReadsOffTheWindowThreadAndClosesAtOnce() {
    QuietReceiver receiver;
    auto dialog = std::make_unique<SiBrowserDialog>(receiver, ui, nullptr);
    dialog->show();
    auto* status = dialog->findChild<QLabel*>("status");
    QTRY_COMPARE(status->text(), QString("Reading NIT..."));
    // The NIT read lasts up to its 5 s time-out; meanwhile the window's timers keep time.
    QElapsedTimer clock;
    clock.start();
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(20);
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 10, 3000);
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(dialog->Reading());
    QCOMPARE(status->text(), QString("Reading NIT..."));
    // Closing cuts the read short rather than waiting for the time-out.
    clock.restart();
    dialog->reject();
    QVERIFY(!dialog->Reading());
    dialog.reset();
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
  }

  void siBrowserReadsEverythingAgainAfterAManualTune() {
    SiBrowserDialog dialog(*state.aspiModule, ui, nullptr);
    dialog.show();
    auto* deliveries = dialog.findChild<QListWidget*>("deliveries");
    auto* programs = dialog.findChild<QListWidget*>("programs");
    auto* streams = dialog.findChild<QListWidget*>("streams");
    auto* tsId = dialog.findChild<QLineEdit*>("transportStreamId");
    QTRY_COMPARE_WITH_TIMEOUT(deliveries->count(), 3, 15000);
    // The first read takes the PAT too, without a delivery being chosen.
    QTRY_VERIFY_WITH_TIMEOUT(programs->count() > 0, 15000);
    const QString firstTs = tsId->text();
    programs->setCurrentRow(0);
    QTRY_VERIFY_WITH_TIMEOUT(streams->count() > 0, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Reading(), 15000);

    // A transponder of the list, as its delivery fields show it.
    const auto delivery = [&](int row) {
      deliveries->setCurrentRow(row);
      const QString megahertz = deliveries->item(row)->text();
      const QString rate = QString::number(qRound(
          dialog.findChild<QLineEdit*>("symbolRate")->text().split(' ')[0].toDouble() * 1000));
      const bool isVertical = dialog.findChild<QLineEdit*>("polarisation")->text() == "V";
      return std::make_tuple(megahertz, rate, isVertical);
    };
    // The tuned one is the list's first; the test tunes back to it for the dialogs after it.
    const auto [homeFrequency, homeRate, homeVertical] = delivery(0);
    const auto [frequency, symbolRate, vertical] = delivery(1);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Reading(), 15000);

    // A frequency the command cannot carry is refused and the dialog stays open for a fix.
    ui.calls.clear();
    QTimer::singleShot(50, [&] {
      auto* tune = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      QVERIFY(tune != nullptr);
      tune->findChild<QLineEdit*>("frequency")->setText("123456");
      tune->findChild<QLineEdit*>("symbolRate")->setText(symbolRate);
      tune->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
      QVERIFY(tune->isVisible());
      AnswerManualTune(frequency, symbolRate, vertical);
    });
    dialog.findChild<QPushButton*>("tune")->click();
    QVERIFY(!ui.calls.empty());
    QCOMPARE(QString::fromStdString(ui.calls[0]),
             QString("message stop: Frequenza: must be a whole number from 1 to 99999"));
    // The tune is followed by the NIT and the PAT of the new multiplex: the old programmes and
    // streams are gone.
    QTRY_VERIFY_WITH_TIMEOUT(tsId->text() != firstTs && !tsId->text().isEmpty(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Reading(), 15000);
    QVERIFY(programs->count() > 0);
    QCOMPARE(streams->count(), 0);
    QVERIFY(deliveries->count() > 0);
    QCOMPARE(dialog.findChild<QLabel*>("status")->text(), QString("Ready"));

    AnswerManualTune(homeFrequency, homeRate, homeVertical);
    dialog.findChild<QPushButton*>("tune")->click();
    QTRY_COMPARE_WITH_TIMEOUT(tsId->text(), firstTs, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!dialog.Reading(), 15000);
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

  void dialogsSayAtOnceWhenTheReceiverIsLost() {
    EditorState lost;
    lost.aspiModule = std::make_shared<LostReceiver>();
    const std::string detail = "rx.sock: the receiver closed the connection";
    const auto said = [this](const char* text) {
      return std::find(ui.calls.begin(), ui.calls.end(), std::string("message stop: ") + text) !=
             ui.calls.end();
    };
    ui.calls.clear();
    ui.details.clear();
    {
      FakeClock clock;
      EitDialog dialog(lost, ui, store, clock, nullptr);
      dialog.show();
      QTRY_VERIFY_WITH_TIMEOUT(said("The receiver stopped sending the service information"), 3000);
    }
    {
      SiBrowserDialog dialog(*lost.aspiModule, ui, nullptr);
      dialog.show();
      QTRY_VERIFY_WITH_TIMEOUT(said("The receiver stopped sending the tables"), 3000);
      QTRY_COMPARE(dialog.findChild<QLabel*>("status")->text(), QString("Ready"));
    }
    {
      PidFinderDialog dialog(lost, ui, store, nullptr);
      dialog.show();
      dialog.findChild<QPushButton*>("start")->click();
      QTRY_VERIFY_WITH_TIMEOUT(said("The receiver stopped answering the PID finder"), 3000);
      QTRY_COMPARE(dialog.findChild<QPushButton*>("cancel")->text(), QString("Cancel"));
    }
    {
      PidMonitorDialog dialog(lost, ui, 0x0200, nullptr);
      dialog.show();
      QTRY_VERIFY_WITH_TIMEOUT(said("The receiver stopped sending the monitored PID"), 3000);
      QTRY_COMPARE(dialog.findChild<QPushButton*>("button")->text(), QString("Close"));
    }
    QCOMPARE(ui.details.size(), size_t{4});
    for (const std::string& seen : ui.details)
      QCOMPARE(QString::fromStdString(seen), QString::fromStdString(detail));
  }

  void pidMonitorKeepsABoundedDump() {
    PidMonitorDialog dialog(state, ui, 0x0200, nullptr);
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
    PidFinderDialog dialog(state, ui, store, nullptr);
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
