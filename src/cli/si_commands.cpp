// The console's service-information actions under "scsi": the SI tables of the tuned multiplex,
// the manual tune, the programme guide (text and XMLTV) and the PID finder and monitor. Each
// calls the same core as the dialogs.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "cli.h"
#include "common/strfmt.h"
#include "link_actions.h"
#include "scsi/stream_primitives.h"
#include "si/eit_capture.h"
#include "si/guide_file.h"
#include "si/messages.h"
#include "si/pid_tools.h"
#include "si/si_describe.h"
#include "si/si_reader.h"

namespace pelorus {
namespace {

// A monitor of a PID that carries nothing ends after this long.
constexpr int kDefaultMonitorSeconds = 10;

// A whole non-negative decimal number, or -1.
long Number(const std::string& text) {
  if (text.empty()) return -1;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  return (*end != '\0' || value < 0) ? -1 : value;
}

ScsiTransport& Transport(EditorState& state) { return *state.aspiModule; }

int RunSi(const ParsedLine&, EditorState& state, CliContext& context) {
  if (!ConnectScsi(state, context)) return kExitFailed;
  ScsiTransport& transport = Transport(state);
  SetScsiBusy(transport, state.options.scsiBusy != 0);
  if (const std::optional<Nit> nit = ReadNit(transport)) {
    const NetworkTexts network = DescribeNetwork(*nit);
    std::fprintf(context.out, "network\t%s\t%s\n", network.networkId.c_str(), network.name.c_str());
    for (const DeliveryTexts& texts : network.deliveries) {
      std::fprintf(context.out, "delivery\t%s\t%s\t%s\t%s\t%s\t%s\n", texts.list.c_str(),
                   texts.frequency.c_str(), texts.orbit.c_str(), texts.polarisation.c_str(),
                   texts.symbolRate.c_str(), texts.fec.c_str());
    }
  } else {
    context.ui.ShowMessage(msg::si::kNitMissing, Icon::kInformation);
  }
  const std::optional<Pat> pat = ReadPat(transport);
  if (!pat) {
    context.ui.SetStatusText(msg::si::kErrorReadingPat);
    return kExitFailed;
  }
  const TransportStreamTexts multiplex = DescribeTransportStream(*pat);
  std::fprintf(context.out, "transport_stream\t%s\n", multiplex.transportStreamId.c_str());
  for (size_t i = 0; i < pat->programs.size(); ++i) {
    const ProgramTexts& program = multiplex.programs[i];
    std::fprintf(context.out, "program\t%s\t%s\n", program.number.c_str(), program.pmtPid.c_str());
    const std::optional<Pmt> pmt = ReadPmt(transport, pat->programs[i]);
    if (!pmt) {
      context.ui.SetStatusText(msg::si::kErrorReadingPmt);
      continue;
    }
    const ProgramMapTexts map = DescribeProgramMap(*pmt);
    std::fprintf(context.out, "pcr\t%s\n", map.pcrPid.c_str());
    for (const StreamTexts& stream : map.streams) {
      std::fprintf(context.out, "stream\t%s\t%s\n", stream.type.c_str(), stream.pid.c_str());
    }
  }
  return kExitDone;
}

int RunTune(const ParsedLine& line, EditorState& state, CliContext& context) {
  const std::vector<std::string>& args = line.Names();
  const std::optional<int> fec = TuneFecIndex(args[2]);
  if (!fec || (args[3] != "H" && args[3] != "V")) return UsageError(context);
  if (!ConnectScsi(state, context)) return kExitFailed;
  SendTuneCommand(Transport(state), TypedNumber(args[0]), TypedNumber(args[1]), *fec,
                  args[3] == "V");
  return kExitDone;
}

int RunEit(const ParsedLine& line, EditorState& state, CliContext& context) {
  const std::string& textPath = line.Name(0);
  const std::string xmltvPath = line.ValueOr("--xmltv", "");
  const long seconds = Number(*line.Value("--seconds"));
  const bool syncClock = line.Has("--sync-clock");
  if (seconds < 0) return UsageError(context);
  if (!ConnectScsi(state, context)) return kExitFailed;
  // Dates and times in the user's locale, as the dialog shows them.
  std::setlocale(LC_TIME, "");

  Guide guide;
  RealSystemClock clock;
  EitCapture::Callbacks callbacks;
  callbacks.clockSync = [&context](TdtClockSync::Result result, const std::string& detail) {
    if (result == TdtClockSync::Result::kRefused) {
      std::fprintf(context.err, "%s\n", Format(msg::si::kClockRefused, detail.c_str()).c_str());
    }
  };
  EitCapture capture(Transport(state), guide, clock, callbacks);
  capture.SetSyncTdt(syncClock);
  capture.Start(state.options.scsiBusy != 0);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    context.ui.KeepAlive();
  }
  capture.RequestStop();
  capture.Join();

