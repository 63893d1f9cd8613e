#include "streams/capture_command.h"

#include <algorithm>

#include "channels/pid_format.h"
#include "common/file_io.h"
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
    ui.ShowMessage(Format(msg::streams::kPidOutOfRange, request.pidText.c_str()), Icon::kStop);
    return std::nullopt;
  }
  options.streamPid = *pid;
  if (!threshold || *threshold == 0 || *threshold > kMaxThreshold) {
    ui.ShowMessage(Format(msg::streams::kThresholdOutOfRange, request.thresholdText.c_str()),
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

bool CaptureStream(EditorState& state, Ui& ui, const CaptureDialog& dialog,
                   const CaptureRunner& runner) {
  if (!RequireScsi(state, ui)) return false;
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
  if (!dialog(request)) return false;
  options.mppInitialDir = FolderOf(request.file.path);

  const std::optional<CaptureSettings> settings = ReadCaptureFields(state, ui, request);
  if (!settings) return false;
  StreamFile file;
  if (!file.Create(request.file.path)) {
    ui.ShowMessage(msg::streams::kUnableToOpenForOutput, Icon::kInformation);
    return false;
  }
  ScsiTransport& transport = *state.aspiModule;
  if (!SetupPidStream(transport, settings->pid, settings->threshold, settings->mode, false)) {
    file.Close();
    ui.ShowMessage(msg::streams::kSetupPidStreamFailed, Icon::kStop);
    return false;
  }
  CaptureWorker worker(transport, file, *settings);
  runner(worker);
  worker.Stop();
  const bool closed = file.Close();
  if (worker.WriteFailed() || !closed) {
    ui.ShowMessage(Format(msg::streams::kUnableToWriteFile, request.file.path.c_str()),
                   Icon::kStop);
    return false;
  }
  return true;
}

}  // namespace pelorus
