#include "scanner/band_scan.h"

#include <filesystem>
#include <optional>

#include "common/file_io.h"
#include "common/run_output.h"
#include "common/strfmt.h"
#include "scanner/messages.h"

namespace pelorus {
namespace {

void TellTruncated(Ui& ui) {
  ui.ShowMessage(Format(msg::scanner::kTooManyPoints, static_cast<int>(kMaxPointsPerPolarity)),
                 Icon::kWarning);
}

// Writes the points after the header and puts the file in place. False, with the run's failure,
// when the file could not take them; `whole` files (a calibration) are then not written at all,
// a scan keeps the lines that fitted.
bool FinishScanFile(RunOutput& output, const ScanData& data, bool whole, RunResult& failure) {
  size_t written = 0;
  for (const std::string& line : ScanPointLines(data)) {
    if (!output.Write(line)) break;
    ++written;
  }
  if (whole && output.WriteFailed()) {
    failure = RunResult::Failed(msg::scanner::kUnableToOpenForOutput, output.FailureText());
    output.Discard();
    return false;
  }
  const RunOutput::Ending ending = output.Finish();
  if (ending == RunOutput::Ending::kFailed || output.WriteFailed()) {
    std::string detail = output.FailureText();
    // The lines that fitted replaced the old scan: the user is told how much is there.
    if (ending == RunOutput::Ending::kReplaced && written > 0)
      detail += "; " + Format(msg::scanner::kPointsKept, written, output.Target().c_str());
    failure = RunResult::Failed(msg::scanner::kUnableToOpenForOutput, detail);
    return false;
  }
  return true;
}

std::string KeptText(const ScanData& data, const std::string& file) {
  const size_t points = data.horizontal.size() + data.vertical.size();
  if (points == 0 || file.empty()) return {};
  return Format(msg::scanner::kPointsKept, points, file.c_str());
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
    const std::string why = contents.opened && !contents.readFailed
                                ? path + ": " + msg::scanner::kNotAScanFile
                                : FileProblemText(path, contents);
    ui.ShowDetailedMessage(msg::scanner::kUnableToOpenScanFile, why, Icon::kStop);
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

RunResult RunBandScan(SignalSession& session, const ScanRequest& request, ScanData& data,
                      const std::string& dataFolder, RunControl& control, FrontEnd& frontEnd) {
  RunUi ui(control, frontEnd);
  SerialLink& link = session.link();
  const SerialLink::UiScope scope(link, ui);
  data = ScanData{};
  data.settings = request.settings;
  // The files are made before anything is measured, so a folder that cannot be written on is
  // known before the receiver spends minutes sweeping.
  std::optional<RunOutput> scanFile;
  std::optional<RunOutput> calibrationFile;
  if (!request.saveFile.empty()) scanFile.emplace(request.saveFile);
  if (request.calibrate)
    calibrationFile.emplace(CalibrationFilePath(dataFolder, data.settings.lnb));
  for (std::optional<RunOutput>* file : {&scanFile, &calibrationFile}) {
    if (!*file) continue;
    if (!(*file)->Open()) {
      return RunResult::Failed(msg::scanner::kUnableToOpenForOutput, (*file)->FailureText());
    }
    (*file)->WriteHeader(ScanFileHeader(data.settings));
  }
  const CalibrationTable calibration =
      request.calibrate ? CalibrationTable{} : LoadCalibration(dataFolder, data.settings.lnb, ui);
  BusyCursor busy(ui);
  // The upload has said why it failed; nothing was measured and every file is as it was.
  if (!session.Start(kSweepTimeoutTicks, busy)) return RunResult::Failed("");

  SweepOutcome sweep;
  {
    const SerialLink::InterruptScope stop(link, [&control] { return control.StopRequested(); });
    sweep = SweepBand(session, calibration, data, control);
  }
  if (sweep.stopped) session.SkipRestOfSweep();
  if (!sweep.lost.empty()) session.End();
  if (sweep.truncated) TellTruncated(ui);

  RunResult result = RunResult::Done();
  const bool measured = !data.horizontal.empty() || !data.vertical.empty();
  if (scanFile && measured && !FinishScanFile(*scanFile, data, false, result)) {
    // A calibration that could not be kept with it is not written either.
    if (calibrationFile) calibrationFile->Discard();
    session.End();
    return result;
  }
  if (!sweep.lost.empty()) {
    std::string detail = sweep.lost;
    const std::string kept = KeptText(data, request.saveFile);
    if (!kept.empty()) detail += "; " + kept;
    return RunResult::Failed(msg::scanner::kScanLost, detail);
  }
  if (!measured) {
    session.End();
    const std::string& file = !request.saveFile.empty() ? request.saveFile
                              : calibrationFile         ? calibrationFile->Target()
                                                        : std::string();
    return RunResult::Failed(
        msg::scanner::kNoScanPoints,
        file.empty() ? std::string() : Format(msg::scanner::kFileLeftAsItWas, file.c_str()));
  }
  if (!request.calibrate) return result;

  // A calibration profile with a part of the band missing would be subtracted from every later
  // scan, and its file would stop the question from being asked again.
  session.End();
  if (!sweep.Complete()) {
    calibrationFile->Discard();
    return RunResult::Failed(msg::scanner::kCalibrationStopped);
  }
  if (!FinishScanFile(*calibrationFile, data, true, result)) {
    return RunResult::Failed(
        Format(msg::scanner::kCalibrationNotWritten, calibrationFile->Target().c_str()),
        calibrationFile->FailureText());
  }
  ui.ShowMessage(Format(msg::scanner::kCalibrationCreated, static_cast<int>(data.settings.lnb),
                        dataFolder.c_str()),
                 Icon::kInformation);
  return result;
}

}  // namespace pelorus
