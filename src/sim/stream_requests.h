#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace sim {

// What the client asks of the receiver's stream side, decoded from command data. Every
// decoder takes untrusted bytes and answers nothing when they are not a valid request.

// One {pid, threshold, mode} block of a stream set-up.
struct StreamFilter {
  uint16_t pid = 0;
  uint16_t threshold = 0;
  uint16_t mode = 0;  // 0..6, as the capture's mode list names them
};
inline constexpr size_t kMaxSlots = 3;

// The SCSI connection a request came on, numbered from 1 as they are accepted.
using ConnectionId = uint64_t;
inline constexpr ConnectionId kNoConnection = 0;
inline constexpr uint16_t kEntireMode = 6;

// 6 bytes for a single-PID stream, 6 x slots (1 to 3) for a slotted one.
std::optional<std::vector<StreamFilter>> DecodeStreamSetup(std::span<const uint8_t> data,
                                                           bool slotted);

// The tune receiver command (0x17 and 15 more bytes): the transponder asked for, as its digits.
struct TuneRequest {
  int frequencyMhz = 0;
  int symbolRateDigits = 0;  // the first five digits of ten times the symbol rate
  bool vertical = false;
  int fecIndex = 0;
};
std::optional<TuneRequest> DecodeTune(std::span<const uint8_t> data);

// The probe receiver command (0x3F): up to 32 PIDs, ended by 0xFFFF.
std::optional<std::vector<uint16_t>> DecodeProbe(std::span<const uint8_t> data);

}  // namespace sim
