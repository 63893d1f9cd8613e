#include "scsi_commands.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "current_channel.h"
#include "frame_store.h"
#include "receiver/receiver_memory.h"
#include "receiver/scsi_opcodes.h"
#include "scsi_stream_commands.h"
#include "scsi_wire.h"
#include "stream_server.h"

namespace sim {
namespace {

constexpr uint8_t kAdapterOwnId = 7;
constexpr uint32_t kMaxPiece = 0x10000;

std::vector<uint8_t> InquiryData(const std::string& kind) {
  std::vector<uint8_t> data(36, ' ');
  data[0] = 0x03;  // a processor device
  data[1] = 0x00;
  data[2] = 0x02;
  data[3] = 0x02;
  data[4] = 31;  // additional length
  data[5] = data[6] = data[7] = 0;
  const char* identification = kind == "vanta"     ? "OVERFLOW VANTA SCSI"
                               : kind == "tessera" ? "Tessera DVB RECEIVER"
                                                   : "GENERIC DISK";
  std::memcpy(data.data() + 8, identification, std::strlen(identification));
  std::memcpy(data.data() + 32, "1.00", 4);
  return data;
}

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string text;
  char two[3];
  for (uint8_t byte : bytes) {
    std::snprintf(two, sizeof two, "%02x", byte);
    text += two;
  }
  return text;
}

ScsiReply Answer(uint8_t status, std::vector<uint8_t> data = {}) {
  ScsiReply reply;
  reply.status = status;
  reply.data = std::move(data);
  return reply;
}

}  // namespace

ScsiCommands::ScsiCommands(SimState& state, ScsiMemory& memory, FaultCounter& faults)
    : state_(state), memory_(memory), faults_(faults) {
  if (state.streams) streams_ = std::make_unique<ScsiStreamCommands>(state, memory, *state.streams);
}

ScsiCommands::~ScsiCommands() = default;

ScsiReply ScsiCommands::Handle(const ScsiRequest& request) {
  if (request.cdb.empty()) return Answer(kOk, {1, kAdapterOwnId});
  state_.Log("scsi " + std::to_string(request.adapter) + ":" + std::to_string(request.target) +
             " " + Hex(request.cdb) + " " + std::to_string(request.length));
  if (request.cdb[0] == pelorus::kScsiOpInquiry) return Inquiry(request);
  if (request.adapter != 0 || request.target != state_.options.scsiId) return Answer(kError);

  switch (faults_.Next()) {
    case ScsiFault::Kind::kFail:
      return Answer(kError);
    case ScsiFault::Kind::kSilent: {
      ScsiReply reply;
      reply.action = ScsiReply::Action::kSilence;
      return reply;
    }
    case ScsiFault::Kind::kDisconnect: {
      ScsiReply reply;
      reply.action = ScsiReply::Action::kHangUp;
      return reply;
    }
    case ScsiFault::Kind::kShortAnswer: {
      ScsiReply reply = Carry(request);
      reply.data.resize(reply.data.size() / 2);
      return reply;
    }
    default:
      return Carry(request);
  }
}

void ScsiCommands::ConnectionClosed(ConnectionId connection) {
  if (state_.streams) state_.streams->Release(connection);
}

ScsiReply ScsiCommands::Inquiry(const ScsiRequest& request) const {
  if (request.adapter != 0 || request.direction != kIn) return Answer(kError);
  std::vector<uint8_t> data;
  if (request.target == state_.options.scsiId) {
    data = InquiryData(state_.options.inquiry);
  } else if (request.target == state_.options.decoyId) {
    data = InquiryData("other");
  } else {
    return Answer(kError);  // nothing at that id
  }
  data.resize(std::min<size_t>(data.size(), request.length));
  return Answer(kOk, std::move(data));
}

ScsiReply ScsiCommands::Carry(const ScsiRequest& request) {
  const std::vector<uint8_t>& cdb = request.cdb;
  if (cdb[0] == pelorus::kScsiOpStartFirmware && cdb.size() == 6) {
    state_.Log("scsi start firmware");
    return Answer(kOk);
  }
  if (cdb.size() != 10) return Answer(kError);
  if (streams_) {
    if (auto reply = streams_->Handle(request)) return std::move(*reply);
  }
  const uint8_t op = cdb[0];
  const uint8_t sub = cdb[1];
  const uint32_t length = Big(cdb, 6, 3);

  if (op == pelorus::kScsiOpRead && request.direction == kIn) {
    if (sub == pelorus::kScsiReadChannelCount) {
      const uint32_t count = faults_.Always() == ScsiFault::Kind::kHugeCount
                                 ? pelorus::kMaxChannelCount + 1
                                 : memory_.ChannelCount();
      return Answer(kOk, {static_cast<uint8_t>(count >> 24), static_cast<uint8_t>(count >> 16),
                          static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)});
    }
    if (sub == pelorus::kScsiReadPictureGeometry) return Answer(kOk, PictureGeometryAnswer());
    if (sub == pelorus::kScsiReadMemory) {
      if (length > kMaxPiece || length > request.length) return Answer(kError);
      std::vector<uint8_t> data(length);
      memory_.Read(Big(cdb, 2, 4), data.data(), length);
      if (streams_) streams_->OverlayRead(Big(cdb, 2, 4), data);
      OverlayCurrentChannel(state_, Big(cdb, 2, 4), data);
      Frames().Overlay(Big(cdb, 2, 4), data.data(), length, true);
      return Answer(kOk, std::move(data));
    }
    return Answer(kError);
  }
  if (op == pelorus::kScsiOpWrite && request.direction == kOut) {
    if (length != request.data.size() || length > kMaxPiece) return Answer(kError);
    if (sub == pelorus::kScsiWriteSpeedTest) return Answer(kOk);
    if (sub == pelorus::kScsiWriteReceiverCommand && !request.data.empty() &&
        request.data[0] == pelorus::kReceiverCommandSelectChannel) {
      const auto number = DecodeSelectChannel(request.data);
      if (!number) {
        state_.Log("select-channel refused: the digits are not a channel number");
        return Answer(kError);
      }
      return Answer(SelectChannel(state_, *number) ? kOk : kError);
    }
    if (sub == pelorus::kScsiWriteMemory && cdb[2] == 0) {
      memory_.Write(Big(cdb, 3, 3), request.data.data(), length);
      return Answer(kOk);
    }
  }
  return Answer(kError);
}

}  // namespace sim
