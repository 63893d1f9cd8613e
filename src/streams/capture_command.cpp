#include "streams/capture_command.h"

#include <algorithm>

#include "channels/pid_format.h"
#include "common/file_io.h"
#include "common/number_parse.h"
#include "common/run_output.h"
#include "common/strfmt.h"
#include "scsi/number_text.h"
#include "scsi/scsi_guard.h"
#include "scsi/stream_primitives.h"
#include "streams/messages.h"
#include "streams/ts_packet.h"

namespace pelorus {
namespace {

constexpr int kModeCount = 7;
constexpr uint32_t kMaxThreshold = 0xFFFF;

// Whether a field's text is a number at all, however large, as the fields read numbers (blanks
// around it allowed): what tells "is not a number" from "is out of range".
bool IsNumberText(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  text = text.substr(first, text.find_last_not_of(" \t") - first + 1);
  return ParseNumber(text, INT64_MIN, INT64_MAX, NumberBase::kPrefixed).has_value();
}

// The message that refuses a field: `notNumber` when it is no number, else `outOfRange`.
std::string Refusal(const std::string& text, const char* notNumber, const char* outOfRange) {
  return FormatRuntime(IsNumberText(text) ? outOfRange : notNumber, text.c_str());
}

}  // namespace

std::optional<CaptureSettings> ReadCaptureFields(EditorState& state, Ui& ui,
                                                 const CaptureDialogRequest& request) {
  Options& options = state.options;
  const std::optional<uint32_t> pid = ParseNumberText(request.pidText);
  const std::optional<uint32_t> threshold = ParseNumberText(request.thresholdText);
  options.streamMode = static_cast<uint32_t>(std::clamp(request.mode, 0, kModeCount - 1));
  options.ts2Es = request.ts2es ? 1 : 0;
  options.syncVideo = request.syncVideo ? 1 : 0;
  if (!pid || *pid > ts::kMaxPid) {
    ui.ShowMessage(
        Refusal(request.pidText, msg::streams::kPidNotNumber, msg::streams::kPidOutOfRange),
        Icon::kStop);
    return std::nullopt;
  }
  options.streamPid = *pid;
  if (!threshold || *threshold == 0 || *threshold > kMaxThreshold) {
    ui.ShowMessage(Refusal(request.thresholdText, msg::streams::kThresholdNotNumber,
                           msg::streams::kThresholdOutOfRange),
                   Icon::kStop);
    return std::nullopt;
  }
  options.streamThreshold = *threshold;
  if (options.streamMode == kModeEntirePackets && options.ts2Es != 0) {
    // Conversion works on whole packets, so each read must end on a packet boundary.
    const uint32_t rounded = options.streamThreshold / ts::kPacketSize * ts::kPacketSize;
    if (rounded == 0) {
      ui.ShowMessage(msg::streams::kThresholdBelowPacket, Icon::kStop);
      return std::nullopt;
    }
    options.streamThreshold = rounded;
  }
  CaptureSettings settings;
  settings.pid = static_cast<uint16_t>(options.streamPid);
  settings.threshold = static_cast<uint16_t>(options.streamThreshold);
  settings.mode = static_cast<uint16_t>(options.streamMode);
  // The conversion only means something for whole packets.
  settings.ts2es = options.ts2Es != 0 && settings.mode == kModeEntirePackets;
  settings.syncVideo = options.syncVideo != 0;
  return settings;
}

CaptureOutcome CaptureStream(EditorState& state, Ui& ui, const CaptureDialog& dialog,
                             const CaptureRunner& runner) {
  const CaptureOutcome refused{RunResult::Failed(""), 0};
  if (!RequireScsi(state, ui)) return refused;
  Options& options = state.options;
  const char* prefixed = PidFormatsFor(PidModeFromOption(options.decimal)).prefixed;
  CaptureDialogRequest request;
  request.file.title = msg::streams::kSaveStreamTitle;
  request.file.filterName = msg::streams::kStreamFilterName;
  request.file.filterPattern = msg::streams::kStreamFilterPattern;
  request.file.defaultExtension = msg::streams::kStreamExtension;
  request.file.initialDir = options.mppInitialDir;
  request.file.overwritePrompt = true;
  request.pidText = FormatRuntime(prefixed, static_cast<int>(options.streamPid));
  request.thresholdText = FormatRuntime(prefixed, static_cast<int>(options.streamThreshold));
  request.mode = static_cast<int>(std::min<uint32_t>(options.streamMode, kModeCount - 1));
  request.ts2es = options.ts2Es != 0;
  request.syncVideo = options.syncVideo != 0;
  if (!dialog(request)) return refused;
  options.mppInitialDir = FolderOf(request.file.path);

  const std::optional<CaptureSettings> settings = ReadCaptureFields(state, ui, request);
  if (!settings) return refused;
  // Whole packets are the unit of a stream of whole packets; the other modes are bytes.
  const bool packets = settings->mode == kModeEntirePackets && !settings->ts2es;
  RunOutput output(request.file.path, packets ? ts::kPacketSize : 1);
  if (!output.Open()) {
    ui.ShowDetailedMessage(msg::streams::kUnableToOpenForOutput, output.FailureText(),
                           Icon::kInformation);
    return refused;
  }
  ScsiTransport& transport = *state.aspiModule;
  LinkFailure failure;
  if (!SetupPidStream(transport, settings->pid, settings->threshold, settings->mode, false,
                      &failure)) {
    // Nothing was written: the old file stays as it was.
    output.Discard();
    ui.ShowDetailedMessage(msg::streams::kSetupPidStreamFailed, failure.reason, Icon::kStop);
    return refused;
  }
  CaptureWorker worker(transport, output, *settings);
  runner(worker);
  CaptureOutcome outcome{worker.Stop(), 0};
  // What arrived replaces the file, also after a failure part-way.
  const RunOutput::Ending ending = output.Finish();
  if (ending == RunOutput::Ending::kReplaced) outcome.bytesInFile = output.FileBytes();
  if (ending == RunOutput::Ending::kFailed && !outcome.result.Failed()) {
    outcome.result = RunResult::Failed(
        Format(msg::streams::kUnableToWriteFile, request.file.path.c_str()), output.FailureText());
  }
  ShowRunResult(ui, outcome.result);
  return outcome;
}

}  // namespace pelorus
