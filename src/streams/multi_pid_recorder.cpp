#include "streams/multi_pid_recorder.h"

#include <algorithm>
#include <vector>

#include "common/strfmt.h"
#include "scsi/receiver_commands.h"
#include "scsi/stream_primitives.h"
#include "streams/continuity.h"
#include "streams/messages.h"
#include "streams/size_text.h"

namespace pelorus {
namespace {

constexpr size_t kReadBufferSize = 65536;
constexpr std::chrono::milliseconds kWriterPoll{50};
// A round in which no slot delivered anything rests briefly instead of spinning on the bus.
constexpr std::chrono::milliseconds kIdleRest{2};
// The writer hands the file this many packets per call at most.
constexpr size_t kWriteBatchPackets = 512;
// How long a stop waits at most for the video's next picture.
constexpr std::chrono::milliseconds kFinishTime{400};

}  // namespace

MultiPidRecorder::MultiPidRecorder(ScsiTransport& transport, StreamSink& sink,
                                   const RecorderPlan& plan, size_t ringCapacity)
    : transport_(transport),
      sink_(sink),
      plan_(plan),
      templates_(plan.program),
      ring_(ringCapacity) {}

MultiPidRecorder::~MultiPidRecorder() { Stop(); }

bool MultiPidRecorder::WriteHeader() { return WriteBytes(templates_.NextPair()); }

bool MultiPidRecorder::Start() {
  if (started_ || stopped_) return false;
  std::vector<StreamFilter> filters = plan_.Filters();
  std::vector<uint8_t> data = StreamFilterData(filters);
  const ScsiBlock setup = SetupStreamBlock(true, static_cast<uint32_t>(data.size()));
  if (ExecScsiCommand(transport_, setup, ScsiDirection::kOut, data) != kScsiSuccess) return false;
  started_ = true;
  writer_ = std::jthread([this] { Write(); });
  capture_ = std::jthread([this](const std::stop_token& stop) { Capture(stop); });
  return true;
}

void MultiPidRecorder::Stop() {
  if (stopped_) return;
  stopped_ = true;
  if (!started_) return;
  capture_.request_stop();
  if (capture_.joinable()) capture_.join();
}

void MultiPidRecorder::Capture(const std::stop_token& stop) {
  std::vector<uint8_t> buffer(kReadBufferSize, 0);
  std::vector<ScsiBlock> reads;
  std::vector<bool> started;
  for (size_t s = 0; s < plan_.readSlots.size(); ++s) {
    reads.push_back(ReadSlotBlock(static_cast<uint8_t>(s), plan_.readSlots[s].readSize));
    started.push_back(!plan_.waitPcr);
  }
  while (!stop.stop_requested() && !writeFailed_) {
    bool delivered = false;
    for (size_t s = 0; s < plan_.readSlots.size(); ++s) {
      const std::span<uint8_t> data = std::span(buffer).first(plan_.readSlots[s].readSize);
      size_t received = 0;
      if (ExecScsiCommand(transport_, reads[s], ScsiDirection::kIn, data, &received) !=
          kScsiSuccess) {
        continue;
      }
      // Only the packets that came are walked; the rest of the buffer is not stream data.
      delivered = delivered || received >= ts::kPacketSize;
      bool slotStarted = started[s];
      uint64_t syncErrors = 0;
      const std::span<const uint8_t> record = WalkSlotRead(
          plan_.readSlots[s], slotStarted, data.first(std::min(received, data.size())), syncErrors);
      started[s] = slotStarted;
      syncErrors_ += syncErrors;
      if (!record.empty()) bytesCaptured_ += ring_.Push(record) * ts::kPacketSize;
    }
    ++polls_;
    if (!delivered) std::this_thread::sleep_for(kIdleRest);
  }
  if (started[0] && !writeFailed_) FinishVideo(buffer);
  captureEnded_ = true;
  ring_.Wake();
  if (writer_.joinable()) writer_.join();
  StopPidStream(transport_, true);
}

void MultiPidRecorder::FinishVideo(std::span<uint8_t> buffer) {
  // A stop lets the video run on to the start of its next picture, so that the file's last
  // picture is whole; a receiver that does not get there in time leaves it cut.
  const RecorderSlot& video = plan_.readSlots[0];
  const ScsiBlock read = ReadSlotBlock(0, video.readSize);
  const std::span<uint8_t> data = buffer.first(video.readSize);
  const auto deadline = std::chrono::steady_clock::now() + kFinishTime;
  while (std::chrono::steady_clock::now() < deadline) {
    size_t received = 0;
    if (ExecScsiCommand(transport_, read, ScsiDirection::kIn, data, &received) != kScsiSuccess) {
      return;
    }
    const size_t packets = std::min(received, data.size()) / ts::kPacketSize;
    size_t end = 0;
    while (end < packets && !ts::UnitStart(ts::PacketAt(data, end))) ++end;
    bytesCaptured_ += ring_.Push(data.first(end * ts::kPacketSize)) * ts::kPacketSize;
    if (end < packets) return;
  }
}

void MultiPidRecorder::Write() {
  ContinuityChecker continuity;
  while (!writeFailed_) {
    const std::span<const uint8_t> packets = ring_.Peek(kWriteBatchPackets);
    if (!packets.empty()) {
      if (const int64_t stall = stall_.exchange(0); stall > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(stall));
      }
      const size_t count = packets.size() / ts::kPacketSize;
      uint64_t errors = 0;
      for (size_t i = 0; i < count; ++i) errors += continuity.Check(ts::PacketAt(packets, i));
      if (!WriteBytes(packets)) break;
      // The ring reuses the memory once consumed.
      continuity.Release();
      ring_.Consume(count);
      continuityErrors_ += errors;
    } else if (captureEnded_) {
      break;
    } else {
      ring_.WaitForData(kWriterPoll);
    }
    if (psiRequested_.exchange(false) && !WriteBytes(templates_.NextPair())) break;
  }
}

