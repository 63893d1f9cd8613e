#include "scanner/band_scan.h"

#include <filesystem>

#include "common/file_io.h"
#include "common/strfmt.h"
#include "scanner/messages.h"

namespace pelorus {
namespace {

std::span<const uint8_t> BytesOf(const std::string& text) {
  return std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void TellTruncated(Ui& ui) {
  ui.ShowMessage(Format(msg::scanner::kTooManyPoints, static_cast<int>(kMaxPointsPerPolarity)),
                 Icon::kWarning);
}

}  // namespace

ScanChoice ConfirmScanStart(ScanSettings& settings, Ui& ui, const std::string& dataFolder) {
  if (!RangeAllowed(settings.lnb, settings.startMhz, settings.endMhz)) {
    ui.ShowMessage(msg::scanner::kRangeErrors, Icon::kStop);
    return ScanChoice::kStay;
  }
  std::error_code ignored;
  if (std::filesystem::exists(CalibrationFilePath(dataFolder, settings.lnb), ignored))
    return ScanChoice::kScan;
  if (ui.Ask(msg::scanner::kNoCalibration, Buttons::kYesNo, Icon::kQuestion, Answer::kYes) !=
      Answer::kYes) {
    return ScanChoice::kScan;
  }
  settings.mode = PolarityMode::kHorizontal;
  ui.ShowMessage(msg::scanner::kCalibrationHowTo, Icon::kInformation);
  return ScanChoice::kCalibrate;
}

bool LoadScanFile(const std::string& path, ScanData& data, Ui& ui) {
  const FileContents contents = ReadWholeFile(path);
  ScanFileStatus status = ScanFileStatus::kMalformed;
  if (contents.opened && !contents.readFailed) status = ParseScanFile(contents.bytes, data);
  if (status == ScanFileStatus::kMalformed) {
    ui.ShowMessage(msg::scanner::kUnableToOpenScanFile, Icon::kStop);
    return false;
  }
  if (status == ScanFileStatus::kTruncated) TellTruncated(ui);
  return true;
}

CalibrationTable LoadCalibration(const std::string& dataFolder, LnbType type, Ui& ui) {
  CalibrationTable table;
  const FileContents contents = ReadWholeFile(CalibrationFilePath(dataFolder, type));
  if (!contents.opened) return table;
  if (ParseCalibrationFile(contents.bytes, table) == ScanFileStatus::kTruncated) TellTruncated(ui);
  return table;
}

bool RunBandScan(SignalSession& session, const ScanRequest& request, ScanData& data,
                 BusyCursor& busy, const std::string& dataFolder) {
  Ui& ui = session.link().ui();
  data = ScanData{};
  data.settings = request.settings;
  const std::string file =
      request.calibrate ? CalibrationFilePath(dataFolder, request.settings.lnb) : request.saveFile;
  // The file is created before anything is measured, so a folder that cannot be written on is
  // known before the receiver spends minutes sweeping.
  if (!file.empty() &&
      WriteFileAtomically(file, BytesOf(ScanFileHeader(request.settings))) != WriteResult::kDone) {
    ui.ShowMessage(msg::scanner::kUnableToOpenForOutput, Icon::kStop);
    return false;
  }
  const CalibrationTable calibration = request.calibrate
                                           ? CalibrationTable{}
                                           : LoadCalibration(dataFolder, request.settings.lnb, ui);
  busy.Begin();
  if (!session.Start(kSweepTimeoutTicks, busy)) {
    // An empty calibration file would stop the question from being asked again.
    std::error_code ignored;
    if (request.calibrate) std::filesystem::remove(file, ignored);
    return false;
  }
  const bool kept = SweepBand(session, calibration, data);
  busy.End();
  if (!kept) TellTruncated(ui);
  if (!file.empty() &&
      WriteFileAtomically(file, BytesOf(ScanFileText(data))) != WriteResult::kDone) {
    ui.ShowMessage(request.calibrate ? Format(msg::scanner::kCalibrationNotWritten, file.c_str())
                                     : std::string(msg::scanner::kUnableToOpenForOutput),
                   Icon::kStop);
  }
  if (request.calibrate) {
    session.End();
    ui.ShowMessage(Format(msg::scanner::kCalibrationCreated, static_cast<int>(request.settings.lnb),
                          dataFolder.c_str()),
                   Icon::kInformation);
  }
  return true;
}

}  // namespace pelorus
