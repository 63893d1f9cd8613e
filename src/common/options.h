#pragma once

#include <cstdint>
#include <string>

namespace pelorus {

// The persisted options, held in memory while the program runs. Each field keeps the name of
// the value it is stored under; the defaults are the values an option has when its stored
// value is missing.
struct Options {
  uint32_t port = 0;   // "Port": 1-8 for COM1-COM8
  uint32_t speed = 0;  // "Speed": 1 = 9600, 2 = 19200, 3 = 38400 bit/s
  uint32_t decimal = 0;
  uint32_t flashEraseAll = 0;
  uint32_t pasteBefore = 0;
  uint32_t waitPcr = 0;
  uint32_t scsiBusy = 0;
  uint32_t ac3 = 0;
  uint32_t runPidFinderUntilStopped = 0;
  uint32_t mpegProjectDiseqcC = 0;
  uint32_t mpegProjectDiseqcKu = 0;
  uint32_t mpegProjectDiseqcKuDbs = 0;
  uint32_t mpegProjectPasteMode = 0;
  uint32_t mpegProjectAddMarkers = 1;
  uint32_t mpegProjectDataFormat = 0;
  uint32_t scsiDisabled = 0;
  uint32_t readStartAddress = 0;
  uint32_t readLength = 0;
  uint32_t syncVideo = 0;
  uint32_t streamPid = 0;
  uint32_t streamThreshold = 32768;
  uint32_t streamMode = 2;
  uint32_t ts2Es = 0;
  uint32_t syncTdt = 0;
  uint32_t matchCase = 0;

  // Folders the file dialogs last used, one per file type.
  std::string dvbInitialDir;  // settings files
  std::string sbrInitialDir;
  std::string binInitialDir;
  std::string txtInitialDir;
  std::string scnInitialDir;
  std::string memInitialDir;
  std::string mppInitialDir;
  std::string jpgInitialDir;
  std::string mp2InitialDir;

  // A serial device typed by the user instead of COM1..COM8 (a USB adapter, a pseudo-terminal).
  // Empty: the port number above is used.
  std::string serialDevice;
};

}  // namespace pelorus
