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
                     const CaptureLimits& limits, LinkFailure* failure) {
  LinkFailure problem;
  const auto lost = [&] {
    if (!EndsTheRun(problem.problem)) return false;
    if (failure != nullptr) *failure = problem;
    return true;
  };
  // A set-up the receiver refused still streams on some firmware; one that did not reach it
  // ends the read.
  const bool reached =
      SetupPidStream(transport, pid, ts::kPacketSize, kModeEntirePackets, true, &problem) ||
      !lost();
  const ScsiBlock readPacket = ReadSlotBlock(0, ts::kPacketSize);
  std::array<uint8_t, ts::kPacketSize> packet{};
  SectionAssembler assembler;
  bool done = false;
  int failedReads = 0;
  const auto deadline = std::chrono::steady_clock::now() + limits.timeout;
  for (int reads = 0; reached && reads < kMaxCapturePackets && !done; ++reads) {
    if (limits.stop != nullptr && limits.stop->load()) break;
    if (std::chrono::steady_clock::now() >= deadline) break;
    size_t received = 0;
    problem = {};
    if (ExecScsiCommand(transport, readPacket, ScsiDirection::kIn, packet, &received, &problem) !=
            kScsiSuccess ||
        received < packet.size()) {
      // A receiver that is gone is not asked for more packets.
      if (lost()) break;
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
  // The stream is stopped however the read ended, so the receiver does not go on sending.
  StopPidStream(transport, true);
  return done;
}

}  // namespace pelorus
