#pragma once

#include <string>

#include "app/ui/gui_command.h"
#include "scanner/band_scan.h"

class QWidget;

namespace pelorus {

// What "Scansione Segnale" was closed with.
struct ScanDialogResult {
  enum class Kind { kCancelled, kScan, kCalibrate, kLoad } kind = Kind::kCancelled;
  ScanSettings settings;
  std::string saveFile;  // "Salva in File...": empty when none
  std::string loadFile;  // "Carica..."
};

// Dialog "Scansione Segnale": LNB type, polarity, range, save or load. `dataFolder` is where the
// calibration files are looked for.
ScanDialogResult RunScanDialog(GuiContext& context, const std::string& dataFolder);

}  // namespace pelorus
