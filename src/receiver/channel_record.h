#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pelorus {

static_assert(std::endian::native == std::endian::little,
              "records are held in host order and swapped to the receiver's big-endian order");

inline constexpr size_t kChannelRecordSize = 64;
inline constexpr size_t kChannelNameSize = 24;
inline constexpr std::array<char, 4> kChannelTag = {'D', 'V', 'S', 'O'};
inline constexpr uint16_t kPidMask = 0x1FFF;
inline constexpr uint16_t kNoPid = 0x1FFF;

// One channel as the receiver keeps it. In files and on the receiver every 16-bit field except
// `scrambling` is big-endian; in memory they are held in host order (see SwapRecordByteOrder).
struct ChannelRecord {
  std::array<char, 4> tag;  // "DVSO"; a record without it is not a channel
  uint16_t serviceId;
  uint16_t pmtPid;
  uint16_t frequency;  // MHz; 0 marks a title (marker) row
  uint16_t symbolRate;
  uint8_t fecCode;
  uint8_t acqBandwidth;
  uint8_t polarity;   // 0 horizontal, 1 vertical
  uint8_t lnbSelect;  // bits 0-1 DiSEqC port, bits 2-3 spectral inversion
  uint16_t videoPid;
  uint16_t audioPid;
  uint16_t pcrPid;
  uint16_t scrambling;  // never swapped: kept in the byte order it has on the receiver
  uint16_t pmc;
  uint8_t modeFlags;  // bits 0-1 video mode, bit 4 12 V, bits 6-7 audio mode
  uint8_t serviceType;
  uint16_t textPid;
  uint16_t tsId;
  std::array<uint8_t, kChannelNameSize> name;
  uint8_t autoFlags;  // bit 0 auto PMT, bit 1 auto PID
  uint8_t reserved1;
  uint8_t lockCode;
  uint8_t reserved2;
  uint8_t reserved3;
  uint8_t reserved4;
  uint16_t networkId;

  // Compared as one word: every record of a list is checked at each load.
  bool HasTag() const {
    return std::bit_cast<uint32_t>(tag) == std::bit_cast<uint32_t>(kChannelTag);
  }
  bool IsMarker() const { return frequency == 0; }
};

static_assert(sizeof(ChannelRecord) == kChannelRecordSize);
static_assert(std::is_standard_layout_v<ChannelRecord>);
static_assert(std::is_trivially_copyable_v<ChannelRecord>);
static_assert(offsetof(ChannelRecord, tag) == 0);
static_assert(offsetof(ChannelRecord, serviceId) == 4);
static_assert(offsetof(ChannelRecord, pmtPid) == 6);
static_assert(offsetof(ChannelRecord, frequency) == 8);
static_assert(offsetof(ChannelRecord, symbolRate) == 10);
static_assert(offsetof(ChannelRecord, fecCode) == 12);
static_assert(offsetof(ChannelRecord, acqBandwidth) == 13);
static_assert(offsetof(ChannelRecord, polarity) == 14);
static_assert(offsetof(ChannelRecord, lnbSelect) == 15);
static_assert(offsetof(ChannelRecord, videoPid) == 16);
static_assert(offsetof(ChannelRecord, audioPid) == 18);
static_assert(offsetof(ChannelRecord, pcrPid) == 20);
static_assert(offsetof(ChannelRecord, scrambling) == 22);
static_assert(offsetof(ChannelRecord, pmc) == 24);
static_assert(offsetof(ChannelRecord, modeFlags) == 26);
static_assert(offsetof(ChannelRecord, serviceType) == 27);
static_assert(offsetof(ChannelRecord, textPid) == 28);
static_assert(offsetof(ChannelRecord, tsId) == 30);
static_assert(offsetof(ChannelRecord, name) == 32);
static_assert(offsetof(ChannelRecord, autoFlags) == 56);
static_assert(offsetof(ChannelRecord, reserved1) == 57);
static_assert(offsetof(ChannelRecord, lockCode) == 58);
static_assert(offsetof(ChannelRecord, reserved2) == 59);
static_assert(offsetof(ChannelRecord, reserved3) == 60);
static_assert(offsetof(ChannelRecord, reserved4) == 61);
static_assert(offsetof(ChannelRecord, networkId) == 62);

// Converts a record between host order and the receiver's order, in place. Applying it twice
// restores the record. `scrambling` is left alone on purpose: the receiver's software reads it
// in the order it was written, and the editor shows it as a little-endian number.
inline void SwapRecordByteOrder(ChannelRecord& record) {
  for (uint16_t* field : {&record.serviceId, &record.pmtPid, &record.frequency, &record.symbolRate,
                          &record.videoPid, &record.audioPid, &record.pcrPid, &record.pmc,
                          &record.textPid, &record.tsId, &record.networkId}) {
    *field = static_cast<uint16_t>((*field >> 8) | (*field << 8));
  }
}

// Keeps only the meaningful bits of the PIDs and the polarity, as every load and read does.
inline void MaskRecordFields(ChannelRecord& record) {
  record.videoPid &= kPidMask;
  record.audioPid &= kPidMask;
  record.pmtPid &= kPidMask;
  record.pcrPid &= kPidMask;
  record.textPid &= kPidMask;
  record.polarity &= 1;
}

// A record built from 64 bytes in the receiver's order.
inline ChannelRecord RecordFromReceiverBytes(const uint8_t* bytes) {
  ChannelRecord record;
  std::memcpy(&record, bytes, sizeof record);
  SwapRecordByteOrder(record);
  return record;
}

}  // namespace pelorus