  const Guide::Counters counters = guide.Peek();
  std::fprintf(context.err, "%s %d, %s %d, %s %d\n", msg::si::kServicesLabel, counters.services,
               msg::si::kEventsLabel, counters.events, msg::si::kCrcLabel, counters.crcErrors);
  if (!WriteGuideFile(guide, GuideFormat::kText, textPath, context.ui)) return kExitFailed;
  if (!xmltvPath.empty() && !WriteGuideFile(guide, GuideFormat::kXmltv, xmltvPath, context.ui)) {
    return kExitFailed;
  }
  return kExitDone;
}

int RunPidFind(const ParsedLine& line, EditorState& state, CliContext& context) {
  const long start = line.Has("--start") ? Number(*line.Value("--start")) : 0;
  const long dwell = line.Has("--dwell") ? Number(*line.Value("--dwell")) : kDefaultDwellMs;
  const long seconds = line.Has("--seconds") ? Number(*line.Value("--seconds")) : -1;
  const bool untilStopped = line.Has("--until-stopped");
  // A run until stopped needs its length, and only such a run takes one.
  if (start < 0 || dwell < 0 || dwell > 600000 || untilStopped != line.Has("--seconds") ||
      (untilStopped && seconds < 0)) {
    return UsageError(context);
  }
  if (!ConnectScsi(state, context)) return kExitFailed;
  const PidMode mode = PidModeFromOption(state.options.decimal);
  std::atomic<bool> done{false};
  PidFinder::Callbacks callbacks;
  callbacks.active = [&context](const std::string& found) {
    std::fprintf(context.out, "%s\n", found.c_str());
  };
  callbacks.finished = [&done](int) { done = true; };
  PidFinder finder(Transport(state), callbacks);
  finder.SetUntilStopped(untilStopped);
  finder.Start(static_cast<int>(std::min(start, 0x7FFFFFFFL)), static_cast<int>(dwell), mode);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(std::max(seconds, 0L));
  while (!done) {
    if (untilStopped && std::chrono::steady_clock::now() >= end) finder.RequestStop();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  finder.Join();
  return kExitDone;
}

int RunPidMonitor(const ParsedLine& line, EditorState& state, CliContext& context) {
  const std::vector<std::string>& args = line.Names();
  const long packets = Number(*line.Value("--packets"));
  const long seconds =
      line.Has("--seconds") ? Number(*line.Value("--seconds")) : kDefaultMonitorSeconds;
  const PidMode mode = PidModeFromOption(state.options.decimal);
  unsigned pid = 0;
  char extra = 0;
  const std::string format = std::string(PidFormatsFor(mode).input) + "%c";
  if (std::sscanf(args[0].c_str(), format.c_str(), &pid, &extra) != 1 || pid >= kPidCount ||
      packets < 1 || seconds < 0) {
    return UsageError(context);
  }
  if (!ConnectScsi(state, context)) return kExitFailed;
  std::atomic<bool> done{false};
  PidMonitor monitor(
      Transport(state), [&context](std::string rows) { std::fputs(rows.c_str(), context.out); },
      [&done] { done = true; });
  monitor.Start(static_cast<uint16_t>(pid), state.options.scsiBusy != 0,
                static_cast<int>(std::min(packets, 0x7FFFFFFFL)));
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!done) {
    if (std::chrono::steady_clock::now() >= end) monitor.RequestStop();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  monitor.Join();
  return kExitDone;
}

const LinkActionRegistrar kSi({"scsi", "si", {}, RunSi});
const LinkActionRegistrar kTune({"scsi",
                                 "tune",
                                 {{{"FREQ_MHZ", "the frequency"},
                                   {"SYMBOL_RATE", "the symbol rate, in thousands a second"},
                                   {"FEC", "the inner code rate"},
                                   {"H|V", "the polarisation"}},
                                  {},
                                  "(FEC: 1/1 1/2 2/3 3/4 5/6 7/8)"},
                                 RunTune});
const LinkActionRegistrar kEit({"scsi",
                                "eit",
                                {{{"OUT.txt", "the guide, as text"}},
                                 {{"--seconds", "S", "how long to gather the guide", true},
                                  {"--xmltv", "OUT.xml", "the guide as XMLTV too"},
                                  {"--sync-clock", nullptr,
                                   "set the clock from the broadcast time"}}},
                                RunEit});
const LinkActionRegistrar kPidFind(
    {"scsi",
     "pid-find",
     {{},
      {{"--start", "N", "the first PID tried"},
       {"--dwell", "MS", "how long each PID is watched, in milliseconds"},
       {"--until-stopped", nullptr, "keep searching until --seconds have passed"},
       {"--seconds", "S", "how long a run --until-stopped lasts"}}},
     RunPidFind});
const LinkActionRegistrar kPidMonitor({"scsi",
                                       "pid-monitor",
                                       {{{"PID", "the PID watched"}},
                                        {{"--packets", "N", "how many packets to show", true},
                                         {"--seconds", "S", "how long to wait for them at most"}}},
                                       RunPidMonitor});

}  // namespace
}  // namespace pelorus
