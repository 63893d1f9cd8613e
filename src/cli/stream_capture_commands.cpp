// The console's stream recordings: "scsi capture" records one PID as "Leggi Streams..." does,
// "scsi record" the current service as "Registra il PID Multiplo..." does, each for a given
// number of seconds.
#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli.h"
#include "common/strfmt.h"
#include "link_actions.h"
#include "long_run.h"
#include "streams/capture_command.h"
#include "streams/messages.h"
#include "streams/record_command.h"

namespace pelorus {
namespace {

constexpr int kMaxSeconds = 24 * 3600;

int RunCapture(const ParsedLine& line, EditorState& state, CliContext& context) {
  // Every number is checked here, so that a typing error is a usage error naming the option
  // rather than a PID 0 or a threshold cut at its first letter. The PID's and threshold's ranges
  // are the command's own to refuse, with the dialog's messages.
  const std::optional<int64_t> seconds =
      NumberOption(line, "--seconds", 1, kMaxSeconds, 0, context);
  const std::optional<int64_t> pid =
      NumberOption(line, "--pid", 0, UINT32_MAX, 0, context, NumberBase::kPrefixed);
  const std::optional<int64_t> threshold =
      NumberOption(line, "--threshold", 0, UINT32_MAX, state.options.streamThreshold, context,
                   NumberBase::kPrefixed);
  const std::optional<int64_t> mode =
      NumberOption(line, "--mode", 0, 6, std::min<uint32_t>(state.options.streamMode, 6), context);
  if (!seconds || !pid || !threshold || !mode) return kExitUsage;
  if (!ConnectScsi(state, context)) return kExitFailed;

  const CaptureOutcome outcome = CaptureStream(
      state, context.ui,
      [&](CaptureDialogRequest& request) {
        request.file.path = line.Name(0);
        request.pidText = *line.Value("--pid");
        request.thresholdText = std::to_string(*threshold);
        request.mode = static_cast<int>(*mode);
        request.ts2es = line.Has("--ts2es");
        request.syncVideo = line.Has("--sync-video");
        return true;
      },
      [&](CaptureWorker& worker) {
        std::mutex mutex;
        CaptureProgress last;
        worker.Start([&](const CaptureProgress& progress) {
          std::lock_guard lock(mutex);
          const std::string rate = progress.rate.empty() ? last.rate : progress.rate;
          last = progress;
          last.rate = rate;
        });
        WaitOutRun(context, worker.worker(), static_cast<double>(*seconds), [&] {
          std::lock_guard lock(mutex);
          return Format("%s  polls %s  %s", last.count.c_str(), last.polls.c_str(),
                        last.rate.c_str());
        });
      });
  // The count is what the file now holds: whole packets only.
  std::fprintf(context.out, "%" PRIu64 " bytes written\n", outcome.bytesInFile);
  return ExitStatusOf(outcome.result);
}

int RunRecord(const ParsedLine& line, EditorState& state, CliContext& context) {
  const std::optional<int64_t> seconds =
      NumberOption(line, "--seconds", 1, kMaxSeconds, 0, context);
  // The AC-3 PID must be a number; its range is the command's to refuse, as the dialog's is.
  const std::optional<int64_t> ac3Pid =
      NumberOption(line, "--ac3-pid", 0, UINT32_MAX, 0, context, NumberBase::kPrefixed);
  if (!seconds || !ac3Pid) return kExitUsage;
  if (!ConnectScsi(state, context)) return kExitFailed;

  uint16_t dialogAc3Pid = 0;
  const RecordOutcome outcome = RecordMultiPid(
      state, context.ui, dialogAc3Pid,
      [&](RecordDialogRequest& request) {
        request.file.path = line.Name(0);
        request.waitPcr = line.Has("--wait-pcr");
        request.scsiBusy = line.Has("--busy");
        request.ac3 = line.Has("--ac3-pid");
        if (request.ac3) request.ac3PidText = *line.Value("--ac3-pid");
        return true;
      },
      [&](MultiPidRecorder& recorder) {
        WaitOutRun(context, recorder.worker(), static_cast<double>(*seconds), [&] {
          const RecorderDisplay display = recorder.Display();
          return Format("%s  polls %s  fill %zu/%zu", display.count.c_str(), display.polls.c_str(),
                        display.stats.ringFill, display.stats.ringCapacity);
        });
      });
  if (outcome.ran) {
    const RecordStats& stats = outcome.stats;
    std::fprintf(context.out,
                 "%" PRIu64 " bytes captured, %d polls, %" PRIu64 " packets without sync, %" PRIu64
                 " continuity errors, %" PRIu64 " packets dropped\n",
                 stats.bytesCaptured, stats.polls, stats.syncErrors, stats.continuityErrors,
                 stats.dropped);
    // The count is what the file now holds: whole packets, the PAT and PMT among them.
    std::fprintf(context.out, "%" PRIu64 " bytes written\n", outcome.bytesInFile);
  }
  return ExitStatusOf(outcome.result);
}

constexpr OptionWord kSecondsOption{"--seconds", "S", "how long to record (1 s to a day)", true};

const LinkActionRegistrar kCapture(
    {"scsi",
     "capture",
     {{{"OUT.mpp", "the file the packets are written to"}},
      {{"--pid", "N", "the PID recorded", true},
       {"--threshold", "N", "the threshold, as in the dialog"},
       {"--mode", "0-6", "the recording mode, as in the dialog"},
       {"--ts2es", nullptr, "write the elementary stream, not the packets"},
       {"--sync-video", nullptr, "synchronise on the video, as in the dialog"},
       kSecondsOption}},
     RunCapture});
const LinkActionRegistrar kRecord({"scsi",
                                   "record",
                                   {{{"OUT.m2t", "the transport stream written"}},
                                    {kSecondsOption,
                                     {"--wait-pcr", nullptr, "start at the first PCR"},
                                     {"--busy", nullptr, "the dialog's SCSI busy setting"},
                                     {"--ac3-pid", "N", "record this AC-3 PID as well"}}},
                                   RunRecord});

}  // namespace
}  // namespace pelorus
