// The console's stream commands outside the captures: "ts-check" checks a recorded transport
// stream offline, "scsi play-ac3" plays the current service's audio for a while.
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

#include "cli.h"
#include "link_actions.h"
#include "long_run.h"
#include "streams/ac3_play.h"
#include "streams/messages.h"
#include "streams/ts_check.h"

namespace pelorus {
namespace {

int RunTsCheck(const ParsedLine& line, CliContext& context) {
  const bool done = CheckTsFileAt(line.Name(0), context.ui, [&context](const std::string& report) {
    // The report as the editor shows it, closed by a newline so the shell prompt starts afresh.
    std::fwrite(report.data(), 1, report.size(), context.out);
    std::fputc('\n', context.out);
    std::fflush(context.out);
  });
  return done ? kExitDone : kExitFailed;
}

constexpr double kMinPlaySeconds = 0.001;
constexpr double kMaxPlaySeconds = 86400;

const CliCommandRegistrar kTsCheck({"ts-check",
                                    {{{"FILE.m2t", "the recorded transport stream"}}},
                                    RunTsCheck});

// Plays for the given time (or until Ctrl-C, which stops as the dialog's button does), drawing a
// bar on a terminal, then prints what the dialog showed last.
void RunPlayback(Ac3Playback& playback, CliContext& context, double seconds) {
  std::mutex mutex;
  Ac3Display last;
  std::string lastRate;
  playback.Start({[&](const Ac3Display& display) {
                    std::lock_guard lock(mutex);
                    last = display;
                    if (display.rate) lastRate = *display.rate;
                  },
                  nullptr});
  WaitOutRun(context, playback.worker(), seconds);
  std::lock_guard lock(mutex);
  std::fprintf(context.err, "%s %s  %s %s  %s %s\n", msg::streams::kBytesReadLabel,
               last.bytesRead.c_str(), msg::streams::kPollsLabel, last.polls.c_str(),
               msg::streams::kRateLabel, lastRate.c_str());
  if (last.noAc3Track) context.ui.ShowMessage(msg::streams::kNoAc3Track, Icon::kInformation);
}

int RunPlayAc3(const ParsedLine& line, EditorState& state, CliContext& context) {
  const std::optional<double> seconds =
      DecimalOption(line, "--seconds", kMinPlaySeconds, kMaxPlaySeconds, 0, context);
  if (!seconds) return kExitUsage;
  if (!ConnectScsi(state, context)) return kExitFailed;
  const bool played = PlayAc3(state, context.ui, Ac3PluginLoader(), [&](Ac3Playback& playback) {
    RunPlayback(playback, context, *seconds);
  });
  return played ? kExitDone : kExitFailed;
}

const LinkActionRegistrar kPlayAc3({"scsi",
                                    "play-ac3",
                                    {{},
                                     {{"--seconds", "S", "how long to play", true}},
                                     "(PELORUS_AC3_WAV=FILE writes the sound to a file)"},
                                    RunPlayAc3});

}  // namespace
}  // namespace pelorus
