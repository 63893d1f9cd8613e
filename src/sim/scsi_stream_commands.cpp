#include "scsi_stream_commands.h"

#include <algorithm>
#include <span>

#include "receiver/receiver_memory.h"
#include "receiver/scsi_opcodes.h"
#include "scsi_wire.h"

namespace sim {
namespace {

constexpr uint8_t kNone = 0;
constexpr uint32_t kBusyWordAddress = 0x0100FFEA;
constexpr uint16_t kNoPid = 0x1FFF;

ScsiReply Answer(uint8_t status, std::vector<uint8_t> data = {}) {
  ScsiReply reply;
  reply.status = status;
  reply.data = std::move(data);
  return reply;
}

ScsiReply Answer(const std::optional<std::vector<uint8_t>>& data) {
  return data ? Answer(kOk, *data) : Answer(kError);
}

void PutWord(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value >> 8);
  bytes[at + 1] = static_cast<uint8_t>(value);
}

}  // namespace

ScsiStreamCommands::ScsiStreamCommands(SimState& state, ScsiMemory& memory, StreamServer& streams)
    : state_(state), memory_(memory), streams_(streams) {
  WriteCurrentService();
}

void ScsiStreamCommands::WriteCurrentService() {
  std::vector<uint8_t> block(pelorus::kCurrentServiceSize);
  memory_.Read(pelorus::kCurrentServiceAddress, block.data(), pelorus::kCurrentServiceSize);
  const std::optional<ServicePids> service = streams_.CurrentService();
  auto pidOrNone = [](uint16_t pid) { return pid != 0 ? pid : kNoPid; };
  PutWord(block, 32, service ? pidOrNone(service->video) : kNoPid);
  // A viewer who chose the AC-3 soundtrack has it named as the audio of the current service.
  const bool ac3 = service && state_.options.ac3Audio && service->ac3 != 0;
  PutWord(block, 34, service ? pidOrNone(ac3 ? service->ac3 : service->audio) : kNoPid);
  PutWord(block, 148, service ? pidOrNone(service->pcr) : kNoPid);
  memory_.Write(pelorus::kCurrentServiceAddress, block.data(), pelorus::kCurrentServiceSize);
}

std::optional<ScsiReply> ScsiStreamCommands::Handle(const ScsiRequest& request) {
  const std::vector<uint8_t>& cdb = request.cdb;
  if (cdb.size() != 10) return std::nullopt;
  const uint8_t op = cdb[0];
  const uint8_t sub = cdb[1];
  const uint32_t address = Big(cdb, 2, 4);
  const uint32_t length = Big(cdb, 6, 3);

  if (op == pelorus::kScsiOpSetupStream || op == pelorus::kScsiOpSetupSlottedStream) {
    const bool slotted = op == pelorus::kScsiOpSetupSlottedStream;
    const ConnectionId connection = request.connection;
    if (request.direction == kNone || length == 0) {
      const bool stopped =
          slotted ? streams_.StopSlots(connection) : streams_.StopSingle(connection);
      return Answer(stopped ? kOk : kError);
    }
    if (request.direction != kOut || length != request.data.size()) return Answer(kError);
    const auto filters = DecodeStreamSetup(request.data, slotted);
    if (!filters) return Answer(kError);
    // Another connection's running stream makes the receiver busy for this one.
    const bool done = slotted ? streams_.SetupSlots(*filters, connection)
                              : streams_.SetupSingle(filters->front(), connection);
    return Answer(done ? kOk : kError);
  }

  if (op == pelorus::kScsiOpRead && request.direction == kIn) {
    if (length > pelorus::kScsiMaxPiece || length > request.length) return std::nullopt;
    if (sub == pelorus::kScsiReadStream) {
      return Answer(streams_.ReadSingle(length, request.connection));
    }
    // Slot reads share their sub-codes with memory and channel-count reads: they are slot
    // reads exactly while that slot is set up and whole packets are asked for.
    const bool wholePackets = length > 0 && length % kPacketSize == 0;
    const bool slotRead = sub < kMaxSlots && streams_.SlotCount() > sub && wholePackets &&
                          (sub != pelorus::kScsiReadMemory || address == 0);
    if (slotRead) return Answer(streams_.ReadSlot(sub, length, request.connection));
    return std::nullopt;
  }

  if (op == pelorus::kScsiOpWrite && request.direction == kOut && length == request.data.size()) {
    if (sub == pelorus::kScsiWriteBusyWord) {
      if (address != kBusyWordAddress || length != 2) return Answer(kError);
      memory_.Write(address, request.data.data(), 2);
      streams_.SetBusyWord(static_cast<uint16_t>(request.data[0] << 8 | request.data[1]));
      return Answer(kOk);
    }
    if (sub == pelorus::kScsiWriteReceiverCommand && !request.data.empty()) {
      const std::span<const uint8_t> data(request.data);
      if (data[0] == pelorus::kReceiverCommandTune) {
        const auto tune = DecodeTune(data);
        if (!tune) {
          state_.Log("tune refused: the digits are not a tune request");
          return Answer(kError);
        }
        streams_.Tune(streams_.FindTransponder(*tune));
        WriteCurrentService();
        return Answer(kOk);
      }
      if (data[0] == pelorus::kReceiverCommandProbePids) {
        const auto pids = DecodeProbe(data);
        if (!pids) return Answer(kError);
        streams_.Probe(*pids);
        return Answer(kOk);
      }
    }
  }
  return std::nullopt;
}

void ScsiStreamCommands::OverlayRead(uint32_t address, std::vector<uint8_t>& data) {
  const uint64_t start = address;
  const uint64_t end = start + data.size();
  const uint64_t probeStart = pelorus::kPidProbeAddress;
  const uint64_t probeEnd = probeStart + pelorus::kPidProbeSize;
  if (end <= probeStart || start >= probeEnd) return;
  const auto result = streams_.ProbeResult();
  if (!result) return;
  const uint64_t from = std::max(start, probeStart);
  const uint64_t to = std::min(end, probeEnd);
  std::copy(result->begin() + static_cast<long>(from - probeStart),
            result->begin() + static_cast<long>(to - probeStart),
            data.begin() + static_cast<long>(from - start));
}

}  // namespace sim
