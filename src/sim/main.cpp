// pelorus-receiver-sim: a stand-in for the receiver, for development and tests. Each side of
// it (serial, SCSI) lives in its own files; main only reads the options, loads the channel
// table and starts the sides that were asked for.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "default_channels.h"
#include "es_assets.h"
#include "frame_store.h"
#include "montery_side.h"
#include "multiplex.h"
#include "multiplex_layout.h"
#include "packet_source.h"
#include "qtcore/argument_grammar.h"
#include "scsi_faults.h"
#include "scsi_side.h"
#include "serial_faults.h"
#include "serial_side.h"
#include "sim_state.h"
#include "stream_server.h"
#include "ts_file_writer.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) { stopRequested = 1; }

bool IsNumber(const std::string& text, long low, long high, long& value) {
  char* end = nullptr;
  errno = 0;
  value = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && errno == 0 && value >= low && value <= high;
}

const pelorus::CommandLine kCommandLine{
    {},
    {{"--serial-link", "PATH", "make a pseudo-terminal and link its device name at PATH"},
     {"--scsi-socket", "PATH", "answer SCSI requests on a Unix socket at PATH"},
     {"--channels", "FILE.dvb",
      "start with the channel table of this settings file (else one that matches the multiplex)"},
     {"--fault", "NAME", "misbehave in one way on purpose"},
     {"--log", "FILE", "write what was received to FILE"},
     {"--dump-flash", "FILE", "write the flashed image to FILE on the way out"},
     {"--scsi-id", "N", "the receiver's SCSI target id"},
     {"--inquiry", "tessera|vanta|other", "what the receiver says it is"},
     {"--throttle", nullptr, "pace serial output to the line speed"},
     {"--decoy-id", "N", "another target id, one that is not a receiver"},
     {"--covered-feed", nullptr, "the dish sees no carriers"},
     {"--rate", "BITS_PER_S", "the multiplex's bit rate"},
     {"--ts-fault", "NAME", "one misbehaviour of the multiplex"},
     {"--assets", "FOLDER", "the elementary streams, if not the usual ones"},
     {"--transponder", "N", "the transponder tuned at start"},
     {"--audio", "mp2|ac3", "the current service's sound"},
     {"--picture-width", "N", "the broadcast picture's width"},
     {"--montery-link", "PATH", "play a Montery 140 on a second pseudo-terminal linked at PATH"},
     {"--play-ts", "FILE",
      "play this recording as a transponder (again for more; the first is tuned)"},
     {"--write-ts", "FILE", "write --seconds S of the multiplex to FILE and exit"},
     {"--seconds", "S", "how much --write-ts writes (up to 3600)"},
     {"--help", nullptr, "print this help and exit"},
     {"--version", nullptr, "print the version and exit"}}};

int Usage(std::FILE* out = stderr) {
  // The synopsis wrapped at the terminal's usual width, under the program's name.
  constexpr char kProgram[] = "usage: pelorus-receiver-sim";
  std::string text = kProgram;
  size_t column = text.size();
  const std::string synopsis = pelorus::Synopsis(kCommandLine);
  size_t start = 0;
  while (start < synopsis.size()) {
    // One bracketed option at a time, so that none is split over two lines.
    size_t end = synopsis.find("] [", start);
    end = end == std::string::npos ? synopsis.size() : end + 1;
    const std::string part = synopsis.substr(start, end - start);
    if (column + 1 + part.size() > 96) {
      text += "\n        ";
      column = 8;
    }
    text += " " + part;
    column += 1 + part.size();
    start = end + 1;
  }
  std::fprintf(out, "%s\n", text.c_str());
  if (out == stderr) return 2;
  std::fprintf(out, "\n%s", pelorus::OptionHelp(kCommandLine).c_str());
  return 0;
}

int UsageError(const pelorus::LineResult& result) {
  const std::string fault = pelorus::DescribeFault(result.fault, result.subject);
  if (!fault.empty()) std::fprintf(stderr, "pelorus-receiver-sim: %s\n", fault.c_str());
  return Usage();
}

