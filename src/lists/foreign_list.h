#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "receiver/channel_record.h"

namespace pelorus {

enum class DeliverySystem : uint8_t { kSatellite, kCable, kTerrestrial, kOther };

// One channel as another receiver's list describes it, before it becomes a record. Numbers are
// in the files' own units where those are finer than the record's.
struct ForeignChannel {
  std::string name;  // already the record's 8-bit name text (see channels/record_name_text.h)
  DeliverySystem delivery = DeliverySystem::kSatellite;
  bool dvbS2 = false;
  std::optional<int> orbital;  // satellites: tenths of a degree, east positive
  uint32_t frequencyKhz = 0;
  uint32_t symbolRate = 0;  // symbols per second
  uint8_t polarity = 0;     // 0 horizontal or circular left, 1 vertical or circular right
  uint8_t fecCode = 0;      // the record's code (0 Auto)
  uint8_t inversion = 0;    // the record's bits 2-3 value: 0 Auto, 1 Off, 2 On
  uint16_t serviceId = 0;
  uint16_t tsId = 0;
  uint16_t originalNetworkId = 0;
  uint16_t videoPid = kNoPid;
  uint16_t audioPid = kNoPid;  // MPEG audio
  uint16_t ac3Pid = kNoPid;
  uint16_t pcrPid = kNoPid;
  uint16_t textPid = kNoPid;
  int serviceType = -1;        // the DVB service type when the file gives one
  bool advancedVideo = false;  // H.264 or HEVC video
  int diseqcPort = -1;         // 0-3 when the file itself says (the old channels.conf form)
  // Where it was read, for the report of what could not be taken.
  int file = 0;  // index into ForeignList::files
  int line = 0;
};

// A line that could not be read, skipped and reported; never guessed at.
struct BadLine {
  int file = 0;  // index into ForeignList::files
  int line = 0;
  std::string reason;
};

// A row of a list from another receiver: a channel, or a title row made from a group, bouquet or
// marker of the file. `fromFile` tells a title the file has (a channels.conf group, a bouquet's
// marker) from one made to head a bouquet or a satellite.
struct ForeignEntry {
  bool marker = false;
  bool fromFile = false;
  std::string markerName;  // record name text
  ForeignChannel channel;
};

struct ForeignList {
  std::vector<std::string> files;  // the names the report uses, one per file read
  std::vector<ForeignEntry> entries;
  std::vector<BadLine> badLines;
  // Bouquet entries that are no broadcast channel (streams from the network): never imported,
  // counted among the skipped "other" entries.
  int streams = 0;

  int AddFile(std::string name) {
    files.push_back(std::move(name));
    return static_cast<int>(files.size()) - 1;
  }
};

}  // namespace pelorus
