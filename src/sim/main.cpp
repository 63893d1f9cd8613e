// pelorus-receiver-sim: a stand-in for the receiver, for development and tests. Each side of
// it (serial, SCSI) lives in its own files; main only reads the options, loads the channel
// table and starts the sides that were asked for.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "es_assets.h"
#include "frame_store.h"
#include "montery_side.h"
#include "multiplex.h"
#include "multiplex_layout.h"
#include "scsi_side.h"
#include "serial_side.h"
#include "sim_state.h"
#include "stream_server.h"
#include "ts_file_writer.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void OnSignal(int) { stopRequested = 1; }

int Usage(std::FILE* out = stderr) {
  std::fprintf(out,
               "usage: pelorus-receiver-sim [--serial-link PATH] [--scsi-socket PATH]\n"
               "         [--channels FILE.dvb] [--fault NAME] [--log FILE] [--dump-flash FILE]\n"
               "         [--scsi-id N] [--inquiry tessera|vanta|other] [--throttle]\n"
               "         [--decoy-id N] [--covered-feed] [--rate BITS_PER_S] [--ts-fault NAME]\n"
               "         [--assets FOLDER] [--transponder N] [--audio mp2|ac3]\n"
               "         [--picture-width N] [--montery-link PATH]\n"
               "       pelorus-receiver-sim --write-ts FILE --seconds S [--transponder N]\n"
               "         [--rate BITS_PER_S] [--ts-fault NAME] [--assets FOLDER]\n"
               "       pelorus-receiver-sim --version\n");
  return out == stderr ? 2 : 0;
}

bool ParseOptions(int argc, char** argv, sim::SimOptions& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string number;
    if (arg == "--serial-link") {
      if (!value(options.serialLink)) return false;
    } else if (arg == "--montery-link") {
      if (!value(options.monteryLink)) return false;
    } else if (arg == "--scsi-socket") {
      if (!value(options.scsiSocket)) return false;
    } else if (arg == "--channels") {
      if (!value(options.channels)) return false;
    } else if (arg == "--fault") {
      if (!value(options.fault)) return false;
    } else if (arg == "--log") {
      if (!value(options.log)) return false;
    } else if (arg == "--dump-flash") {
      if (!value(options.dumpFlash)) return false;
    } else if (arg == "--inquiry") {
      if (!value(options.inquiry)) return false;
    } else if (arg == "--scsi-id") {
      if (!value(number)) return false;
      options.scsiId = std::atoi(number.c_str());
    } else if (arg == "--decoy-id") {
      if (!value(number)) return false;
      options.decoyId = std::atoi(number.c_str());
    } else if (arg == "--rate") {
      if (!value(number)) return false;
      options.rate = std::strtoull(number.c_str(), nullptr, 10);
      if (options.rate < sim::kMinimumRate || options.rate > sim::kMaximumRate) return false;
    } else if (arg == "--ts-fault") {
      if (!value(options.tsFault)) return false;
      sim::TsFault fault;
      if (!sim::ParseTsFault(options.tsFault, fault)) return false;
    } else if (arg == "--assets") {
      if (!value(options.assets)) return false;
    } else if (arg == "--transponder") {
      if (!value(number)) return false;
      options.transponder = std::atoi(number.c_str());
      if (options.transponder < 0 ||
          options.transponder >= static_cast<int>(sim::kTransponders.size())) {
        return false;
      }
    } else if (arg == "--write-ts") {
      if (!value(options.writeTs)) return false;
    } else if (arg == "--seconds") {
      if (!value(number)) return false;
      options.seconds = std::strtod(number.c_str(), nullptr);
      if (!(options.seconds > 0 && options.seconds <= 3600)) return false;
    } else if (arg == "--audio") {
      if (!value(number) || (number != "mp2" && number != "ac3")) return false;
      options.ac3Audio = number == "ac3";
    } else if (arg == "--picture-width") {
      if (!value(number)) return false;
      options.pictureWidth = std::atoi(number.c_str());
    } else if (arg == "--throttle") {
      options.throttle = true;
    } else if (arg == "--covered-feed") {
      options.coveredFeed = true;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--version") {
      std::printf("pelorus-receiver-sim %s\n", PELORUS_VERSION);
      return 0;
    }
    if (std::string(argv[i]) == "--help") return Usage(stdout);
  }
  sim::SimState state;
  if (!ParseOptions(argc, argv, state.options)) return Usage();

  if (!state.options.channels.empty()) {
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
    if (assets.error.empty()) {
      state.streams = std::make_shared<sim::StreamServer>(state, assets);
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
