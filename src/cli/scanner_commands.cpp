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

constexpr char kScanUsage[] =
    "scan OUT.scn --lnb universal|fss|dbs|c|quad|asia|triple|l --from MHZ --to MHZ "
    "[--pol h|v|hv] [--calibrate] [--png PLOT.png] [--port PATH]";
constexpr char kLockUsage[] =
    "lock-search --lnb universal|fss|dbs|c|quad|asia|triple|l --from MHZ --to MHZ "
    "[--pol h|v|hv] [--step N] [--width N] [--add-to LIST.dvb] [--port PATH]";
constexpr int kPngWidth = 1024;
constexpr int kPngHeight = 600;

struct ScannerArguments {
  std::vector<std::string> files;
  ScanSettings settings;
  bool haveLnb = false, haveFrom = false, haveTo = false;
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

// False on anything that is not one of the words the two actions take.
bool ParseScannerArguments(const std::vector<std::string>& args, bool lockSearch,
                           ScannerArguments& parsed) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--calibrate" && !lockSearch) {
      parsed.calibrate = true;
      continue;
    }
    if (!arg.starts_with("--")) {
      parsed.files.push_back(arg);
      continue;
    }
    if (i + 1 >= args.size()) return false;
    const std::string& value = args[++i];
    if (arg == "--lnb") {
      const auto lnb = FindLnb(std::string_view(value));
      if (!lnb) return false;
      parsed.settings.lnb = lnb->type;
      parsed.haveLnb = true;
    } else if (arg == "--from") {
      if (!ParseNumber(value, 0, 65535, parsed.settings.startMhz)) return false;
      parsed.haveFrom = true;
    } else if (arg == "--to") {
      if (!ParseNumber(value, 0, 65535, parsed.settings.endMhz)) return false;
      parsed.haveTo = true;
    } else if (arg == "--pol") {
      if (value == "h") {
        parsed.settings.mode = PolarityMode::kHorizontal;
      } else if (value == "v") {
        parsed.settings.mode = PolarityMode::kVertical;
      } else if (value == "hv") {
        parsed.settings.mode = PolarityMode::kBoth;
      } else {
        return false;
      }
    } else if (arg == "--png" && !lockSearch) {
      parsed.png = value;
    } else if (arg == "--step" && lockSearch) {
      if (!ParseNumber(value, 1, 20, parsed.step)) return false;
    } else if (arg == "--width" && lockSearch) {
      if (!ParseNumber(value, 0, 40, parsed.width)) return false;
    } else if (arg == "--add-to" && lockSearch) {
      parsed.addTo = value;
    } else {
      return false;
    }
  }
  return parsed.haveLnb && parsed.haveFrom && parsed.haveTo &&
         parsed.files.size() == (lockSearch ? 0u : 1u);
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

int RunScan(const std::vector<std::string>& args, EditorState& state, CliContext& context) {
  ScannerArguments parsed;
  if (!ParseScannerArguments(args, false, parsed))
    return UsageError(context, (std::string("serial ") + kScanUsage).c_str());
  Ui& ui = context.ui;
  if (!RangeAllowed(parsed.settings.lnb, parsed.settings.startMhz, parsed.settings.endMhz)) {
    ui.ShowMessage(msg::scanner::kRangeErrors, Icon::kStop);
    return kExitFailed;
  }
  ScanRequest request;
  request.settings = parsed.settings;
  request.calibrate = parsed.calibrate;
  if (parsed.calibrate) request.settings.mode = PolarityMode::kHorizontal;
  request.saveFile = parsed.files[0];

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

int RunLockSearchCommand(const std::vector<std::string>& args, EditorState& state,
                         CliContext& context) {
  ScannerArguments parsed;
  if (!ParseScannerArguments(args, true, parsed))
    return UsageError(context, (std::string("serial ") + kLockUsage).c_str());
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
  events.line = [&context](const std::string& line) {
    std::fprintf(context.out, "%s\n", line.c_str());
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

const LinkActionRegistrar kScan({"serial", "scan", kScanUsage, RunScan});
const LinkActionRegistrar kLockSearch({"serial", "lock-search", kLockUsage, RunLockSearchCommand});

}  // namespace
}  // namespace pelorus
