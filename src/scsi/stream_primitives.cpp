#include "scsi/stream_primitives.h"

#include <algorithm>
#include <array>
#include <functional>

#include "common/byte_reader.h"

namespace pelorus {
namespace {

constexpr uint16_t kCaptureThreshold = ts::kPacketSize;
constexpr uint16_t kModeEntirePackets = 6;

using Examiner = std::function<std::optional<size_t>(std::span<const uint8_t>)>;

// Reads packets of slot 0 and hands every finished accumulation to `examine` until it accepts
// one, `maxRejections` were refused, or the receiver stops delivering.
std::span<const uint8_t> Capture(ScsiTransport& transport, uint16_t pid, std::span<uint8_t> buffer,
                                 int maxRejections, const CaptureLimits& limits,
                                 const Examiner& examine) {
  SetupPidStream(transport, pid, kCaptureThreshold, kModeEntirePackets, true);
  const ScsiBlock readPacket = ReadSlotBlock(0, ts::kPacketSize);
  std::array<uint8_t, ts::kPacketSize> packet{};
  std::span<const uint8_t> found;
  size_t filled = 0;
  bool accumulating = false;
  int rejections = 0;
  int failedReads = 0;
  const auto deadline = std::chrono::steady_clock::now() + limits.timeout;
  for (int reads = 0; reads < kMaxCapturePackets; ++reads) {
    if (limits.stop != nullptr && limits.stop->load()) break;
    if (std::chrono::steady_clock::now() >= deadline) break;
    if (!ExecScsiCommandFully(transport, readPacket, ScsiDirection::kIn, packet)) {
      if (++failedReads > kMaxFailedPacketReads) break;
      continue;
    }
    failedReads = 0;
    const bool unitStart = (packet[1] & ts::kPayloadUnitStartFlag) != 0;
    if (accumulating && unitStart) {
      const std::span<const uint8_t> accumulated(buffer.data(), filled);
      if (const std::optional<size_t> at = examine(accumulated)) {
        found = accumulated.subspan(*at);
        break;
      }
      if (++rejections > maxRejections) break;
      accumulating = false;
      filled = 0;
    }
    if (!accumulating) {
      if (!unitStart) continue;
      accumulating = true;
    }
    const size_t room = buffer.size() - filled;
    const size_t take = std::min(room, ts::kPayloadSize);
    std::copy_n(packet.begin() + ts::kHeaderSize, take, buffer.begin() + filled);
    filled += take;
  }
  StopPidStream(transport, true);
  return found;
}

}  // namespace

bool SetupPidStream(ScsiTransport& transport, uint16_t pid, uint16_t threshold, uint16_t mode,
                    bool slotted, LinkFailure* failure) {
  const StreamFilter filter{pid, threshold, mode};
  std::vector<uint8_t> data = StreamFilterData(std::span(&filter, 1));
  const ScsiBlock block = SetupStreamBlock(slotted, static_cast<uint32_t>(data.size()));
  return ExecScsiCommand(transport, block, ScsiDirection::kOut, data, nullptr, failure) ==
         kScsiSuccess;
}

void StopPidStream(ScsiTransport& transport, bool slotted) {
  ExecScsiCommand(transport, StopStreamBlock(slotted), ScsiDirection::kNone, {});
}

void SetScsiBusy(ScsiTransport& transport, bool scsiBusy) {
  std::vector<uint8_t> data = BusyWordData(scsiBusy);
  ExecScsiCommand(transport, SetBusyWordBlock(), ScsiDirection::kOut, data);
}

std::optional<PictureGeometry> ReadPictureGeometry(ScsiTransport& transport) {
  std::array<uint8_t, 4> answer{};
  size_t received = 0;
  if (ExecScsiCommand(transport, ReadPictureGeometryBlock(), ScsiDirection::kIn, answer,
                      &received) != kScsiSuccess) {
    return std::nullopt;
  }
  return ParsePictureGeometry(std::span(answer).first(received));
}

std::optional<size_t> FindSection(std::span<const uint8_t> accumulated, uint8_t tableId) {
  if (accumulated.empty()) return std::nullopt;
  const size_t at = size_t{1} + accumulated[0];
  if (at >= accumulated.size() || accumulated[at] != tableId) return std::nullopt;
  return at;
}

std::optional<size_t> FindSectionWithExtension(std::span<const uint8_t> accumulated,
                                               uint8_t tableId, uint16_t extension) {
  if (accumulated.empty()) return std::nullopt;
  size_t at = size_t{1} + accumulated[0];
  // Table id, two length bytes and the two extension bytes must all be there to judge a section.
  constexpr size_t kHeader = 5;
  while (at < accumulated.size() && accumulated.size() - at >= kHeader) {
    ByteReader reader(accumulated.subspan(at, kHeader));
    const uint8_t id = reader.U8();
    const uint16_t sectionLength = reader.U16() & 0x0FFF;
    const uint16_t sectionExtension = reader.U16();
    if (id == tableId && sectionExtension == extension) return at;
    at += size_t{sectionLength} + 3;
    // Stuffing after the last section ends the walk.
    if (at + 3 < accumulated.size() && accumulated[at + 3] == ts::kStuffingByte) break;
  }
  return std::nullopt;
}

std::span<const uint8_t> CaptureSection(ScsiTransport& transport, uint16_t pid, uint8_t tableId,
                                        std::span<uint8_t> buffer, CaptureLimits limits) {
  return Capture(transport, pid, buffer, kMaxSectionRejections, limits,
                 [tableId](std::span<const uint8_t> accumulated) {
                   return FindSection(accumulated, tableId);
                 });
}

std::span<const uint8_t> CaptureSectionWithExtension(ScsiTransport& transport, uint16_t pid,
                                                     uint8_t tableId, uint16_t extension,
                                                     std::span<uint8_t> buffer,
                                                     CaptureLimits limits) {
  return Capture(transport, pid, buffer, kMaxExtensionAccumulations, limits,
                 [tableId, extension](std::span<const uint8_t> accumulated) {
                   return FindSectionWithExtension(accumulated, tableId, extension);
                 });
}

}  // namespace pelorus
