#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "receiver/receiver_memory.h"
#include "scsi/receiver_commands.h"
#include "streams/psi_templates.h"
#include "streams/ts_packet.h"

namespace pelorus {

// The receiver's current service, read from its block before a recording starts.
struct CurrentService {
  uint16_t videoPid = 0;
  uint16_t audioPid = 0;
  uint16_t pcrPid = 0;  // the video PID when the block says there is none (0x1FFF)
};

// The three 16-bit big-endian PIDs at bytes 32, 34 and 148; no value when the block is short.
std::optional<CurrentService> ParseCurrentService(std::span<const uint8_t> block);

// One slot of the slotted stream: its PID, the length of each read, and where its recording
// may begin when the recorder waits for a clean entry point.
struct RecorderSlot {
  uint16_t pid = 0;
  uint16_t readSize = 0;
  bool startNeedsUnitStart = false;
  bool startNeedsPcr = false;
};

struct RecorderPlan {
  std::vector<RecorderSlot> readSlots;
  RecordedProgram program;
  bool waitPcr = false;  // slots start at their entry point rather than at once

  // The {pid, read size, 6} blocks of the slotted set-up, slot 0 first.
  std::vector<StreamFilter> Filters() const;
};

inline constexpr uint16_t kVideoReadSize = 32 * ts::kPacketSize;
inline constexpr uint16_t kOtherReadSize = ts::kPacketSize;

// Video in slot 0, audio (the AC-3 PID instead when asked) in slot 1, and the PCR PID in slot 2
// when it is a PID of its own. Video and audio start at a unit start; when the PCR travels with
// the video or the audio, that slot starts only at a packet that carries both a unit start and
// a PCR, and a slot of its own starts at the first PCR.
RecorderPlan PlanRecording(const CurrentService& service, bool ac3, uint16_t ac3Pid, bool waitPcr);

// True when `packet` is where `slot` may begin recording.
bool StartsSlot(const RecorderSlot& slot, ts::Packet packet);

// What one slot read holds.
struct SlotRead {
  // The packets to record: from the starting packet on, or all of them once started.
  std::span<const uint8_t> record;
  uint64_t syncErrors = 0;  // packets without the sync byte (recorded all the same)
  // The first packet with a sync byte that carries another PID than the slot's: the receiver's
  // filter is no longer the recorder's. Nothing of such a read is to be recorded.
  std::optional<size_t> foreignPacket;
  uint16_t foreignPid = 0;
};

// Walks the whole packets of one slot read, starting the slot at its entry point.
SlotRead WalkSlotRead(const RecorderSlot& slot, bool& started, std::span<const uint8_t> read);

}  // namespace pelorus
