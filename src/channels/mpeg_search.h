#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/options.h"
#include "receiver/channel_record.h"

namespace pelorus {

// Which lines of an MPEG Search Project list a paste takes.
enum class MpegBand { kAll = 0, kC = 1, kKu = 2 };

// The paste options, taken from the persisted options when the paste starts.
struct MpegSearchOptions {
  char delimiter = ',';
  MpegBand band = MpegBand::kAll;
  uint8_t diseqcC = 0;
  uint8_t diseqcKu = 0;
  uint8_t diseqcKuDbs = 0;  // Ku-band channels at 12200 MHz and above
  bool addMarkers = true;
};

// The delimiters by the value of the "MPEGProjectDataFormat" option.
inline constexpr std::string_view kMpegDelimiters = ",^~";
inline constexpr int kMpegSearchFieldCount = 12;
inline constexpr uint16_t kKuDbsFrequency = 12200;

// The delimiter of the "MPEGProjectDataFormat" option: 0 comma, 1 caret, 2 tilde; any other
// value is taken as the comma.
char MpegDelimiterOf(uint32_t dataFormat);
MpegSearchOptions MpegSearchOptionsFrom(const Options& options);

// The site's header lines ("Source", "Updated", "Footprint" anywhere in them) carry no channel.
bool IsMpegSearchHeaderLine(std::string_view line);

// One channel line: the first twelve delimiter-terminated fields. False when the line has fewer
// delimiters or its band is not the one pasted; otherwise `record` holds the channel.
bool ParseMpegSearchLine(std::string_view line, const MpegSearchOptions& options,
                         ChannelRecord& record);

// The title row "-- NAME --" for a satellite. A name too long for the 24-byte field is cut so
// that the closing dashes still fit.
ChannelRecord MakeSatelliteMarker(std::string_view satellite);

// Turns the lines of one paste into records: a marker whenever the satellite changes (when
// markers are asked for), then the line's channel if it is accepted.
class MpegSearchPaste {
 public:
  explicit MpegSearchPaste(const MpegSearchOptions& options) : options_(options) {}
  void AddLine(std::string_view line, std::vector<ChannelRecord>& records);

 private:
  MpegSearchOptions options_;
  // The whole name of the last marker's satellite, so that names that differ only past what a
  // marker can show still get markers of their own.
  std::string lastSatellite_;
};

}  // namespace pelorus
