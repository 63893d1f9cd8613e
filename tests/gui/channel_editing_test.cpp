// Editing the list in the main window, offscreen: copy and paste through the system clipboard,
// insert and edit through the channel dialog, delete, and the paste from MPEG Search Project.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include "app/commands.h"
#include "app/options_store.h"
#include "app/ui/main_window.h"
#include "channels/channel_line.h"
#include "channels/channel_name.h"
#include "channels/ui/channel_dialog.h"
#include "channels/ui/mpeg_search_dialog.h"
#include "support/gui_window.h"
#include "support/records.h"
#include "support/temp_dir.h"

using namespace pelorus;

namespace {

template <typename T>
T* Child(QObject* parent, const char* name) {
  T* child = parent->findChild<T*>(QString::fromLatin1(name));
  if (child == nullptr) qFatal("no control %s", name);
  return child;
}

}  // namespace

class ChannelEditingTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    editor = std::make_unique<testing::EditorWindow>();
    dir = &editor->dir;
    store = &editor->store;
    state = &editor->state;
    window = &editor->window;
    std::vector<ChannelRecord> records;
    for (int i = 0; i < 5; ++i) {
      records.push_back(
          testing::MakeChannel("Channel " + std::to_string(i), static_cast<uint16_t>(11000 + i)));
    }
    const std::string path = dir->File("five.dvb");
    testing::WriteBytes(path, testing::FileBytes(records));
    state->commandLineFile = path;
    window->RunCommand(cmd::kOpen);
    QCOMPARE(Rows(), 5);
  }
  void cleanup() { editor.reset(); }

  void editingCommandsAreEnabled() {
    for (const int command :
         {cmd::kInsert, cmd::kDelete, cmd::kCut, cmd::kCopy, cmd::kPaste, cmd::kMpegSearchPaste}) {
      QVERIFY2(window->menuAction(command)->isEnabled(), qPrintable(QString::number(command)));
    }
  }

  void copyAndPasteThroughTheClipboard() {
    Select({1, 3});
    window->RunCommand(cmd::kCopy);
    const QString copied = QGuiApplication::clipboard()->text();
    const auto& image = *state->settingsImage;
    QCOMPARE(copied.toStdString(), FormatChannelLine(image[1]) + FormatChannelLine(image[3]));
    QVERIFY(!state->settingsModified);

    Select({4});
    window->RunCommand(cmd::kPaste);
    QCOMPARE(Names(), (QStringList{"Channel 0", "Channel 1", "Channel 2", "Channel 3", "Channel 4",
                                   "Channel 1", "Channel 3"}));
    QCOMPARE(CellText(5, 2), QString("11001"));
    QCOMPARE(CellText(6, 0), QString("7"));
    QVERIFY(state->settingsModified);
    QCOMPARE(SelectedRows(), (std::vector<int>{4}));
  }

  void pasteTakesTextFromAnotherProgram() {
    // A text editor here ends its lines with LF alone.
    std::string line = FormatChannelLine(testing::MakeChannel("From an editor", 12345));
    line.erase(line.size() - 2, 1);  // drop the CR
    QGuiApplication::clipboard()->setText(QString::fromStdString(line + line));
    state->options.pasteBefore = 1;
    Select({0});
    window->RunCommand(cmd::kPaste);
    QCOMPARE(Rows(), 7);
    QCOMPARE(CellText(0, 1), QString("From an editor"));
    QCOMPARE(CellText(1, 2), QString("12345"));
    QCOMPARE(CellText(2, 1), QString("Channel 0"));
  }

  void cutRemovesTheRowsAndPastesThemElsewhere() {
    Select({0, 1});
    window->RunCommand(cmd::kCut);
    QCOMPARE(Names(), (QStringList{"Channel 2", "Channel 3", "Channel 4"}));
    Select({2});
    window->RunCommand(cmd::kPaste);
    QCOMPARE(Names(),
             (QStringList{"Channel 2", "Channel 3", "Channel 4", "Channel 0", "Channel 1"}));
  }

  void deleteWithoutSelectionWarns() {
    QString message;
    testing::WhenModalShown<QMessageBox>([&message](QMessageBox* box) {
      message = box->text();
      box->accept();
    });
    window->channelList()->clearSelection();
    window->RunCommand(cmd::kDelete);
    QCOMPARE(message, QString("Please select a channel or channels to delete first"));
    Select({2});
    window->RunCommand(cmd::kDelete);
    QCOMPARE(Rows(), 4);
  }

  void insertRunsTheChannelDialog() {
    Select({2});
    testing::WhenModalShown<ChannelDialog>([](ChannelDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Setaggio Canali"));
      QCOMPARE(Child<QLineEdit>(dialog, "pcrPid")->text(), QString("1FFF"));
      QVERIFY(Child<QRadioButton>(dialog, "fec1")->isChecked());
      QCOMPARE(Child<QComboBox>(dialog, "serviceType")->count(), 14);
      QCOMPARE(Child<QComboBox>(dialog, "diseqc")->itemText(3), QString("LNB port 4"));
      Child<QLineEdit>(dialog, "name")->setText("Inserted");
      Child<QLineEdit>(dialog, "frequency")->setText("12111");
      Child<QRadioButton>(dialog, "vertical")->setChecked(true);
      Child<QPushButton>(dialog, "ok")->click();
    });
    window->RunCommand(cmd::kInsert);
    QCOMPARE(Rows(), 6);
    QCOMPARE(CellText(3, 1), QString("Inserted"));
    QCOMPARE(CellText(3, 2), QString("12111"));
    QCOMPARE(CellText(3, 6), QString("V"));
    QCOMPARE(SelectedRows(), (std::vector<int>{3}));
  }

  void doubleClickEditsTheFirstSelectedRow() {
    Select({3, 1});
    testing::WhenModalShown<ChannelDialog>([](ChannelDialog* dialog) {
      QCOMPARE(Child<QLineEdit>(dialog, "name")->text(), QString("Channel 1"));
      QCOMPARE(Child<QLineEdit>(dialog, "name")->selectedText(), QString("Channel 1"));
      Child<QLineEdit>(dialog, "name")->setText("[Edited]");
      Child<QComboBox>(dialog, "diseqc")->setCurrentIndex(2);
      Child<QCheckBox>(dialog, "autoPmt")->setChecked(true);
      Child<QPushButton>(dialog, "ok")->click();
    });
    window->RunCommand(cmd::kEditSelectedChannel);
    const ChannelRecord& edited = (*state->settingsImage)[1];
    QCOMPARE(int(edited.name[0]), 0x86);
    QCOMPARE(edited.lnbSelect, uint8_t(2));
    QCOMPARE(edited.autoFlags, uint8_t(1));
    QCOMPARE(CellText(1, 1), QString("[Edited]"));
    QCOMPARE(CellText(1, 11), QString("3"));
    QVERIFY(state->settingsModified);

    state->settingsModified = false;
    testing::WhenModalShown<ChannelDialog>(
        [](ChannelDialog* dialog) { Child<QPushButton>(dialog, "cancel")->click(); });
    window->RunCommand(cmd::kEditSelectedChannel);
    QVERIFY(!state->settingsModified);
  }

  void mpegSearchPasteStoresItsOptionsAndPastes() {
    QGuiApplication::clipboard()->setText(
        "Source: the site\n"
        "Sat A~KU~12300~V~Uno (PCR=99)~x~27500~3/4~255~x~x~256~\n"
        "Sat A~C~3900~H~Due~x~5000~2/3~300~x~x~301~\n");
    Select({0});
    testing::WhenModalShown<MpegSearchDialog>([](MpegSearchDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Paste from MPEG Search Project"));
      QVERIFY(Child<QCheckBox>(dialog, "markers")->isChecked());
      QVERIFY(Child<QRadioButton>(dialog, "all")->isChecked());
      QVERIFY(Child<QRadioButton>(dialog, "comma")->isChecked());
      Child<QRadioButton>(dialog, "tilde")->setChecked(true);
      Child<QRadioButton>(dialog, "kuBand")->setChecked(true);
      Child<QComboBox>(dialog, "diseqcKuDbs")->setCurrentIndex(3);
      Child<QPushButton>(dialog, "ok")->click();
    });
    window->RunCommand(cmd::kMpegSearchPaste);
    QCOMPARE(state->options.mpegProjectDataFormat, 2u);
    QCOMPARE(state->options.mpegProjectPasteMode, 2u);
    QCOMPARE(state->options.mpegProjectDiseqcKuDbs, 3u);
    QVERIFY(std::get<uint32_t>(store->values().at("MPEGProjectPasteMode")) == 2);
    QCOMPARE(Names().mid(0, 4), (QStringList{"Channel 0", "-- Sat A --", "Uno ", "Channel 1"}));
    QCOMPARE(CellText(2, 11), QString("4"));

    // Cancel changes neither the options nor the list.
    testing::WhenModalShown<MpegSearchDialog>([](MpegSearchDialog* dialog) {
      Child<QRadioButton>(dialog, "comma")->setChecked(true);
      Child<QPushButton>(dialog, "cancel")->click();
    });
    window->RunCommand(cmd::kMpegSearchPaste);
    QCOMPARE(state->options.mpegProjectDataFormat, 2u);
    QCOMPARE(Rows(), 7);
  }

 private:
  int Rows() const { return window->channelList()->model()->rowCount(); }
  QString CellText(int row, int column) const {
    return window->channelList()->model()->index(row, column).data().toString();
  }
  QStringList Names() const {
    QStringList names;
    for (int row = 0; row < Rows(); ++row) names << CellText(row, 1);
    return names;
  }
  void Select(std::initializer_list<int> rows) { testing::SelectRows(*window, rows); }
  std::vector<int> SelectedRows() const { return testing::SelectedRows(*window); }

  std::unique_ptr<testing::EditorWindow> editor;
  testing::TempDir* dir = nullptr;
  MemoryOptionsStore* store = nullptr;
  EditorState* state = nullptr;
  MainWindow* window = nullptr;
};

QTEST_MAIN(ChannelEditingTest)
#include "channel_editing_test.moc"
