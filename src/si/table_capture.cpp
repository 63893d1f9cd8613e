#include "si/table_capture.h"

#include <array>
#include <chrono>

#include "common/ts_numbers.h"
#include "si/section_assembler.h"

namespace pelorus {
namespace {

constexpr uint16_t kModeEntirePackets = 6;

uint16_t PidOf(std::span<const uint8_t> packet) {
  return static_cast<uint16_t>(((packet[1] << 8) | packet[2]) & ts::kPidMask);
}

}  // namespace

bool CaptureSections(ScsiTransport& transport, uint16_t pid,
                     const std::function<bool(const Section& section)>& take,
                     const CaptureLimits& limits) {
  SetupPidStream(transport, pid, ts::kPacketSize, kModeEntirePackets, true);
  const ScsiBlock readPacket = ReadSlotBlock(0, ts::kPacketSize);
  std::array<uint8_t, ts::kPacketSize> packet{};
  SectionAssembler assembler;
  bool done = false;
  int failedReads = 0;
  const auto deadline = std::chrono::steady_clock::now() + limits.timeout;
  for (int reads = 0; reads < kMaxCapturePackets && !done; ++reads) {
    if (limits.stop != nullptr && limits.stop->load()) break;
    if (std::chrono::steady_clock::now() >= deadline) break;
    if (!ExecScsiCommandFully(transport, readPacket, ScsiDirection::kIn, packet)) {
      if (++failedReads > kMaxFailedPacketReads) break;
      continue;
    }
    failedReads = 0;
    // Another PID's packet is not this stream's; a packet without sync loses what was held.
    if (packet[0] == ts::kSyncByte && PidOf(packet) != pid) continue;
    assembler.Feed(packet, [&](const Section& section) {
      if (!done && section.Usable()) done = take(section);
    });
  }
  StopPidStream(transport, true);
  return done;
}

}  // namespace pelorus
