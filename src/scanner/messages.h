#pragma once

// Texts the band scanner shows, shared by the GUI, the CLI and the tests.
namespace pelorus::msg::scanner {

// Dialog "Scansione Segnale".
inline constexpr char kScanDialogTitle[] = "Scansione Segnale";
inline constexpr char kPolarityH[] = "H-->Orizzontale";
inline constexpr char kPolarityV[] = "V-->Verticale";
inline constexpr char kPolarityHV[] = "H + V";
inline constexpr char kPolarityHVPause[] = "H + V con Pausa";
inline constexpr char kSaveToFile[] = "Salva in File...";
inline constexpr char kLoad[] = "Carica...";
inline constexpr char kStart[] = "Avvia";
inline constexpr char kSaveScanTitle[] = "Save scan results";
inline constexpr char kLoadScanTitle[] = "Load scan results";
inline constexpr char kScanFilterName[] = "Pelorus Scans (*.scn)";
inline constexpr char kScanFilterPattern[] = "*.scn";
inline constexpr char kScanExtension[] = "scn";
inline constexpr char kRangeErrors[] = "Please correct the frequency range errors";
inline constexpr char kNoCalibration[] =
    "Couldn't find a calibration scan for this LNB. The results from the scanner\n"
    "will be much improved with this file.\n\nWould like you create the file now?";
inline constexpr char kCalibrationHowTo[] =
    "The calibration scan creates a profile of your LNB's signal output over frequency. In "
    "order\nto do this you must first remove any RF signal coming into the LNB.\n\n"
    "This is easily done by taping a piece of thick cardboard onto the feedhorn to block the\n"
    "signal. Moving the dish off satellite is not recommended.";

// The scan.
inline constexpr char kUnableToOpenScanFile[] = "Unable to open scan file for input";
// The detail when the file opened but its header or points are not a scan's.
inline constexpr char kNotAScanFile[] =
    "not a scan file (its header needs a range of its LNB type and a polarity)";
inline constexpr char kUnableToOpenForOutput[] = "Unable to open file for output";
inline constexpr char kSignalSubroutineName[] = "signal.sbr";
inline constexpr char kWaitingForMediamaster[] = "Waiting for Mediamaster...";
inline constexpr char kScanningHorizontal[] = "Scanning horizontal plane";
inline constexpr char kScanningVertical[] = "Scanning vertical plane";
inline constexpr char kLowBand[] = " (low band)";
inline constexpr char kHighBand[] = " (high band)";
inline constexpr char kEllipsis[] = "...";
inline constexpr char kSwitchToVertical[] =
    "Please switch to vertical polarity and click OK to continue";
// Names the per-user data folder, where the calibration file lives.
inline constexpr char kCalibrationCreated[] =
    "Calibration file created.\n\nIf you change LNBs, delete the file cal%05d.scc\n"
    "in the folder %s";
inline constexpr char kCalibrationFileName[] = "cal%05d.scc";
// More points than the tables hold are cut, never written past them.
inline constexpr char kTooManyPoints[] =
    "More than %d points per polarity were received; the rest have been ignored";
inline constexpr char kCalibrationNotWritten[] = "Unable to write the calibration file %s";
// Our own: a scan that ends before it was asked to says why, and what it kept. A calibration is
// written only when its sweep went through the whole band.
inline constexpr char kScanLost[] = "The Mediamaster stopped answering during the scan";
inline constexpr char kLockSearchLost[] = "The Mediamaster stopped answering during the QPSK Scan";
inline constexpr char kPointsKept[] = "%zu points kept in %s";
inline constexpr char kNoScanPoints[] = "The Mediamaster sent no scan points";
inline constexpr char kFileLeftAsItWas[] = "%s was left as it was";
inline constexpr char kCalibrationStopped[] =
    "The calibration scan was stopped before the end of the band: no calibration file was "
    "written";
// The sweep's own window, and its button.
inline constexpr char kStop[] = "Stop";

// Windows "Grafico Segnale", "Utilità Sintonia" and "Risultato Scansione".
inline constexpr char kGraphTitle[] = "Grafico Segnale";
inline constexpr char kTuningTitle[] = "Utilit\xC3\xA0 Sintonia";
inline constexpr char kResultsTitle[] = "Risultato Scansione";
inline constexpr char kSignalStrength[] = "Signal Strength";
inline constexpr char kMhzLabel[] = "%d MHz";
inline constexpr char kSliderValue[] = "%dMHz";
// Our own: the lock search's settings, as the two sliders show them, above its results.
inline constexpr char kSearchSettings[] = "Step %dMHz  Sweep %dMHz";
inline constexpr char kQpskScan[] = "Scansione QPSK";
inline constexpr char kClose[] = "Chiudi";
inline constexpr char kCloseAfterSearch[] = "Close";
inline constexpr char kCancel[] = "Cancel";
inline constexpr char kClearRanges[] = "&Cancella";
inline constexpr char kAutoAdd[] = "&Aggiungi Automaticamente \nCanali";
inline constexpr char kStopBeforeSelecting[] =
    "Please stop the QPSK Scan before selecting frequencies to scan";
inline constexpr char kRangeAlreadySelected[] = "This range is already selected for MPEG scanning";
inline constexpr char kSelectRangeFirst[] = "Please select a range to scan using the mouse";
inline constexpr char kAbortAcknowledged[] =
    "Abort command acknowledged - the Mediamaster will stop scanning\n"
    "after the current frequency has been completed";

// The lock search's result lines.
inline constexpr char kNoLock[] = "%d MHz - no lock";
inline constexpr char kLockLine[] = "%d MHz - lock at %d MHz %d %s (%d) %s";
inline constexpr char kUnknownFec[] = "?%2d";
inline constexpr char kInversionOff[] = "Inversion off";
inline constexpr char kInversionOn[] = "Inversion om";
inline constexpr char kAutoInversion[] = "Auto Inversion";
inline constexpr char kScanAborted[] = "Scan aborted";
inline constexpr char kScanCompleted[] = "Scan completed";
inline constexpr char kAutoSearchName[] = "Auto-search";

}  // namespace pelorus::msg::scanner
