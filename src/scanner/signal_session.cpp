#include "scanner/signal_session.h"

#include <algorithm>
#include <array>

#include "common/strfmt.h"
#include "scanner/messages.h"
#include "serial/serial_timing.h"
#include "serial/subroutine_upload.h"

namespace pelorus {
namespace {

constexpr int kEndCommand = 0;
// What is left of a stopped sweep comes at the line's pace; a short silence means it is over.
constexpr int kSkipTimeoutTicks = 8;

std::string_view LineOf(const std::array<char, 256>& buffer, size_t length) {
  return std::string_view(buffer.data(), std::min(length, buffer.size() - 1));
}

enum class PlaneEnd { kDone, kStopped, kLost };

// One plane of one segment: the command, then the reply's lines until ".", an empty line or a
// time-out.
PlaneEnd SweepPlane(SignalSession& session, const SweepSegment& segment, bool vertical,
                    const CalibrationTable& calibration, const ScanData& data,
                    std::vector<ScanPoint>& points, const RunControl& control, bool& truncated) {
  SerialLink& link = session.link();
  Ui& ui = link.ui();
  const LnbType lnb = data.settings.lnb;
  std::string status =
      vertical ? msg::scanner::kScanningVertical : msg::scanner::kScanningHorizontal;
  if (lnb == LnbType::kUniversal || lnb == LnbType::kQuad)
    status += segment.highBand ? msg::scanner::kHighBand : msg::scanner::kLowBand;
  ui.SetStatusText(status + msg::scanner::kEllipsis);
  ui.SetProgress(0, true);
  session.SendCommand(vertical ? kVerticalCode : kHorizontalCode, segment.ifStart, segment.ifEnd,
                      segment.highBand, segment.oscillator);

  const int span = std::max(1, segment.Span());
  std::array<char, 256> buffer{};
  PlaneEnd end = PlaneEnd::kDone;
  for (int n = 1;; ++n) {
    const size_t length = link.ReadLine(buffer);
    const std::string_view line = LineOf(buffer, length);
    if (length == 0 || line == ".") {
      if (link.LinkLost()) {
        end = PlaneEnd::kLost;
      } else if (length == 0 && control.StopRequested()) {
        end = PlaneEnd::kStopped;
      }
      break;
    }
    auto point = ParseSweepLine(line);
    if (!point) continue;
    if (points.size() >= kMaxPointsPerPolarity) {
      truncated = true;
      continue;
    }
    point->level = Calibrated(calibration, segment.highBand, *point);
    points.push_back(*point);
    ui.SetProgress(std::clamp(static_cast<int>(static_cast<double>(n) / span * 100.0), 0, 100),
                   true);
    if (control.StopRequested()) {
      end = PlaneEnd::kStopped;
      break;
    }
  }
  if (end == PlaneEnd::kDone) link.Pause(SerialPause(1000));
  ui.SetProgress(0, false);
  return end;
}

}  // namespace

SignalSession::SignalSession(SerialLink& link, const EditorState& state, std::string subroutinePath)
    : link_(link), subroutinePath_(std::move(subroutinePath)) {
  portState_.options = state.options;
  portState_.links = state.links;
}

bool SignalSession::Start(int timeoutTicks, BusyCursor& busy) {
  if (!UploadSubroutine(link_, portState_, subroutinePath_, true, busy)) {
    busy.End();
    return false;
  }
  running_ = true;
  link_.ui().SetStatusText(msg::scanner::kWaitingForMediamaster);
  link_.Pause(SerialPause(1500));
  link_.Drain();
  link_.timeoutTicks = timeoutTicks;
  return true;
}

void SignalSession::End() {
  if (!running_) return;
  link_.slowSend = true;
  link_.WriteLong(kEndCommand);
  link_.Close();
  link_.held = false;
  link_.slowSend = false;
  running_ = false;
}

void SignalSession::SendCommand(int polarityCode, int a, int b, int highBand, int oscillator) {
  link_.slowSend = true;
  for (int value : {polarityCode, a, b, highBand, oscillator})
    link_.WriteLong(static_cast<uint32_t>(value));
}

void SignalSession::SkipRestOfSweep() {
  if (!running_) return;
  const int ticks = link_.timeoutTicks;
  link_.timeoutTicks = kSkipTimeoutTicks;
  std::array<char, 256> buffer{};
  // A silence (or a lost line) ends the wait as the "." does.
  for (size_t length = link_.ReadLine(buffer); length > 0 && LineOf(buffer, length) != ".";
       length = link_.ReadLine(buffer)) {
  }
  link_.timeoutTicks = ticks;
}

SweepOutcome SweepBand(SignalSession& session, const CalibrationTable& calibration, ScanData& data,
                       const RunControl& control) {
  Ui& ui = session.link().ui();
  const ScanSettings& settings = data.settings;
  SweepOutcome outcome;
  const auto finished = [&](PlaneEnd end) {
    if (end == PlaneEnd::kStopped) outcome.stopped = true;
    if (end == PlaneEnd::kLost) outcome.lost = session.link().LostReason();
    return end != PlaneEnd::kDone;
  };
  for (const SweepSegment& segment :
       SweepSegments(settings.lnb, settings.startMhz, settings.endMhz)) {
    if (IncludesHorizontal(settings.mode) &&
        finished(SweepPlane(session, segment, false, calibration, data, data.horizontal, control,
                            outcome.truncated))) {
      break;
    }
    if (settings.mode == PolarityMode::kBothWithPause)
      ui.ShowMessage(msg::scanner::kSwitchToVertical, Icon::kInformation);
    if (control.StopRequested()) {
      outcome.stopped = true;
      break;
    }
    if (IncludesVertical(settings.mode) &&
        finished(SweepPlane(session, segment, true, calibration, data, data.vertical, control,
                            outcome.truncated))) {
      break;
    }
    ui.SetStatusText("");
    if (control.StopRequested()) {
      outcome.stopped = true;
      break;
    }
  }
  ui.SetStatusText("");
  return outcome;
}

bool AddSelectedRange(std::vector<FrequencyRange>& ranges, int a, int b) {
  for (const FrequencyRange& range : ranges) {
    const auto inside = [&range](int f) { return f >= range.startMhz && f <= range.endMhz; };
    if (inside(a) || inside(b)) return false;
  }
  ranges.push_back({std::min(a, b), std::max(a, b)});
  return true;
}

std::vector<int> SearchFrequencies(const FrequencyRange& range, int stepMhz) {
  const int64_t step = std::max(stepMhz, 1);
  std::vector<int> frequencies;
  for (int64_t f = range.startMhz; f <= range.endMhz; f += step)
    frequencies.push_back(static_cast<int>(f));
  return frequencies;
}

void AppendFoundChannel(EditorState& state, const ChannelRecord& record) {
  if (!state.settingsImage) state.settingsImage.emplace();
  state.settingsImage->push_back(record);
  state.settingsModified = true;
}

namespace {

// One plane: every range at its frequencies, until asked to stop or the link is gone.
bool SearchPlane(SignalSession& session, const ScanSettings& settings,
                 const LockSearchRequest& request, bool vertical, const RunControl& control,
                 const LockSearchEvents& events) {
  SerialLink& link = session.link();
  const int width = std::clamp(request.widthMhz, 0, 40);
  std::array<char, 256> buffer{};
  for (const FrequencyRange& range : request.ranges) {
    for (const int f : SearchFrequencies(range, std::clamp(request.stepMhz, 1, 20))) {
      if (control.StopRequested()) return true;
      if (events.searching) events.searching(f);
      const LockTuning tuning = TuneForLock(settings.lnb, f);
      session.SendCommand(vertical ? kVerticalCode : kHorizontalCode, tuning.intermediate, width,
                          tuning.highBand, tuning.oscillator);
      const size_t length = link.ReadLine(buffer);
      if (length == 0 && link.LinkLost()) return false;
      const auto reply = length == 0 ? std::nullopt : ParseLockReply(LineOf(buffer, length));
      const LockResult result = LockResultFor(settings.lnb, f, tuning.oscillator, reply);
      if (result.locked && request.autoAdd && events.addRecord)
        events.addRecord(AutoSearchRecord(result, vertical));
      if (events.result) events.result(result);
      if (events.line) events.line(result.Line());
      link.Pause(SerialPause(250));
    }
  }
  return true;
}

}  // namespace

RunResult RunLockSearch(SignalSession& session, const ScanSettings& settings,
                        const LockSearchRequest& request, RunControl& control, FrontEnd& frontEnd,
                        const LockSearchEvents& events) {
  RunUi ui(control, frontEnd);
  SerialLink& link = session.link();
  const SerialLink::UiScope scope(link, ui);
  BusyCursor busy(ui);
  if (!session.Running() && !session.Start(kLockTimeoutAfterUpload, busy))
    return RunResult::Failed("");
  const auto say = [&events](const char* text) {
    if (events.line) events.line(text);
  };
  const auto lost = [&] {
    session.End();
    ui.SetStatusText("");
    return RunResult::Failed(msg::scanner::kLockSearchLost, link.LostReason());
  };
  if (IncludesHorizontal(settings.mode)) {
    say(msg::scanner::kScanningHorizontal);
    if (!SearchPlane(session, settings, request, false, control, events)) return lost();
  }
  if (!control.StopRequested()) {
    if (settings.mode == PolarityMode::kBothWithPause)
      ui.ShowMessage(msg::scanner::kSwitchToVertical, Icon::kInformation);
    if (IncludesVertical(settings.mode) && !control.StopRequested()) {
      say(msg::scanner::kScanningVertical);
      if (!SearchPlane(session, settings, request, true, control, events)) return lost();
    }
  }
  say(control.StopRequested() ? msg::scanner::kScanAborted : msg::scanner::kScanCompleted);
  ui.SetStatusText("");
  return RunResult::Done();
}

}  // namespace pelorus
