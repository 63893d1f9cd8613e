// The frame grabber from the main window against the stand-in receiver: the options panel of
// the save dialog, the picture written, and the picture window.
#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include "app/commands.h"
#include "app/ui/main_window.h"
#include "grabber/messages.h"
#include "grabber/ui/grab_dialog.h"
#include "grabber/ui/picture_window.h"
#include "support/gui_window.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

using namespace pelorus;

class GrabberTest : public QObject {
  Q_OBJECT

 private slots:
  void panelClicksLastAndThePictureIsShown() {
    testing::TempDir dir;
    testing::ScsiSimProcess receiver(dir, {"--picture-width", "480"});
    QVERIFY(receiver.Running());
    MemoryOptionsStore store;
    store.SetExists(true);
    EditorState state;
    state.links.scsi = receiver.Link();
    MainWindow window(state, store);
    window.show();
    window.Start();
    QVERIFY(window.menuAction(cmd::kScsiGrab)->isEnabled());
    QVERIFY(window.menuAction(cmd::kSerialGrab)->isEnabled());
    QVERIFY(window.menuAction(cmd::kGrab)->isEnabled());
    const QString shots = qEnvironmentVariable("PELORUS_SCREENSHOTS");
    // Whatever goes wrong, no dialog is left waiting for ever.
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    watchdog.start(30000);

    // Clicks on the panel count even though the dialog is then cancelled.
    bool firstSeen = false;
    testing::WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
      firstSeen = true;
      QVERIFY(dialog->findChild<QRadioButton*>("frame1")->isChecked());
      QVERIFY(dialog->findChild<QRadioButton*>("colour")->isChecked());
      QVERIFY(dialog->findChild<QCheckBox*>("interpolate")->isChecked());
      dialog->findChild<QRadioButton*>("frame2")->click();
      dialog->findChild<QRadioButton*>("luminance")->click();
      dialog->findChild<QCheckBox*>("interpolate")->click();
      QVERIFY(dialog->width() <= 1366 && dialog->height() <= 768);
      if (!shots.isEmpty()) dialog->grab().save(shots + "/grab_dialog.png");
      dialog->reject();
    });
    window.RunCommand(cmd::kScsiGrab);
    QVERIFY(firstSeen);

    const QString picturePath = QString::fromStdString(dir.File("shot.jpg"));
    bool secondSeen = false;
    QString caption;
    QSize shownSize;
    testing::WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
      secondSeen = true;
      QCOMPARE(dialog->windowTitle(), QString::fromUtf8(msg::grab::kScsiTitle));
      QVERIFY(dialog->findChild<QRadioButton*>("frame2")->isChecked());
      QVERIFY(dialog->findChild<QRadioButton*>("luminance")->isChecked());
      QVERIFY(!dialog->findChild<QCheckBox*>("interpolate")->isChecked());
      dialog->findChild<QLineEdit*>("fileNameEdit")->setText(picturePath);
      // The picture window follows once the grab is done; Escape ends it.
      testing::WhenModalShown<PictureWindow>([&](PictureWindow* picture) {
        caption = picture->windowTitle();
        shownSize = picture->size();
        if (!shots.isEmpty()) picture->grab().save(shots + "/grab_picture.png");
        QTest::keyClick(picture, Qt::Key_Escape);
      });
      for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text().contains("Save")) button->click();
      }
    });
    window.RunCommand(cmd::kScsiGrab);
    QVERIFY(secondSeen);
    QCOMPARE(caption, QString::fromUtf8(msg::grab::kPictureCaption));
    QCOMPARE(shownSize, QSize(720, 576));
    const QImage written(picturePath, "jpeg");
    QCOMPARE(written.size(), QSize(720, 576));
    // Frame 2's gradient as luminance, not stretched: 480 columns of picture growing lighter
    // downwards, then the black border.
    QVERIFY(qGray(written.pixel(30, 500)) > qGray(written.pixel(30, 20)) + 80);
    QVERIFY(qGray(written.pixel(600, 100)) < 40);
    QVERIFY(!QFile::exists(QString::fromStdString(dir.File("shot.mem"))));
  }

  void aSerialGrabLeavesTheMenusUsableAndEscapeAsksTheAbortQuestion() {
    testing::TempDir dir;
    testing::SimProcess receiver(dir);
    QVERIFY(receiver.Running());
    MemoryOptionsStore store;
    store.SetExists(true);
    EditorState state;
    state.links.serialPort = receiver.Port();
    MainWindow window(state, store);
    window.show();
    window.Start();
    QTimer watchdog;
    connect(&watchdog, &QTimer::timeout, [] {
      if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    watchdog.start(60000);

    const QString picturePath = QString::fromStdString(dir.File("serial.jpg"));
    testing::WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
      dialog->findChild<QLineEdit*>("fileNameEdit")->setText(picturePath);
      for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
        if (button->text().contains("Save")) button->click();
      }
    });
    window.RunCommand(cmd::kSerialGrab);
    // The command has returned while the grab goes on in its own window.
    auto* progress = window.findChild<QDialog*>("grabProgress");
    QVERIFY(progress != nullptr);
    QVERIFY(progress->isVisible());
    QVERIFY(!progress->isModal());
    QCOMPARE(progress->windowHandle()->transientParent(), window.windowHandle());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    QVERIFY(window.menuAction(cmd::kOpen)->isEnabled());
    // The frame chosen in the test before is still the one asked for: the options last.
    QTRY_VERIFY_WITH_TIMEOUT(receiver.Log().find("read-memory ") != std::string::npos, 20000);

    // Escape asks; No goes on.
    QString question;
    testing::WhenModalShown<QMessageBox>([&](QMessageBox* box) {
      question = box->text();
      box->button(QMessageBox::No)->click();
    });
    QTest::keyClick(progress, Qt::Key_Escape);
    QCOMPARE(question, QString::fromUtf8(msg::grab::kAbortQuestion));
    QVERIFY(progress->isVisible());
    // Stop asks too; Yes ends the grab, and the video is resumed.
    QString told;
    testing::WhenModalShown<QMessageBox>([&](QMessageBox* box) {
      box->button(QMessageBox::Yes)->click();
      testing::WhenModalShown<QMessageBox>([&](QMessageBox* next) {
        told = next->text();
        next->accept();
      });
    });
    progress->findChild<QPushButton*>("stop")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!told.isEmpty(), 40000);
    QCOMPARE(told, QString::fromUtf8(msg::grab::kGrabAborted));
    QVERIFY(receiver.WaitForLog("resume-video"));
    QVERIFY(!QFile::exists(picturePath));
    QTRY_VERIFY(window.findChild<QObject*>("serialGrab") == nullptr);
  }

  // The save dialog lists the pictures of the chosen type and nothing else: a file of another
  // type is not there to be overwritten by a slip of the mouse.
  void theSaveDialogListsOnlyTheChosenType() {
    testing::TempDir dir;
    for (const char* name : {"old.jpg", "older.bmp", "notes.txt", "list.dvb"}) {
      testing::WriteBytes(dir.File(name), {1});
    }
    GrabDialogRequest request;
    request.file.title = msg::grab::kScsiTitle;
    request.file.filterName = msg::grab::kJpegFilterName;
    request.file.filterPattern = msg::grab::kJpegFilterPattern;
    request.file.defaultExtension = msg::grab::kDefaultExtension;
    request.file.initialDir = dir.path().string();
    request.bitmapFilterName = msg::grab::kBitmapFilterName;
    request.bitmapFilterPattern = msg::grab::kBitmapFilterPattern;
    GrabOptions options;
    QStringList asJpeg;
    QStringList asBitmap;
    testing::WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
      QTRY_VERIFY(!Listed(dialog).isEmpty());
      asJpeg = Listed(dialog);
      dialog->selectNameFilter(QString::fromUtf8(msg::grab::kBitmapFilterName));
      QTRY_VERIFY(Listed(dialog) != asJpeg);
      asBitmap = Listed(dialog);
      dialog->reject();
    });
    QVERIFY(!ShowGrabDialog(nullptr, request, options));
    QCOMPARE(asJpeg, QStringList{"old.jpg"});
    QCOMPARE(asBitmap, QStringList{"older.bmp"});

    // A name typed without an extension gets the chosen type's, which the picture is written as.
    testing::WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
      dialog->selectNameFilter(QString::fromUtf8(msg::grab::kBitmapFilterName));
      dialog->findChild<QLineEdit*>("fileNameEdit")->setText("shot");
      static_cast<QDialog*>(dialog)->accept();
    });
    QVERIFY(ShowGrabDialog(nullptr, request, options));
    QCOMPARE(QString::fromStdString(request.file.path),
             QString::fromStdString(dir.File("shot.bmp")));
  }

 private:
  // The files the dialog's list shows, greyed ones included: they are listed all the same.
  static QStringList Listed(QFileDialog* dialog) {
    auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    if (view == nullptr || view->model() == nullptr) return names;
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row) {
      const QModelIndex index = view->model()->index(row, 0, root);
      if (view->isRowHidden(row)) continue;
      names << index.data().toString();
    }
    names.sort();
    return names;
  }
};

QTEST_MAIN(GrabberTest)
#include "grabber_test.moc"