// Reads the parsed options into `options`; false when a value is not one the simulator takes.
bool ReadOptions(const pelorus::ParsedLine& line, sim::SimOptions& options) {
  const std::pair<const char*, std::string*> texts[] = {{"--serial-link", &options.serialLink},
                                                        {"--scsi-socket", &options.scsiSocket},
                                                        {"--channels", &options.channels},
                                                        {"--fault", &options.fault},
                                                        {"--log", &options.log},
                                                        {"--dump-flash", &options.dumpFlash},
                                                        {"--inquiry", &options.inquiry},
                                                        {"--ts-fault", &options.tsFault},
                                                        {"--assets", &options.assets},
                                                        {"--write-ts", &options.writeTs},
                                                        {"--montery-link", &options.monteryLink}};
  for (const auto& [name, text] : texts) {
    if (const std::string* value = line.Value(name)) *text = *value;
  }
  long number = 0;
  const std::pair<const char*, int*> ids[] = {{"--scsi-id", &options.scsiId},
                                              {"--decoy-id", &options.decoyId}};
  for (const auto& [name, id] : ids) {
    if (const std::string* value = line.Value(name)) {
      if (!IsNumber(*value, 0, 255, number)) return false;
      *id = static_cast<int>(number);
    }
  }
  if (const std::string* value = line.Value("--rate")) {
    options.rateGiven = true;
    char* end = nullptr;
    options.rate = std::strtoull(value->c_str(), &end, 10);
    if (*end != '\0' || options.rate < sim::kMinimumRate || options.rate > sim::kMaximumRate) {
      return false;
    }
  }
  sim::TsFault fault;
  if (!options.tsFault.empty() && !sim::ParseTsFault(options.tsFault, fault)) return false;
  // A fault is the serial side's or the SCSI side's; a name neither knows is a mistake.
  sim::SerialFault serialFault;
  sim::ScsiFault scsiFault;
  if (!sim::ParseSerialFault(options.fault, serialFault) ||
      !sim::ParseScsiFault(options.fault, scsiFault)) {
    std::fprintf(stderr, "pelorus-receiver-sim: unknown fault '%s'\n", options.fault.c_str());
    return false;
  }
  if (const std::string* value = line.Value("--transponder")) {
    // The recordings are the transponders when there are any.
    const size_t count = options.playTs.empty() ? sim::kTransponders.size() : options.playTs.size();
    if (!IsNumber(*value, 0, static_cast<long>(count) - 1, number)) return false;
    options.transponder = static_cast<int>(number);
  }
  if (const std::string* value = line.Value("--seconds")) {
    char* end = nullptr;
    options.seconds = std::strtod(value->c_str(), &end);
    if (*end != '\0' || !(options.seconds > 0 && options.seconds <= 3600)) return false;
  }
  if (const std::string* value = line.Value("--audio")) {
    if (*value != "mp2" && *value != "ac3") return false;
    options.ac3Audio = *value == "ac3";
  }
  if (const std::string* value = line.Value("--picture-width")) {
    if (!IsNumber(*value, 1, 4096, number)) return false;
    options.pictureWidth = static_cast<int>(number);
  }
  options.throttle = line.Has("--throttle");
  options.coveredFeed = line.Has("--covered-feed");
  return true;
}

// Takes every "--play-ts FILE" (or "--play-ts=FILE") out of the words: the option may be given
// more than once, which the declared options may not. False when one has no file.
bool TakeRecordings(std::vector<std::string>& words, std::vector<std::string>& files) {
  constexpr std::string_view kOption = "--play-ts";
  std::vector<std::string> rest;
  for (size_t i = 0; i < words.size(); ++i) {
    if (words[i] == "--") {
      rest.insert(rest.end(), words.begin() + static_cast<long>(i), words.end());
      break;
    }
    if (words[i] == kOption) {
      if (i + 1 >= words.size() || words[i + 1].empty()) return false;
      files.push_back(words[++i]);
    } else if (words[i].starts_with(std::string(kOption) + "=")) {
      files.push_back(words[i].substr(kOption.size() + 1));
      if (files.back().empty()) return false;
    } else {
      rest.push_back(words[i]);
    }
  }
  words = std::move(rest);
  return true;
}

