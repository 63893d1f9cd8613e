// Every dialog of the editor fits the work area of a small screen: 1366 x 768 at 100 %, and
// (run a second time with QT_SCALE_FACTOR=1.5) 1920 x 1080 at 150 %. The offscreen screen is
// given that size, so the dialogs see the screen a user would have.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/options_io.h"
#include "app/preferences.h"
#include "app/ui/about_dialog.h"
#include "app/ui/preferences_dialog.h"
#include "app/ui/window_fit.h"
#include "channels/channel_dialog_model.h"
#include "channels/find_channel.h"
#include "channels/frequency_converter.h"
#include "channels/ui/channel_dialog.h"
#include "channels/ui/converter_dialog.h"
#include "channels/ui/find_dialog.h"
#include "channels/ui/mpeg_search_dialog.h"
#include "channels/ui/parameter_dialog.h"
#include "common/messages.h"
#include "lists/ui/list_dialogs.h"
#include "scanner/messages.h"
#include "support/gui_window.h"
#include "support/quiet_ui.h"
#include "support/records.h"

using namespace pelorus;

class DialogFitTest : public QObject {
  Q_OBJECT

 private slots:
  void theScreenIsTheOneAsked() {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const double scale = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                             ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                             : 1.0;
    QCOMPARE(area.width(), qRound(PhysicalSize().width() / scale));
    QCOMPARE(area.height(), qRound(PhysicalSize().height() / scale));
  }

  void everyDialogFits() {
    PreferencesDialog preferences(PreferencesChoice{});
    CheckFits(&preferences, "Preferences");
    AboutDialog about;
    CheckFits(&about, "About");
    ChannelRecord record = testing::MakeChannel("Channel", 11778);
    ChannelDialog channel(ShowChannelFields(record, PidMode::kHexadecimal));
    CheckFits(&channel, "Channel");
    Options options;
    MpegSearchDialog mpeg(options, [] {});
    CheckFits(&mpeg, "MPEG Search");
    // A published list of many satellites makes the largest import dialog.
    ImportChoice importChoice;
    std::vector<int> satellites;
    for (int orbital = -300; orbital <= 1000; orbital += 30) satellites.push_back(orbital);
    ImportListDialog importList(satellites, importChoice);
    CheckFits(&importList, "Import List");
    ExportChoice exportChoice;
    ExportListDialog exportList(exportChoice);
    CheckFits(&exportList, "Export List");

    // The dialogs that run themselves are measured while they are up.
    CheckModal("Find", [](QWidget* owner) {
      FindRequest request;
      RunFindDialog(owner, request);
    });
    CheckModal("Parameter", [](QWidget* owner) { RunParameterDialog(owner, "Symbol Rate:"); });
    CheckModal("Converter", [](QWidget* owner) {
      testing::QuietUi ui;
      ConverterForm form;
      RunConverterDialog(owner, ui, form);
    });
  }

  // Message boxes show the whole title in a desktop's title bar and keep every line of their
  // text as written: no line breaks to leave a word alone on the next.
  void messageBoxesShowTheirTitleAndWholeLines() {
    testing::EditorWindow editor;
    const std::vector<std::pair<const char*, std::string>> messages = {
        {"first run", kFirstRunMessage},
        {"calibration", msg::scanner::kCalibrationHowTo},
        {"short", msg::kLoadSettingsFirst},
        {"detailed", msg::kNoScsiInterface},
    };
    for (const auto& [name, text] : messages) {
      bool checked = false;
      testing::WhenModalShown<QMessageBox>([&, name = name, text = text](QMessageBox* box) {
        CheckMessageBox(box, QString::fromStdString(text), name);
        checked = true;
        box->accept();
      });
      if (std::string_view(name) == "detailed") {
        editor.window.ShowDetailedMessage(text, "/dev/sg0: Permission denied", Icon::kStop);
      } else {
        editor.window.ShowMessage(text, Icon::kInformation);
      }
      QVERIFY2(checked, name);
    }
    bool asked = false;
    testing::WhenModalShown<QMessageBox>([&](QMessageBox* box) {
      CheckMessageBox(box, QString::fromUtf8(msg::scanner::kNoCalibration), "question");
      asked = true;
      box->button(QMessageBox::No)->click();
    });
    editor.window.Ask(msg::scanner::kNoCalibration, Buttons::kYesNo, Icon::kQuestion, Answer::kNo);
    QVERIFY(asked);
  }

  // The device the command line chose is named whole, broken only before its source.
  void thePortInUseIsNeverBrokenInsideAWord() {
    QCOMPARE(PortInUse("/tmp/tmp.Qx7sLp0aZt/serial", "Preferences with a port"),
             QString("In uso: /tmp/tmp.Qx7sLp0aZt/serial\n(--port / PELORUS_SERIAL)"));
    // A path too long for the page is shortened in its middle; the tooltip keeps all of it.
    const QString deep = PortInUse(
        "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0-" + std::string(60, 'x'),
        "Preferences with a long port");
    QVERIFY(deep.startsWith("In uso: /dev/serial/"));
    QVERIFY(deep.contains(QChar(0x2026)));
    QVERIFY(deep.endsWith("xxx\n(--port / PELORUS_SERIAL)"));
  }

