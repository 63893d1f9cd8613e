#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "channels/channel_name.h"
#include "receiver/channel_record.h"

namespace pelorus::testing {

// A tagged television channel in host order, with the fields a test usually cares about.
inline ChannelRecord MakeChannel(const std::string& name, uint16_t frequency,
                                 uint16_t symbolRate = 27500) {
  ChannelRecord record{};
  record.tag = kChannelTag;
  record.frequency = frequency;
  record.symbolRate = symbolRate;
  record.videoPid = 0x0200;
  record.audioPid = 0x0280;
  record.pcrPid = 0x0200;
  record.pmtPid = 0x0100;
  record.textPid = kNoPid;
  EncodeChannelName(record, name);
  return record;
}

// `count` channels "Channel 0", "Channel 1", ... on 10700, 10701, ... MHz.
inline std::vector<ChannelRecord> NumberedChannels(int count) {
  std::vector<ChannelRecord> records;
  for (int i = 0; i < count; ++i) {
    records.push_back(
        MakeChannel("Channel " + std::to_string(i), static_cast<uint16_t>(10700 + i)));
  }
  return records;
}

// The 64 bytes a settings file holds for a host-order record.
inline std::vector<uint8_t> FileBytes(const std::vector<ChannelRecord>& records) {
  std::vector<uint8_t> bytes;
  for (ChannelRecord record : records) {
    SwapRecordByteOrder(record);
    const auto* raw = reinterpret_cast<const uint8_t*>(&record);
    bytes.insert(bytes.end(), raw, raw + sizeof record);
  }
  return bytes;
}

// The names of a list in order, a marker's in brackets.
inline std::vector<std::string> ListNames(const std::vector<ChannelRecord>& records) {
  std::vector<std::string> names;
  for (const ChannelRecord& record : records) {
    names.push_back(record.IsMarker() ? "[" + DecodeChannelName(record) + "]"
                                      : DecodeChannelName(record));
  }
  return names;
}

}  // namespace pelorus::testing
