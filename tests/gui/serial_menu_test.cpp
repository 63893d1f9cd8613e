// The "Seriali" menu from the main window against the stand-in receiver on a real
// pseudo-terminal: read the settings into the list, change them, write them back.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include "app/commands.h"
#include "app/ui/main_window.h"
#include "serial/serial_timing.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

using namespace pelorus;

class SerialMenuTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { SetSerialTickForTesting(std::chrono::milliseconds(20)); }

  void readsIntoTheListAndWritesBack() {
    testing::TempDir dir;
    std::vector<ChannelRecord> records;
    for (int i = 0; i < 3; ++i) {
      records.push_back(
          testing::MakeChannel("SIM " + std::to_string(i), static_cast<uint16_t>(11000 + i)));
    }
    const std::string seed = dir.File("seed.dvb");
    testing::WriteBytes(seed, testing::FileBytes(records));
    testing::SimProcess receiver(dir, {"--channels", seed});
    QVERIFY(receiver.Running());

    MemoryOptionsStore store;
    store.SetExists(true);
    EditorState state;
    state.links.serialPort = receiver.Port();
    MainWindow window(state, store);
    window.Start();

    // Any message box is answered with its default button and remembered.
    QStringList messages;
    QTimer dismiss;
    connect(&dismiss, &QTimer::timeout, [&messages] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        messages << box->text();
        box->defaultButton() ? box->defaultButton()->click() : box->accept();
      }
    });
    dismiss.start(20);

    QVERIFY(window.menuAction(cmd::kSerialRead)->isEnabled());
    window.RunCommand(cmd::kSerialRead);
    QCOMPARE(window.channelList()->model()->rowCount(), 3);
    QCOMPARE(window.channelList()->model()->index(2, 1).data().toString(), QString("SIM 2"));
    QCOMPARE(window.statusLabel()->text(), QString());  // cleared after the command
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(" | ")));

    (*state.settingsImage)[1].frequency = 12345;
    state.settingsModified = true;
    window.RunCommand(cmd::kSerialWrite);
    QVERIFY2(messages.isEmpty(), qPrintable(messages.join(" | ")));
    QVERIFY(!state.settingsModified);
    QVERIFY(receiver.WaitForLog("put-settings 192 checksum ok"));
    receiver.Stop();
    records[1].frequency = 12345;
    QVERIFY(testing::ReadBytes(receiver.TablePath()) == testing::FileBytes(records));
  }

  // A receiver with an empty table gives an empty list, and the status line says why.
  void anEmptyTableSaysSoOnTheStatusLine() {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("empty.dvb"), {});
    testing::SimProcess receiver(dir, {"--channels", dir.File("empty.dvb")});
    QVERIFY(receiver.Running());
    MemoryOptionsStore store;
    store.SetExists(true);
    EditorState state;
    state.links.serialPort = receiver.Port();
    MainWindow window(state, store);
    window.Start();
    window.RunCommand(cmd::kSerialRead);
    QVERIFY(state.settingsImage.has_value());
    QCOMPARE(window.channelList()->model()->rowCount(), 0);
    QCOMPARE(window.statusLabel()->text(), QString("0 channels"));
  }
};

QTEST_MAIN(SerialMenuTest)
#include "serial_menu_test.moc"
