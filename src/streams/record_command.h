#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/editor_state.h"
#include "common/ui.h"
#include "streams/multi_pid_recorder.h"

namespace pelorus {

// The save dialog of "Registra il PID Multiplo..." with its panel: the current service's PIDs
// (shown only), the three options and the AC-3 PID text.
struct RecordDialogRequest {
  FileRequest file;
  std::string videoPidText;
  std::string audioPidText;
  std::string pcrPidText;
  bool waitPcr = false;
  bool scsiBusy = false;
  bool ac3 = false;
  std::string ac3PidText;
};
using RecordDialog = std::function<bool(RecordDialogRequest& request)>;

// Shows a started recording (calling recorder.Tick every 250 ms for the running time) and
// returns once the recording has ended: by itself, or after the user asked it to stop, which
// only asks (MultiPidRecorder::RequestStop). The command then takes the run's result.
using RecordRunner = std::function<void(MultiPidRecorder& recorder)>;

// The AC-3 PID text: "0x" (or "$") and hexadecimal digits, or decimal digits, and nothing else.
// No value when it is not such a number or names no PID (above 0x1FFF).
std::optional<uint16_t> ParseAc3PidText(std::string_view text);
// Why the text is refused: "is not a number" or "is out of range".
std::string Ac3PidRefusal(std::string_view text);

// What a recording left.
struct RecordOutcome {
  // Failed with no message of its own when it was refused before running (the refusal showed).
  RunResult result;
  bool ran = false;  // the recorder was started
  RecordStats stats;
  uint64_t bytesInFile = 0;  // what the file holds now; 0 when the old file was left as it was
};

// "Registra il PID Multiplo...": reads the current service, asks for the file and options,
// writes the PAT and PMT, and records until stopped. `ac3Pid` is the AC-3 PID the dialog keeps
// between runs (0: the audio PID + 1). What arrived replaces the file only when something
// arrived; the run's failure, and packets the full ring dropped, are shown.
RecordOutcome RecordMultiPid(EditorState& state, Ui& ui, uint16_t& ac3Pid,
                             const RecordDialog& dialog, const RecordRunner& runner);

}  // namespace pelorus
