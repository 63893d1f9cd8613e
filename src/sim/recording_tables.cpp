// The simulator's own small reader of a recording's PAT, PMT and NIT: enough to offer the
// recording as a transponder. It shares nothing with the client's tables on purpose.
#include "recording_tables.h"

#include <map>
#include <set>

#include "common/byte_reader.h"
#include "ts_crc.h"

namespace sim {
namespace {

using pelorus::ByteReader;

constexpr size_t kTsPacket = 188;
constexpr uint8_t kSync = 0x47;
constexpr size_t kMaxSection = 4096;
constexpr uint16_t kDefaultNitPid = 0x0010;

bool SyncsAt(std::span<const uint8_t> bytes, size_t at, size_t step) {
  for (int k = 0; k < 3; ++k) {
    const size_t position = at + static_cast<size_t>(k) * step;
    if (position >= bytes.size() || bytes[position] != kSync) return false;
  }
  return true;
}

// A BCD number of `digits` digits from the top of `value`'s `width` bits; none if a nibble is
// not a decimal digit.
std::optional<uint32_t> Bcd(uint32_t value, int width, int digits) {
  uint32_t result = 0;
  for (int d = 0; d < digits; ++d) {
    const uint32_t nibble = (value >> (width - 4 * (d + 1))) & 0x0F;
    if (nibble > 9) return std::nullopt;
    result = result * 10 + nibble;
  }
  return result;
}

struct Delivery {
  uint32_t frequency10kHz;
  uint32_t symbolRate100;
  bool vertical;
};

class TableReader {
 public:
  explicit TableReader(RecordingInfo& info) : info_(info) { wanted_.insert(0); }

  void Packet(std::span<const uint8_t> packet) {
    const uint16_t pid = static_cast<uint16_t>((packet[1] & 0x1F) << 8 | packet[2]);
    const uint8_t control = packet[3] >> 4 & 0x03;
    size_t payload = 4;
    if (control & 0x02) {
      const size_t fieldLength = packet[4];
      if (!info_.firstPcrPid && fieldLength >= 7 && (packet[5] & 0x10) && pid != 0x1FFF) {
        info_.firstPcrPid = pid;
      }
      payload = 5 + fieldLength;
    }
    if (!(control & 0x01) || payload >= kTsPacket || !wanted_.count(pid)) return;
    if (packet[1] & 0x80) return;  // the demultiplexer drops what the front end marked bad
    Assemble(pid, packet.subspan(payload), (packet[1] & 0x40) != 0);
  }

  bool Done() const { return info_.pmtPid && pmtSeen_ && nitSeen_; }

  void Finish() {
    for (const auto& [tsId, delivery] : deliveries_) {
      if (info_.transportStreamId && tsId != *info_.transportStreamId) continue;
      info_.frequency10kHz = delivery.frequency10kHz;
      info_.symbolRate100 = delivery.symbolRate100;
      info_.vertical = delivery.vertical;
      break;
    }
  }

 private:
  struct Assembly {
    std::vector<uint8_t> bytes;
    bool open = false;
  };

  void Assemble(uint16_t pid, std::span<const uint8_t> payload, bool unitStart) {
    Assembly& assembly = assemblies_[pid];
    if (unitStart) {
      const size_t pointer = payload[0];
      if (pointer + 1 > payload.size()) {
        assembly = {};
        return;
      }
      // The end of the section begun earlier, then the first of the new ones.
      if (assembly.open) {
        Append(assembly, payload.subspan(1, pointer));
        Extract(pid, assembly);
      }
      assembly.bytes.assign(payload.begin() + 1 + static_cast<long>(pointer), payload.end());
      assembly.open = true;
    } else if (assembly.open) {
      Append(assembly, payload);
    }
    if (assembly.open) Extract(pid, assembly);
  }

  static void Append(Assembly& assembly, std::span<const uint8_t> bytes) {
    if (assembly.bytes.size() + bytes.size() > kMaxSection + kTsPacket) {
      assembly = {};  // longer than any section: nothing of it can be used
      return;
    }
    assembly.bytes.insert(assembly.bytes.end(), bytes.begin(), bytes.end());
  }

  // Takes every whole section off the front of the assembly.
  void Extract(uint16_t pid, Assembly& assembly) {
    while (assembly.open && assembly.bytes.size() >= 3) {
      if (assembly.bytes[0] == 0xFF) {
        assembly = {};  // stuffing up to the next unit start
        return;
      }
      const size_t length = 3 + ((assembly.bytes[1] & 0x0F) << 8 | assembly.bytes[2]);
      if (length > kMaxSection) {
        assembly = {};
        return;
      }
      if (assembly.bytes.size() < length) return;
      const std::vector<uint8_t> section(assembly.bytes.begin(),
                                         assembly.bytes.begin() + static_cast<long>(length));
      assembly.bytes.erase(assembly.bytes.begin(),
                           assembly.bytes.begin() + static_cast<long>(length));
      OnSection(pid, section);
    }
  }

