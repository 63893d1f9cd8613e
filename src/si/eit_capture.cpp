#include "si/eit_capture.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "common/ts_numbers.h"
#include "scsi/receiver_commands.h"
#include "scsi/stream_primitives.h"
#include "si/messages.h"

namespace pelorus {
namespace {

constexpr uint16_t kPids[3] = {ts::pid::kEit, ts::pid::kSdt, ts::pid::kTdt};
constexpr uint16_t kModeEntirePackets = 6;
constexpr auto kRetryDelay = std::chrono::milliseconds(10);

}  // namespace

EitCapture::EitCapture(ScsiTransport& transport, Guide& guide, SystemClock& clock,
                       Callbacks callbacks)
    : transport_(transport), guide_(guide), clock_(clock), callbacks_(std::move(callbacks)) {}

EitCapture::~EitCapture() {
  worker_.RequestStop();
  worker_.Join();
}

bool EitCapture::Start(bool scsiBusy) {
  if (worker_.Running()) return false;
  {
    std::lock_guard guard(tdtLock_);
    tdt_.Restart();
  }
  for (SectionAssembler& assembler : assemblers_) assembler.Reset();
  Worker::Callbacks callbacks;
  callbacks.finished = callbacks_.finished;
  return worker_.Start([this, scsiBusy](RunControl& control) { return Run(control, scsiBusy); },
                       std::move(callbacks));
}

void EitCapture::SetSyncTdt(bool sync) {
  syncTdt_ = sync;
  if (!sync) {
    std::lock_guard guard(tdtLock_);
    tdt_.Restart();
  }
}

void EitCapture::Deliver(int slot, std::span<const uint8_t> sections) {
  guide_.CountSectionBytes(sections.size());
  if (slot == 0) {
    guide_.ParseEitSections(sections, clock_.NowUtc());
  } else if (slot == 1) {
    guide_.ParseSdtSections(sections);
  } else if (syncTdt_) {
    std::string error;
    TdtClockSync::Result result;
    {
      std::lock_guard guard(tdtLock_);
      result = tdt_.OnSection(sections, clock_, error);
    }
    if ((result == TdtClockSync::Result::kSet || result == TdtClockSync::Result::kRefused) &&
        callbacks_.clockSync) {
      callbacks_.clockSync(result, error);
    }
  }
}

RunResult EitCapture::Run(RunControl& control, bool scsiBusy) {
  SetScsiBusy(transport_, scsiBusy);
  StreamFilter filters[3];
  for (int slot = 0; slot < 3; ++slot) {
    filters[slot] = {kPids[slot], static_cast<uint16_t>(kSlotPackets[slot] * ts::kPacketSize),
                     kModeEntirePackets};
  }
  std::vector<uint8_t> setup = StreamFilterData(filters);
  LinkFailure failure;
  RunResult result = RunResult::Done();
  // The set-up's status is not examined (a receiver may refuse and stream all the same); a lost
  // receiver is.
  if (ExecScsiCommand(transport_, SetupStreamBlock(true, static_cast<uint32_t>(setup.size())),
                      ScsiDirection::kOut, setup, nullptr, &failure) != kScsiSuccess &&
      EndsTheRun(failure.problem)) {
    result = RunResult::Failed(msg::si::kGuideLost, failure.reason);
  }
  std::vector<uint8_t> packets(kSlotPackets[0] * SectionAssembler::kPacketSize);
  while (!result.Failed() && !control.StopRequested()) {
    for (int slot = 0; slot < 3 && !control.StopRequested(); ++slot) {
      guide_.CountPoll();
      const size_t length = kSlotPackets[slot] * SectionAssembler::kPacketSize;
      const std::span<uint8_t> read(packets.data(), length);
      size_t received = 0;
      failure = {};
      const int status =
          ExecScsiCommand(transport_, ReadSlotBlock(static_cast<uint8_t>(slot), length),
                          ScsiDirection::kIn, read, &received, &failure);
      if (status != kScsiSuccess && EndsTheRun(failure.problem)) {
        result = RunResult::Failed(msg::si::kGuideLost, failure.reason);
        break;
      }
      // A refused or empty read waits a little, so a quiet receiver is not asked in a tight loop.
      if (status != kScsiSuccess || received < SectionAssembler::kPacketSize) {
        control.Wait(kRetryDelay);
        continue;
      }
      assemblers_[slot].FeedRead(
          read.first(std::min(received, length)),
          [&](std::span<const uint8_t> sections) { Deliver(slot, sections); });
    }
  }
  // The stream is stopped however the run ended, so the receiver does not go on sending.
  StopPidStream(transport_, true);
  if (result.Failed()) return result;
  // Without a single service the guide holds nothing worth a file.
  if (guide_.Peek().services == 0) return RunResult::Failed(msg::si::kNoGuideReceived);
  return RunResult::Stopped();
}

}  // namespace pelorus