// The recordings of --play-ts, each looked at; false (with the reason said) if one is not one.
bool OpenRecordings(const std::vector<std::string>& files, std::vector<sim::Recording>& out) {
  for (const std::string& file : files) {
    sim::Recording recording;
    std::string error;
    if (!sim::OpenRecording(file, recording, error)) {
      std::fprintf(stderr, "pelorus-receiver-sim: cannot play %s\n", error.c_str());
      return false;
    }
    out.push_back(std::move(recording));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> words(argv + 1, argv + argc);
  // Asked for the version or the help, the simulator answers whatever else the line holds.
  for (const std::string& word : words) {
    if (word == "--version") {
      std::printf("pelorus-receiver-sim %s\n", PELORUS_VERSION);
      return 0;
    }
    if (word == "--help") return Usage(stdout);
  }
  std::vector<std::string> rest = words;
  sim::SimState state;
  if (!TakeRecordings(rest, state.options.playTs)) {
    std::fprintf(stderr, "pelorus-receiver-sim: option '--play-ts' needs a file\n");
    return Usage();
  }
  const pelorus::LineResult parsed = pelorus::ParseArguments(kCommandLine, rest);
  if (parsed.fault != pelorus::LineFault::kNone) return UsageError(parsed);
  if (!ReadOptions(parsed.parsed, state.options)) return Usage();
  if (!state.options.playTs.empty() && !state.options.writeTs.empty()) {
    std::fprintf(stderr,
                 "pelorus-receiver-sim: --write-ts writes the simulator's own multiplex, "
                 "not a recording\n");
    return Usage();
  }
  std::vector<sim::Recording> recordings;
  if (!OpenRecordings(state.options.playTs, recordings)) return 1;

  if (state.options.channels.empty()) {
    state.channelTable = sim::DefaultChannelTable();
  } else {
    std::ifstream in(state.options.channels, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "pelorus-receiver-sim: cannot read %s\n",
                   state.options.channels.c_str());
      return 1;
    }
    state.channelTable.assign(std::istreambuf_iterator<char>(in), {});
    state.channelTable.resize(state.channelTable.size() / 64 * 64);
  }

  const sim::StreamAssets assets = sim::LoadAssets(sim::AssetFolder(state.options.assets));
  if (!state.options.writeTs.empty()) {
    if (!assets.error.empty()) {
      std::fprintf(stderr, "pelorus-receiver-sim: %s\n", assets.error.c_str());
      return 1;
    }
    if (state.options.seconds <= 0) return Usage();
    return sim::WriteTransportStreamFile(state.options, assets) ? 0 : 1;
  }
  if (!state.options.scsiSocket.empty()) {
    // Without its streams the receiver still answers everything else; stream commands fail.
    // Recordings need none of the assets.
    if (assets.error.empty() || !recordings.empty()) {
      state.streams = std::make_shared<sim::StreamServer>(state, assets, std::move(recordings));
    } else {
      std::fprintf(stderr, "pelorus-receiver-sim: no live multiplex: %s\n", assets.error.c_str());
    }
  }

  sim::PrepareFrames(state.options.pictureWidth, state.options.log);
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGPIPE, SIG_IGN);

  std::vector<std::jthread> sides;
  bool started = false;
  if (!state.options.serialLink.empty()) {
    if (!sim::StartSerialSide(state, sides)) return 1;
    started = true;
  }
  if (!state.options.scsiSocket.empty()) {
    if (!sim::StartScsiSide(state, sides)) return 1;
    started = true;
  }
  if (!state.options.monteryLink.empty()) {
    if (!sim::StartMonterySide(state, sides)) return 1;
    started = true;
  }
  if (!started) {
    std::fprintf(stderr,
                 "pelorus-receiver-sim: give --serial-link PATH, --scsi-socket PATH or both\n");
    return 2;
  }

  while (!stopRequested) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  for (std::jthread& side : sides) side.request_stop();
  sides.clear();          // joins
  state.streams.reset();  // it logs its last losses on the way out

  if (!state.options.dumpFlash.empty()) {
    std::lock_guard lock(state.mutex);
    std::ofstream out(state.options.dumpFlash, std::ios::binary);
    out.write(reinterpret_cast<const char*>(state.flash.data()),
              static_cast<std::streamsize>(state.flash.size()));
  }
  return 0;
}
