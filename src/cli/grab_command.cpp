// pelorus-cli grab: one frame of the receiver's picture into a JPEG or bitmap file, through the
// same core as the menu's "Cattura Immagine...".
#include <cstdlib>
#include <string>
#include <vector>

#include "app/options_io.h"
#include "cli.h"
#include "grabber/frame_grab.h"
#include "grabber/qt/qt_picture_tools.h"
#include "link_actions.h"
#include "qsettings_options_store.h"
#include "scsi/scsi_scan.h"

namespace pelorus {
namespace {

constexpr char kGrabUsage[] =
    "grab OUT.jpg|OUT.bmp [--serial|--scsi [sim:PATH]] [--frame 1|2|3] [--mode colour|y|cr|cb]"
    " [--no-interpolate] [--keep-mem] [--port PATH] [--options FILE.ini]";

struct GrabArguments {
  std::string picture;
  bool serial = false;
  bool scsi = false;
  std::string scsiLink;
  std::string port;
  std::string optionsFile;
  GrabOptions options;
};

bool ParseMode(const std::string& word, GrabDisplayMode& mode) {
  if (word == "colour" || word == "color") {
    mode = GrabDisplayMode::kColour;
  } else if (word == "y") {
    mode = GrabDisplayMode::kLuminance;
  } else if (word == "cr") {
    mode = GrabDisplayMode::kCr;
  } else if (word == "cb") {
    mode = GrabDisplayMode::kCb;
  } else {
    return false;
  }
  return true;
}

bool ParseArguments(const std::vector<std::string>& args, GrabArguments& parsed) {
  // The console shows no picture window.
  parsed.options.showPicture = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--serial") {
      parsed.serial = true;
    } else if (arg == "--scsi") {
      parsed.scsi = true;
      // The transport may follow, as for the other SCSI commands.
      if (hasValue && (args[i + 1].starts_with("sim:") || args[i + 1].starts_with("/dev/"))) {
        parsed.scsiLink = args[++i];
      }
    } else if (arg == "--frame" && hasValue) {
      const std::string& frame = args[++i];
      if (frame != "1" && frame != "2" && frame != "3") return false;
      parsed.options.frameNumber = frame[0] - '0';
    } else if (arg == "--mode" && hasValue) {
      if (!ParseMode(args[++i], parsed.options.displayMode)) return false;
    } else if (arg == "--no-interpolate") {
      parsed.options.interpolate = false;
    } else if (arg == "--keep-mem") {
      parsed.options.deleteMem = false;
    } else if (arg == "--port" && hasValue) {
      parsed.port = args[++i];
    } else if (arg == "--options" && hasValue) {
      parsed.optionsFile = args[++i];
    } else if (arg.starts_with("--") || !parsed.picture.empty()) {
      return false;
    } else {
      parsed.picture = arg;
    }
  }
  return !parsed.picture.empty() && !(parsed.serial && parsed.scsi);
}

void LoadStoredOptions(const std::string& optionsFile, Options& options) {
  QSettingsOptionsStore store = optionsFile.empty()
                                    ? QSettingsOptionsStore()
                                    : QSettingsOptionsStore(QString::fromStdString(optionsFile));
  if (store.Exists()) {
    LoadOptions(options, store);
  } else {
    options.port = 1;
    options.speed = 3;
  }
}

int RunGrab(const std::vector<std::string>& args, CliContext& context) {
  GrabArguments parsed;
  if (!ParseArguments(args, parsed)) return UsageError(context, kGrabUsage);

  EditorState state;
  LoadStoredOptions(parsed.optionsFile, state.options);
  state.links.scsi = parsed.scsiLink;
  if (!parsed.port.empty()) {
    state.links.serialPort = parsed.port;
  } else if (const char* port = std::getenv("PELORUS_SERIAL")) {
    state.links.serialPort = port;
  }
  const bool viaScsi = parsed.scsi || (!parsed.serial && std::getenv("PELORUS_SCSI") != nullptr);
  if (viaScsi && !ConnectScsi(state, context)) return kExitFailed;

  GrabSession session;
  session.options = parsed.options;
  SerialLink link(context.ui);
  QtPictureTools tools;
  const bool done = GrabFrame(
      state, session, link, viaScsi,
      [&parsed](GrabDialogRequest& request, GrabOptions&) {
        request.file.path = parsed.picture;
        return true;
      },
      tools);
  return done ? kExitDone : kExitFailed;
}

const CliCommandRegistrar kGrabCommand({"grab", kGrabUsage, RunGrab});

}  // namespace
}  // namespace pelorus
