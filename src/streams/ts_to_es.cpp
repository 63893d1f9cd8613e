#include "streams/ts_to_es.h"

#include <algorithm>
#include <array>

namespace pelorus {
namespace {

// Start code, stream id and length, two flag bytes and the header-data length.
constexpr size_t kPesFixedHeader = 9;
constexpr size_t kPesHeaderLengthOffset = 8;

}  // namespace

std::optional<size_t> EsHeaderLength(ts::Packet packet) {
  size_t header = 0;
  switch (ts::AdaptationControl(packet)) {
    case 0x10:
      header = 4;
      break;
    case 0x30:
      header = size_t{5} + packet[4];
      break;
    default:  // reserved or adaptation only: no payload
      return std::nullopt;
  }
  if (ts::UnitStart(packet)) {
    // The PES header's own length byte must lie inside the packet to be believed.
    const size_t lengthAt = header + kPesHeaderLengthOffset;
    if (lengthAt >= ts::kPacketSize) return std::nullopt;
    header += kPesFixedHeader + packet[lengthAt];
  }
  if (header >= ts::kPacketSize) return std::nullopt;
  return header;
}

size_t ConvertTsToEs(std::span<const uint8_t> in, uint16_t pid, std::span<uint8_t> out) {
  size_t written = 0;
  const size_t packets = in.size() / ts::kPacketSize;
  for (size_t i = 0; i < packets; ++i) {
    const ts::Packet packet = ts::PacketAt(in, i);
    if (!ts::HasSync(packet) || ts::Pid(packet) != pid) continue;
    const std::optional<size_t> header = EsHeaderLength(packet);
    if (!header) continue;
    const size_t count = ts::kPacketSize - *header;
    if (count > out.size() - written) break;
    std::copy_n(packet.begin() + static_cast<std::ptrdiff_t>(*header), count,
                out.begin() + static_cast<std::ptrdiff_t>(written));
    written += count;
  }
  return written;
}

std::optional<size_t> FindSequenceHeader(std::span<const uint8_t> bytes) {
  static constexpr std::array<uint8_t, 4> kSequenceHeader = {0x00, 0x00, 0x01, 0xB3};
  const auto found =
      std::search(bytes.begin(), bytes.end(), kSequenceHeader.begin(), kSequenceHeader.end());
  if (found == bytes.end()) return std::nullopt;
  return static_cast<size_t>(found - bytes.begin());
}

}  // namespace pelorus
