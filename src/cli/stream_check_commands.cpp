// The console's stream commands outside the captures: "ts-check" checks a recorded transport
// stream offline, "scsi play-ac3" plays the current service's audio for a while.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <vector>

#include "cli.h"
#include "link_actions.h"
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

const CliCommandRegistrar kTsCheck({"ts-check",
                                    {{{"FILE.m2t", "the recorded transport stream"}}},
                                    RunTsCheck});

// Plays for the given time, drawing a bar on a terminal, then stops as the dialog's button does
// and prints what the dialog showed last.
void RunPlayback(Ac3Playback& playback, CliContext& context, double seconds) {
  std::mutex mutex;
  std::condition_variable changed;
  bool finished = false;
  Ac3Display last;
  std::string lastRate;
  playback.Start({[&](const Ac3Display& display) {
                    std::lock_guard lock(mutex);
                    last = display;
                    if (display.rate) lastRate = *display.rate;
                  },
                  [&] {
                    std::lock_guard lock(mutex);
                    finished = true;
                    changed.notify_all();
                  }});
  const auto start = std::chrono::steady_clock::now();
  const auto until = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                 std::chrono::duration<double>(seconds));
  std::unique_lock lock(mutex);
  while (!finished && std::chrono::steady_clock::now() < until) {
    changed.wait_for(lock, std::chrono::milliseconds(200));
    const double done = std::chrono::duration<double>(std::chrono::steady_clock::now() - start) /
                        std::chrono::duration<double>(seconds);
    lock.unlock();
    context.ui.SetProgress(static_cast<int>(done * 100), true);
    lock.lock();
  }
  playback.RequestStop();
  changed.wait(lock, [&] { return finished; });
  lock.unlock();
  context.ui.SetProgress(0, false);
  playback.Join();
  std::fprintf(context.err, "%s %s  %s %s  %s %s\n", msg::streams::kBytesReadLabel,
               last.bytesRead.c_str(), msg::streams::kPollsLabel, last.polls.c_str(),
               msg::streams::kRateLabel, lastRate.c_str());
  if (last.noAc3Track) context.ui.ShowMessage(msg::streams::kNoAc3Track, Icon::kInformation);
}

int RunPlayAc3(const ParsedLine& line, EditorState& state, CliContext& context) {
  const std::string& text = *line.Value("--seconds");
  char* end = nullptr;
  const double seconds = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || *end != '\0' || !(seconds > 0) || seconds > 86400) {
    return UsageError(context);
  }
  if (!ConnectScsi(state, context)) return kExitFailed;
  const bool played = PlayAc3(state, context.ui, Ac3PluginLoader(), [&](Ac3Playback& playback) {
    RunPlayback(playback, context, seconds);
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
