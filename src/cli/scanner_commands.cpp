// pelorus-cli serial scan / lock-search: the band scanner from a console. The sweep writes the
// scan file (and with --png the plot the window shows); the lock search prints its result lines
// and can add what it found to a settings file.
#include <QGuiApplication>
#include <QImage>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "channels/settings_file.h"
#include "cli.h"
#include "common/file_io.h"
#include "common/strfmt.h"
#include "common/user_folders.h"
#include "link_actions.h"
#include "scanner/band_scan.h"
#include "scanner/messages.h"
#include "scanner/qt/signal_plot_painter.h"
#include "scanner/signal_session.h"

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

bool ParseNumber(const std::string& text, int low, int high, int& value) {
  char* end = nullptr;
  const long parsed = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

// False on a value the actions do not take; the declarations below say which words they take.
bool ReadScannerArguments(const ParsedLine& line, ScannerArguments& parsed) {
  const auto lnb = FindLnb(std::string_view(*line.Value("--lnb")));
  if (!lnb) return false;
  parsed.settings.lnb = lnb->type;
  if (!ParseNumber(*line.Value("--from"), 0, 65535, parsed.settings.startMhz) ||
      !ParseNumber(*line.Value("--to"), 0, 65535, parsed.settings.endMhz)) {
    return false;
  }
  if (const std::string* pol = line.Value("--pol")) {
    if (*pol == "h") {
      parsed.settings.mode = PolarityMode::kHorizontal;
    } else if (*pol == "v") {
      parsed.settings.mode = PolarityMode::kVertical;
    } else if (*pol == "hv") {
      parsed.settings.mode = PolarityMode::kBoth;
    } else {
      return false;
    }
  }
  parsed.calibrate = line.Has("--calibrate");
  parsed.png = line.ValueOr("--png", "");
  parsed.addTo = line.ValueOr("--add-to", "");
  const std::string* step = line.Value("--step");
  const std::string* width = line.Value("--width");
  return (step == nullptr || ParseNumber(*step, 1, 20, parsed.step)) &&
         (width == nullptr || ParseNumber(*width, 0, 40, parsed.width));
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
  if (!ReadScannerArguments(line, parsed)) return UsageError(context);
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
  BusyCursor busy(ui);
  ScanData data;
  if (!RunBandScan(session, request, data, busy, UserDataFolder())) return kExitFailed;
  session.End();
  if (parsed.calibrate) {
    const std::string text = ScanFileText(data);
    const auto bytes = std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (WriteFileAtomically(request.saveFile, bytes) != WriteResult::kDone) {
      ui.ShowMessage(msg::scanner::kUnableToOpenForOutput, Icon::kStop);
      return kExitFailed;
    }
  }
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
  if (!ReadScannerArguments(line, parsed)) return UsageError(context);
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
  LockSearchEvents events;
  events.line = [&context](const std::string& result) {
    std::fprintf(context.out, "%s\n", result.c_str());
    std::fflush(context.out);
  };
  int added = 0;
  events.recordAdded = [&added] { ++added; };

  SerialLink link(ui);
  SignalSession session(link, state, SubroutinePath());
  BusyCursor busy(ui);
  busy.Begin();
  const std::atomic<bool> abort{false};
  if (!RunLockSearch(session, parsed.settings, request, state, abort, events, busy))
    return kExitFailed;
  session.End();
  busy.End();
  if (added > 0 && !SaveSettingsFile(state, ui, false)) return kExitFailed;
  return kExitDone;
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
