// The console's stream recordings: "scsi capture" records one PID as "Leggi Streams..." does,
// "scsi record" the current service as "Registra il PID Multiplo..." does, each for a given
// number of seconds.
#include <algorithm>
#include <chrono>
#include <cinttypes>
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

// The length of the run, 0 when it is not a whole number of seconds within a day.
int ParseSeconds(const ParsedLine& line) {
  const std::string* text = line.Value("--seconds");
  if (text == nullptr) return 0;
  char* end = nullptr;
  const long seconds = std::strtol(text->c_str(), &end, 10);
  if (end == text->c_str() || *end != '\0' || seconds < 1 || seconds > kMaxSeconds) return 0;
  return static_cast<int>(seconds);
}

// Waits out the run, drawing the progress once a second; `ended` says the work stopped itself.
template <typename Poll>
void RunFor(CliContext& context, int seconds, std::chrono::milliseconds step, Poll poll) {
  const auto start = std::chrono::steady_clock::now();
  const auto end = start + std::chrono::seconds(seconds);
  int shownSecond = -1;
  while (std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(step);
    std::string status;
    if (poll(status)) break;
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    const int second = static_cast<int>(elapsed.count() / 1000);
    if (second != shownSecond) {
      shownSecond = second;
      context.ui.SetStatusText(status);
      context.ui.SetProgress(static_cast<int>(elapsed.count() / 10 / seconds), true);
    }
  }
  context.ui.SetProgress(0, false);
  context.ui.SetStatusText("");
}

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
  const int seconds = ParseSeconds(line);
  if (seconds == 0) return UsageError(context);
  if (!ConnectScsi(state, context)) return kExitFailed;

  uint16_t ac3Pid = 0;
  RecordStats stats;
  bool ran = false;
  const bool done = RecordMultiPid(
      state, context.ui, ac3Pid,
      [&](RecordDialogRequest& request) {
        request.file.path = line.Name(0);
        request.waitPcr = line.Has("--wait-pcr");
        request.scsiBusy = line.Has("--busy");
        const std::string* ac3 = line.Value("--ac3-pid");
        request.ac3 = ac3 != nullptr;
        if (ac3 != nullptr) request.ac3PidText = *ac3;
        return true;
      },
      [&](MultiPidRecorder& recorder) {
        ran = true;
        RecorderDisplay display = recorder.Display();
        std::string rate;
        RunFor(context, seconds, MultiPidRecorder::kTick, [&](std::string& status) {
          display = recorder.Tick();
          if (!display.rate.empty()) rate = display.rate;
          status =
              Format("%s  polls %s  %s  fill %zu/%zu", display.count.c_str(), display.polls.c_str(),
                     rate.c_str(), display.stats.ringFill, display.stats.ringCapacity);
          return display.ended;
        });
        recorder.Stop();
        stats = recorder.Stats();
      });
  if (ran) {
    std::fprintf(context.out,
                 "%" PRIu64 " bytes captured, %d polls, %" PRIu64 " packets without sync, %" PRIu64
                 " continuity errors, %" PRIu64 " packets dropped\n",
                 stats.bytesCaptured, stats.polls, stats.syncErrors, stats.continuityErrors,
                 stats.dropped);
    if (stats.dropped > 0) {
      context.ui.ShowMessage(
          Format(msg::streams::kPacketsDropped, static_cast<unsigned long long>(stats.dropped)),
          Icon::kWarning);
    }
  }
  return done ? kExitDone : kExitFailed;
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
