#include "si/section_walk.h"

#include "common/crc32_mpeg.h"

namespace pelorus {
namespace {

using ts::kHeaderSize;
// Fewer bytes than this after a section cannot hold another one worth parsing.
constexpr size_t kMinFollowing = 21;

}  // namespace

void SectionAssembler::FeedRead(std::span<const uint8_t> packets, const Sink& sink) {
  for (size_t at = 0; at + kPacketSize <= packets.size(); at += kPacketSize) {
    const std::span<const uint8_t> packet = packets.subspan(at, kPacketSize);
    if (packet[0] != ts::kSyncByte) return;
    if ((packet[1] & ts::kPayloadUnitStartFlag) != 0) {
      const size_t pointer = packet[kHeaderSize];
      if (pointer > ts::kMaxPointerField) return;
      const std::span<const uint8_t> tail = packet.subspan(kHeaderSize + 1, pointer);
      const std::span<const uint8_t> start = packet.subspan(kHeaderSize + 1 + pointer);
      if (!held_.empty()) {
        held_.insert(held_.end(), tail.begin(), tail.end());
        sink(held_);
        held_.clear();
      }
      held_.assign(start.begin(), start.end());
    } else if (!held_.empty()) {
      held_.insert(held_.end(), packet.begin() + kHeaderSize, packet.end());
    }
    if (held_.size() > kMaxHeld) held_.clear();
  }
}

void WalkSections(std::span<const uint8_t> data,
                  const std::function<void(std::span<const uint8_t> section)>& parse,
                  int& crcErrors) {
  size_t at = 0;
  while (at < data.size()) {
    while (at < data.size() && data[at] == ts::kStuffingByte) ++at;
    if (data.size() - at < 3) return;
    const size_t length = ((data[at + 1] & 0x0F) << 8) | data[at + 2];
    if (length == 0 || length + 3 > data.size() - at) return;
    const std::span<const uint8_t> section = data.subspan(at, length + 3);
    if (Crc32Mpeg(section) != 0) {
      ++crcErrors;
      return;
    }
    if (section[0] == ts::table::kPat) return;
    if (section[0] != ts::table::kStuffing) parse(section);
    at += section.size();
    if (data.size() - at < kMinFollowing) return;
  }
}

}  // namespace pelorus
