#include "scsi/receiver_commands.h"

#include <algorithm>
#include <cstring>

#include "common/byte_reader.h"
#include "common/byte_writer.h"
#include "receiver/scsi_opcodes.h"

namespace pelorus {
namespace {

// The ten-byte form shared by most commands: op, sub-code, four address bytes, three length
// bytes and a zero.
ScsiBlock TenByteBlock(uint8_t op, uint8_t sub, uint32_t address, uint32_t length) {
  return ByteWriter().U8(op).U8(sub).U32(address).U24(length).U8(0).Take();
}

}  // namespace

ScsiBlock InquiryBlock() {
  return ByteWriter().U8(kScsiOpInquiry).U8(0).U8(0).U8(0).U8(kScsiInquiryLength).U8(0).Take();
}

ScsiBlock GetChannelCountBlock() { return TenByteBlock(kScsiOpRead, kScsiReadChannelCount, 0, 4); }

ScsiBlock ReadMemoryBlock(uint32_t address, uint32_t length) {
  return TenByteBlock(kScsiOpRead, kScsiReadMemory, address, length);
}

ScsiBlock WriteMemoryBlock(uint32_t address, uint32_t length) {
  return TenByteBlock(kScsiOpWrite, kScsiWriteMemory, address & 0x00FFFFFF, length);
}

ScsiBlock StartFirmwareBlock() {
  return ByteWriter().U8(kScsiOpStartFirmware).U8(1).Zeros(4).Take();
}

ScsiBlock SpeedTestWriteBlock(uint32_t length) {
  return TenByteBlock(kScsiOpWrite, kScsiWriteSpeedTest, 0, length);
}

ScsiBlock SetupStreamBlock(bool slotted, uint32_t dataLength) {
  return TenByteBlock(slotted ? kScsiOpSetupSlottedStream : kScsiOpSetupStream, 0, 0, dataLength);
}

ScsiBlock StopStreamBlock(bool slotted) { return SetupStreamBlock(slotted, 0); }

ScsiBlock ReadStreamBlock(uint32_t threshold) {
  return TenByteBlock(kScsiOpRead, kScsiReadStream, 0, threshold);
}

ScsiBlock ReadSlotBlock(uint8_t slot, uint32_t length) {
  return TenByteBlock(kScsiOpRead, slot, 0, length);
}

ScsiBlock ReadPictureGeometryBlock() {
  return TenByteBlock(kScsiOpRead, kScsiReadPictureGeometry, 0, 4);
}

ScsiBlock SetBusyWordBlock() {
  return TenByteBlock(kScsiOpWrite, kScsiWriteBusyWord, 0x0100FFEA, 2);
}

ScsiBlock ReceiverCommandBlock(uint32_t length) {
  return TenByteBlock(kScsiOpWrite, kScsiWriteReceiverCommand, 0, length);
}

std::vector<uint8_t> StreamFilterData(std::span<const StreamFilter> slots) {
  ByteWriter writer;
  for (const StreamFilter& slot : slots) writer.U16(slot.pid).U16(slot.threshold).U16(slot.mode);
  return writer.Take();
}

std::vector<uint8_t> BusyWordData(bool scsiBusy) {
  const uint8_t value = scsiBusy ? 0x00 : 0xFF;
  return {value, value};
}

bool IsReceiverInquiry(std::span<const uint8_t> inquiry) {
  auto matches = [&](const char* text) {
    const size_t length = std::strlen(text);
    if (inquiry.size() < kScsiVendorOffset + length) return false;
    return std::equal(text, text + length, inquiry.begin() + kScsiVendorOffset,
                      [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; });
  };
  return matches(kInquiryVanta) || matches(kInquiryTessera);
}

std::optional<uint32_t> ParseChannelCount(std::span<const uint8_t> answer) {
  if (answer.size() != 4) return std::nullopt;
  ByteReader reader(answer);
  return reader.U32();
}

std::optional<PictureGeometry> ParsePictureGeometry(std::span<const uint8_t> answer) {
  if (answer.size() != 4) return std::nullopt;
  ByteReader reader(answer);
  const int b0 = reader.U8();
  const int b1 = reader.U8();
  const int b2 = reader.U8();
  const int b3 = reader.U8();
  return PictureGeometry{b0 * 255 + b1 + 2, b2 * 255 + b3 + 1};
}

}  // namespace pelorus
