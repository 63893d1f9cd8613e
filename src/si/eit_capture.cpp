#include "si/eit_capture.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "common/ts_numbers.h"
#include "scsi/receiver_commands.h"
#include "scsi/stream_primitives.h"

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
  RequestStop();
  Join();
}

void EitCapture::Start(bool scsiBusy) {
  stop_ = false;
  finished_ = false;
  {
    std::lock_guard guard(tdtLock_);
    tdt_.Restart();
  }
  thread_ = std::thread([this, scsiBusy] { Run(scsiBusy); });
}

void EitCapture::RequestStop() {
  {
    std::lock_guard guard(waitLock_);
    stop_ = true;
  }
  wake_.notify_all();
}

void EitCapture::Join() {
  if (thread_.joinable()) thread_.join();
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

void EitCapture::Run(bool scsiBusy) {
  SetScsiBusy(transport_, scsiBusy);
  StreamFilter filters[3];
  for (int slot = 0; slot < 3; ++slot) {
    filters[slot] = {kPids[slot], static_cast<uint16_t>(kSlotPackets[slot] * ts::kPacketSize),
                     kModeEntirePackets};
  }
  std::vector<uint8_t> setup = StreamFilterData(filters);
  ExecScsiCommand(transport_, SetupStreamBlock(true, static_cast<uint32_t>(setup.size())),
                  ScsiDirection::kOut, setup);
  std::vector<uint8_t> packets(kSlotPackets[0] * SectionAssembler::kPacketSize);
  while (!stop_) {
    for (int slot = 0; slot < 3 && !stop_; ++slot) {
      guide_.CountPoll();
      const size_t length = kSlotPackets[slot] * SectionAssembler::kPacketSize;
      const std::span<uint8_t> read(packets.data(), length);
      size_t received = 0;
      const int status =
          ExecScsiCommand(transport_, ReadSlotBlock(static_cast<uint8_t>(slot), length),
                          ScsiDirection::kIn, read, &received);
      // A failed or empty read waits a little, so a quiet receiver is not asked in a tight loop.
      if (status != kScsiSuccess || received < SectionAssembler::kPacketSize) {
        std::unique_lock guard(waitLock_);
        wake_.wait_for(guard, kRetryDelay, [this] { return stop_.load(); });
        continue;
      }
      assemblers_[slot].FeedRead(
          read.first(std::min(received, length)),
          [&](std::span<const uint8_t> sections) { Deliver(slot, sections); });
    }
  }
  StopPidStream(transport_, true);
  finished_ = true;
  if (callbacks_.finished) callbacks_.finished();
}

}  // namespace pelorus
