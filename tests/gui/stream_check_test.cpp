// The file check's report window and the AC-3 dialog, offscreen.
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <span>

#include "app/ui/main_window.h"
#include "common/command_ids.h"
#include "streams/ts_check.h"
#include "streams/ui/ac3_dialog.h"
#include "streams/ui/ts_report_window.h"
#include "support/gui_window.h"
#include "unit/scsi/scripted_transport.h"

using namespace pelorus;

namespace {

std::vector<uint8_t> PacketsOnPids(int pids) {
  std::vector<uint8_t> bytes;
  for (int pid = 0; pid < pids; ++pid) {
    std::vector<uint8_t> packet(188, 0xFF);
    packet[0] = 0x47;
    packet[1] = static_cast<uint8_t>(pid >> 8);
    packet[2] = static_cast<uint8_t>(pid);
    packet[3] = 0x10;
    bytes.insert(bytes.end(), packet.begin(), packet.end());
  }
  return bytes;
}

class SilentDecoder : public Ac3Decoder {
 public:
  uint32_t Start(int) override {
    while (!stopped) QThread::msleep(1);
    return 0;
  }
  void Stop() override { stopped = true; }
  std::atomic<bool> stopped{false};
};

}  // namespace

class StreamCheckTest : public QObject {
  Q_OBJECT

 private slots:
  void menuCheckShowsTheWholeReportInAFixedFace() {
    testing::EditorWindow editor;
    QVERIFY(editor.window.menuAction(cmd::kStreamFileCheck)->isEnabled());
    QVERIFY(editor.window.menuAction(cmd::kAc3Decoder)->isEnabled());
    // Far more PIDs than a message box could hold: every line must be there.
    const std::string path = editor.dir.File("many.m2t");
    const std::vector<uint8_t> bytes = PacketsOnPids(600);
    testing::WriteBytes(path, bytes);
    TsStatistics expected;
    expected.Feed(bytes);

    QString shown;
    bool fixed = false;
    QSize size;
    testing::WhenModalShown<QFileDialog>([&](QFileDialog* dialog) {
      QCOMPARE(dialog->windowTitle(), QString("Check MPEG TS stream"));
      dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
          ->setText(QString::fromStdString(path));
      testing::WhenModalShown<TsReportWindow>([&](TsReportWindow* window) {
        shown = window->text()->toPlainText();
        fixed = QFontInfo(window->text()->font()).fixedPitch();
        size = window->size();
        window->grab().save(
            QString::fromStdString(std::string(PELORUS_BINARY_DIR) + "/ts_report_window.png"));
        window->accept();
      });
      static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
    });
    editor.window.RunCommand(cmd::kStreamFileCheck);
    QCOMPARE(shown, QString::fromStdString(expected.Report()));
    QVERIFY(shown.contains("0257 1 0 0.17%"));
    QVERIFY(fixed);
    QVERIFY(size.width() <= 1366 && size.height() <= 768);
  }

  void ac3DialogStopsOnlyThroughThePlayback() {
    testing::ScriptedTransport transport;
    SilentDecoder decoder;
    Ac3Playback playback(transport, decoder, std::chrono::milliseconds(300));
    Ac3Dialog dialog(playback, nullptr);
    QElapsedTimer timer;
    bool closedEarly = false;
    QTimer::singleShot(200, &dialog, [&] {
      QVERIFY(!dialog.pollsField()->text().isEmpty());
      dialog.grab().save(
          QString::fromStdString(std::string(PELORUS_BINARY_DIR) + "/ac3_dialog.png"));
      timer.start();
      dialog.findChild<QPushButton*>(QStringLiteral("stop"))->click();
      QTimer::singleShot(100, &dialog, [&] { closedEarly = !dialog.isVisible(); });
    });
    dialog.exec();
    QVERIFY(!closedEarly);
    QVERIFY(timer.elapsed() >= 300);
    QVERIFY(decoder.stopped);
    playback.Join();
    // The stream was stopped last.
    QCOMPARE(testing::BlockHex(transport.commands.back().cdb), std::string("3d000000000000000000"));
  }

  // MPEG audio (here: bytes without a single AC-3 frame) plays nothing; the dialog says why.
  void ac3DialogSaysWhenTheServiceHasNoAc3Track() {
    testing::ScriptedTransport transport;
    transport.handler = [](const testing::ScriptedTransport::Command& command,
                           std::span<uint8_t> in) {
      if (command.cdb[0] == 0x3C && command.cdb[1] == 0x06) {
        std::fill(in.begin(), in.end(), uint8_t{0x55});
        return testing::ScriptedTransport::Reply{kScsiSuccess, in.size()};
      }
      return testing::ScriptedTransport::Reply{kScsiSuccess, 0};
    };
    SilentDecoder decoder;
    Ac3Playback playback(transport, decoder, std::chrono::milliseconds(0));
    Ac3Dialog dialog(playback, nullptr);
    bool noted = false;
    QString note;
    QTimer::singleShot(0, &dialog, [&] {
      QVERIFY(!dialog.noTrackNote()->isVisible());
      QTRY_VERIFY_WITH_TIMEOUT(dialog.noTrackNote()->isVisible(), 10000);
      noted = true;
      note = dialog.noTrackNote()->text();
      dialog.findChild<QPushButton*>(QStringLiteral("stop"))->click();
    });
    dialog.exec();
    playback.Join();
    QVERIFY(noted);
    QCOMPARE(note, QString("The current service carries no AC-3 audio track: there is nothing "
                           "for the decoder to play"));
  }
};

QTEST_MAIN(StreamCheckTest)
#include "stream_check_test.moc"
