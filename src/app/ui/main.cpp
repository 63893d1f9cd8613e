// Pelorus: start-up. Reads the program's own switches, builds the main window and posts the
// one command its command line asks for.
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/ui/main_window.h"
#include "app/ui/signal_stop.h"
#include "app/version.h"
#include "qsettings_options_store.h"

namespace {

// Takes `--port PATH`, `--scsi SPEC` and `--options FILE.ini` out of the arguments; what is left
// is the command line proper.
std::vector<std::string> TakeSwitches(int argc, char** argv, pelorus::LinkOverrides& links,
                                      std::string& optionsFile) {
  std::vector<std::string> rest;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--port" || arg == "--scsi" || arg == "--options") && i + 1 < argc) {
      std::string& target = arg == "--port"   ? links.serialPort
                            : arg == "--scsi" ? links.scsi
                                              : optionsFile;
      target = argv[++i];
    } else {
      rest.push_back(arg);
    }
  }
  return rest;
}

}  // namespace

int main(int argc, char** argv) {
  // Answered before any window system is needed, so they work on a console too.
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--version") {
      std::printf("%s\n", pelorus::VersionLine("Pelorus").c_str());
      return 0;
    }
    if (arg == "--help") {
      std::printf(
          "usage: Pelorus [--port PATH] [--scsi sim:PATH] [--options FILE.ini] [FILE]\n"
          "A FILE whose name holds .dvb is opened, .sbr uploaded, .bin flashed over serial.\n");
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setOrganizationName(QStringLiteral("Haldane"));
  QApplication::setApplicationName(QStringLiteral("Pelorus"));

  pelorus::EditorState state;
  if (const char* port = std::getenv("PELORUS_SERIAL")) state.links.serialPort = port;
  if (const char* scsi = std::getenv("PELORUS_SCSI")) state.links.scsi = scsi;
  std::string optionsFile;
  const std::vector<std::string> rest = TakeSwitches(argc, argv, state.links, optionsFile);

  std::unique_ptr<pelorus::QSettingsOptionsStore> store =
      optionsFile.empty()
          ? std::make_unique<pelorus::QSettingsOptionsStore>()
          : std::make_unique<pelorus::QSettingsOptionsStore>(QString::fromStdString(optionsFile));

  pelorus::MainWindow window(state, *store);
  // A kill or Ctrl-C in the terminal stops a run as its Stop button would, then closes.
  new pelorus::SignalStop(&window);
  window.Start();

  const pelorus::StartupCommand startup = pelorus::ParseCommandLine(pelorus::JoinArguments(rest));
  if (startup.command) {
    QTimer::singleShot(0, &window, [&window, &state, startup] {
      pelorus::RunStartupCommand(startup, state,
                                 [&window](int command) { window.RunCommand(command); });
    });
  }
  return app.exec();
}
