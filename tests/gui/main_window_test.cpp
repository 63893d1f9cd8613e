// The main window, offscreen: start-up with a settings file, the list, menus, toolbar, the
// preferences sheet and the close prompt.
#include "app/ui/main_window.h"

#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <csignal>
#include <cstdio>

#include "app/commands.h"
#include "app/options_store.h"
#include "app/ui/channel_list_model.h"
#include "app/ui/gui_command.h"
#include "support/gui_window.h"
#include "support/records.h"
#include "support/temp_dir.h"

using namespace pelorus;

namespace {

QStringList Labels(const QMenu* menu) {
  QStringList labels;
  for (const QAction* action : menu->actions()) {
    labels << (action->isSeparator() ? QStringLiteral("-") : action->text());
  }
  return labels;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    editor = std::make_unique<testing::EditorWindow>();
    dir = &editor->dir;
    store = &editor->store;
    state = &editor->state;
    window = &editor->window;
  }
  void cleanup() { editor.reset(); }

  void opensTheCommandLineFile() {
    ChannelRecord marker = testing::MakeChannel("Hot Bird 13E", 0);
    ChannelRecord tv = testing::MakeChannel("RAI 1", 11766);
    tv.fecCode = 3;
    tv.acqBandwidth = 36;
    tv.polarity = 1;
    tv.modeFlags = 0x13;
    tv.lnbSelect = 1;
    ChannelRecord untagged = testing::MakeChannel("gone", 12000);
    untagged.tag = {'X', 'X', 'X', 'X'};
    const std::string path = dir->File("with blanks.dvb");
    testing::WriteBytes(path, testing::FileBytes({marker, tv, untagged}));

    state->commandLineFile = path;
    window->RunCommand(cmd::kOpen);

    QCOMPARE(window->windowTitle(), QString::fromStdString(path) + " - Tessera Settings Editor");
    QTableView* list = window->channelList();
    QCOMPARE(list->model()->rowCount(), 2);
    QCOMPARE(list->model()->columnCount(), 12);
    const QStringList headers = {"No.", "Channel", "Frequency", "SR",    "FEC", "BW",
                                 "Pol", "VPID",    "APID",      "Video", "12v", "DiSEqC"};
    const int widths[] = {48, 110, 65, 50, 35, 32, 32, 45, 45, 42, 36, 52};
    for (int c = 0; c < 12; ++c) {
      QCOMPARE(list->model()->headerData(c, Qt::Horizontal).toString(), headers[c]);
      QCOMPARE(list->columnWidth(c), widths[c]);
    }
    QStringList row;
    for (int c = 0; c < 12; ++c) row << list->model()->index(1, c).data().toString();
    QCOMPARE(row, (QStringList{"2", "RAI 1", "11766", "27500", "2/3", "36", "V", "0200", "0280",
                               "NTSC", "12v", "2"}));
    QCOMPARE(list->model()->index(0, 1).data().toString(), QString("Hot Bird 13E"));
    QCOMPARE(list->model()->index(0, 2).data().toString(), QString());
    QVERIFY(!list->model()->index(0, 0).data(Qt::DecorationRole).isNull());
    QCOMPARE(list->model()->index(1, 0).data(Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(list->model()->index(1, 6).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));

    if (const char* shot = std::getenv("PELORUS_SCREENSHOT")) {
      QApplication::processEvents();
      window->grab().save(shot);
    }
  }

  void menusHaveTheirLabelsAndScsiItemsAreGrey() {
    const QList<QAction*> popups = window->menuBar()->actions();
    QStringList titles;
    for (const QAction* popup : popups) titles << popup->text();
    QCOMPARE(titles, (QStringList{"&File", "&Modifica", "&Cerca", "&Seriali", "SCS&I", "&Utilità",
                                  "&Aiuto"}));
    QCOMPARE(Labels(popups[0]->menu()),
             (QStringList{"Nuovo", "&Apri...", "&Salva", "Salva &con nome...", "&Stampa...", "-",
                          "Importa...", "&Esporta...", "Confronta con File...",
                          "Importa da altro ricevitore...", "Esporta per altro ricevitore...", "-",
                          "P&referenze...", "-", "File recenti", "-", "E&sci"}));
    QCOMPARE(Labels(popups[4]->menu()),
             (QStringList{"&Carica Settings", "&Leggi Settings", "-", "Aggiorna &Firmware...",
                          "Misura Velocità", "Leggi Memoria...", "Cattura Immagine...", "-",
                          "Leggi Streams...", "Scrivi Streams...", "Registra il PID Multiplo...",
                          "Trasmetti Multi PID...", "Decoder AC3...", "-", "Analisi Sistema...",
                          "Analisi Eventi...", "Cerca PID..."}));
    QCOMPARE(Labels(popups[6]->menu()), (QStringList{"&Informazioni...", "Per Aggiornamenti",
                                                     "Visita l'Homepage del Pelorus"}));

    QVERIFY(!window->scsiAvailable());
    for (const int command : ScsiOnlyCommands()) {
      QVERIFY2(!window->menuAction(command)->isEnabled(), qPrintable(QString::number(command)));
    }
    QVERIFY(!window->menuAction(cmd::kMultiPidPipe)->isEnabled());
    QVERIFY(window->menuAction(cmd::kOpen)->isEnabled());
    QVERIFY(window->menuAction(cmd::kPreferences)->isEnabled());
    QCOMPARE(window->menuAction(cmd::kOpen)->shortcut(), QKeySequence("Ctrl+O"));
    QCOMPARE(window->menuAction(cmd::kDelete)->shortcut(), QKeySequence(Qt::Key_Delete));
    QCOMPARE(window->menuAction(cmd::kGrab)->toolTip(), QString("Serial frame grabber"));
  }

  void toolbarIsTheSerialVariant() {
    const QList<QAction*> entries = window->toolBar()->actions();
    QCOMPARE(entries.size(), 21);
    for (const int separator : {1, 6, 10, 15, 18, 20})
      QVERIFY(entries[separator - 1]->isSeparator());
    QCOMPARE(entries[1]->toolTip(), QString("New blank list"));
    QCOMPARE(entries[15]->toolTip(), QString("Send settings to Mediamaster via serial"));
    QCOMPARE(entries[16]->toolTip(), QString("Read settings from Mediamaster via serial"));
    QCOMPARE(entries[20]->toolTip(), QString("SCSI stream transfer"));
    QVERIFY(!entries[20]->isEnabled());
    QVERIFY(!entries[1]->icon().isNull());
    QCOMPARE(window->statusLabel()->width(), 620 * 6 / 10);
  }

  void switchingToDecimalRebuildsTheList() {
    state->settingsImage.emplace(1, testing::MakeChannel("X", 11000));
    window->RefillChannelList();
    QCOMPARE(window->channelList()->model()->index(0, 7).data().toString(), QString("0200"));

    testing::WhenModalShown<QDialog>([](QDialog* dialog) {
      dialog->findChild<QRadioButton*>("decimal")->setChecked(true);
      dialog->findChild<QRadioButton*>("port3")->setChecked(true);
      dialog->accept();
    });
    window->RunCommand(cmd::kPreferences);
    QCOMPARE(window->channelList()->model()->index(0, 7).data().toString(), QString("512"));
    QCOMPARE(state->options.decimal, 1u);
    QCOMPARE(state->options.port, 3u);
    QVERIFY(std::get<uint32_t>(store->values().at("Decimal")) == 1);
  }

  void closingAModifiedListCanBeCancelled() {
    state->settingsImage.emplace(1, testing::MakeChannel("X", 11000));
    state->settingsModified = true;
    QString question;
    testing::WhenModalShown<QMessageBox>([&question](QMessageBox* box) {
      question = box->text();
      box->button(QMessageBox::Cancel)->click();
    });
    QVERIFY(!window->close());
    QVERIFY(window->isVisible());
    QCOMPARE(question, QString("Settings may have been changed. Do you want to save this file?"));
  }

  // On a first run the notice and the preferences come before the window is shown: the notice
  // never covers a window that has no toolbar yet.
  void firstRunNoticeComesBeforeTheWindowIsShown() {
    MemoryOptionsStore fresh;
    EditorState freshState;
    MainWindow freshWindow(freshState, fresh);
    bool noticeSeen = false;
    bool windowVisibleAtNotice = true;
    testing::WhenModalShown<QMessageBox>([&](QMessageBox* box) {
      noticeSeen = true;
      windowVisibleAtNotice = freshWindow.isVisible();
      testing::WhenModalShown<QDialog>([](QDialog* sheet) { sheet->reject(); });
      box->accept();
    });
    freshWindow.Start();
    QVERIFY(noticeSeen);
    QVERIFY(!windowVisibleAtNotice);
    QVERIFY(freshWindow.isVisible());
    QVERIFY(freshWindow.findChild<QToolBar*>() != nullptr);
  }

  // A second handler for a registered command is refused: the first stays, and a registrar
  // (as a feature's file declares one) stops the program before any window opens.
  void aCommandRegisteredTwiceIsRefused() {
    const GuiCommandHandler open = FindGuiCommand(cmd::kOpen);
    QVERIFY(open != nullptr);
    GuiCommandHandler other = [](GuiContext&) {};
    QVERIFY(!RegisterGuiCommand(cmd::kOpen, other));
    QVERIFY(FindGuiCommand(cmd::kOpen) == open);

    const pid_t child = ::fork();
    if (child == 0) {
      // Quiet: the child's message is the expected one.
      if (std::freopen("/dev/null", "w", stderr) == nullptr) ::_exit(3);
      const GuiCommandRegistrar twice(cmd::kOpen, other);
      ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFSIGNALED(status));
    QCOMPARE(WTERMSIG(status), SIGABRT);

    // A command nobody registered yet is taken.
    QVERIFY(RegisterGuiCommand(-12345, other));
    QVERIFY(FindGuiCommand(-12345) == other);
  }

  void selectAllSelectsEveryRow() {
    state->settingsImage.emplace(5, testing::MakeChannel("X", 11000));
    window->RefillChannelList();
    window->RunCommand(cmd::kSelectAll);
    QCOMPARE(window->channelList()->selectionModel()->selectedRows().size(), 5);
  }

 private:
  std::unique_ptr<testing::EditorWindow> editor;
  testing::TempDir* dir = nullptr;
  MemoryOptionsStore* store = nullptr;
  EditorState* state = nullptr;
  MainWindow* window = nullptr;
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
