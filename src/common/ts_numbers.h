#pragma once

#include <cstddef>
#include <cstdint>

// The numbers of MPEG-2 transport streams and DVB service information, in one place: packet
// layout, the PID space, the PIDs the tables travel on, table ids, descriptor tags and stream
// types. Everything that reads or writes transport streams takes them from here.
namespace pelorus::ts {

// Packets.
inline constexpr size_t kPacketSize = 188;
inline constexpr size_t kM2tsPacketSize = 192;  // a 4-byte time stamp before every packet
inline constexpr size_t kHeaderSize = 4;
inline constexpr size_t kPayloadSize = kPacketSize - kHeaderSize;
inline constexpr uint8_t kSyncByte = 0x47;
inline constexpr uint8_t kPayloadUnitStartFlag = 0x40;  // in header byte 1
// The most a pointer field can say in a packet without an adaptation field: the bytes after it.
inline constexpr size_t kMaxPointerField = kPayloadSize - 1;

// The PID space.
inline constexpr uint16_t kPidCount = 8192;
inline constexpr uint16_t kMaxPid = 0x1FFF;
inline constexpr uint16_t kPidMask = 0x1FFF;
inline constexpr uint16_t kNullPid = 0x1FFF;

// Sections: table_id and the 12-bit section_length, then at most 4093 bytes (1021 for the
// MPEG-2 tables PAT, CAT and PMT); a long-form header is 8 bytes, the CRC 4.
inline constexpr size_t kSectionHeaderSize = 3;
inline constexpr size_t kLongHeaderSize = 8;
inline constexpr size_t kCrcSize = 4;
inline constexpr size_t kMaxSectionSize = kSectionHeaderSize + 4093;
inline constexpr size_t kMaxPsiSectionSize = kSectionHeaderSize + 1021;
inline constexpr uint8_t kStuffingByte = 0xFF;

// The PIDs the tables are carried on.
namespace pid {
inline constexpr uint16_t kPat = 0x0000;
inline constexpr uint16_t kCat = 0x0001;
inline constexpr uint16_t kTsdt = 0x0002;
inline constexpr uint16_t kNit = 0x0010;
inline constexpr uint16_t kSdt = 0x0011;  // SDT and BAT
inline constexpr uint16_t kEit = 0x0012;
inline constexpr uint16_t kRst = 0x0013;
inline constexpr uint16_t kTdt = 0x0014;  // TDT and TOT
}  // namespace pid

// table_id values.
namespace table {
inline constexpr uint8_t kPat = 0x00;
inline constexpr uint8_t kCat = 0x01;
inline constexpr uint8_t kPmt = 0x02;
inline constexpr uint8_t kNitActual = 0x40;
inline constexpr uint8_t kNitOther = 0x41;
inline constexpr uint8_t kSdtActual = 0x42;
inline constexpr uint8_t kSdtOther = 0x46;
inline constexpr uint8_t kBat = 0x4A;
inline constexpr uint8_t kEitPfActual = 0x4E;
inline constexpr uint8_t kEitPfOther = 0x4F;
inline constexpr uint8_t kEitScheduleActualFirst = 0x50;
inline constexpr uint8_t kEitScheduleActualLast = 0x5F;
inline constexpr uint8_t kEitScheduleOtherFirst = 0x60;
inline constexpr uint8_t kEitScheduleOtherLast = 0x6F;
inline constexpr uint8_t kTdt = 0x70;
inline constexpr uint8_t kRst = 0x71;
inline constexpr uint8_t kStuffing = 0x72;
inline constexpr uint8_t kTot = 0x73;
inline constexpr uint8_t kForbidden = 0xFF;
}  // namespace table

// descriptor_tag values.
namespace tag {
inline constexpr uint8_t kCa = 0x09;
inline constexpr uint8_t kIso639Language = 0x0A;
inline constexpr uint8_t kNetworkName = 0x40;
inline constexpr uint8_t kServiceList = 0x41;
inline constexpr uint8_t kStuffing = 0x42;
inline constexpr uint8_t kSatelliteDelivery = 0x43;
inline constexpr uint8_t kCableDelivery = 0x44;
inline constexpr uint8_t kBouquetName = 0x47;
inline constexpr uint8_t kService = 0x48;
inline constexpr uint8_t kLinkage = 0x4A;
inline constexpr uint8_t kShortEvent = 0x4D;
inline constexpr uint8_t kExtendedEvent = 0x4E;
inline constexpr uint8_t kComponent = 0x50;
inline constexpr uint8_t kStreamIdentifier = 0x52;
inline constexpr uint8_t kCaIdentifier = 0x53;
inline constexpr uint8_t kContent = 0x54;
inline constexpr uint8_t kParentalRating = 0x55;
inline constexpr uint8_t kTeletext = 0x56;
inline constexpr uint8_t kLocalTimeOffset = 0x58;
inline constexpr uint8_t kSubtitling = 0x59;
inline constexpr uint8_t kTerrestrialDelivery = 0x5A;
inline constexpr uint8_t kPrivateDataSpecifier = 0x5F;
inline constexpr uint8_t kAc3 = 0x6A;
inline constexpr uint8_t kEnhancedAc3 = 0x7A;
}  // namespace tag

// stream_type values of the programme map.
namespace stream_type {
inline constexpr uint8_t kMpeg1Video = 0x01;
inline constexpr uint8_t kMpeg2Video = 0x02;
inline constexpr uint8_t kMpeg1Audio = 0x03;
inline constexpr uint8_t kMpeg2Audio = 0x04;
inline constexpr uint8_t kPrivateSections = 0x05;
inline constexpr uint8_t kPrivatePes = 0x06;  // AC-3, teletext, subtitles in DVB
inline constexpr uint8_t kAdtsAac = 0x0F;
inline constexpr uint8_t kMpeg4Video = 0x10;
inline constexpr uint8_t kLatmAac = 0x11;
inline constexpr uint8_t kH264 = 0x1B;
inline constexpr uint8_t kH265 = 0x24;
inline constexpr uint8_t kAc3 = 0x81;
}  // namespace stream_type

}  // namespace pelorus::ts
