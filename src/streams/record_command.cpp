#include "streams/record_command.h"

#include <array>

#include "common/file_io.h"
#include "common/number_parse.h"
#include "common/run_output.h"
#include "common/strfmt.h"
#include "scsi/receiver_commands.h"
#include "scsi/scsi_guard.h"
#include "scsi/stream_primitives.h"
#include "streams/messages.h"

namespace pelorus {
namespace {

std::optional<CurrentService> ReadCurrentService(ScsiTransport& transport, LinkFailure& failure) {
  std::array<uint8_t, kCurrentServiceSize> block{};
  size_t received = 0;
  if (ExecScsiCommand(transport, ReadMemoryBlock(kCurrentServiceAddress, kCurrentServiceSize),
                      ScsiDirection::kIn, block, &received, &failure) != kScsiSuccess ||
      received != block.size()) {
    return std::nullopt;
  }
  return ParseCurrentService(block);
}

std::string PidText(uint16_t pid) { return Format(msg::streams::kRecorderPid, pid); }

RecordOutcome Refused() { return {RunResult::Failed(""), false, {}, 0}; }

}  // namespace

std::optional<uint16_t> ParseAc3PidText(std::string_view text) {
  const std::optional<int64_t> pid = ParseNumber(text, 0, ts::kMaxPid, NumberBase::kPrefixed);
  if (!pid) return std::nullopt;
  return static_cast<uint16_t>(*pid);
}

std::string Ac3PidRefusal(std::string_view text) {
  const std::string shown(text);
  if (ParseNumber(text, INT64_MIN, INT64_MAX, NumberBase::kPrefixed)) {
    return Format(msg::streams::kAc3PidOutOfRange, shown.c_str());
  }
  return Format(msg::streams::kAc3PidNotNumber, shown.c_str());
}

RecordOutcome RecordMultiPid(EditorState& state, Ui& ui, uint16_t& ac3Pid,
                             const RecordDialog& dialog, const RecordRunner& runner) {
  if (!RequireScsi(state, ui)) return Refused();
  ScsiTransport& transport = *state.aspiModule;
  LinkFailure failure;
  const std::optional<CurrentService> service = ReadCurrentService(transport, failure);
  if (!service) {
    ui.ShowDetailedMessage(msg::streams::kCurrentServiceFailed, failure.reason, Icon::kStop);
    return Refused();
  }
  for (const uint16_t pid : {service->videoPid, service->audioPid, service->pcrPid}) {
    if (pid > ts::kMaxPid) {
      ui.ShowMessage(Format(msg::streams::kPidOutOfRange, PidText(pid).c_str()), Icon::kStop);
      return Refused();
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
  if (!dialog(request)) return Refused();
  options.mppInitialDir = FolderOf(request.file.path);
  options.waitPcr = request.waitPcr ? 1 : 0;
  options.scsiBusy = request.scsiBusy ? 1 : 0;
  options.ac3 = request.ac3 ? 1 : 0;
  const std::optional<uint16_t> typedAc3Pid = ParseAc3PidText(request.ac3PidText);
  if (typedAc3Pid) ac3Pid = *typedAc3Pid;
  if (request.ac3 && !typedAc3Pid) {
    ui.ShowMessage(Ac3PidRefusal(request.ac3PidText), Icon::kStop);
    return Refused();
  }

  RunOutput output(request.file.path, ts::kPacketSize);
  if (!output.Open()) {
    ui.ShowDetailedMessage(msg::streams::kUnableToOpenForOutput, output.FailureText(),
                           Icon::kInformation);
    return Refused();
  }
  SetScsiBusy(transport, request.scsiBusy);
  const RecorderPlan plan = PlanRecording(*service, request.ac3, ac3Pid, request.waitPcr);
  MultiPidRecorder recorder(transport, output, plan);
  if (!recorder.WriteHeader()) {
    ui.ShowDetailedMessage(Format(msg::streams::kUnableToWriteFile, request.file.path.c_str()),
                           output.FailureText(), Icon::kStop);
    return Refused();
  }
  if (!recorder.Start(&failure)) {
    // Nothing but the header was written: the old file stays as it was.
    output.Discard();
    ui.ShowDetailedMessage(msg::streams::kSetupPidStreamFailed, failure.reason, Icon::kStop);
    return Refused();
  }
  RecordOutcome outcome;
  outcome.ran = true;
  runner(recorder);
  outcome.result = recorder.Stop();
  outcome.stats = recorder.Stats();
  // What arrived replaces the file, also after a failure part-way.
  const RunOutput::Ending ending = output.Finish();
  if (ending == RunOutput::Ending::kReplaced) outcome.bytesInFile = output.FileBytes();
  if (ending == RunOutput::Ending::kFailed) {
    // Nothing is kept then, whatever the run said; how it ended goes beside the reason.
    std::string detail = output.FailureText();
    if (outcome.result.Failed()) detail += "; " + outcome.result.message;
    outcome.result = RunResult::Failed(
        Format(msg::streams::kUnableToWriteFile, request.file.path.c_str()), detail);
  }
  ShowRunResult(ui, outcome.result);
  if (outcome.stats.dropped > 0) {
    ui.ShowMessage(Format(msg::streams::kPacketsDropped,
                          static_cast<unsigned long long>(outcome.stats.dropped)),
                   Icon::kWarning);
  }
  return outcome;
}

}  // namespace pelorus
