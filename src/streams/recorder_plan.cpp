#include "streams/recorder_plan.h"

#include "common/byte_reader.h"
#include "streams/stream_capture.h"

namespace pelorus {
namespace {

constexpr size_t kVideoPidAt = 32;
constexpr size_t kAudioPidAt = 34;
constexpr size_t kPcrPidAt = 148;

}  // namespace

std::optional<CurrentService> ParseCurrentService(std::span<const uint8_t> block) {
  if (block.size() < kCurrentServiceSize) return std::nullopt;
  CurrentService service;
  ByteReader reader(block);
  reader.Skip(kVideoPidAt);
  service.videoPid = reader.U16();
  service.audioPid = reader.U16();
  reader.Skip(kPcrPidAt - kAudioPidAt - 2);
  service.pcrPid = reader.U16();
  if (!reader.Ok()) return std::nullopt;
  if (service.pcrPid == ts::kNullPid) service.pcrPid = service.videoPid;
  return service;
}

std::vector<StreamFilter> RecorderPlan::Filters() const {
  std::vector<StreamFilter> filters;
  for (const RecorderSlot& slot : readSlots) {
    filters.push_back({slot.pid, slot.readSize, kModeEntirePackets});
  }
  return filters;
}

RecorderPlan PlanRecording(const CurrentService& service, bool ac3, uint16_t ac3Pid, bool waitPcr) {
  RecorderPlan plan;
  plan.waitPcr = waitPcr;
  const uint16_t audioPid = ac3 ? ac3Pid : service.audioPid;
  plan.program = {service.videoPid, audioPid, service.pcrPid, ac3};
  RecorderSlot video{service.videoPid, kVideoReadSize, true, false};
  RecorderSlot audio{audioPid, kOtherReadSize, true, false};
  if (service.pcrPid == service.videoPid) {
    video.startNeedsPcr = true;
    plan.readSlots = {video, audio};
  } else if (service.pcrPid == audioPid) {
    // Reading the same PID in two slots would record each of its packets twice.
    audio.startNeedsPcr = true;
    plan.readSlots = {video, audio};
  } else {
    plan.readSlots = {video, audio, RecorderSlot{service.pcrPid, kOtherReadSize, false, true}};
  }
  return plan;
}

bool StartsSlot(const RecorderSlot& slot, ts::Packet packet) {
  if (!ts::HasSync(packet)) return false;
  if (slot.startNeedsUnitStart && !ts::UnitStart(packet)) return false;
  if (slot.startNeedsPcr && !ts::CarriesPcr(packet)) return false;
  return true;
}

SlotRead WalkSlotRead(const RecorderSlot& slot, bool& started, std::span<const uint8_t> read) {
  SlotRead result;
  const size_t packets = read.size() / ts::kPacketSize;
  bool wasStarted = started;
  size_t first = packets;
  for (size_t i = 0; i < packets; ++i) {
    const ts::Packet packet = ts::PacketAt(read, i);
    if (!ts::HasSync(packet)) {
      ++result.syncErrors;
    } else if (ts::Pid(packet) != slot.pid && !result.foreignPacket) {
      result.foreignPacket = i;
      result.foreignPid = ts::Pid(packet);
    }
    if (!wasStarted && StartsSlot(slot, packet)) wasStarted = true;
    if (wasStarted && first == packets) first = i;
  }
  if (result.foreignPacket) return result;
  started = wasStarted;
  result.record = read.subspan(first * ts::kPacketSize, (packets - first) * ts::kPacketSize);
  return result;
}

}  // namespace pelorus
