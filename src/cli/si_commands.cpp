// The console's service-information actions under "scsi": the SI tables of the tuned multiplex,
// the manual tune, the programme guide (text and XMLTV) and the PID finder and monitor. Each
// calls the same core as the dialogs.
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "channels/pid_format.h"
#include "cli.h"
#include "common/number_parse.h"
#include "common/strfmt.h"
#include "link_actions.h"
#include "long_run.h"
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
// The longest run, as for capture and record.
constexpr int kMaxSeconds = 24 * 3600;
constexpr int kMaxDwellMs = 600000;

ScsiTransport& Transport(EditorState& state) { return *state.aspiModule; }

// A read that ended because the receiver was lost ends the command with the reason.
bool LinkLost(const LinkFailure& failure, CliContext& context) {
  if (!EndsTheRun(failure.problem)) return false;
  ShowRunResult(context.ui, RunResult::Failed(msg::si::kTablesLost, failure.reason));
  return true;
}

int RunSi(const ParsedLine&, EditorState& state, CliContext& context) {
  if (!ConnectScsi(state, context)) return kExitFailed;
  ScsiTransport& transport = Transport(state);
  SetScsiBusy(transport, state.options.scsiBusy != 0);
  LinkFailure failure;
  const std::optional<Nit> nit = ReadNit(transport, {}, &failure);
  if (LinkLost(failure, context)) return kExitFailed;
  if (nit) {
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
  const std::optional<Pat> pat = ReadPat(transport, {}, &failure);
  if (LinkLost(failure, context)) return kExitFailed;
  if (!pat) {
    context.ui.SetStatusText(msg::si::kErrorReadingPat);
    return kExitFailed;
  }
  const TransportStreamTexts multiplex = DescribeTransportStream(*pat);
  std::fprintf(context.out, "transport_stream\t%s\n", multiplex.transportStreamId.c_str());
  for (size_t i = 0; i < pat->programs.size(); ++i) {
    const ProgramTexts& program = multiplex.programs[i];
    std::fprintf(context.out, "program\t%s\t%s\n", program.number.c_str(), program.pmtPid.c_str());
    const std::optional<Pmt> pmt = ReadPmt(transport, pat->programs[i], {}, &failure);
    if (LinkLost(failure, context)) return kExitFailed;
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

// One of the tune command's numbers: five digits on the wire, so anything else is refused
// rather than cut to its first five.
std::optional<int> TuneNumber(const std::string& text, const char* name, CliContext& context) {
  const std::optional<int64_t> value = ParseNumber(text, kMinTuneNumber, kMaxTuneNumber);
  if (!value) {
    std::fprintf(context.err, "pelorus-cli: '%s': %s\n", text.c_str(),
                 Format(msg::si::kTuneOutOfRange, name, kMinTuneNumber, kMaxTuneNumber).c_str());
    UsageError(context);
    return std::nullopt;
  }
  return static_cast<int>(*value);
}

int RunTune(const ParsedLine& line, EditorState& state, CliContext& context) {
  const std::vector<std::string>& args = line.Names();
  const std::optional<int> frequency = TuneNumber(args[0], "FREQ_MHZ", context);
  if (!frequency) return kExitUsage;
  const std::optional<int> symbolRate = TuneNumber(args[1], "SYMBOL_RATE", context);
  if (!symbolRate) return kExitUsage;
  const std::optional<int> fec = TuneFecIndex(args[2]);
  if (!fec || (args[3] != "H" && args[3] != "V")) return UsageError(context);
  if (!ConnectScsi(state, context)) return kExitFailed;
  LinkFailure failure;
  if (!SendTuneCommand(Transport(state), *frequency, *symbolRate, *fec, args[3] == "V", &failure)) {
    const char* text = EndsTheRun(failure.problem) ? msg::si::kTuneLost : msg::si::kTuneRefused;
    ShowRunResult(context.ui, RunResult::Failed(text, failure.reason));
    return kExitFailed;
  }
  return kExitDone;
}

int RunEit(const ParsedLine& line, EditorState& state, CliContext& context) {
  const std::string& textPath = line.Name(0);
  const std::string xmltvPath = line.ValueOr("--xmltv", "");
  const std::optional<int64_t> seconds =
      NumberOption(line, "--seconds", 1, kMaxSeconds, 0, context);
  const bool syncClock = line.Has("--sync-clock");
  if (!seconds) return kExitUsage;
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
  WaitOutRun(context, capture.worker(), static_cast<double>(*seconds), [&guide] {
    const Guide::Counters counters = guide.Peek();
    return Format("%s %d  %s %d", msg::si::kServicesLabel, counters.services, msg::si::kEventsLabel,
                  counters.events);
  });
  RunResult result = capture.Join();

  const Guide::Counters counters = guide.Peek();
  std::fprintf(context.err, "%s %d, %s %d, %s %d\n", msg::si::kServicesLabel, counters.services,
               msg::si::kEventsLabel, counters.events, msg::si::kCrcLabel, counters.crcErrors);
  if (counters.services == 0) {
    // Nothing to write: the files stay as they were.
    std::string kept = Format(msg::si::kFilesLeft, textPath.c_str());
    if (!xmltvPath.empty()) kept += "; " + Format(msg::si::kFilesLeft, xmltvPath.c_str());
    result.detail = result.detail.empty() ? kept : result.detail + "; " + kept;
    ShowRunResult(context.ui, result);
    return kExitFailed;
  }
  // What arrived is written, also when the receiver was lost part-way; the run still failed.
  if (!WriteGuideFile(guide, GuideFormat::kText, textPath, context.ui)) return kExitFailed;
  if (!xmltvPath.empty() && !WriteGuideFile(guide, GuideFormat::kXmltv, xmltvPath, context.ui)) {
    return kExitFailed;
  }
  ShowRunResult(context.ui, result);
  return ExitStatusOf(result);
}

int RunPidFind(const ParsedLine& line, EditorState& state, CliContext& context) {
  const bool untilStopped = line.Has("--until-stopped");
  const std::optional<int64_t> start =
      NumberOption(line, "--start", 0, kPidCount - 1, 0, context, NumberBase::kPrefixed);
  if (!start) return kExitUsage;
  const std::optional<int64_t> dwell =
      NumberOption(line, "--dwell", 0, kMaxDwellMs, kDefaultDwellMs, context);
  if (!dwell) return kExitUsage;
  const std::optional<int64_t> seconds =
      NumberOption(line, "--seconds", 1, kMaxSeconds, 0, context);
  if (!seconds) return kExitUsage;
  // A run until stopped needs its length, and only such a run takes one.
  if (untilStopped != line.Has("--seconds")) return UsageError(context);
  if (!ConnectScsi(state, context)) return kExitFailed;
  const PidMode mode = PidModeFromOption(state.options.decimal);
  PidFinder::Callbacks callbacks;
  callbacks.active = [&context](const std::string& found) {
    std::fprintf(context.out, "%s\n", found.c_str());
  };
  PidFinder finder(Transport(state), callbacks);
  finder.SetUntilStopped(untilStopped);
  finder.Start(static_cast<int>(*start), static_cast<int>(*dwell), mode);
  // A run to the end of the PID space ends by itself; a signal stops either kind.
  WaitOutRun(context, finder.worker(), untilStopped ? static_cast<double>(*seconds) : 0.0);
  const RunResult result = finder.Join();
  ShowRunResult(context.ui, result);
  return ExitStatusOf(result);
}

int RunPidMonitor(const ParsedLine& line, EditorState& state, CliContext& context) {
  const std::vector<std::string>& args = line.Names();
  const std::optional<int64_t> packets = NumberOption(line, "--packets", 1, INT32_MAX, 0, context);
  if (!packets) return kExitUsage;
  const std::optional<int64_t> seconds =
      NumberOption(line, "--seconds", 1, kMaxSeconds, kDefaultMonitorSeconds, context);
  if (!seconds) return kExitUsage;
  const PidMode mode = PidModeFromOption(state.options.decimal);
  const std::optional<uint16_t> pid = ParsePidText(args[0], mode);
  if (!pid) {
    // Written as the finder and the monitor show PIDs: hexadecimal, or decimal after the option.
    std::fprintf(context.err, "pelorus-cli: PID: '%s' is not a PID from %s\n", args[0].c_str(),
                 mode == PidMode::kDecimal ? "0 to 8191" : "0000 to 1FFF");
    return UsageError(context);
  }
  if (!ConnectScsi(state, context)) return kExitFailed;
  PidMonitor monitor(Transport(state),
                     [&context](std::string rows) { std::fputs(rows.c_str(), context.out); }, {});
  monitor.Start(*pid, state.options.scsiBusy != 0, mode, static_cast<int>(*packets));
  WaitOutRun(context, monitor.worker(), static_cast<double>(*seconds));
  const RunResult result = monitor.Join();
  ShowRunResult(context.ui, result);
  return ExitStatusOf(result);
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
const LinkActionRegistrar kEit(
    {"scsi",
     "eit",
     {{{"OUT.txt", "the guide, as text"}},
      {{"--seconds", "S", "how long to gather the guide (1 s to a day)", true},
       {"--xmltv", "OUT.xml", "the guide as XMLTV too"},
       {"--sync-clock", nullptr, "set the clock from the broadcast time"}}},
     RunEit});
const LinkActionRegistrar kPidFind(
    {"scsi",
     "pid-find",
     {{},
      {{"--start", "N", "the first PID tried (0x for hexadecimal)"},
       {"--dwell", "MS", "how long each PID is watched, in milliseconds"},
       {"--until-stopped", nullptr, "keep searching until --seconds have passed"},
       {"--seconds", "S", "how long a run --until-stopped lasts"}}},
     RunPidFind});
const LinkActionRegistrar kPidMonitor({"scsi",
                                       "pid-monitor",
                                       {{{"PID",
                                          "the PID watched, written as the finder shows it"}},
                                        {{"--packets", "N", "how many packets to show", true},
                                         {"--seconds", "S", "how long to wait for them at most"}}},
                                       RunPidMonitor});

}  // namespace
}  // namespace pelorus
