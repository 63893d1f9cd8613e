#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

class StreamServer;

// How the simulator was started.
struct SimOptions {
  std::string serialLink;           // --serial-link PATH: a symlink to the pseudo-terminal's device
  std::string monteryLink;          // --montery-link PATH: the same for a Montery 140 on the line
  std::string scsiSocket;           // --scsi-socket PATH: the Unix socket of the SCSI side
  std::string channels;             // --channels FILE.dvb: the channel table it starts with
  std::string fault;                // --fault NAME: the one misbehaviour to inject
  std::string log;                  // --log FILE: what it received, for the tests
  std::string dumpFlash;            // --dump-flash FILE: the flashed image, written on exit
  std::string inquiry = "tessera";  // --inquiry tessera|vanta|other
  int scsiId = 3;                   // --scsi-id N
  int decoyId = -1;                 // --decoy-id N: another target, one that is not a receiver
  bool throttle = false;            // --throttle: pace serial output to the line speed
  uint64_t rate = 5000000;          // --rate BITS_PER_S: the multiplex's bit rate
  bool rateGiven = false;           // a recording then plays at it rather than by its PCRs
  std::vector<std::string> playTs;  // --play-ts FILE (repeated): recordings as the transponders
  std::string tsFault;              // --ts-fault NAME: one misbehaviour of the multiplex
  std::string assets;               // --assets FOLDER: the elementary streams, if not the usual
  int transponder = 0;              // --transponder N: tuned at start (index of the layout)
  std::string writeTs;              // --write-ts FILE: write the multiplex to a file and exit
  double seconds = 0;               // --seconds S: how much of it
  bool coveredFeed = false;         // --covered-feed: the dish sees no carriers (calibration)
  bool ac3Audio = false;            // --audio ac3: the current service plays its AC-3 track
  int pictureWidth = 720;           // --picture-width N: the broadcast picture's width
};

// The receiver's state, shared by its serial and SCSI sides.
struct SimState {
  SimOptions options;
  std::mutex mutex;                       // guards everything below
  std::vector<uint8_t> channelTable;      // the records in the receiver's (big-endian) order
  std::vector<uint8_t> flash;             // the emulated flash
  uint16_t currentChannel = 0;            // the record on screen (0-based), set by select-channel
  std::shared_ptr<StreamServer> streams;  // the live multiplex, set before the sides start
  // The on-screen colour table the colour subroutine reads and writes.
  std::array<uint32_t, 5> colours = {0x00EB8080, 0x00108080, 0x0051F05A, 0x00902236, 0x0029F06E};

  // Appends a line to the --log file, if any.
  void Log(const std::string& line);

 private:
  std::mutex logMutex_;
};

}  // namespace sim
