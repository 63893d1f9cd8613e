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
#include "si/si_reader.h"

namespace pelorus {
namespace {

constexpr char kSiUsage[] = "si";
constexpr char kTuneUsage[] = "tune FREQ_MHZ SYMBOL_RATE FEC H|V   (FEC: 1/1 1/2 2/3 3/4 5/6 7/8)";
constexpr char kEitUsage[] = "eit OUT.txt --seconds S [--xmltv OUT.xml] [--sync-clock]";
constexpr char kPidFindUsage[] = "pid-find [--start N] [--dwell MS] [--until-stopped --seconds S]";
constexpr char kPidMonitorUsage[] = "pid-monitor PID --packets N [--seconds S]";
// A monitor of a PID that carries nothing ends after this long.
constexpr int kDefaultMonitorSeconds = 10;

int Usage(CliContext& context, const char* usage) {
  const std::string text = std::string("scsi ") + usage;
  return UsageError(context, text.c_str());
}

// A whole non-negative decimal number, or -1.
long Number(const std::string& text) {
  if (text.empty()) return -1;
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  return (*end != '\0' || value < 0) ? -1 : value;
}

ScsiTransport& Transport(EditorState& state) { return *state.aspiModule; }

int RunSi(const std::vector<std::string>& args, EditorState& state, CliContext& context) {
  if (!args.empty()) return Usage(context, kSiUsage);
  if (!ConnectScsi(state, context)) return kExitFailed;
  ScsiTransport& transport = Transport(state);
  SetScsiBusy(transport, state.options.scsiBusy != 0);
  if (const std::optional<NitInfo> nit = ReadNit(transport)) {
    std::fprintf(context.out, "network\t%04x\t%s\n", nit->networkId, nit->networkName.c_str());
    for (const DeliveryEntry& entry : nit->deliveries) {
      const DeliveryTexts texts = DescribeDelivery(entry);
      std::fprintf(context.out, "delivery\t%s\t%s\t%s\t%s\t%s\t%s\n", texts.list.c_str(),
                   texts.frequency.c_str(), texts.orbit.c_str(), texts.polarisation.c_str(),
                   texts.symbolRate.c_str(), texts.fec.c_str());
    }
  } else {
    context.ui.ShowMessage(msg::si::kNitMissing, Icon::kInformation);
  }
  const std::optional<PatInfo> pat = ReadPat(transport);
  if (!pat) {
    context.ui.SetStatusText(msg::si::kErrorReadingPat);
    return kExitFailed;
  }
  std::fprintf(context.out, "transport_stream\t%04x\n", pat->transportStreamId);
  for (const PatProgram& program : pat->programs) {
    std::fprintf(context.out, "program\t%u\t%04x\n", unsigned{program.programNumber},
                 program.pmtPid);
    const std::optional<PmtInfo> pmt = ReadPmt(transport, program);
    if (!pmt) {
      context.ui.SetStatusText(msg::si::kErrorReadingPmt);
      continue;
    }
    std::fprintf(context.out, "pcr\t%04x\n", pmt->pcrPid);
    for (const PmtStream& stream : pmt->streams) {
      std::fprintf(context.out, "stream\t%02x\t%04x\n", stream.streamType, stream.pid);
    }
  }
  return kExitDone;
}

int RunTune(const std::vector<std::string>& args, EditorState& state, CliContext& context) {
  if (args.size() != 4) return Usage(context, kTuneUsage);
  const std::optional<int> fec = TuneFecIndex(args[2]);
  if (!fec || (args[3] != "H" && args[3] != "V")) return Usage(context, kTuneUsage);
  if (!ConnectScsi(state, context)) return kExitFailed;
  SendTuneCommand(Transport(state), TypedNumber(args[0]), TypedNumber(args[1]), *fec,
                  args[3] == "V");
  return kExitDone;
}

int RunEit(const std::vector<std::string>& args, EditorState& state, CliContext& context) {
  std::string textPath;
  std::string xmltvPath;
  long seconds = -1;
  bool syncClock = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--seconds" && i + 1 < args.size()) {
      seconds = Number(args[++i]);
    } else if (args[i] == "--xmltv" && i + 1 < args.size()) {
      xmltvPath = args[++i];
    } else if (args[i] == "--sync-clock") {
      syncClock = true;
    } else if (textPath.empty() && !args[i].starts_with("--")) {
      textPath = args[i];
    } else {
      return Usage(context, kEitUsage);
    }
  }
  if (textPath.empty() || seconds < 0) return Usage(context, kEitUsage);
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

int RunPidFind(const std::vector<std::string>& args, EditorState& state, CliContext& context) {
  long start = 0;
  long dwell = kDefaultDwellMs;
  long seconds = -1;
  bool untilStopped = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--start" && i + 1 < args.size()) {
      start = Number(args[++i]);
    } else if (args[i] == "--dwell" && i + 1 < args.size()) {
      dwell = Number(args[++i]);
    } else if (args[i] == "--seconds" && i + 1 < args.size()) {
      seconds = Number(args[++i]);
    } else if (args[i] == "--until-stopped") {
      untilStopped = true;
    } else {
      return Usage(context, kPidFindUsage);
    }
  }
  if (start < 0 || dwell < 0 || dwell > 600000 || untilStopped != (seconds >= 0)) {
    return Usage(context, kPidFindUsage);
  }
  if (!ConnectScsi(state, context)) return kExitFailed;
  const PidMode mode = PidModeFromOption(state.options.decimal);
  std::atomic<bool> done{false};
  PidFinder::Callbacks callbacks;
  callbacks.active = [&context](const std::string& line) {
    std::fprintf(context.out, "%s\n", line.c_str());
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

int RunPidMonitor(const std::vector<std::string>& args, EditorState& state, CliContext& context) {
  if (args.empty()) return Usage(context, kPidMonitorUsage);
  long packets = -1;
  long seconds = kDefaultMonitorSeconds;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--packets" && i + 1 < args.size()) {
      packets = Number(args[++i]);
    } else if (args[i] == "--seconds" && i + 1 < args.size()) {
      seconds = Number(args[++i]);
    } else {
      return Usage(context, kPidMonitorUsage);
    }
  }
  const PidMode mode = PidModeFromOption(state.options.decimal);
  unsigned pid = 0;
  char extra = 0;
  const std::string format = std::string(PidFormatsFor(mode).input) + "%c";
  if (std::sscanf(args[0].c_str(), format.c_str(), &pid, &extra) != 1 || pid >= kPidCount ||
      packets < 1 || seconds < 0) {
    return Usage(context, kPidMonitorUsage);
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

const LinkActionRegistrar kSi({"scsi", "si", kSiUsage, RunSi});
const LinkActionRegistrar kTune({"scsi", "tune", kTuneUsage, RunTune});
const LinkActionRegistrar kEit({"scsi", "eit", kEitUsage, RunEit});
const LinkActionRegistrar kPidFind({"scsi", "pid-find", kPidFindUsage, RunPidFind});
const LinkActionRegistrar kPidMonitor({"scsi", "pid-monitor", kPidMonitorUsage, RunPidMonitor});

}  // namespace
}  // namespace pelorus
