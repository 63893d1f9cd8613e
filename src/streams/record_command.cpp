#include "streams/record_command.h"

#include <array>
#include <charconv>

#include "common/file_io.h"
#include "common/strfmt.h"
#include "scsi/receiver_commands.h"
#include "scsi/scsi_guard.h"
#include "scsi/stream_primitives.h"
#include "streams/messages.h"

namespace pelorus {
namespace {

std::optional<CurrentService> ReadCurrentService(ScsiTransport& transport) {
  std::array<uint8_t, kCurrentServiceLength> block{};
  if (!ExecScsiCommandFully(transport,
                            ReadMemoryBlock(kCurrentServiceAddress, kCurrentServiceLength),
                            ScsiDirection::kIn, block)) {
    return std::nullopt;
  }
  return ParseCurrentService(block);
}

std::string PidText(uint16_t pid) { return Format(msg::streams::kRecorderPid, pid); }

}  // namespace

std::optional<uint16_t> ParseAc3PidText(std::string_view text) {
  int base = 10;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  }
  uint32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end || value > ts::kMaxPid) {
    return std::nullopt;
  }
  return static_cast<uint16_t>(value);
}

bool RecordMultiPid(EditorState& state, Ui& ui, uint16_t& ac3Pid, const RecordDialog& dialog,
                    const RecordRunner& runner) {
  if (!RequireScsi(state, ui)) return false;
  ScsiTransport& transport = *state.aspiModule;
  const std::optional<CurrentService> service = ReadCurrentService(transport);
  if (!service) {
    ui.ShowMessage(msg::streams::kCurrentServiceFailed, Icon::kStop);
    return false;
  }
  for (const uint16_t pid : {service->videoPid, service->audioPid, service->pcrPid}) {
    if (pid > ts::kMaxPid) {
      ui.ShowMessage(Format(msg::streams::kPidOutOfRange, PidText(pid).c_str()), Icon::kStop);
      return false;
    }
  }

  Options& options = state.options;
  RecordDialogRequest request;
  request.file.title = msg::streams::kSaveTransportTitle;
  request.file.filterName = msg::streams::kTransportFilterName;
  request.file.filterPattern = msg::streams::kTransportFilterPattern;
  request.file.defaultExtension = msg::streams::kTransportExtension;
  request.file.initialDir = options.mppInitialDir;
  request.file.overwritePrompt = true;
  request.videoPidText = PidText(service->videoPid);
  request.audioPidText = PidText(service->audioPid);
  request.pcrPidText = PidText(service->pcrPid);
  request.waitPcr = options.waitPcr != 0;
  request.scsiBusy = options.scsiBusy != 0;
  request.ac3 = options.ac3 != 0;
  if (ac3Pid == 0) ac3Pid = static_cast<uint16_t>(service->audioPid + 1);
  request.ac3PidText = PidText(ac3Pid);
  if (!dialog(request)) return false;
  options.mppInitialDir = FolderOf(request.file.path);
  options.waitPcr = request.waitPcr ? 1 : 0;
  options.scsiBusy = request.scsiBusy ? 1 : 0;
  options.ac3 = request.ac3 ? 1 : 0;
  const std::optional<uint16_t> typedAc3Pid = ParseAc3PidText(request.ac3PidText);
  if (typedAc3Pid) ac3Pid = *typedAc3Pid;
  if (request.ac3 && !typedAc3Pid) {
    ui.ShowMessage(Format(msg::streams::kAc3PidNotNumber, request.ac3PidText.c_str()), Icon::kStop);
    return false;
  }

  StreamFile file;
  if (!file.Create(request.file.path)) {
    ui.ShowMessage(msg::streams::kUnableToOpenForOutput, Icon::kInformation);
    return false;
  }
  SetScsiBusy(transport, request.scsiBusy);
  const RecorderPlan plan = PlanRecording(*service, request.ac3, ac3Pid, request.waitPcr);
  MultiPidRecorder recorder(transport, file, plan);
  bool failed = !recorder.WriteHeader();
  if (!failed) {
    if (!recorder.Start()) {
      file.Close();
      ui.ShowMessage(msg::streams::kSetupPidStreamFailed, Icon::kStop);
      return false;
    }
    runner(recorder);
    recorder.Stop();
    failed = recorder.Stats().writeFailed;
  }
  failed = !file.Close() || failed;
  if (failed) {
    ui.ShowMessage(Format(msg::streams::kUnableToWriteFile, request.file.path.c_str()),
                   Icon::kStop);
    return false;
  }
  return true;
}

}  // namespace pelorus
