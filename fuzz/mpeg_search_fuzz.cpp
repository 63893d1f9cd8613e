// Pastes any text as an MPEG Search Project list, with the paste options taken from the first
// byte. Markers must not change the channels read, every marker must be well formed, and no
// line may give more than a marker and a channel.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "channels/editing.h"
#include "channels/mpeg_search.h"

namespace {

// "-- NAME --" followed by zero bytes to the end of the field, and nothing else in the record.
bool IsWellFormedMarker(const pelorus::ChannelRecord& record) {
  pelorus::ChannelRecord rest = pelorus::MakeSatelliteMarker("");
  rest.name = record.name;
  if (std::memcmp(&rest, &record, sizeof rest) != 0) return false;
  const std::string_view name(reinterpret_cast<const char*>(record.name.data()),
                              record.name.size());
  if (!name.starts_with("-- ")) return false;
  size_t end = name.size();
  while (end > 0 && name[end - 1] == '\0') --end;
  // A satellite name may itself end in zero bytes; the closing dashes are still there.
  return end >= 6 && name.substr(end - 3, 3) == " --";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelorus;
  if (size == 0) return 0;
  const uint8_t choice = data[0];
  Options options;
  options.mpegProjectDataFormat = choice % 3;
  options.mpegProjectPasteMode = (choice / 3) % 3;
  options.mpegProjectDiseqcC = (choice >> 2) & 3;
  options.mpegProjectDiseqcKu = (choice >> 4) & 3;
  options.mpegProjectDiseqcKuDbs = 3;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

  // With markers and without: the channels must be the same, in the same order, and every
  // other record a well-formed marker.
  options.mpegProjectAddMarkers = 1;
  const std::vector<ChannelRecord> withMarkers = ParsePastedText(text, true, options);
  options.mpegProjectAddMarkers = 0;
  const std::vector<ChannelRecord> channels = ParsePastedText(text, true, options);
  const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\r'));
  if (withMarkers.size() > 2 * lines || channels.size() > lines) std::abort();
  size_t next = 0;
  for (const ChannelRecord& record : withMarkers) {
    if (!record.HasTag() || (record.modeFlags & 3) != 3) std::abort();
    if (next < channels.size() && std::memcmp(&record, &channels[next], sizeof record) == 0) {
      ++next;
      continue;
    }
    if (!IsWellFormedMarker(record)) std::abort();
  }
  if (next != channels.size()) std::abort();

  // Each line on its own, straight to the line reader.
  const MpegSearchOptions paste = MpegSearchOptionsFrom(options);
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find('\r', start), text.size());
    ChannelRecord record;
    if (ParseMpegSearchLine(text.substr(start, end - start), paste, record) && !record.HasTag()) {
      std::abort();
    }
    start = end + 1;
  }
  return 0;
}
