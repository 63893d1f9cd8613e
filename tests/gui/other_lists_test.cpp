// The lists of other receivers in the main window, offscreen: the import with its dialog, the
// export with its dialog, ordering like a reference list, each one undo step.
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include "app/ui/main_window.h"
#include "channels/channel_name.h"
#include "common/command_ids.h"
#include "lists/ui/list_dialogs.h"
#include "support/gui_window.h"
#include "support/records.h"

using namespace pelorus;

namespace {

constexpr char kChannelsConf[] =
    ":Sport\n"
    "Eurosport;Discovery:11954:HC34M2S0:S19.2E:27500:410=2:420=eng:0:0:28009:1:1079:0\n"
    "DAZN HD:11954:HC34M5S1:S19.2E:27500:510=27:520:0:0:28010:1:1079:0\n"
    ":Radio\n"
    "Radio FM:12266:VC34:S13.0E:27500:0:3001:0:0:28400:318:1101:0\n";

// Answers the next file dialog with `path`.
void ChooseFile(const std::string& path, const QString& title) {
  testing::WhenModalShown<QFileDialog>([path, title](QFileDialog* dialog) {
    QCOMPARE(dialog->windowTitle(), title);
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
        ->setText(QString::fromStdString(path));
    static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
  });
}

}  // namespace

class OtherListsTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    editor = std::make_unique<testing::EditorWindow>();
    window = &editor->window;
    const std::string path = editor->dir.File("two.dvb");
    testing::WriteBytes(path, testing::FileBytes({testing::MakeChannel("Alpha", 11000),
                                                  testing::MakeChannel("Eurosport", 11954)}));
    editor->state.commandLineFile = path;
    window->RunCommand(cmd::kOpen);
    QCOMPARE(Names(), (QStringList{"Alpha", "Eurosport"}));
  }
  void cleanup() { editor.reset(); }

  void theMenusHaveTheEntries() {
    QCOMPARE(window->menuAction(cmd::kImportOtherReceiver)->text(),
             QString("Importa da altro ricevitore..."));
    QCOMPARE(window->menuAction(cmd::kExportOtherReceiver)->text(),
             QString("Esporta per altro ricevitore..."));
    QCOMPARE(window->menuAction(cmd::kOrderLikeList)->text(), QString("Ordina come Lista..."));
    for (const int command :
         {cmd::kImportOtherReceiver, cmd::kExportOtherReceiver, cmd::kOrderLikeList}) {
      QVERIFY(window->menuAction(command)->isEnabled());
    }
  }

  void importAppendsWithThePortsChosenAndUndoesInOneStep() {
    const std::string conf = editor->dir.File("channels.conf");
    const std::string text = kChannelsConf;
    testing::WriteBytes(conf, std::vector<uint8_t>(text.begin(), text.end()));
    QString report;
    ChooseFile(conf, "Import Channel List");
    testing::WhenModalShown<ImportListDialog>([&report](ImportListDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Importa da altro ricevitore"));
      QVERIFY(dialog->findChild<QRadioButton*>("append")->isChecked());
      dialog->findChild<QComboBox*>("diseqc130")->setCurrentIndex(2);
      QVERIFY(dialog->findChild<QComboBox*>("diseqc192") != nullptr);
      testing::WhenModalShown<QMessageBox>([&report](QMessageBox* box) {
        report = box->text();
        box->accept();
      });
      dialog->findChild<QPushButton*>("ok")->click();
    });
    window->RunCommand(cmd::kImportOtherReceiver);
    QCOMPARE(report, QString("2 channels imported, 1 skipped (1 DVB-S2, 0 H.264/HEVC, 0 other)"));
    QCOMPARE(Names(),
             (QStringList{"Alpha", "Eurosport", "[Sport]", "Eurosport", "[Radio]", "Radio FM"}));
    QCOMPARE(editor->state.settingsImage->back().lnbSelect & 3, 2);
    QCOMPARE(testing::SelectedRows(*window), (std::vector<int>{2, 3, 4, 5}));
    QCOMPARE(window->statusLabel()->text(), report);
    QVERIFY(editor->state.settingsModified);

    window->RunCommand(cmd::kUndo);
    QCOMPARE(Names(), (QStringList{"Alpha", "Eurosport"}));
    QVERIFY(!editor->state.settingsModified);

    // Cancelling the dialog changes nothing.
    ChooseFile(conf, "Import Channel List");
    testing::WhenModalShown<ImportListDialog>([](ImportListDialog* dialog) { dialog->reject(); });
    window->RunCommand(cmd::kImportOtherReceiver);
    QCOMPARE(Names(), (QStringList{"Alpha", "Eurosport"}));
  }

  void orderLikeAReferenceIsOneStep() {
    const std::string reference = editor->dir.File("reference.conf");
    const std::string text = kChannelsConf;
    testing::WriteBytes(reference, std::vector<uint8_t>(text.begin(), text.end()));
    ChooseFile(reference, "Reference List");
    window->RunCommand(cmd::kOrderLikeList);
    QCOMPARE(Names(), (QStringList{"[Sport]", "Eurosport", "[Altri canali]", "Alpha"}));
    QCOMPARE(window->statusLabel()->text(), QString("1 of 2 channels matched the reference list"));
    window->RunCommand(cmd::kUndo);
    QCOMPARE(Names(), (QStringList{"Alpha", "Eurosport"}));
    window->RunCommand(cmd::kRedo);
    QCOMPARE(Names().size(), 4);
  }

  void exportAsksTheFormatAndTheSatellites() {
    const std::string path = editor->dir.File("out.conf");
    testing::WhenModalShown<ExportListDialog>([path](ExportListDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Esporta per altro ricevitore"));
      dialog->findChild<QRadioButton*>("vdr")->click();
      dialog->findChild<QLineEdit*>("satellite1")->setText("nowhere");
      dialog->findChild<QPushButton*>("ok")->click();
      // The dialog stays up and says what it could not read.
      QVERIFY(dialog->isVisible());
      QCOMPARE(dialog->findChild<QLabel*>("problem")->text(),
               QString("Not a satellite position: nowhere"));
      dialog->findChild<QLineEdit*>("satellite1")->setText("13.0E");
      ChooseFile(path, "Export channels.conf");
      dialog->findChild<QPushButton*>("ok")->click();
    });
    window->RunCommand(cmd::kExportOtherReceiver);
    const std::vector<uint8_t> bytes = testing::ReadBytes(path);
    QCOMPARE(QString::fromStdString(std::string(bytes.begin(), bytes.end())),
             QString("Alpha:11000:HM2S0:S13.0E:27500:512=2:640:0:0:0:0:0:0\n"
                     "Eurosport:11954:HM2S0:S13.0E:27500:512=2:640:0:0:0:0:0:0\n"));
    QCOMPARE(window->statusLabel()->text(), QString("2 channels exported"));
    QVERIFY(!editor->state.settingsModified);  // writing another receiver's list is no save
  }

 private:
  QStringList Names() const {
    QStringList names;
    if (!editor->state.settingsImage) return names;
    for (const ChannelRecord& record : *editor->state.settingsImage) {
      const QString name = QString::fromStdString(DecodeChannelName(record));
      names << (record.IsMarker() ? "[" + name + "]" : name);
    }
    return names;
  }

  std::unique_ptr<testing::EditorWindow> editor;
  MainWindow* window = nullptr;
};

QTEST_MAIN(OtherListsTest)
#include "other_lists_test.moc"
