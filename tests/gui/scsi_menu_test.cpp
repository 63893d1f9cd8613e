// The SCSI link in the main window, offscreen: the start-up scan against the stand-in
// receiver decides the SCSI items, the toolbar variant and the status text.
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QtTest>

#include "app/commands.h"
#include "app/options_store.h"
#include "app/ui/main_window.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

using namespace pelorus;

class ScsiMenuTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> Open(const std::string& link) {
    store.SetExists(true);
    state = std::make_unique<EditorState>();
    state->links.scsi = link;
    auto window = std::make_unique<MainWindow>(*state, store);
    window->Start();
    return window;
  }

  QStringList ToolTips(const MainWindow& window) {
    QStringList tips;
    for (QAction* action : window.toolBar()->actions()) {
      if (!action->isSeparator()) tips << action->toolTip();
    }
    return tips;
  }

  MemoryOptionsStore store;
  std::unique_ptr<EditorState> state;

 private slots:
  void receiverFoundEnablesTheScsiCommands() {
    testing::TempDir dir;
    const std::string seed = dir.File("seed.dvb");
    testing::WriteBytes(seed, testing::FileBytes({testing::MakeChannel("One", 10700),
                                                  testing::MakeChannel("Two", 11700)}));
    testing::ScsiSimProcess sim(dir, {"--channels", seed, "--scsi-id", "2"});
    QVERIFY(sim.Running());
    auto window = Open(sim.Link());
    QVERIFY(window->scsiAvailable());
    QCOMPARE(window->statusLabel()->text(),
             QString("Mediamaster located on SCSI adapter 0 at ID 2"));
    for (int command : {cmd::kScsiRead, cmd::kScsiWrite, cmd::kScsiFirmware, cmd::kScsiSpeedTest,
                        cmd::kScsiReadMemory}) {
      QVERIFY2(window->menuAction(command)->isEnabled(), qPrintable(QString::number(command)));
    }
    QVERIFY(ToolTips(*window).contains("Read settings from Mediamaster via SCSI"));
    QVERIFY(!ToolTips(*window).contains("Read settings from Mediamaster via serial"));

    window->RunCommand(cmd::kScsiRead);
    QCOMPARE(window->channelList()->model()->rowCount(), 2);
    QCOMPARE(window->statusLabel()->text(), QString());  // cleared after the command
  }

  void anEmptyTableSaysSoOnTheStatusLine() {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("empty.dvb"), {});
    testing::ScsiSimProcess sim(dir, {"--channels", dir.File("empty.dvb")});
    QVERIFY(sim.Running());
    auto window = Open(sim.Link());
    window->RunCommand(cmd::kScsiRead);
    QVERIFY(state->settingsImage.has_value());
    QCOMPARE(window->channelList()->model()->rowCount(), 0);
    QCOMPARE(window->statusLabel()->text(), QString("0 channels"));
  }

  void memoryDialogOffersTheLastRangeAndDumpsWhatIsTyped() {
    testing::TempDir dir;
    testing::ScsiSimProcess sim(dir);
    QVERIFY(sim.Running());
    auto window = Open(sim.Link());
    state->options.readStartAddress = 0x01000300;
    state->options.readLength = 0x200;
    // The dialog opens in the test's folder, where the typed name is taken.
    state->options.memInitialDir = dir.path().string() + "/";
    const QString path = QString::fromStdString(dir.File("dump.mem"));
    QString shownAddress;
    QString shownLength;
    auto* timer = new QTimer(window.get());
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      timer->stop();
      auto* address = dialog->findChild<QLineEdit*>("address");
      auto* length = dialog->findChild<QLineEdit*>("length");
      shownAddress = address->text();
      shownLength = length->text();
      address->setText("$2000000");
      length->setText("0x40");
      // Typed into the name field, as a user does: selectFile() leaves a focused field alone.
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText("dump.mem");
      static_cast<QDialog*>(dialog)->accept();
    });
    timer->start();
    window->RunCommand(cmd::kScsiReadMemory);
    QCOMPARE(shownAddress, QString("0x1000300"));
    QCOMPARE(shownLength, QString("0x200"));
    QCOMPARE(state->options.readStartAddress, 0x2000000u);
    QCOMPARE(state->options.readLength, 0x40u);
    QCOMPARE(testing::ReadBytes(path.toStdString()).size(), size_t{0x40});
  }

  void noReceiverGreysTheScsiCommands() {
    testing::TempDir dir;
    auto window = Open("sim:" + dir.File("nobody.sock"));
    QVERIFY(!window->scsiAvailable());
    QCOMPARE(window->statusLabel()->text(), QString());
    for (int command : {cmd::kScsiRead, cmd::kScsiWrite, cmd::kScsiFirmware, cmd::kScsiSpeedTest,
                        cmd::kScsiReadMemory}) {
      QVERIFY(!window->menuAction(command)->isEnabled());
    }
    QVERIFY(ToolTips(*window).contains("Read settings from Mediamaster via serial"));
    QVERIFY(!ToolTips(*window).contains("Read settings from Mediamaster via SCSI"));
  }
};

QTEST_MAIN(ScsiMenuTest)
#include "scsi_menu_test.moc"
