#pragma once

#include <string>

#include "common/ui.h"
#include "scanner/scan_data.h"
#include "scanner/signal_session.h"

namespace pelorus {

enum class ScanChoice { kStay, kScan, kCalibrate };

// "Avvia" of "Scansione Segnale": the range check, then the calibration question when the
// type has no calibration file in `dataFolder`. kCalibrate turns the settings into a
// horizontal-only scan.
ScanChoice ConfirmScanStart(ScanSettings& settings, Ui& ui, const std::string& dataFolder);

// "Carica...": reads a scan file into `data`. Shows why when it cannot.
bool LoadScanFile(const std::string& path, ScanData& data, Ui& ui);

// Reads the type's calibration file from `dataFolder`, if there is one.
CalibrationTable LoadCalibration(const std::string& dataFolder, LnbType type, Ui& ui);

struct ScanRequest {
  ScanSettings settings;
  bool calibrate = false;
  std::string saveFile;  // the scan file to write; empty: none (a calibration writes its own)
};

// Creates the file, uploads the subroutine, sweeps and writes the points. A calibration ends
// the subroutine and tells where its file went; a scan leaves it running for lock searches.
// False when nothing was measured (the file could not be created or the upload failed).
bool RunBandScan(SignalSession& session, const ScanRequest& request, ScanData& data,
                 BusyCursor& busy, const std::string& dataFolder);

}  // namespace pelorus
