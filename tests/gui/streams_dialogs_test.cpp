// The stream commands' dialogs, offscreen: the options beside the save dialogs and the
// recorder's progress dialog over a made-up receiver. Each dialog is saved as a picture once.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QtTest>

#include "app/ui/window_fit.h"
#include "streams/ui/stream_progress_dialogs.h"
#include "streams/ui/stream_save_dialogs.h"
#include "support/temp_dir.h"
#include "unit/streams/stream_receiver.h"

using namespace pelorus;

class StreamsDialogsTest : public QObject {
  Q_OBJECT

 private:
  // Saves a look at the dialog beside the test's build folder and checks it fits the screen.
  static void Look(QWidget* dialog, const char* name) {
    dialog->adjustSize();
    QVERIFY(dialog->width() <= 1366 && dialog->height() <= 768);
    dialog->grab().save(QStringLiteral("%1.png").arg(QString::fromLatin1(name)));
  }

 private slots:
  void conversionIsOnlyOfferedForWholePackets() {
    CaptureDialogRequest request;
    request.file.title = "Save MPEG stream";
    request.pidText = "0x0200";
    request.thresholdText = "0x8000";
    request.mode = 2;
    QFileDialog* dialog = BuildCaptureSaveDialog(nullptr, request);
    auto* mode = dialog->findChild<QComboBox*>("mode");
    auto* ts2es = dialog->findChild<QCheckBox*>("ts2es");
    QVERIFY(mode && ts2es);
    QCOMPARE(mode->count(), 7);
    QCOMPARE(mode->itemText(6), QString("Entire"));
    QVERIFY(!ts2es->isEnabled());
    mode->setCurrentIndex(6);
    QVERIFY(ts2es->isEnabled());
    ts2es->setChecked(true);
    dialog->findChild<QLineEdit*>("pid")->setText("0x0201");
    dialog->show();
    Look(dialog, "capture_save_dialog");
    dialog->reject();
    QCOMPARE(request.pidText, std::string("0x0201"));
    QCOMPARE(request.mode, 6);
    QVERIFY(request.ts2es);
    delete dialog;
  }

  void ac3PidIsEditableOnlyWithAc3() {
    RecordDialogRequest request;
    request.videoPidText = "0x0200";
    request.ac3PidText = "0x0281";
    QFileDialog* dialog = BuildRecordSaveDialog(nullptr, request);
    auto* ac3 = dialog->findChild<QCheckBox*>("ac3");
    auto* ac3Pid = dialog->findChild<QLineEdit*>("ac3Pid");
    QVERIFY(ac3 && ac3Pid);
    QVERIFY(!ac3Pid->isEnabled());
    ac3->setChecked(true);
    QVERIFY(ac3Pid->isEnabled());
    QVERIFY(dialog->findChild<QLineEdit*>("videoPid")->isReadOnly());
    dialog->show();
    Look(dialog, "record_save_dialog");
    dialog->reject();
    QVERIFY(request.ac3);
    delete dialog;
  }

  // The progress dialogs are narrow; their frames must still show the whole title, which a
  // window manager would otherwise cut to "SCSI : ... a Dati".
  void progressDialogsAreWideEnoughForTheirTitles() {
    testing::StreamReceiver receiver;
    testing::MemorySink sink;
    CaptureWorker worker(receiver, sink, CaptureSettings{});
    CaptureProgressDialog capture(nullptr, worker);
    QCOMPARE(capture.windowTitle(), QString("SCSI : Lettura Dati"));
    QVERIFY(capture.minimumWidth() >= TitleBarWidth(capture, capture.windowTitle()));
    MultiPidRecorder recorder(receiver, sink, PlanRecording({0x100}, false, 0, false));
    RecorderProgressDialog recording(nullptr, recorder);
    QVERIFY(recording.minimumWidth() >= TitleBarWidth(recording, recording.windowTitle()));
    // A longer title needs more room than a shorter one in the same face.
    QVERIFY(TitleBarWidth(capture, "SCSI : Lettura Dati") > TitleBarWidth(capture, "SCSI"));
  }

  void recorderDialogShowsEveryCounter() {
    testing::StreamReceiver receiver;
    receiver.readDelay = std::chrono::microseconds(300);
    receiver.badSyncEvery = 50;
    testing::MemorySink sink;
    MultiPidRecorder recorder(receiver, sink,
                              PlanRecording({0x100, 0x101, 0x102}, false, 0, false));
    QVERIFY(recorder.Start());
    RecorderProgressDialog dialog(nullptr, recorder);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("SCSI Stream Piping"));
    for (int i = 0; i < 4; ++i) {
      QTest::qWait(30);
      dialog.TickOnce();
    }
    QCOMPARE(dialog.findChild<QLabel*>("runningTime")->text(), QString("00:00:01"));
    QVERIFY(dialog.findChild<QLabel*>("rate")->text().endsWith(" Kbps"));
    QVERIFY(dialog.findChild<QLabel*>("syncErrors")->text().toInt() > 0);
    QCOMPARE(dialog.findChild<QLabel*>("piped")->text(), QString("0"));
    QCOMPARE(dialog.findChild<QProgressBar*>("ringFill")->maximum(), 30000);
    Look(&dialog, "recorder_dialog");
    dialog.accept();
    recorder.Stop();
    QCOMPARE(receiver.stops.load(), 1);
  }
};

QTEST_MAIN(StreamsDialogsTest)
#include "streams_dialogs_test.moc"
