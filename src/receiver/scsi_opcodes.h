#pragma once

#include <cstdint>

namespace pelorus {

// The receiver's SCSI command set: operation codes, sub-codes and sizes. The layouts of the
// blocks are built in src/scsi/receiver_commands.h; the stand-in receiver decodes them itself.
inline constexpr uint8_t kScsiOpInquiry = 0x12;
inline constexpr uint8_t kScsiOpStartFirmware = 0x01;
inline constexpr uint8_t kScsiOpRead = 0x3C;
inline constexpr uint8_t kScsiOpWrite = 0x3B;
inline constexpr uint8_t kScsiOpSetupStream = 0x3D;
inline constexpr uint8_t kScsiOpSetupSlottedStream = 0x3E;

// Second byte of a read (0x3C): what is read. Values below kScsiReadStream also name a slot.
inline constexpr uint8_t kScsiReadMemory = 0x00;
inline constexpr uint8_t kScsiReadChannelCount = 0x01;
inline constexpr uint8_t kScsiReadPictureGeometry = 0x05;
inline constexpr uint8_t kScsiReadStream = 0x06;

// Second byte of a write (0x3B).
inline constexpr uint8_t kScsiWriteSpeedTest = 0x00;
inline constexpr uint8_t kScsiWriteMemory = 0x04;
inline constexpr uint8_t kScsiWriteBusyWord = 0x05;
inline constexpr uint8_t kScsiWriteReceiverCommand = 0x30;

// First data byte of a receiver command.
inline constexpr uint8_t kReceiverCommandSelectChannel = 0x16;
inline constexpr uint8_t kReceiverCommandTune = 0x17;
inline constexpr uint8_t kReceiverCommandProbePids = 0x3F;

inline constexpr uint32_t kScsiInquiryLength = 36;
inline constexpr uint32_t kScsiMaxPiece = 0x10000;  // bytes per read or write command
inline constexpr uint32_t kScsiVendorOffset = 8;    // of the identification in the INQUIRY data

// The identification strings the receiver's firmware answers INQUIRY with: the current
// firmware's name, and the older firmware's vendor field with the start of the product field.
inline constexpr char kInquiryTessera[] = "Tessera";
inline constexpr char kInquiryVanta[] = "OVERFLOW VANTA SCSI";

}  // namespace pelorus
