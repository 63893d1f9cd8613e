#include "streams/stream_capture.h"

#include <chrono>

#include "common/strfmt.h"
#include "scsi/receiver_commands.h"
#include "scsi/stream_primitives.h"
#include "streams/messages.h"
#include "streams/size_text.h"
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

CaptureWorker::CaptureWorker(ScsiTransport& transport, StreamSink& sink,
                             const CaptureSettings& settings)
    : transport_(transport), sink_(sink), settings_(settings) {}

CaptureWorker::~CaptureWorker() { Stop(); }

void CaptureWorker::Start(ProgressCallback progress) {
  if (thread_.joinable() || stopped_) return;
  progress_ = std::move(progress);
  thread_ = std::jthread([this](const std::stop_token& stop) { Run(stop); });
}

void CaptureWorker::Stop() {
  if (stopped_) return;
  stopped_ = true;
  thread_.request_stop();
  // The transport lets this wait for a read that is under way.
  StopPidStream(transport_, false);
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(callbackMutex_);
  progress_ = nullptr;
}

void CaptureWorker::Report(const CaptureProgress& progress) {
  std::lock_guard lock(callbackMutex_);
  if (progress_) progress_(progress);
}

void CaptureWorker::Run(const std::stop_token& stop) {
  std::vector<uint8_t> buffer(settings_.threshold, 0);
  const ScsiBlock read = ReadStreamBlock(settings_.threshold);
  CaptureFilter filter(settings_);
  const auto start = std::chrono::steady_clock::now();
  int64_t rateShownFor = 0;
  uint64_t total = 0;
  int polls = 0;
  while (!stop.stop_requested()) {
    size_t received = 0;
    const bool readOk =
        ExecScsiCommand(transport_, read, ScsiDirection::kIn, buffer, &received) == kScsiSuccess;
    if (stop.stop_requested()) break;
    if (readOk) {
      const std::optional<std::span<const uint8_t>> bytes =
          filter.Process(std::span<const uint8_t>(buffer).first(received));
      if (!bytes) continue;
      if (!bytes->empty() && !sink_.Write(*bytes)) {
        writeFailed_ = true;
        Report({SizeText(total), Format(msg::streams::kPollCount, polls), "", true});
        return;
      }
      total += bytes->size();
      bytesWritten_ = total;
    } else {
      std::this_thread::sleep_for(kFailedReadRest);
    }
    CaptureProgress progress{SizeText(total), Format(msg::streams::kPollCount, polls), "", false};
    const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
    // The rate is shown once per whole second that has gone by.
    const auto wholeSeconds = static_cast<int64_t>(elapsed.count());
    if (wholeSeconds > rateShownFor) {
      rateShownFor = wholeSeconds;
      progress.rate = RateText(total, elapsed.count());
    }
    Report(progress);
    polls_ = ++polls;
  }
}

}  // namespace pelorus
