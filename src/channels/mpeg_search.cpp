#include "channels/mpeg_search.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "channels/number_scan.h"

namespace pelorus {
namespace {

constexpr std::string_view kPcrMark = "(PCR=";
constexpr std::string_view kMarkerOpen = "-- ";
constexpr std::string_view kMarkerClose = " --";
constexpr uint8_t kNtscBits = 0x03;

int32_t FieldNumber(std::string_view field) {
  int32_t value = 0;
  ScanDecimal(field, value);  // a field without a number gives 0
  return value;
}

uint8_t FecCodeOf(std::string_view field) {
  static constexpr std::array<std::pair<std::string_view, uint8_t>, 6> kCodes = {
      {{"1/1", 1}, {"1/2", 2}, {"2/3", 3}, {"3/4", 4}, {"5/6", 6}, {"7/8", 7}}};
  for (const auto& [text, code] : kCodes) {
    if (field == text) return code;
  }
  return 0;
}

uint16_t PidOrNone(int32_t value) { return value == 0 ? kNoPid : static_cast<uint16_t>(value); }

}  // namespace

char MpegDelimiterOf(uint32_t dataFormat) {
  return dataFormat < kMpegDelimiters.size() ? kMpegDelimiters[dataFormat] : ',';
}

MpegSearchOptions MpegSearchOptionsFrom(const Options& options) {
  MpegSearchOptions result;
  result.delimiter = MpegDelimiterOf(options.mpegProjectDataFormat);
  result.band = options.mpegProjectPasteMode == 1   ? MpegBand::kC
                : options.mpegProjectPasteMode == 2 ? MpegBand::kKu
                                                    : MpegBand::kAll;
  result.diseqcC = static_cast<uint8_t>(options.mpegProjectDiseqcC);
  result.diseqcKu = static_cast<uint8_t>(options.mpegProjectDiseqcKu);
  result.diseqcKuDbs = static_cast<uint8_t>(options.mpegProjectDiseqcKuDbs);
  result.addMarkers = options.mpegProjectAddMarkers == 1;
  return result;
}

bool IsMpegSearchHeaderLine(std::string_view line) {
  return line.find("Source") != std::string_view::npos ||
         line.find("Updated") != std::string_view::npos ||
         line.find("Footprint") != std::string_view::npos;
}

bool ParseMpegSearchLine(std::string_view line, const MpegSearchOptions& options,
                         ChannelRecord& record) {
  std::array<std::string_view, kMpegSearchFieldCount> fields;
  size_t start = 0;
  for (std::string_view& field : fields) {
    const size_t end = line.find(options.delimiter, start);
    if (end == std::string_view::npos) return false;
    field = line.substr(start, end - start);
    start = end + 1;
  }

  ChannelRecord channel{};
  channel.tag = kChannelTag;
  channel.modeFlags = kNtscBits;

  const std::string_view band = fields[1];
  channel.lnbSelect = band == "C" ? options.diseqcC : options.diseqcKu;
  if (options.band == MpegBand::kC && band != "C") return false;
  if (options.band == MpegBand::kKu && band != "KU") return false;

  channel.frequency = static_cast<uint16_t>(FieldNumber(fields[2]));
  if (channel.lnbSelect == options.diseqcKu && channel.frequency >= kKuDbsFrequency) {
    channel.lnbSelect = options.diseqcKuDbs;
  }

  const std::string_view polarity = fields[3];
  channel.polarity = !polarity.empty() && (polarity[0] == 'V' || polarity[0] == 'R') ? 1 : 0;

  std::string_view name = fields[4];
  if (const size_t mark = name.find(kPcrMark); mark != std::string_view::npos) {
    channel.pcrPid = static_cast<uint16_t>(FieldNumber(name.substr(mark + kPcrMark.size())));
    name = name.substr(0, mark);
  }
  name = name.substr(0, kChannelNameSize);
  // The site's names are plain text: brackets stay brackets, not the receiver's emphasis codes.
  std::memcpy(channel.name.data(), name.data(), name.size());

  const int32_t symbolRate = FieldNumber(fields[6]);
  channel.symbolRate = static_cast<uint16_t>(symbolRate);
  channel.acqBandwidth = static_cast<uint8_t>(symbolRate / 1000 + 4);
  channel.fecCode = FecCodeOf(fields[7]);

  channel.videoPid = PidOrNone(FieldNumber(fields[8]));
  if (channel.pcrPid == 0) channel.pcrPid = channel.videoPid;
  channel.audioPid = PidOrNone(FieldNumber(fields[11]));

  record = channel;
  return true;
}

ChannelRecord MakeSatelliteMarker(std::string_view satellite) {
  ChannelRecord marker{};
  marker.tag = kChannelTag;
  marker.modeFlags = kNtscBits;
  const size_t room = kChannelNameSize - kMarkerOpen.size() - kMarkerClose.size();
  std::string text(kMarkerOpen);
  text += satellite.substr(0, room);
  text += kMarkerClose;
  std::memcpy(marker.name.data(), text.data(), text.size());
  return marker;
}

void MpegSearchPaste::AddLine(std::string_view line, std::vector<ChannelRecord>& records) {
  if (options_.addMarkers) {
    const size_t end = line.find(options_.delimiter);
    if (end != std::string_view::npos) {
      const std::string_view satellite = line.substr(0, end);
      if (satellite != lastSatellite_) {
        records.push_back(MakeSatelliteMarker(satellite));
        lastSatellite_ = satellite;
      }
    }
  }
  ChannelRecord channel;
  if (ParseMpegSearchLine(line, options_, channel)) records.push_back(channel);
}

}  // namespace pelorus
