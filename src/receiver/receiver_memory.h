#pragma once

#include <cstdint>

namespace pelorus {

// Receiver memory the editor addresses, over either link.
inline constexpr uint32_t kBootloaderAddress = 0x00000000;
inline constexpr uint32_t kFirmwareAddress = 0x00020000;
inline constexpr uint32_t kChannelTableAddress = 0x000D0000;
inline constexpr uint32_t kCurrentServiceAddress = 0x01000300;
inline constexpr uint32_t kCurrentServiceSize = 512;
inline constexpr uint32_t kCurrentChannelAddress = 0x01000B0E;
inline constexpr uint32_t kPidProbeAddress = 0x01050000;
inline constexpr uint32_t kPidProbeSize = 8192;

// A firmware image of exactly this size (after padding to an even size) is the bootloader.
inline constexpr uint32_t kBootloaderImageSize = 0x20000;

// The most channels the receiver's table holds.
inline constexpr uint32_t kMaxChannelCount = 65536;

}  // namespace pelorus
