#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace pelorus {

// The receiver's SCSI command table: one builder per command block and data layout, so every
// byte the editor sends is written in one place. Addresses and lengths are big-endian; a 32-bit
// address fills bytes 2-5, a 24-bit one bytes 3-5; lengths fill bytes 6-8.
using ScsiBlock = std::vector<uint8_t>;

ScsiBlock InquiryBlock();                                      // 12 00 00 00 24 00
ScsiBlock GetChannelCountBlock();                              // 3C 01 ... 04 00
ScsiBlock ReadMemoryBlock(uint32_t address, uint32_t length);  // 3C 00 aa aa aa aa ll ll ll 00
// 3B 04 00 aa aa aa ll ll ll 00; the address must lie below 16 MiB.
ScsiBlock WriteMemoryBlock(uint32_t address, uint32_t length);
ScsiBlock StartFirmwareBlock();                                 // 01 01 00 00 00 00
ScsiBlock SpeedTestWriteBlock(uint32_t length);                 // 3B 00 ... ll ll ll 00
ScsiBlock SetupStreamBlock(bool slotted, uint32_t dataLength);  // 3D/3E ... ll ll ll 00
ScsiBlock StopStreamBlock(bool slotted);                        // 3D/3E and nine zeros
ScsiBlock ReadStreamBlock(uint32_t threshold);                  // 3C 06 ... ll ll ll 00
ScsiBlock ReadSlotBlock(uint8_t slot, uint32_t length);         // 3C ss ... ll ll ll 00
ScsiBlock ReadPictureGeometryBlock();                           // 3C 05 ... 04 00
ScsiBlock SetBusyWordBlock();                                   // 3B 05 01 00 FF EA 00 00 02 00
ScsiBlock ReceiverCommandBlock(uint32_t length);                // 3B 30 ... ll ll ll 00

// One stream filter: the data of "Setup PID stream", one per slot of a slotted stream.
struct StreamFilter {
  uint16_t pid = 0;
  uint16_t threshold = 0;
  uint16_t mode = 0;
};
std::vector<uint8_t> StreamFilterData(std::span<const StreamFilter> slots);

// The two data bytes of the busy word: FF FF leaves the receiver's own use of the bus alone,
// 00 00 (the SCSIBusy option) blocks it.
std::vector<uint8_t> BusyWordData(bool scsiBusy);

// What the answers mean. Each parser takes the bytes that came and never reads past them.

// True when the INQUIRY data names the receiver: the 19-byte older form or the 7-byte current
// form at the vendor field, compared byte for byte.
bool IsReceiverInquiry(std::span<const uint8_t> inquiry);

// The channel count of a get-channel-count answer; no value when it is not 4 bytes long.
std::optional<uint32_t> ParseChannelCount(std::span<const uint8_t> answer);

// The picture size of a read-picture-geometry answer. The receiver's numbers are counted in
// 255s, not 256s, and width and height are off by two and by one.
struct PictureGeometry {
  int width = 0;
  int height = 0;
};
std::optional<PictureGeometry> ParsePictureGeometry(std::span<const uint8_t> answer);

}  // namespace pelorus
