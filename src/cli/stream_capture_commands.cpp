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
#include "streams/capture_command.h"
#include "streams/messages.h"
#include "streams/record_command.h"

namespace pelorus {
namespace {

constexpr char kCaptureUsage[] =
    "capture OUT.mpp --pid N [--threshold N] [--mode 0-6] [--ts2es] [--sync-video] --seconds S"
    "  [--scsi sim:PATH]";
constexpr char kRecordUsage[] =
    "record OUT.m2t --seconds S [--wait-pcr] [--busy] [--ac3-pid N]  [--scsi sim:PATH]";
constexpr int kMaxSeconds = 24 * 3600;

// The words of one action: its file, its valued options and its flags.
struct Words {
  std::string file;
  std::vector<std::pair<std::string, std::string>> values;
  std::vector<std::string> flags;

  const std::string* Value(const std::string& name) const {
    for (const auto& [key, value] : values) {
      if (key == name) return &value;
    }
    return nullptr;
  }
  bool Flag(const std::string& name) const {
    for (const std::string& flag : flags) {
      if (flag == name) return true;
    }
    return false;
  }
};

bool SplitWords(const std::vector<std::string>& args, const std::vector<std::string>& valued,
                const std::vector<std::string>& flags, Words& words) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!arg.starts_with("--")) {
      if (!words.file.empty()) return false;
      words.file = arg;
    } else if (std::find(valued.begin(), valued.end(), arg) != valued.end()) {
      if (i + 1 >= args.size()) return false;
      words.values.emplace_back(arg, args[++i]);
    } else if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
      words.flags.push_back(arg);
    } else {
      return false;
    }
  }
  return !words.file.empty();
}

int ParseSeconds(const Words& words) {
  const std::string* text = words.Value("--seconds");
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

int RunCapture(const std::vector<std::string>& args, EditorState& state, CliContext& context) {
  const std::string usage = std::string("scsi ") + kCaptureUsage;
  Words words;
  if (!SplitWords(args, {"--pid", "--threshold", "--mode", "--seconds"},
                  {"--ts2es", "--sync-video"}, words) ||
      words.Value("--pid") == nullptr) {
    return UsageError(context, usage.c_str());
  }
  const int seconds = ParseSeconds(words);
  int mode = static_cast<int>(state.options.streamMode);
  if (const std::string* text = words.Value("--mode")) {
    if (text->size() != 1 || (*text)[0] < '0' || (*text)[0] > '6') {
      return UsageError(context, usage.c_str());
    }
    mode = (*text)[0] - '0';
  }
  if (seconds == 0) return UsageError(context, usage.c_str());
  if (!ConnectScsi(state, context)) return kExitFailed;

  uint64_t written = 0;
  const bool done = CaptureStream(
      state, context.ui,
      [&](CaptureDialogRequest& request) {
        request.file.path = words.file;
        request.pidText = *words.Value("--pid");
        if (const std::string* threshold = words.Value("--threshold")) {
          request.thresholdText = *threshold;
        }
        request.mode = mode;
        request.ts2es = words.Flag("--ts2es");
        request.syncVideo = words.Flag("--sync-video");
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
        RunFor(context, seconds, std::chrono::milliseconds(100), [&](std::string& status) {
          std::lock_guard lock(mutex);
          status =
              Format("%s  polls %s  %s", last.count.c_str(), last.polls.c_str(), last.rate.c_str());
          return last.ended;
        });
        worker.Stop();
        written = worker.BytesWritten();
      });
  std::fprintf(context.out, "%" PRIu64 " bytes written\n", written);
  return done ? kExitDone : kExitFailed;
}

int RunRecord(const std::vector<std::string>& args, EditorState& state, CliContext& context) {
  const std::string usage = std::string("scsi ") + kRecordUsage;
  Words words;
  if (!SplitWords(args, {"--seconds", "--ac3-pid"}, {"--wait-pcr", "--busy"}, words)) {
    return UsageError(context, usage.c_str());
  }
  const int seconds = ParseSeconds(words);
  if (seconds == 0) return UsageError(context, usage.c_str());
  if (!ConnectScsi(state, context)) return kExitFailed;

  uint16_t ac3Pid = 0;
  RecordStats stats;
  bool ran = false;
  const bool done = RecordMultiPid(
      state, context.ui, ac3Pid,
      [&](RecordDialogRequest& request) {
        request.file.path = words.file;
        request.waitPcr = words.Flag("--wait-pcr");
        request.scsiBusy = words.Flag("--busy");
        const std::string* ac3 = words.Value("--ac3-pid");
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

const LinkActionRegistrar kCapture({"scsi", "capture", kCaptureUsage, RunCapture});
const LinkActionRegistrar kRecord({"scsi", "record", kRecordUsage, RunRecord});

}  // namespace
}  // namespace pelorus