bool MultiPidRecorder::WriteBytes(std::span<const uint8_t> bytes) {
  size_t written = 0;
  if (sink_.Write(bytes, &written)) {
    fileLength_ += bytes.size();
    return true;
  }
  // A full disk ends the recording; the file is cut back to the last whole packet.
  fileLength_ += written;
  sink_.Truncate(fileLength_ / ts::kPacketSize * ts::kPacketSize);
  writeFailed_ = true;
  return false;
}

RecordStats MultiPidRecorder::Stats() const {
  RecordStats stats;
  stats.bytesCaptured = bytesCaptured_;
  stats.polls = polls_;
  stats.ringFill = ring_.Fill();
  stats.ringCapacity = ring_.Capacity();
  stats.syncErrors = syncErrors_;
  stats.continuityErrors = continuityErrors_;
  stats.dropped = ring_.Dropped();
  stats.seconds = seconds_;
  stats.writeFailed = writeFailed_;
  return stats;
}

RecorderDisplay MultiPidRecorder::Display() const {
  RecorderDisplay display;
  display.stats = Stats();
  display.count = SizeText(display.stats.bytesCaptured);
  display.piped = SizeText(display.stats.pipedBytes);
  display.polls = Format(msg::streams::kPollCount, display.stats.polls);
  display.ended = display.stats.writeFailed;
  return display;
}

RecorderDisplay MultiPidRecorder::Tick() {
  RecorderDisplay display = Display();
  if (++ticks_ % 4 == 0) {
    display.stats.seconds = ++seconds_;
    display.rate = RateText(display.stats.bytesCaptured, seconds_);
    display.runningTime =
        Format(msg::streams::kRunningTime, seconds_ / 3600, seconds_ / 60 % 60, seconds_ % 60);
  }
  psiRequested_ = true;
  ring_.Wake();
  return display;
}

}  // namespace pelorus
