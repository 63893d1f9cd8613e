// "Interfaccia Montery 140..." from the main window against the stand-in receiver: the dialog
// follows the receiver's channel, the Montery 140 on the second terminal hears it, and the
// window fits a small screen.
#include "serial/ui/montery_dialog.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QtTest>
#include <filesystem>
#include <thread>

#include "app/commands.h"
#include "app/ui/main_window.h"
#include "serial/messages.h"
#include "serial/select_channel.h"
#include "serial/serial_timing.h"
#include "support/gui_window.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

using namespace pelorus;

class MonteryDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SetSerialTickForTesting(std::chrono::milliseconds(25)); }

  void followsTheReceiverAndFits() {
    testing::TempDir dir;
    std::vector<ChannelRecord> records = {testing::MakeChannel("== HOTSAT-1", 0),
                                          testing::MakeChannel("Hot One", 11778)};
    records[1].polarity = 1;
    const std::string seed = dir.File("seed.dvb");
    testing::WriteBytes(seed, testing::FileBytes(records));
    const std::string socket = dir.File("receiver.sock");
    const std::string montery = dir.File("montery-tty");
    testing::SimProcess receiver(
        dir, {"--channels", seed, "--scsi-socket", socket, "--montery-link", montery});
    for (int i = 0; i < 3000 && !std::filesystem::exists(montery); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    QVERIFY(receiver.Running());

    MemoryOptionsStore store;
    store.SetExists(true);
    EditorState state;
    state.links.scsi = "sim:" + socket;
    state.links.serialPort = montery;
    state.settingsImage = records;
    MainWindow window(state, store);
    window.Start();
    QVERIFY(state.aspiModule);
    const int row = 1;
    SerialLink unused(window);
    SelectChannelOnReceiver(state, unused, std::span(&row, 1));

    QString shownChannel, shownSatellite, shownText, shownCommands;
    QSize size;
    testing::WhenModalShown<MonteryDialog>([&](MonteryDialog* dialog) {
      // The dialog is closed whatever it showed, so that a failure cannot hang the test.
      for (int i = 0; i < 250; ++i) {
        if (dialog->findChildren<QPlainTextEdit*>().value(0)->toPlainText().contains("#71")) break;
        QTest::qWait(20);
      }
      const QList<QLabel*> labels = dialog->findChildren<QLabel*>();
      for (QLabel* label : labels) {
        if (label->text().contains(" - ")) shownChannel = label->text();
        if (label->text() == "HOTSAT") shownSatellite = label->text();
        if (label->text().contains("MPEG2")) shownText = label->text();
      }
      shownCommands = dialog->findChildren<QPlainTextEdit*>().value(0)->toPlainText();
      size = dialog->frameGeometry().size().expandedTo(dialog->sizeHint());
      if (qEnvironmentVariableIsSet("PELORUS_GRAB_DIR")) {
        dialog->grab().save(QDir(qEnvironmentVariable("PELORUS_GRAB_DIR")).filePath("Montery.png"));
      }
      for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text() == msg::kMonteryClose) button->click();
      }
    });
    QVERIFY(window.menuAction(cmd::kMontery)->isEnabled());
    window.RunCommand(cmd::kMontery);

    QCOMPARE(shownChannel, QString("2 - Hot One"));
    QCOMPARE(shownSatellite, QString("HOTSAT"));
    QCOMPARE(shownText, QString("HOTSAT V MPEG2"));
    QCOMPARE(shownCommands, QString("#70 \"HOTSAT\"\n#71 \"HOTSAT V MPE\",99"));
    QVERIFY(receiver.WaitForLog("montery #71 \"HOTSAT V MPE\",99\n"));
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY2(size.width() <= 1366 && size.height() + 32 <= 768 && size.width() <= area.width(),
             qPrintable(QString("%1x%2").arg(size.width()).arg(size.height())));
  }

  void refusesWithoutScsi() {
    testing::EditorWindow editor;
    editor.state.settingsImage = std::vector<ChannelRecord>{};
    QString message;
    testing::WhenModalShown<QMessageBox>([&](QMessageBox* box) {
      message = box->text();
      box->accept();
    });
    editor.window.RunCommand(cmd::kMontery);
    QCOMPARE(message, QString("Function unavailable without SCSI interface"));
  }
};

QTEST_MAIN(MonteryDialogTest)
#include "montery_dialog_test.moc"
