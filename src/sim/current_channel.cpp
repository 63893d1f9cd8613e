#include "current_channel.h"

#include <string>

#include "receiver/receiver_memory.h"
#include "receiver/scsi_opcodes.h"

namespace sim {

std::optional<uint32_t> DecodeSelectChannel(std::span<const uint8_t> data) {
  if (data.size() != 8 || data[0] != pelorus::kReceiverCommandSelectChannel || data[1] != 0x01 ||
      data[2] != 0x01 || data[7] != 0x00) {
    return std::nullopt;
  }
  uint32_t number = 0;
  for (size_t i = 3; i < 7; ++i) {
    if (data[i] < '0' || data[i] > '9') return std::nullopt;
    number = number * 10 + static_cast<uint32_t>(data[i] - '0');
  }
  return number;
}

bool SelectChannel(SimState& state, uint32_t number) {
  size_t count = 0;
  bool switched = false;
  {
    std::lock_guard lock(state.mutex);
    count = state.channelTable.size() / 64;
    switched = number >= 1 && number <= count;
    if (switched) state.currentChannel = static_cast<uint16_t>(number - 1);
  }
  if (switched) {
    state.Log("select-channel " + std::to_string(number));
  } else {
    state.Log("select-channel " + std::to_string(number) + " refused: the table holds " +
              std::to_string(count) + " channels");
  }
  return switched;
}

void OverlayCurrentChannel(SimState& state, uint32_t address, std::vector<uint8_t>& data) {
  uint16_t current = 0;
  {
    std::lock_guard lock(state.mutex);
    current = state.currentChannel;
  }
  const uint8_t bytes[2] = {static_cast<uint8_t>(current >> 8), static_cast<uint8_t>(current)};
  for (uint32_t i = 0; i < 2; ++i) {
    const uint64_t at = uint64_t{pelorus::kCurrentChannelAddress} + i;
    if (at >= address && at - address < data.size()) data[at - address] = bytes[i];
  }
}

}  // namespace sim
