// "Ricerca Canali..." in the main window, offscreen, against the stand-in receiver: the dialog
// fits a small screen, a network search fills its live list and summary, "Aggiungi alla lista"
// merges as one step that "Annulla" takes back whole, and Stop keeps what was found.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>
#include <cstring>

#include "app/commands.h"
#include "app/options_store.h"
#include "app/ui/main_window.h"
#include "common/command_ids.h"
#include "service_scan/ui/channel_search_dialog.h"
#include "support/gui_window.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

using namespace pelorus;

class ChannelSearchTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> Open() {
    // A receiver of its own for each test, in a folder of its own.
    sim.reset();
    dir = std::make_unique<testing::TempDir>();
    sim = std::make_unique<testing::ScsiSimProcess>(*dir);
    if (!sim->Running()) return nullptr;
    store.SetExists(true);
    state = std::make_unique<EditorState>();
    state->links.scsi = sim->Link();
    state->settingsImage = std::vector<ChannelRecord>{testing::MakeChannel("Mine", 10700)};
    auto window = std::make_unique<MainWindow>(*state, store);
    window->Start();
    window->RefillChannelList();
    return window;
  }

  // Sets the dialog up for a network search only, with the given time-out.
  static void NetworkOnly(ChannelSearchDialog* dialog, int timeout) {
    dialog->findChild<QCheckBox*>("network")->setChecked(true);
    dialog->findChild<QCheckBox*>("table")->setChecked(false);
    dialog->findChild<QCheckBox*>("locks")->setChecked(false);
    dialog->findChild<QSpinBox*>("timeout")->setValue(timeout);
  }

  std::unique_ptr<testing::TempDir> dir;
  std::unique_ptr<testing::ScsiSimProcess> sim;
  MemoryOptionsStore store;
  std::unique_ptr<EditorState> state;

 private slots:
  void aNetworkSearchIsMergedAsOneStepThatUndoTakesBack() {
    auto window = Open();
    QVERIFY(window != nullptr);
    QVERIFY(window->menuAction(cmd::kChannelSearch)->isEnabled());
    const std::vector<ChannelRecord> before = *state->settingsImage;
    QString summary;
    int transponders = 0;
    QSize size;
    testing::WhenModalShown<ChannelSearchDialog>([&](ChannelSearchDialog* dialog) {
      size = dialog->frameGeometry().size().expandedTo(dialog->sizeHint());
      NetworkOnly(dialog, 3);
      auto* add = dialog->findChild<QPushButton*>("add");
      QVERIFY(!add->isEnabled());
      dialog->findChild<QPushButton*>("start")->click();
      QVERIFY(dialog->Running());
      QVERIFY(dialog->findChild<QPushButton*>("stop")->isEnabled());
      QTRY_VERIFY_WITH_TIMEOUT(!dialog->Running(), 30000);
      transponders = dialog->findChild<QTreeWidget*>("services")->topLevelItemCount();
      summary = dialog->findChild<QLabel*>("summary")->text();
      QCOMPARE(dialog->findChild<QProgressBar*>("progress")->value(), 100);
      QVERIFY(add->isEnabled());
      add->click();
    });
    window->RunCommand(cmd::kChannelSearch);
    // With a title bar's room, as a desktop draws one, inside a 1366 x 768 screen.
    QVERIFY2(size.width() <= 1366 && size.height() + 32 <= 768,
             qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
    QCOMPARE(transponders, 6);
    QVERIFY2(summary.contains("Transponders: 6 searched, 6 locked, 0 no lock"),
             qPrintable(summary));
    QVERIFY2(summary.contains("Channels: 20 added, 0 updated, 0 unchanged"), qPrintable(summary));
    QVERIFY2(summary.contains("Services skipped: 1 H.264, 1 data"), qPrintable(summary));
    // "Mine", two title rows and twenty channels, one step, the list modified.
    QCOMPARE(window->channelList()->model()->rowCount(), 23);
    QVERIFY(state->settingsModified);
    QCOMPARE(state->history.StepCount(), size_t{1});

    window->RunCommand(cmd::kUndo);
    QCOMPARE(window->channelList()->model()->rowCount(), 1);
    QCOMPARE(state->settingsImage->size(), before.size());
    QVERIFY(std::memcmp(state->settingsImage->data(), before.data(), sizeof before[0]) == 0);
  }

  void stopKeepsWhatWasFound() {
    auto window = Open();
    QVERIFY(window != nullptr);
    QVERIFY(window->menuAction(cmd::kChannelSearch)->isEnabled());
    size_t found = 0;
    QString summary;
    testing::WhenModalShown<ChannelSearchDialog>([&](ChannelSearchDialog* dialog) {
      NetworkOnly(dialog, 3);
      dialog->findChild<QPushButton*>("start")->click();
      // Stop once the first transponder's services are listed.
      auto* services = dialog->findChild<QTreeWidget*>("services");
      QTRY_VERIFY_WITH_TIMEOUT(services->topLevelItemCount() >= 1, 20000);
      dialog->findChild<QPushButton*>("stop")->click();
      QTRY_VERIFY_WITH_TIMEOUT(!dialog->Running(), 10000);
      found = dialog->Found().size();
      summary = dialog->findChild<QLabel*>("summary")->text();
      dialog->findChild<QPushButton*>("add")->click();
    });
    window->RunCommand(cmd::kChannelSearch);
    QVERIFY2(found >= 3 && found < 20, qPrintable(QString::number(found)));
    QCOMPARE(window->channelList()->model()->rowCount(),
             static_cast<int>(1 + 1 + found) + (found > 9 ? 1 : 0));
    QVERIFY(state->settingsModified);
  }
};

QTEST_MAIN(ChannelSearchTest)
#include "channel_search_test.moc"
