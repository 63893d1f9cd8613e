#include "streams/stream_capture.h"

#include <algorithm>
#include <chrono>

#include "common/strfmt.h"
#include "scsi/receiver_commands.h"
#include "scsi/stream_primitives.h"
#include "streams/messages.h"
#include "streams/size_text.h"
#include "streams/ts_packet.h"
#include "streams/ts_to_es.h"

namespace pelorus {
namespace {

// A receiver that refuses reads is asked again after a short rest rather than in a tight loop.
constexpr std::chrono::milliseconds kFailedReadRest{10};

}  // namespace

CaptureFilter::CaptureFilter(const CaptureSettings& settings)
    : settings_(settings), converted_(settings.threshold, 0) {}

std::optional<std::span<const uint8_t>> CaptureFilter::Process(std::span<const uint8_t> read) {
  std::span<const uint8_t> bytes = read;
  if (settings_.ts2es) {
    if (converted_.size() < read.size()) converted_.resize(read.size());
    const size_t count = ConvertTsToEs(read, settings_.pid, converted_);
    if (count == 0) return std::nullopt;
    bytes = std::span<const uint8_t>(converted_).first(count);
  }
  if (settings_.syncVideo && !videoSynced_) {
    const std::optional<size_t> at = FindSequenceHeader(bytes);
    if (!at) return bytes.first(0);
    videoSynced_ = true;
    return bytes.subspan(*at);
  }
  return bytes;
}

bool PacketGuard::CheckPacket(std::span<const uint8_t> packet) {
  const ts::Packet header(packet.first<ts::kPacketSize>());
  if (!ts::HasSync(header)) {
    problem_ =
        Format("packet %llu does not begin with 0x47", static_cast<unsigned long long>(packets_));
    return false;
  }
  if (ts::Pid(header) != pid_) {
    problem_ = Format("packet %llu carries PID 0x%04x where 0x%04x was asked for",
                      static_cast<unsigned long long>(packets_), ts::Pid(header), pid_);
    return false;
  }
  ++packets_;
  return true;
}

bool PacketGuard::Check(std::span<const uint8_t> bytes) {
  if (!problem_.empty()) return false;
  if (carried_ > 0) {
    const size_t take = std::min(ts::kPacketSize - carried_, bytes.size());
    std::copy_n(bytes.begin(), take, carry_.begin() + static_cast<ptrdiff_t>(carried_));
    carried_ += take;
    bytes = bytes.subspan(take);
    if (carried_ < ts::kPacketSize) return true;
    carried_ = 0;
    if (!CheckPacket(carry_)) return false;
  }
  while (bytes.size() >= ts::kPacketSize) {
    if (!CheckPacket(bytes.first(ts::kPacketSize))) return false;
    bytes = bytes.subspan(ts::kPacketSize);
  }
  std::copy(bytes.begin(), bytes.end(), carry_.begin());
  carried_ = bytes.size();
  return true;
}

CaptureWorker::CaptureWorker(ScsiTransport& transport, RunOutput& output,
                             const CaptureSettings& settings)
    : transport_(transport), output_(output), settings_(settings) {}

CaptureWorker::~CaptureWorker() { Stop(); }

void CaptureWorker::Start(ProgressCallback progress) {
  if (started_) return;
  started_ = true;
  progress_ = std::move(progress);
  worker_.Start([this](RunControl& control) { return Run(control); });
}

RunResult CaptureWorker::Stop() {
  worker_.RequestStop();
  const RunResult result = worker_.Join();
  std::lock_guard lock(callbackMutex_);
  progress_ = nullptr;
  return result;
}

void CaptureWorker::Report(const CaptureProgress& progress) {
  std::lock_guard lock(callbackMutex_);
  if (progress_) progress_(progress);
}

RunResult CaptureWorker::Failure(const char* message, const std::string& reason) const {
  std::string detail = reason;
  if (output_.HasData()) {
    if (!detail.empty()) detail += "; ";
    detail += Format(msg::streams::kBytesKept, SizeText(output_.DataBytes()).c_str(),
                     output_.Target().c_str());
  }
  return RunResult::Failed(message, detail);
}

RunResult CaptureWorker::Run(RunControl& control) {
  std::vector<uint8_t> buffer(settings_.threshold, 0);
  const ScsiBlock read = ReadStreamBlock(settings_.threshold);
  CaptureFilter filter(settings_);
  // Only whole packets carry a header to check; the other modes deliver parts of packets.
  std::optional<PacketGuard> guard;
  if (settings_.mode == kModeEntirePackets) guard.emplace(settings_.pid);
  const auto start = std::chrono::steady_clock::now();
  int64_t rateShownFor = 0;
  int polls = 0;
  RunResult result = RunResult::Done();
  while (!control.StopRequested()) {
    size_t received = 0;
    LinkFailure failure;
    const bool readOk = ExecScsiCommand(transport_, read, ScsiDirection::kIn, buffer, &received,
                                        &failure) == kScsiSuccess;
    if (control.StopRequested()) break;
    if (readOk) {
      const std::span<const uint8_t> bytes = std::span<const uint8_t>(buffer).first(received);
      if (guard && !guard->Check(bytes)) {
        result = Failure(msg::streams::kStreamChanged, guard->Problem());
        break;
      }
      const std::optional<std::span<const uint8_t>> kept = filter.Process(bytes);
      if (!kept) continue;
      if (!kept->empty() && !output_.Write(*kept)) {
        bytesWritten_ = output_.DataBytes();
        result = Failure(Format(msg::streams::kUnableToWriteFile, output_.Target().c_str()).c_str(),
                         output_.FailureText());
        break;
      }
      bytesWritten_ = output_.DataBytes();
    } else if (EndsTheRun(failure.problem)) {
      result = Failure(msg::streams::kStreamLost, failure.reason);
      break;
    } else {
      // A refused read is skipped, as the receiver sometimes does between packets.
      control.Wait(kFailedReadRest);
    }
    CaptureProgress progress{SizeText(output_.DataBytes()), Format(msg::streams::kPollCount, polls),
                             "", false};
    const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    // The rate is shown once per whole second that has gone by.
    const auto wholeSeconds = static_cast<int64_t>(elapsed.count());
    if (wholeSeconds > rateShownFor) {
      rateShownFor = wholeSeconds;
      progress.rate = RateText(output_.DataBytes(), elapsed.count());
    }
    Report(progress);
    polls_ = ++polls;
  }
  // The stream is stopped however the run ended, so the receiver does not go on sending.
  StopPidStream(transport_, false);
  // The last report says the run is over, so a dialog can close without waiting on anything.
  Report({SizeText(output_.DataBytes()), Format(msg::streams::kPollCount, polls), "", true});
  if (result.Failed()) return result;
  if (!output_.HasData()) {
    return RunResult::Failed(Format(msg::streams::kNothingReceived, output_.Target().c_str()));
  }
  return RunResult::Stopped();
}

}  // namespace pelorus
