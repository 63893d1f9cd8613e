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

// Shows a started recording: calls recorder.Tick every 250 ms and returns when the user stops
// or a tick reports that the recording ended. The command stops the recorder.
using RecordRunner = std::function<void(MultiPidRecorder& recorder)>;

// The AC-3 PID text: "0x" and hexadecimal digits, or decimal digits, and nothing else. No value
// when it is not such a number or names no PID (above 0x1FFF).
std::optional<uint16_t> ParseAc3PidText(std::string_view text);

// "Registra il PID Multiplo...": reads the current service, asks for the file and options,
// writes the PAT and PMT, and records until stopped. `ac3Pid` is the AC-3 PID the dialog keeps
// between runs (0: the audio PID + 1). True when the recording ran and was written throughout.
bool RecordMultiPid(EditorState& state, Ui& ui, uint16_t& ac3Pid, const RecordDialog& dialog,
                    const RecordRunner& runner);

}  // namespace pelorus
