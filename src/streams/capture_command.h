#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/editor_state.h"
#include "common/ui.h"
#include "common/worker.h"
#include "streams/stream_capture.h"

namespace pelorus {

// The save dialog of "Leggi Streams..." with its options panel: what it opens with and what
// the user leaves in it.
struct CaptureDialogRequest {
  FileRequest file;
  std::string pidText;        // in the prefixed PID format
  std::string thresholdText;  // likewise
  int mode = 2;               // index of the mode list
  bool ts2es = false;
  bool syncVideo = false;
};
using CaptureDialog = std::function<bool(CaptureDialogRequest& request)>;

// Shows the progress of a capture: calls worker.Start with its progress callback and returns
// when the user stops or the worker reports it ended. The command stops the worker and shows
// how the run ended.
using CaptureRunner = std::function<void(CaptureWorker& worker)>;

// The options the dialog's fields give, stored back into the options as the dialog does. A PID
// beyond 0x1FFF or a threshold the receiver's 16-bit parameter cannot carry is refused with a
// message and nothing is stored for it.
std::optional<CaptureSettings> ReadCaptureFields(EditorState& state, Ui& ui,
                                                 const CaptureDialogRequest& request);

// What a capture left: how it ended and the bytes now in the file (0 when the old file, if any,
// was left as it was).
struct CaptureOutcome {
  RunResult result;
  uint64_t bytesInFile = 0;
};

// "Leggi Streams...": asks for the file and the options, sets up the stream, runs the worker
// until stopped. What arrives replaces the file only when something arrived; a failure is shown
// with what failed and what was kept. Cancelling or a refused option is a failure with no
// message of its own (the dialog or the option's message said it).
CaptureOutcome CaptureStream(EditorState& state, Ui& ui, const CaptureDialog& dialog,
                             const CaptureRunner& runner);

}  // namespace pelorus
