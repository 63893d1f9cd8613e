#include "service_scan/slot_capture.h"

#include <algorithm>
#include <array>

#include "common/ts_numbers.h"
#include "scsi/receiver_commands.h"
#include "si/section_assembler.h"

namespace pelorus {
namespace {

constexpr uint16_t kModeEntirePackets = 6;
// A round in which every read was refused rests this long, so a receiver that answers at once
// with an error is not asked in a tight loop.
constexpr std::chrono::milliseconds kRefusedRest{10};

uint16_t PidOf(std::span<const uint8_t> packet) {
  return static_cast<uint16_t>(((packet[1] << 8) | packet[2]) & ts::kPidMask);
}

}  // namespace

bool SlotCapture::Setup(std::span<const uint16_t> pids, LinkFailure& failure) {
  std::vector<StreamFilter> filters;
  for (size_t i = 0; i < pids.size() && i < kMaxSlots; ++i) {
    filters.push_back({pids[i], static_cast<uint16_t>(ts::kPacketSize), kModeEntirePackets});
  }
  std::vector<uint8_t> data = StreamFilterData(filters);
  failure = {};
  return ExecScsiCommand(transport_, SetupStreamBlock(true, static_cast<uint32_t>(data.size())),
                         ScsiDirection::kOut, data, nullptr, &failure) == kScsiSuccess;
}

SlotCapture::Outcome SlotCapture::Read(std::span<SlotTable> tables,
                                       const std::chrono::steady_clock::time_point& deadline,
                                       const RunGate& gate, LinkFailure& failure) {
  const size_t count = std::min(tables.size(), kMaxSlots);
  std::array<SectionAssembler, kMaxSlots> assemblers;
  std::array<bool, kMaxSlots> done{};
  std::array<uint8_t, ts::kPacketSize> packet{};
  while (true) {
    size_t open = 0;
    size_t waitedFor = 0;
    size_t refused = 0;
    for (size_t slot = 0; slot < count; ++slot) {
      if (!done[slot] && tables[slot].required) ++waitedFor;
    }
    if (waitedFor == 0) return Outcome::kDone;
    for (size_t slot = 0; slot < count; ++slot) {
      if (done[slot]) continue;
      ++open;
      if (gate.stopRequested()) return Outcome::kStopped;
      if (std::chrono::steady_clock::now() >= deadline) return Outcome::kTimedOut;
      size_t received = 0;
      LinkFailure readFailure;
      const int status =
          ExecScsiCommand(transport_, ReadSlotBlock(static_cast<uint8_t>(slot), ts::kPacketSize),
                          ScsiDirection::kIn, packet, &received, &readFailure);
      if (status != kScsiSuccess) {
        if (EndsTheRun(readFailure.problem)) {
          failure = readFailure;
          return Outcome::kLinkLost;
        }
        ++refused;
        continue;
      }
      // A short answer, or another PID's packet, is not this slot's.
      if (received != ts::kPacketSize) continue;
      if (packet[0] == ts::kSyncByte && PidOf(packet) != tables[slot].pid) continue;
      assemblers[slot].Feed(packet, [&](const Section& section) {
        if (!done[slot] && section.Usable()) done[slot] = tables[slot].take(section);
      });
    }
    if (refused == open && !gate.wait(kRefusedRest)) return Outcome::kStopped;
  }
}

}  // namespace pelorus
