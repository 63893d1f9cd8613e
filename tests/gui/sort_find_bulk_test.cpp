// The channel list's sort, find, bulk change, converter, export and print commands, offscreen:
// a file is opened, rows are selected in the list, and the list is checked afterwards.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QtTest>

#include "app/commands.h"
#include "app/options_store.h"
#include "app/ui/main_window.h"
#include "channels/channel_line.h"
#include "support/gui_window.h"
#include "support/records.h"
#include "support/temp_dir.h"

using namespace pelorus;

namespace {

QPushButton* ButtonNamed(QWidget* dialog, const QString& text) {
  for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  return nullptr;
}

}  // namespace

class SortFindBulkTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    editor = std::make_unique<testing::EditorWindow>();
    dir = &editor->dir;
    state = &editor->state;
    window = &editor->window;
    const std::string path = dir->File("list.dvb");
    testing::WriteBytes(
        path, testing::FileBytes(
                  {testing::MakeChannel("Zulu", 12000), testing::MakeChannel("Echo news", 11000),
                   testing::MakeChannel("Alpha", 10000), testing::MakeChannel("Mike", 9000),
                   testing::MakeChannel("NEWS 24", 12500)}));
    state->commandLineFile = path;
    window->RunCommand(cmd::kOpen);
    QCOMPARE(list()->model()->rowCount(), 5);
  }
  void cleanup() { editor.reset(); }

  void sortsTheFirstSelectedBlock() {
    Select({0, 1, 2, 4});
    window->RunCommand(cmd::kSortByName);
    QCOMPARE(Names(), (QStringList{"Alpha", "Echo news", "Zulu", "Mike", "NEWS 24"}));
    QCOMPARE(SelectedRows(), (QList<int>{0, 1, 2}));
    QCOMPARE(list()->selectionModel()->currentIndex().row(), 2);
    QVERIFY(state->settingsModified);

    Select({1, 2, 3, 4});
    window->RunCommand(cmd::kSortByFrequency);
    QCOMPARE(Names(), (QStringList{"Alpha", "Mike", "Echo news", "Zulu", "NEWS 24"}));
  }

  void findsAndFindsNextWithWrapAround() {
    testing::WhenModalShown<QDialog>([](QDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Trova"));
      auto* text = dialog->findChild<QLineEdit*>("findText");
      QCOMPARE(text->maxLength(), 20);
      text->setText("news");
      dialog->findChild<QCheckBox*>("matchCase")->setChecked(false);
      ButtonNamed(dialog, "Cerca")->click();
    });
    window->RunCommand(cmd::kFind);
    QCOMPARE(SelectedRows(), (QList<int>{1}));
    window->RunCommand(cmd::kFindNext);
    QCOMPARE(SelectedRows(), (QList<int>{4}));
    QCOMPARE(list()->selectionModel()->currentIndex().row(), 4);
    window->RunCommand(cmd::kFindNext);
    QCOMPARE(SelectedRows(), (QList<int>{1}));

    // A text in no name: the information box.
    testing::WhenModalShown<QDialog>([](QDialog* dialog) {
      dialog->findChild<QLineEdit*>("findText")->setText("weather");
      testing::WhenModalShown<QMessageBox>([](QMessageBox* box) {
        QCOMPARE(box->text(), QString("Search string not found"));
        QCOMPARE(box->icon(), QMessageBox::Information);
        box->accept();
      });
      ButtonNamed(dialog, "Cerca")->click();
    });
    window->RunCommand(cmd::kFind);
    QCOMPARE(SelectedRows(), (QList<int>{1}));
  }

  void bulkChangesTheSelectedRows() {
    Select({1, 3});
    window->RunCommand(40042);  // "Verticale"
    QCOMPARE(list()->model()->index(1, 6).data().toString(), QString("V"));
    QCOMPARE(list()->model()->index(3, 6).data().toString(), QString("V"));
    QCOMPARE(list()->model()->index(0, 6).data().toString(), QString("H"));
    QCOMPARE(SelectedRows(), (QList<int>{1, 3}));

    testing::WhenModalShown<QDialog>([](QDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Parametri Canale"));
      dialog->findChild<QLineEdit*>("parameterValue")->setText("70000");
      ButtonNamed(dialog, "OK")->click();
    });
    window->RunCommand(40085);
    QCOMPARE(list()->model()->index(1, 3).data().toString(), QString("4464"));
    QCOMPARE(list()->model()->index(2, 3).data().toString(), QString("27500"));
  }

  void convertsWithTheManualOscillatorAfterWarnings() {
    Select({2});
    testing::WhenModalShown<QDialog>([](QDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Convertitore (LNB)"));
      QVERIFY(!dialog->findChild<QLineEdit*>("manualOscillator")->isEnabled());
      testing::WhenModalShown<QMessageBox>([dialog](QMessageBox* box) {
        QCOMPARE(box->text(), QString("Please select a conversion mode"));
        box->accept();
        dialog->findChild<QRadioButton*>("mode1019")->click();
        dialog->findChild<QRadioButton*>("lo1023")->click();
        QVERIFY(dialog->findChild<QLineEdit*>("manualOscillator")->isEnabled());
        dialog->findChild<QLineEdit*>("manualOscillator")->setText("9750");
        ButtonNamed(dialog, "OK")->click();
      });
      ButtonNamed(dialog, "OK")->click();
    });
    window->RunCommand(cmd::kConvertFrequency);
    QCOMPARE(list()->model()->index(2, 2).data().toString(), QString("250"));
  }

  void exportsTheSelectionAndPrintsToPdf() {
    Select({0, 4});
    const std::string text = dir->File("some.txt");
    // The save dialog carries the export choice; "Esporta Tutto" is ticked at first.
    testing::WhenModalShown<QFileDialog>([text](QFileDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Export Settings"));
      QVERIFY(dialog->findChild<QRadioButton*>("export1027")->isChecked());
      dialog->findChild<QRadioButton*>("export1028")->click();
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
          ->setText(QString::fromStdString(text));
      static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    window->RunCommand(cmd::kExport);
    const std::vector<uint8_t> bytes = testing::ReadBytes(text);
    QCOMPARE(bytes.size(), size_t{2 * 139});
    QVERIFY(std::string(bytes.begin(), bytes.end()).starts_with("Zulu "));

    // Importing the two lines appends them and keeps the selection.
    testing::WhenModalShown<QFileDialog>([text](QFileDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Import Settings"));
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
          ->setText(QString::fromStdString(text));
      static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    window->RunCommand(cmd::kImport);
    QCOMPARE(Names().mid(5), (QStringList{"Zulu", "NEWS 24"}));
    QCOMPARE(list()->model()->index(6, 0).data().toString(), QString("7"));
    QCOMPARE(SelectedRows(), (QList<int>{0, 4}));

    const std::string pdf = dir->File("list.pdf");
    testing::WhenModalShown<QPrintDialog>([pdf](QPrintDialog* dialog) {
      QVERIFY(dialog->testOption(QAbstractPrintDialog::PrintSelection));
      // "Print to File (PDF)", the selection only.
      dialog->findChild<QLineEdit*>(QStringLiteral("filename"))
          ->setText(QString::fromStdString(pdf));
      auto* selection = dialog->findChild<QRadioButton*>(QStringLiteral("printSelection"));
      QVERIFY(selection != nullptr && selection->isEnabled());
      selection->click();
      dialog->accept();
    });
    window->RunCommand(cmd::kPrint);
    const std::vector<uint8_t> written = testing::ReadBytes(pdf);
    QVERIFY(written.size() > 500);
    QCOMPARE(std::string(written.begin(), written.begin() + 5), std::string("%PDF-"));
  }

 private:
  QTableView* list() const { return window->channelList(); }

  void Select(const QList<int>& rows) {
    QItemSelection selection;
    for (int row : rows) {
      selection.select(list()->model()->index(row, 0),
                       list()->model()->index(row, list()->model()->columnCount() - 1));
    }
    list()->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  }
  QList<int> SelectedRows() const {
    QList<int> rows;
    for (const QModelIndex& index : list()->selectionModel()->selectedRows()) rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  QStringList Names() const {
    QStringList names;
    for (int row = 0; row < list()->model()->rowCount(); ++row) {
      names << list()->model()->index(row, 1).data().toString();
    }
    return names;
  }
  std::unique_ptr<testing::EditorWindow> editor;
  testing::TempDir* dir = nullptr;
  EditorState* state = nullptr;
  MainWindow* window = nullptr;
};

QTEST_MAIN(SortFindBulkTest)
#include "sort_find_bulk_test.moc"
