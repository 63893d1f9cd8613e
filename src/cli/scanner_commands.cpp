// pelorus-cli serial scan / lock-search: the band scanner from a console. The sweep writes the
// scan file (and with --png the plot the window shows); the lock search prints its result lines
// and can add what it found to a settings file.
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "channels/settings_file.h"
#include "cli.h"
#include "common/file_io.h"
#include "common/strfmt.h"
#include "common/user_folders.h"
#include "link_actions.h"
#include "long_run.h"
#include "scanner/band_scan.h"
#include "scanner/messages.h"
#include "scanner/qt/signal_plot_painter.h"
#include "scanner/signal_session.h"
#include "worker_run.h"

namespace pelorus {
namespace {

constexpr int kPngWidth = 1024;
constexpr int kPngHeight = 600;

struct ScannerArguments {
  ScanSettings settings;
  bool calibrate = false;
  std::string png;
  std::string addTo;
  int step = 1;
  int width = 0;
};

// False (the usage error printed) on a value the actions do not take; the declarations below
// say which words they take. Every number is read whole, so "12abc" is no 12.
bool ReadScannerArguments(const ParsedLine& line, ScannerArguments& parsed, CliContext& context) {
  const auto lnb = FindLnb(std::string_view(*line.Value("--lnb")));
  if (!lnb) {
    UsageError(context);
    return false;
  }
  parsed.settings.lnb = lnb->type;
  const auto from = NumberOption(line, "--from", 0, 65535, 0, context);
  const auto to = NumberOption(line, "--to", 0, 65535, 0, context);
  const auto step = NumberOption(line, "--step", 1, 20, 1, context);
  const auto width = NumberOption(line, "--width", 0, 40, 0, context);
  if (!from || !to || !step || !width) return false;
  // Both ends belong to the range, in a scan as in a lock search; a range that ends before it
  // starts holds no frequency to measure.
  if (*from > *to) {
    std::fprintf(context.err, "pelorus-cli: --from %lld is above --to %lld: no frequency to scan\n",
                 static_cast<long long>(*from), static_cast<long long>(*to));
    UsageError(context);
    return false;
  }
  parsed.settings.startMhz = static_cast<int>(*from);
  parsed.settings.endMhz = static_cast<int>(*to);
  parsed.step = static_cast<int>(*step);
  parsed.width = static_cast<int>(*width);
  if (const std::string* pol = line.Value("--pol")) {
    if (*pol == "h") {
      parsed.settings.mode = PolarityMode::kHorizontal;
    } else if (*pol == "v") {
      parsed.settings.mode = PolarityMode::kVertical;
    } else if (*pol == "hv") {
      parsed.settings.mode = PolarityMode::kBoth;
    } else {
      UsageError(context);
      return false;
    }
  }
  parsed.calibrate = line.Has("--calibrate");
  parsed.png = line.ValueOr("--png", "");
  parsed.addTo = line.ValueOr("--add-to", "");
  return true;
}

// Fonts need a QGuiApplication; a console has no display, so it uses the offscreen platform
// unless the environment names another.
bool EnsureGuiApplication() {
  if (QCoreApplication::instance() != nullptr)
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "pelorus-cli";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
  return true;
}

std::string SubroutinePath() {
  return ShippedDataFolder() + "/" + msg::scanner::kSignalSubroutineName;
}

int RunScan(const ParsedLine& line, EditorState& state, CliContext& context) {
  ScannerArguments parsed;
  if (!ReadScannerArguments(line, parsed, context)) return kExitUsage;
  Ui& ui = context.ui;
  if (!RangeAllowed(parsed.settings.lnb, parsed.settings.startMhz, parsed.settings.endMhz)) {
    ui.ShowMessage(msg::scanner::kRangeErrors, Icon::kStop);
    return kExitFailed;
  }
  ScanRequest request;
  request.settings = parsed.settings;
  request.calibrate = parsed.calibrate;
  if (parsed.calibrate) request.settings.mode = PolarityMode::kHorizontal;
  request.saveFile = line.Name(0);

  SerialLink link(ui);
  SignalSession session(link, state, SubroutinePath());
  DirectFrontEnd frontEnd(ui);
  ScanData data;
  const std::string dataFolder = UserDataFolder();
  const RunResult result = RunOnWorker(context, [&](RunControl& control) {
    return RunBandScan(session, request, data, dataFolder, control, frontEnd);
  });
  session.End();
  ShowRunResult(ui, result);
  if (result.Failed()) return kExitFailed;
  if (!parsed.png.empty()) {
    if (!EnsureGuiApplication()) {
      std::fprintf(context.err, "cannot draw: the program runs without Qt's GUI support\n");
      return kExitFailed;
    }
    if (!RenderSignalPlot(data, kPngWidth, kPngHeight)
             .save(QString::fromStdString(parsed.png), "PNG")) {
      ui.ShowMessage(msg::scanner::kUnableToOpenForOutput, Icon::kStop);
      return kExitFailed;
    }
  }
  std::fprintf(context.out, "%zu horizontal and %zu vertical points\n", data.horizontal.size(),
               data.vertical.size());
  return kExitDone;
}

int RunLockSearchCommand(const ParsedLine& line, EditorState& state, CliContext& context) {
  ScannerArguments parsed;
  if (!ReadScannerArguments(line, parsed, context)) return kExitUsage;
  Ui& ui = context.ui;
  if (!RangeAllowed(parsed.settings.lnb, parsed.settings.startMhz, parsed.settings.endMhz)) {
    ui.ShowMessage(msg::scanner::kRangeErrors, Icon::kStop);
    return kExitFailed;
  }
  std::error_code ignored;
  if (!parsed.addTo.empty()) {
    if (std::filesystem::exists(parsed.addTo, ignored)) {
      state.commandLineFile = parsed.addTo;
      if (!OpenSettingsFile(state, ui)) return kExitFailed;
    } else {
      state.settingsImage.emplace();
    }
    state.currentFileName = parsed.addTo;
  }
  LockSearchRequest request;
  request.ranges.push_back({parsed.settings.startMhz, parsed.settings.endMhz});
  request.stepMhz = parsed.step;
  request.widthMhz = parsed.width;
  request.autoAdd = !parsed.addTo.empty();
  // The worker is the only thread at work until it ends; the list is only read after it.
  LockSearchEvents events;
  events.line = [&context](const std::string& result) {
    std::fprintf(context.out, "%s\n", result.c_str());
    std::fflush(context.out);
  };
  int added = 0;
  events.addRecord = [&added, &state](const ChannelRecord& record) {
    AppendFoundChannel(state, record);
    ++added;
  };

  SerialLink link(ui);
  SignalSession session(link, state, SubroutinePath());
  DirectFrontEnd frontEnd(ui);
  const RunResult result = RunOnWorker(context, [&](RunControl& control) {
    return RunLockSearch(session, parsed.settings, request, control, frontEnd, events);
  });
  session.End();
  ShowRunResult(ui, result);
  // What was found before a failure is still saved.
  if (added > 0 && !SaveSettingsFile(state, ui, false)) return kExitFailed;
  return ExitStatusOf(result);
}

constexpr OptionWord kLnbOption{"--lnb", "universal|fss|dbs|c|quad|asia|triple|l",
                                "the LNB the receiver is set up with", true};
constexpr OptionWord kFromOption{"--from", "MHZ", "where the band starts", true};
constexpr OptionWord kToOption{"--to", "MHZ", "where the band ends", true};
constexpr OptionWord kPolOption{"--pol", "h|v|hv", "the polarisations swept"};

const LinkActionRegistrar kScan(
    {"serial",
     "scan",
     {{{"OUT.scn", "the scan file written"}},
      {kLnbOption,
       kFromOption,
       kToOption,
       kPolOption,
       {"--calibrate", nullptr, "a calibration sweep (horizontal only)"},
       {"--png", "PLOT.png", "the plot the window shows, as a picture"}}},
     RunScan});
const LinkActionRegistrar kLockSearch({"serial",
                                       "lock-search",
                                       {{},
                                        {kLnbOption,
                                         kFromOption,
                                         kToOption,
                                         kPolOption,
                                         {"--step", "N", "the step, in MHz (1-20)"},
                                         {"--width", "N", "the search width (0-40)"},
                                         {"--add-to", "LIST.dvb",
                                          "the settings file the channels found are added to"}}},
                                       RunLockSearchCommand});

}  // namespace
}  // namespace pelorus