  void theChannelDialogRefusesWhatItCannotRead() {
    ChannelRecord record = testing::MakeChannel("Channel", 11778);
    ChannelDialog dialog(ShowChannelFields(record, PidMode::kHexadecimal));
    dialog.show();
    auto* frequency = dialog.findChild<QLineEdit*>("frequency");
    auto* video = dialog.findChild<QLineEdit*>("videoPid");
    auto* warning = dialog.findChild<QLabel*>("warning");
    frequency->setText("12x");
    video->setText("ZZZZ");
    dialog.findChild<QPushButton*>("ok")->click();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(warning->isVisible());
    QVERIFY2(warning->text().contains("Frecquenza") && warning->text().contains("Video PID"),
             qPrintable(warning->text()));
    QVERIFY(frequency->hasFocus() || !QApplication::focusWidget());

    // Valid text, blanks and a 0x prefix included, is taken and read as before.
    frequency->setText(" 12111 ");
    video->setText("0x1FF");
    dialog.findChild<QPushButton*>("ok")->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    ReadChannelFields(dialog.Fields(), PidMode::kHexadecimal, record);
    QCOMPARE(record.frequency, uint16_t(12111));
    QCOMPARE(record.videoPid, uint16_t(0x1FF));
  }

 public:
  static QSize PhysicalSize() {
    const QStringList parts = qEnvironmentVariable("PELORUS_FIT_SCREEN", "1366x768").split('x');
    return QSize(parts.value(0).toInt(), parts.value(1).toInt());
  }

 private:
  // The frame (title bar included) must lie inside the work area; a dialog that is larger is
  // one whose buttons a user cannot reach.
  static void CheckFits(QWidget* dialog, const char* name) {
    dialog->show();
    QApplication::processEvents();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize size = dialog->frameGeometry().size().expandedTo(dialog->sizeHint());
    // Offscreen windows have no frame; leave a title bar's room as a desktop would draw one.
    const QSize withTitle(size.width(), size.height() + 32);
    qInfo("%s: %dx%d in %dx%d", name, withTitle.width(), withTitle.height(), area.width(),
          area.height());
    // PELORUS_GRAB_DIR keeps a picture of each dialog for a person to look at.
    if (qEnvironmentVariableIsSet("PELORUS_GRAB_DIR")) {
      dialog->grab().save(
          QDir(qEnvironmentVariable("PELORUS_GRAB_DIR")).filePath(name + QStringLiteral(".png")));
    }
    QVERIFY2(withTitle.width() <= area.width() && withTitle.height() <= area.height(), name);
    dialog->hide();
  }

  // The preferences naming `device` as the port in use: the label's text, each of whose lines
  // must be shown whole.
  static QString PortInUse(const std::string& device, const char* name) {
    PreferencesDialog preferences(PreferencesChoice{});
    preferences.ShowDeviceInUse(device, "--port / PELORUS_SERIAL");
    preferences.show();
    QApplication::processEvents();
    auto* inUse = preferences.findChild<QLabel*>("deviceInUse");
    if (inUse == nullptr || !inUse->isVisible() || inUse->wordWrap()) return QStringLiteral("?");
    if (inUse->toolTip() != QString::fromStdString(device)) return QStringLiteral("?");
    for (const QString& line : inUse->text().split('\n')) {
      if (inUse->fontMetrics().horizontalAdvance(line) > inUse->contentsRect().width()) {
        return QStringLiteral("cut: ") + line;
      }
    }
    CheckFits(&preferences, name);
    return inUse->text();
  }

  static void CheckMessageBox(QMessageBox* box, const QString& text, const char* name) {
    QApplication::processEvents();
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    QVERIFY2(label != nullptr, name);
    QCOMPARE(box->windowTitle(), QString("Tessera Settings Editor"));
    QVERIFY2(box->width() >= TitleBarWidth(*box, box->windowTitle()), name);
    const int room = label->contentsRect().width();
    for (const QString& line : text.split('\n')) {
      const int width = label->fontMetrics().horizontalAdvance(line);
      QVERIFY2(width <= room,
               qPrintable(
                   QStringLiteral("%1: %2 px in %3: %4").arg(name).arg(width).arg(room).arg(line)));
    }
    CheckFits(box, name);
  }

  void CheckModal(const char* name, const std::function<void(QWidget*)>& run) {
    bool checked = false;
    testing::WhenModalShown<QDialog>([&](QDialog* dialog) {
      CheckFits(dialog, name);
      checked = true;
      dialog->reject();
    });
    QWidget owner;
    run(&owner);
    QVERIFY2(checked, name);
  }
};

int main(int argc, char** argv) {
  // The offscreen screen takes its size from a file written here.
  QTemporaryDir dir;
  const QSize size = DialogFitTest::PhysicalSize();
  const QString config = dir.filePath("screen.json");
  QFile file(config);
  if (!file.open(QIODevice::WriteOnly)) return 2;
  file.write(QStringLiteral("{\"screens\":[{\"name\":\"small\",\"x\":0,\"y\":0,\"width\":%1,"
                            "\"height\":%2,\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}")
                 .arg(size.width())
                 .arg(size.height())
                 .toUtf8());
  file.close();
  qputenv("QT_QPA_PLATFORM", QStringLiteral("offscreen:configfile=%1").arg(config).toUtf8());
  QApplication app(argc, argv);
  DialogFitTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "dialog_fit_test.moc"