  void OnSection(uint16_t pid, std::span<const uint8_t> section) {
    // Only long-form sections that check, of the current version, are read.
    if (section.size() < 12 || !(section[1] & 0x80) || Crc32Mpeg(section) != 0) return;
    if (!(section[5] & 0x01)) return;
    const uint8_t table = section[0];
    ByteReader reader(section.subspan(3, section.size() - 3 - 4));
    const uint16_t extension = reader.U16();
    reader.Skip(3);  // version, section number, last section number
    if (pid == 0 && table == 0x00 && !info_.transportStreamId) {
      Pat(extension, reader);
    } else if (info_.pmtPid && pid == *info_.pmtPid && table == 0x02 &&
               extension == info_.serviceId && !pmtSeen_) {
      Pmt(reader);
    } else if (pid == nitPid_ && table == 0x40) {
      Nit(reader);
    }
  }

  void Pat(uint16_t tsId, ByteReader& reader) {
    info_.transportStreamId = tsId;
    while (reader.Remaining() >= 4) {
      const uint16_t program = reader.U16();
      const uint16_t pid = reader.U16() & 0x1FFF;
      if (program == 0) {
        nitPid_ = pid;
      } else if (!info_.serviceId) {
        info_.serviceId = program;
        info_.pmtPid = pid;
      }
    }
    if (info_.pmtPid) wanted_.insert(*info_.pmtPid);
    wanted_.insert(nitPid_);
  }

  void Pmt(ByteReader& reader) {
    pmtSeen_ = true;
    const uint16_t pcr = reader.U16() & 0x1FFF;
    if (pcr != 0x1FFF) info_.pcrPid = pcr;
    reader.Skip(reader.U16() & 0x0FFF);
    while (reader.Ok() && reader.Remaining() >= 5) {
      const uint8_t type = reader.U8();
      const uint16_t pid = reader.U16() & 0x1FFF;
      const std::span<const uint8_t> descriptors = reader.Bytes(reader.U16() & 0x0FFF);
      if (!reader.Ok()) break;
      bool ac3 = type == 0x81;
      for (size_t d = 0; d + 2 <= descriptors.size(); d += 2 + descriptors[d + 1]) {
        ac3 = ac3 || (type == 0x06 && (descriptors[d] == 0x6A || descriptors[d] == 0x7A));
      }
      const bool video =
          type == 0x01 || type == 0x02 || type == 0x10 || type == 0x1B || type == 0x24;
      const bool audio = type == 0x03 || type == 0x04 || type == 0x0F || type == 0x11;
      if (video && !info_.videoPid) info_.videoPid = pid;
      if (audio && !info_.audioPid) info_.audioPid = pid;
      if (ac3 && !info_.ac3Pid) info_.ac3Pid = pid;
    }
  }

  void Nit(ByteReader& reader) {
    nitSeen_ = true;
    reader.Skip(reader.U16() & 0x0FFF);  // the network descriptors
    ByteReader streams(reader.Bytes(reader.U16() & 0x0FFF));
    while (streams.Ok() && streams.Remaining() >= 6) {
      const uint16_t tsId = streams.U16();
      streams.Skip(2);  // original_network_id
      const std::span<const uint8_t> descriptors = streams.Bytes(streams.U16() & 0x0FFF);
      for (size_t d = 0; d + 2 <= descriptors.size(); d += 2 + descriptors[d + 1]) {
        if (descriptors[d] != 0x43 || descriptors[d + 1] < 11 || d + 13 > descriptors.size()) {
          continue;
        }
        ByteReader delivery(descriptors.subspan(d + 2, 11));
        const auto frequency = Bcd(delivery.U32(), 32, 8);
        delivery.Skip(2);  // orbital position
        const uint8_t flags = delivery.U8();
        const auto rate = Bcd(delivery.U32(), 32, 7);
        if (frequency && rate && !deliveries_.count(tsId)) {
          deliveries_[tsId] = {*frequency, *rate, (flags >> 5 & 0x03) == 1};
        }
      }
    }
  }

  RecordingInfo& info_;
  std::set<uint16_t> wanted_;
  std::map<uint16_t, Assembly> assemblies_;
  std::map<uint16_t, Delivery> deliveries_;
  uint16_t nitPid_ = kDefaultNitPid;
  bool pmtSeen_ = false;
  bool nitSeen_ = false;
};

}  // namespace

std::optional<PacketFormat> DetectPacketFormat(std::span<const uint8_t> head) {
  for (size_t at = 0; at < head.size(); ++at) {
    if (head[at] != kSync) continue;
    if (SyncsAt(head, at, 188)) return PacketFormat{188, 0, at};
    if (SyncsAt(head, at, 192) && at >= 4) return PacketFormat{192, 4, at - 4};
  }
  return std::nullopt;
}

RecordingInfo ParseRecordingTables(std::span<const uint8_t> bytes, const PacketFormat& format) {
  RecordingInfo info;
  TableReader reader(info);
  size_t at = format.offset;
  while (at + format.size <= bytes.size() && !reader.Done()) {
    const std::span<const uint8_t> packet = bytes.subspan(at + format.prefix, kTsPacket);
    if (packet[0] == kSync) {
      reader.Packet(packet);
      at += format.size;
      continue;
    }
    // Lost sync: on from where three packets in a row start right again.
    const auto again = DetectPacketFormat(bytes.subspan(at + 1));
    if (!again || again->size != format.size) break;
    at += 1 + again->offset;
  }
  reader.Finish();
  return info;
}

}  // namespace sim
