// The editing comforts in the main window, offscreen: dragging rows with the mouse, undo from the
// keyboard, Ctrl+Z left to "Controllo Canali", duplicates, and the recent files.
#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include "app/commands.h"
#include "app/ui/channel_list_view.h"
#include "app/ui/gui_command.h"
#include "app/ui/main_window.h"
#include "channels/channel_name.h"
#include "common/command_ids.h"
#include "support/gui_window.h"
#include "support/records.h"

using namespace pelorus;

class ComfortsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    editor = std::make_unique<testing::EditorWindow>();
    window = &editor->window;
    window->resize(620, 400);
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    std::vector<ChannelRecord> records;
    for (int i = 0; i < 8; ++i) {
      records.push_back(testing::MakeChannel(std::string(1, static_cast<char>('A' + i)),
                                             static_cast<uint16_t>(11000 + 10 * i)));
    }
    Open("eight.dvb", records);
    QCOMPARE(Names(), QString("ABCDEFGH"));
  }
  void cleanup() { editor.reset(); }

  void dragOfANonContiguousSelectionLandsAtTheDropRowAndUndoes() {
    Select({1, 3, 4});
    QTableView* list = window->channelList();
    QWidget* viewport = list->viewport();
    const auto centre = [&](int row) {
      return QPoint(40, list->rowViewportPosition(row) + list->rowHeight(row) / 2);
    };
    const QPoint start = centre(3);
    QTest::mousePress(viewport, Qt::LeftButton, {}, start);
    // Over the upper half of row 7: the rows land before H.
    const QPoint target(40, list->rowViewportPosition(7) + 2);
    QMouseEvent move(QEvent::MouseMove, QPointF(target), viewport->mapToGlobal(QPointF(target)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QCOMPARE(static_cast<ChannelListView*>(list)->dropRow(), 7);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, target);
    QCOMPARE(Names(), QString("ACFGBDEH"));
    QCOMPARE(SelectedRows(), (std::vector<int>{4, 5, 6}));
    QVERIFY(editor->state.settingsModified);

    QTest::keyClick(list, Qt::Key_Backspace, Qt::AltModifier);
    QCOMPARE(Names(), QString("ABCDEFGH"));
    QCOMPARE(SelectedRows(), (std::vector<int>{1, 3, 4}));
    QVERIFY(!editor->state.settingsModified);  // back at what the file holds
    QTest::keyClick(list, Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(Names(), QString("ACFGBDEH"));
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);  // nothing to redo
    QCOMPARE(Names(), QString("ACFGBDEH"));

    // A click on a selected row without moving selects just that row, as in any list.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, centre(5));
    QCOMPARE(SelectedRows(), (std::vector<int>{5}));
  }

  void altArrowsMoveTheSelectedRows() {
    Select({2, 5});
    QTableView* list = window->channelList();
    QTest::keyClick(list, Qt::Key_Up, Qt::AltModifier);
    QCOMPARE(Names(), QString("ACBDFEGH"));
    QCOMPARE(SelectedRows(), (std::vector<int>{1, 4}));
    QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::AltModifier);
    QCOMPARE(Names(), QString("ABDCEGFH"));
    QTest::keyClick(list, Qt::Key_Backspace, Qt::AltModifier);
    QTest::keyClick(list, Qt::Key_Backspace, Qt::AltModifier);
    QTest::keyClick(list, Qt::Key_Backspace, Qt::AltModifier);
    QCOMPARE(Names(), QString("ABCDEFGH"));
    QVERIFY(!window->menuAction(cmd::kUndo)->isEnabled());
    QVERIFY(window->menuAction(cmd::kRedo)->isEnabled());
  }

  void ctrlZStaysWithTheChannelControl() {
    // Exactly one action answers Ctrl+Z, and it is "Controllo Canali"; undo is elsewhere.
    QList<QAction*> ctrlZ;
    for (QAction* action : window->findChildren<QAction*>()) {
      if (action->shortcuts().contains(QKeySequence(QStringLiteral("Ctrl+Z")))) ctrlZ << action;
    }
    QCOMPARE(ctrlZ.size(), 1);
    QCOMPARE(ctrlZ.front(), window->menuAction(cmd::kTuneChannel));
    QCOMPARE(window->menuAction(cmd::kUndo)->shortcut(),
             QKeySequence(QStringLiteral("Alt+Backspace")));
    QCOMPARE(window->menuAction(cmd::kUndo)->text(), QString("Annulla"));
    QCOMPARE(window->menuAction(cmd::kRedo)->text(), QString("Ripeti"));

    Select({0});
    window->RunCommand(cmd::kDelete);
    QCOMPARE(Names(), QString("BCDEFGH"));
    // Pressed for real only while the channel control has no handler of its own here (it would
    // open its window); enabled, its item answers the key, and the list is not undone.
    QAction* tune = window->menuAction(cmd::kTuneChannel);
    if (FindGuiCommand(cmd::kTuneChannel) == nullptr) {
      tune->setEnabled(true);
      QSignalSpy triggered(tune, &QAction::triggered);
      QTest::keyClick(window->channelList(), Qt::Key_Z, Qt::ControlModifier);
      QCOMPARE(triggered.count(), 1);
    }
    QCOMPARE(Names(), QString("BCDEFGH"));  // Ctrl+Z did not undo
  }

  void duplicatesAreSelectedForOneUndoableDelete() {
    std::vector<ChannelRecord> records = {testing::MakeChannel("One", 11000),
                                          testing::MakeChannel("Two", 12000),
                                          testing::MakeChannel("One bis", 11002)};
    editor->state.settingsModified = false;
    OpenAsking("dups.dvb", records);
    window->RunCommand(cmd::kFindDuplicates);
    QCOMPARE(SelectedRows(), (std::vector<int>{2}));
    QCOMPARE(window->statusLabel()->text(), QString("1 duplicate channels selected"));
    window->RunCommand(cmd::kDelete);
    QCOMPARE(Names(), QString("OT"));
    window->RunCommand(cmd::kUndo);
    QCOMPARE(Names(), QString("OTO"));
  }

  void theDuplicatesCountGoesWhenAnotherListIsOpened() {
    std::vector<ChannelRecord> records = {testing::MakeChannel("One", 11000),
                                          testing::MakeChannel("One bis", 11002)};
    OpenAsking("dups.dvb", records);
    window->RunCommand(cmd::kFindDuplicates);
    QCOMPARE(window->statusLabel()->text(), QString("1 duplicate channels selected"));
    // Another command's status is left alone; the count goes with the list it counted.
    window->SetStatusText("Something else");
    window->RefillChannelList();
    QCOMPARE(window->statusLabel()->text(), QString("Something else"));
    window->RunCommand(cmd::kFindDuplicates);
    OpenAsking("other.dvb", {testing::MakeChannel("Alone", 12000)});
    QCOMPARE(window->statusLabel()->text(), QString());
  }

  // The comparison window names each changed field's values and closes with "Chiudi".
  void theComparisonShowsOldAndNewValues() {
    std::vector<ChannelRecord> older = {testing::MakeChannel("Alpha", 11000, 27500),
                                        testing::MakeChannel("Beta", 12000)};
    EncodeChannelName(older[1], "Beta          ");  // padded before its zero bytes
    const std::string path = editor->dir.File("older.dvb");
    testing::WriteBytes(path, testing::FileBytes(older));
    std::vector<ChannelRecord> newer = older;
    newer[0].symbolRate = 22000;
    EncodeChannelName(newer[1], "Gamma");
    Open("newer.dvb", newer);

    QStringList lines;
    QString close;
    QSize size;
    testing::WhenModalShown<QFileDialog>([&](QFileDialog* files) {
      files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
          ->setText(QString::fromStdString(path));
      static_cast<QDialog*>(files)->done(QDialog::Accepted);
    });
    // The comparison window follows the file dialog; it is told by its name.
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
      auto* compare = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (compare == nullptr || compare->objectName() != "compareWindow") return;
      watch.stop();
      auto* tree = compare->findChild<QTreeWidget*>(QStringLiteral("differences"));
      for (QTreeWidgetItemIterator it(tree); *it; ++it) lines << (*it)->text(0);
      close = compare->findChild<QPushButton*>(QStringLiteral("close"))->text();
      size = compare->frameGeometry().size();
      compare->reject();
    });
    watch.start(10);
    window->RunCommand(cmd::kCompareWithFile);
    QCOMPARE(close, QString("Chiudi"));
    QVERIFY2(lines.contains(QString::fromUtf8(
                 "row 1 -> row 1 \"Alpha\" 11000 H: symbolRate 27500 \u2192 22000")),
             qPrintable(lines.join(" | ")));
    QVERIFY2(lines.contains(QString::fromUtf8(
                 "row 2 -> row 2 \"Gamma\" 12000 H: name \"Beta\" \u2192 \"Gamma\"")),
             qPrintable(lines.join(" | ")));
    QVERIFY(size.width() <= 1366 && size.height() + 32 <= 768);
  }

  void recentFilesListTheLastFilesOpened() {
    std::vector<ChannelRecord> one = {testing::MakeChannel("X", 11000)};
    OpenAsking("second.dvb", one);
    OpenAsking("third.dvb", one);
    QStringList shown;
    for (int i = 0; i < cmd::kRecentFileCount; ++i) {
      QAction* action = window->menuAction(cmd::kRecentFileFirst + i);
      QVERIFY(action != nullptr);
      if (action->isVisible()) shown << action->text();
    }
    QCOMPARE(shown.size(), 3);
    QVERIFY(shown[0].startsWith("&1 ") && shown[0].endsWith("third.dvb"));
    QVERIFY(shown[1].endsWith("second.dvb"));
    QVERIFY(shown[2].endsWith("eight.dvb"));

    // Choosing the first file again brings it back; a file that is gone leaves the list.
    QFile::remove(QString::fromStdString(editor->dir.File("second.dvb")));
    testing::WhenModalShown<QMessageBox>(
        [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    window->RunCommand(cmd::kRecentFileFirst + 2);
    QCOMPARE(Names(), QString("ABCDEFGH"));
    testing::WhenModalShown<QMessageBox>([](QMessageBox* box) {
      if (box->button(QMessageBox::Yes) != nullptr) {
        box->button(QMessageBox::Yes)->click();
        testing::WhenModalShown<QMessageBox>([](QMessageBox* next) { next->accept(); });
      } else {
        box->accept();
      }
    });
    window->RunCommand(cmd::kRecentFileFirst + 2);  // second.dvb, now missing
    int visible = 0;
    for (int i = 0; i < cmd::kRecentFileCount; ++i) {
      visible += window->menuAction(cmd::kRecentFileFirst + i)->isVisible() ? 1 : 0;
    }
    QCOMPARE(visible, 2);
    QCOMPARE(Names(), QString("ABCDEFGH"));  // the list on screen survives the failure
  }

 private:
  void Open(const std::string& name, const std::vector<ChannelRecord>& records) {
    const std::string path = editor->dir.File(name);
    testing::WriteBytes(path, testing::FileBytes(records));
    editor->state.commandLineFile = path;
    window->RunCommand(cmd::kOpen);
  }
  // A file named on the command line opens without the question a loaded list asks.
  void OpenAsking(const std::string& name, const std::vector<ChannelRecord>& records) {
    Open(name, records);
  }
  QString Names() const {
    QString names;
    if (!editor->state.settingsImage) return names;
    for (const ChannelRecord& record : *editor->state.settingsImage) {
      names += QString::fromStdString(DecodeChannelName(record)).left(1);
    }
    return names;
  }
  void Select(std::initializer_list<int> rows) { testing::SelectRows(*window, rows); }
  std::vector<int> SelectedRows() const { return testing::SelectedRows(*window); }

  std::unique_ptr<testing::EditorWindow> editor;
  MainWindow* window = nullptr;
};

QTEST_MAIN(ComfortsTest)
#include "comforts_test.moc"
