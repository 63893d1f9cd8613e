#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "sim_state.h"

namespace sim {

// The receiver's memory as the SCSI side sees it:
//   below 0x000D0000                  the flash (SimState::flash; unwritten flash reads 0xFF)
//   0x000D0000 .. + 65536 records     the channel table (SimState::channelTable)
//   everything else                   RAM: what was written, else a fixed fill whose byte at
//                                     address a is (a ^ a >> 8 ^ a >> 16 ^ a >> 24) & 0xFF
// The current-service block at 0x01000300 starts with a television service in it.
class ScsiMemory {
 public:
  explicit ScsiMemory(SimState& state);

  void Read(uint32_t address, uint8_t* out, uint32_t length);
  void Write(uint32_t address, const uint8_t* data, uint32_t length);
  uint32_t ChannelCount();

  static uint8_t FillByte(uint32_t address) {
    return static_cast<uint8_t>(address ^ (address >> 8) ^ (address >> 16) ^ (address >> 24));
  }

 private:
  void WriteByteLocked(uint32_t address, uint8_t value);

  SimState& state_;
  std::map<uint32_t, std::vector<uint8_t>> pages_;  // written RAM, 64 KiB pages by number
};

}  // namespace sim
