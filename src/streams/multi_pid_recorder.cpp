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
// How long a stop waits at most for the video's next picture.
constexpr std::chrono::milliseconds kFinishTime{400};

unsigned long long Ull(uint64_t value) { return static_cast<unsigned long long>(value); }

}  // namespace

MultiPidRecorder::MultiPidRecorder(ScsiTransport& transport, RunOutput& output,
                                   const RecorderPlan& plan, size_t ringCapacity)
    : transport_(transport),
      output_(output),
      plan_(plan),
      templates_(plan.program),
      ring_(ringCapacity) {}

MultiPidRecorder::~MultiPidRecorder() { Stop(); }

bool MultiPidRecorder::WriteHeader() { return output_.WriteHeader(templates_.NextPair()); }

bool MultiPidRecorder::Start(LinkFailure* failure) {
  if (started_) return false;
  std::vector<StreamFilter> filters = plan_.Filters();
  std::vector<uint8_t> data = StreamFilterData(filters);
  const ScsiBlock setup = SetupStreamBlock(true, static_cast<uint32_t>(data.size()));
  if (ExecScsiCommand(transport_, setup, ScsiDirection::kOut, data, nullptr, failure) !=
      kScsiSuccess) {
    return false;
  }
  started_ = true;
  worker_.Start([this](RunControl& control) { return Run(control); });
  return true;
}

RunResult MultiPidRecorder::Stop() {
  worker_.RequestStop();
  return worker_.Join();
}

RunResult MultiPidRecorder::Failure(const std::string& message, const std::string& reason) const {
  std::string detail = reason;
  if (!detail.empty()) detail += "; ";
  if (output_.HasData()) {
    detail += Format(msg::streams::kPacketsKept, Ull(output_.DataBytes() / ts::kPacketSize),
                     SizeText(output_.DataBytes()).c_str(), output_.Target().c_str());
  } else {
    detail += Format(msg::streams::kLeftAsItWas, output_.Target().c_str());
  }
  return RunResult::Failed(message, detail);
}

RunResult MultiPidRecorder::Run(RunControl& control) {
  writer_ = std::thread([this] { Write(); });
  std::vector<uint8_t> buffer(kReadBufferSize, 0);
  std::vector<ScsiBlock> reads;
  std::vector<bool> started;
  for (size_t s = 0; s < plan_.readSlots.size(); ++s) {
    reads.push_back(ReadSlotBlock(static_cast<uint8_t>(s), plan_.readSlots[s].readSize));
    started.push_back(!plan_.waitPcr);
  }
  // How the run ends when it does not end by request or by a full disk.
  std::optional<std::pair<std::string, std::string>> ended;
  while (!control.StopRequested() && !writeFailed_ && !ended) {
    bool delivered = false;
    for (size_t s = 0; s < plan_.readSlots.size() && !ended; ++s) {
      const RecorderSlot& slot = plan_.readSlots[s];
      const std::span<uint8_t> data = std::span(buffer).first(slot.readSize);
      size_t received = 0;
      LinkFailure link;
      if (ExecScsiCommand(transport_, reads[s], ScsiDirection::kIn, data, &received, &link) !=
          kScsiSuccess) {
        // A refused read loses the slot's data for this round; a lost receiver ends the run.
        if (EndsTheRun(link.problem)) ended.emplace(msg::streams::kStreamLost, link.reason);
        continue;
      }
      // Only the packets that came are walked; the rest of the buffer is not stream data.
      delivered = delivered || received >= ts::kPacketSize;
      bool slotStarted = started[s];
      const SlotRead walk =
          WalkSlotRead(slot, slotStarted, data.first(std::min(received, data.size())));
      started[s] = slotStarted;
      syncErrors_ += walk.syncErrors;
      if (walk.foreignPacket) {
        ended.emplace(msg::streams::kStreamChanged,
                      Format(msg::streams::kSlotCarriesOtherPid, static_cast<int>(s),
                             walk.foreignPid, slot.pid));
        continue;
      }
      if (!walk.record.empty()) bytesCaptured_ += ring_.Push(walk.record) * ts::kPacketSize;
    }
    ++polls_;
    if (!delivered && !ended) control.Wait(kIdleRest);
  }
  if (!ended && !writeFailed_ && started[0]) FinishVideo(buffer);
  captureEnded_ = true;
  ring_.Wake();
  writer_.join();
  // The stream is stopped however the run ended, so the receiver does not go on sending.
  StopPidStream(transport_, true);

  if (ended) return Failure(ended->first, ended->second);
  if (writeFailed_) {
    return Failure(Format(msg::streams::kUnableToWriteFile, output_.Target().c_str()),
                   output_.FailureText());
  }
  if (!output_.HasData()) {
    return RunResult::Failed(Format(msg::streams::kNothingReceived, output_.Target().c_str()));
  }
  return RunResult::Done();
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
    while (end < packets && !ts::UnitStart(ts::PacketAt(data, end))) {
      // Another program's packets are not the end of this picture.
      if (ts::HasSync(ts::PacketAt(data, end)) && ts::Pid(ts::PacketAt(data, end)) != video.pid) {
        return;
      }
      ++end;
    }
    bytesCaptured_ += ring_.Push(data.first(end * ts::kPacketSize)) * ts::kPacketSize;
    if (end < packets) return;
  }
}

void MultiPidRecorder::Write() {
  ContinuityChecker continuity;
  auto nextTables = std::chrono::steady_clock::now() + kTick;
  for (;;) {
    const std::span<const uint8_t> packets = ring_.Peek(kMaxPacketsPerWrite);
    if (!packets.empty()) {
      if (const int64_t stall = stall_.exchange(0); stall > 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(stall));
      }
      const size_t count = packets.size() / ts::kPacketSize;
      uint64_t errors = 0;
      for (size_t i = 0; i < count; ++i) errors += continuity.Check(ts::PacketAt(packets, i));
      const bool written = output_.Write(packets);
      // The ring reuses the memory once consumed.
      continuity.Release();
      if (!written) {
        writeFailed_ = true;
        return;
      }
      ring_.Consume(count);
      continuityErrors_ += errors;
    } else if (captureEnded_) {
      return;
    } else {
      ring_.WaitForData(kWriterPoll);
    }
    // The PAT and PMT go in again every tick, so that a player can start anywhere.
    const auto now = std::chrono::steady_clock::now();
    if (now >= nextTables) {
      nextTables = now + kTick;
      if (!output_.WriteHeader(templates_.NextPair())) {
        writeFailed_ = true;
        return;
      }
    }
  }
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
  return stats;
}

RecorderDisplay MultiPidRecorder::Display() const {
  RecorderDisplay display;
  display.stats = Stats();
  display.count = SizeText(display.stats.bytesCaptured);
  display.piped = SizeText(display.stats.pipedBytes);
  display.polls = Format(msg::streams::kPollCount, display.stats.polls);
  display.ended = Ended();
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
  return display;
}

}  // namespace pelorus
