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

std::string_view LineOf(const std::array<char, 256>& buffer, size_t length) {
  return std::string_view(buffer.data(), std::min(length, buffer.size() - 1));
}

// One plane of one segment: the command, then the reply's lines until ".", an empty line or a
// time-out.
bool SweepPlane(SignalSession& session, const SweepSegment& segment, bool vertical,
                const CalibrationTable& calibration, const ScanData& data,
                std::vector<ScanPoint>& points) {
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
  bool kept = true;
  std::array<char, 256> buffer{};
  for (int n = 1;; ++n) {
    const size_t length = link.ReadLine(buffer);
    const std::string_view line = LineOf(buffer, length);
    if (length == 0 || line == ".") break;
    auto point = ParseSweepLine(line);
    if (!point) continue;
    if (points.size() >= kMaxPointsPerPolarity) {
      kept = false;
      continue;
    }
    point->level = Calibrated(calibration, segment.highBand, *point);
    points.push_back(*point);
    ui.SetProgress(std::clamp(static_cast<int>(static_cast<double>(n) / span * 100.0), 0, 100),
                   true);
  }
  link.Pause(SerialPause(1000));
  ui.SetProgress(0, false);
  return kept;
}

}  // namespace

bool SignalSession::Start(int timeoutTicks, BusyCursor& busy) {
  if (!UploadSubroutine(link_, state_, subroutinePath_, true, busy)) {
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

bool SweepBand(SignalSession& session, const CalibrationTable& calibration, ScanData& data) {
  Ui& ui = session.link().ui();
  const ScanSettings& settings = data.settings;
  bool kept = true;
  for (const SweepSegment& segment :
       SweepSegments(settings.lnb, settings.startMhz, settings.endMhz)) {
    if (IncludesHorizontal(settings.mode))
      kept &= SweepPlane(session, segment, false, calibration, data, data.horizontal);
    if (settings.mode == PolarityMode::kBothWithPause)
      ui.ShowMessage(msg::scanner::kSwitchToVertical, Icon::kInformation);
    if (IncludesVertical(settings.mode))
      kept &= SweepPlane(session, segment, true, calibration, data, data.vertical);
    ui.SetStatusText("");
  }
  return kept;
}

bool AddSelectedRange(std::vector<FrequencyRange>& ranges, int a, int b) {
  for (const FrequencyRange& range : ranges) {
    const auto inside = [&range](int f) { return f >= range.startMhz && f <= range.endMhz; };
    if (inside(a) || inside(b)) return false;
  }
  ranges.push_back({std::min(a, b), std::max(a, b)});
  return true;
}

namespace {

// One plane: every range from its start in steps while below its end.
void SearchPlane(SignalSession& session, const ScanSettings& settings,
                 const LockSearchRequest& request, bool vertical, EditorState& state,
                 const std::atomic<bool>& abort, const LockSearchEvents& events) {
  SerialLink& link = session.link();
  const int step = std::clamp(request.stepMhz, 1, 20);
  const int width = std::clamp(request.widthMhz, 0, 40);
  std::array<char, 256> buffer{};
  for (const FrequencyRange& range : request.ranges) {
    for (int f = range.startMhz; f < range.endMhz && !abort.load(); f += step) {
      if (events.searching) events.searching(f);
      const LockTuning tuning = TuneForLock(settings.lnb, f);
      session.SendCommand(vertical ? kVerticalCode : kHorizontalCode, tuning.intermediate, width,
                          tuning.highBand, tuning.oscillator);
      const size_t length = link.ReadLine(buffer);
      const auto reply = length == 0 ? std::nullopt : ParseLockReply(LineOf(buffer, length));
      const LockResult result = LockResultFor(settings.lnb, f, tuning.oscillator, reply);
      if (result.locked && request.autoAdd) {
        // A list that was never loaded starts with this channel.
        if (!state.settingsImage) state.settingsImage.emplace();
        state.settingsImage->push_back(AutoSearchRecord(result, vertical));
        state.settingsModified = true;
        if (events.recordAdded) events.recordAdded();
      }
      if (events.result) events.result(result);
      if (events.line) events.line(result.Line());
      link.Pause(SerialPause(250));
    }
  }
}

}  // namespace

bool RunLockSearch(SignalSession& session, const ScanSettings& settings,
                   const LockSearchRequest& request, EditorState& state,
                   const std::atomic<bool>& abort, const LockSearchEvents& events,
                   BusyCursor& busy) {
  if (!session.Running() && !session.Start(kLockTimeoutAfterUpload, busy)) return false;
  const auto say = [&events](const char* text) {
    if (events.line) events.line(text);
  };
  if (IncludesHorizontal(settings.mode)) {
    say(msg::scanner::kScanningHorizontal);
    SearchPlane(session, settings, request, false, state, abort, events);
  }
  if (!abort.load()) {
    if (settings.mode == PolarityMode::kBothWithPause)
      session.link().ui().ShowMessage(msg::scanner::kSwitchToVertical, Icon::kInformation);
    if (IncludesVertical(settings.mode)) {
      say(msg::scanner::kScanningVertical);
      SearchPlane(session, settings, request, true, state, abort, events);
    }
  }
  say(abort.load() ? msg::scanner::kScanAborted : msg::scanner::kScanCompleted);
  session.link().ui().SetStatusText("");
  return true;
}

}  // namespace pelorus
