#pragma once

#include <string>

#include "common/ui.h"
#include "common/worker.h"
#include "scanner/scan_data.h"
#include "scanner/signal_session.h"
#include "serial/run_ui.h"

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

// The sweep of "Avvia" as the body of a Worker: uploads the subroutine, sweeps and writes the
// points. A stop request ends the sweep between two lines; what arrived is kept, as after a
// lost link (which fails the run, with the reason). The scan file is written beside its place
// and replaces it only when points arrived, so a run that measured nothing leaves an old scan
// as it was; a write that fails fails the run. A calibration is written only when the whole
// band was swept, then the subroutine is ended and the user told where the file went; after a
// scan the subroutine keeps running for lock searches.
RunResult RunBandScan(SignalSession& session, const ScanRequest& request, ScanData& data,
                      const std::string& dataFolder, RunControl& control, FrontEnd& frontEnd);

}  // namespace pelorus
