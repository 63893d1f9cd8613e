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
#include "worker_run.h"

namespace pelorus {
namespace {

struct GrabArguments {
  std::string picture;
  bool serial = false;
  bool scsi = false;
  std::string scsiLink;
  std::string port;
  std::string optionsFile;
  GrabOptions options;
};

// After --scsi, the transport may follow, as for the other SCSI commands.
bool IsScsiLink(std::string_view word) {
  return word.starts_with("sim:") || word.starts_with("/dev/");
}

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

bool ReadArguments(const ParsedLine& line, GrabArguments& parsed) {
  // The console shows no picture window.
  parsed.options.showPicture = false;
  parsed.picture = line.Name(0);
  parsed.serial = line.Has("--serial");
  parsed.scsi = line.Has("--scsi");
  parsed.scsiLink = line.ValueOr("--scsi", "");
  if (const std::string* frame = line.Value("--frame")) {
    if (*frame != "1" && *frame != "2" && *frame != "3") return false;
    parsed.options.frameNumber = (*frame)[0] - '0';
  }
  if (const std::string* mode = line.Value("--mode")) {
    if (!ParseMode(*mode, parsed.options.displayMode)) return false;
  }
  if (line.Has("--no-interpolate")) parsed.options.interpolate = false;
  if (line.Has("--keep-mem")) parsed.options.deleteMem = false;
  parsed.port = line.ValueOr("--port", "");
  parsed.optionsFile = line.ValueOr("--options", "");
  return !(parsed.serial && parsed.scsi);
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

int RunGrab(const ParsedLine& line, CliContext& context) {
  GrabArguments parsed;
  if (!ReadArguments(line, parsed)) return UsageError(context);

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
  QtPictureTools tools;
  Ui& ui = context.ui;
  const std::optional<GrabPlan> plan =
      PlanGrab(state, session, ui, viaScsi, [&parsed](GrabDialogRequest& request, GrabOptions&) {
        request.file.path = parsed.picture;
        return true;
      });
  if (!plan) return kExitFailed;
  GrabOutcome outcome;
  if (viaScsi) {
    outcome = GrabOverScsi(state, session, ui, *plan, tools);
  } else {
    // The serial read takes some 40 s: Ctrl-C ends it as the abort question's Yes does.
    SerialLink link(ui);
    SerialGrab grab = PrepareSerialGrab(state, session, *plan);
    DirectFrontEnd frontEnd(ui);
    const RunResult result = RunOnWorker(context, [&](RunControl& control) {
      return ReadFrameSerialRun(link, grab, control, frontEnd);
    });
    ShowRunResult(ui, result);
    outcome = FinishSerialGrab(ui, session, *plan, grab, result, tools);
  }
  // A picture with parts of the frame missing is written, but the grab did not do what it was
  // asked to.
  return outcome.Succeeded() ? kExitDone : kExitFailed;
}

const CliCommandRegistrar kGrabCommand(
    {"grab",
     {{{"OUT.jpg|OUT.bmp", "the picture file; its ending picks the format"}},
      {{"--serial", nullptr, "grab over the serial link"},
       {"--scsi", "sim:PATH", "grab over SCSI, through this transport when given", false,
        IsScsiLink},
       {"--frame", "1|2|3", "which frame to grab"},
       {"--mode", "colour|y|cr|cb", "the whole picture or one of its planes"},
       {"--no-interpolate", nullptr, "no interpolation"},
       {"--keep-mem", nullptr, "keep the picture memory, as in the dialog"},
       kPortOption,
       kOptionsFileOption}},
     RunGrab});

}  // namespace
}  // namespace pelorus
