// The SCSI menu's stream recordings: "Leggi Streams..." and "Registra il PID Multiplo...".
#include <QWidget>

#include "app/ui/gui_command.h"
#include "common/command_ids.h"
#include "streams/capture_command.h"
#include "streams/record_command.h"
#include "streams/ui/stream_progress_dialogs.h"
#include "streams/ui/stream_save_dialogs.h"

namespace pelorus {
namespace {

// The AC-3 PID the recorder's dialog keeps from one run to the next while the program runs.
uint16_t recorderAc3Pid = 0;

void RunCaptureStream(GuiContext& context) {
  QWidget* owner = context.window;
  CaptureStream(
      context.state, context.ui,
      [owner](CaptureDialogRequest& request) { return ShowCaptureSaveDialog(owner, request); },
      [owner](CaptureWorker& worker) {
        CaptureProgressDialog dialog(owner, worker);
        dialog.exec();
      });
}

void RunRecordMultiPid(GuiContext& context) {
  QWidget* owner = context.window;
  RecordMultiPid(
      context.state, context.ui, recorderAc3Pid,
      [owner](RecordDialogRequest& request) { return ShowRecordSaveDialog(owner, request); },
      [owner](MultiPidRecorder& recorder) {
        RecorderProgressDialog dialog(owner, recorder);
        dialog.exec();
      });
}

const GuiCommandRegistrar kCapture(cmd::kScsiReadStreams, RunCaptureStream);
const GuiCommandRegistrar kRecord(cmd::kMultiPidRecord, RunRecordMultiPid);

}  // namespace
}  // namespace pelorus
