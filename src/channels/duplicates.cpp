#include "channels/duplicates.h"

#include <unordered_map>

namespace pelorus {
namespace {

// Polarity, video and audio PID and the exact frequency in one number.
uint64_t ServiceKey(const ChannelRecord& record, int frequency) {
  return (static_cast<uint64_t>(record.polarity & 1) << 58) |
         (static_cast<uint64_t>(record.videoPid) << 42) |
         (static_cast<uint64_t>(record.audioPid) << 26) | static_cast<uint64_t>(frequency);
}

}  // namespace

std::vector<DuplicateRow> FindDuplicates(std::span<const ChannelRecord> records) {
  // The first row seen at each exact frequency of each service; a row repeats the earliest of
  // those within the tolerance.
  std::unordered_map<uint64_t, int> first;
  first.reserve(records.size());
  std::vector<DuplicateRow> duplicates;
  for (size_t i = 0; i < records.size(); ++i) {
    const ChannelRecord& record = records[i];
    if (record.IsMarker()) continue;
    const int frequency = record.frequency;
    int original = -1;
    for (int f = frequency - kDuplicateFrequencyTolerance;
         f <= frequency + kDuplicateFrequencyTolerance; ++f) {
      if (f <= 0) continue;  // frequency 0 is a marker's
      const auto found = first.find(ServiceKey(record, f));
      if (found != first.end() && (original < 0 || found->second < original)) {
        original = found->second;
      }
    }
    const int row = static_cast<int>(i);
    if (original >= 0) duplicates.push_back({row, original});
    first.try_emplace(ServiceKey(record, frequency), row);
  }
  return duplicates;
}

}  // namespace pelorus
