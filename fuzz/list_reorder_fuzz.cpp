// Two lists of records from any bytes (split where the first byte says): the first is reordered
// like the second. Every channel of the list must come out exactly once, no more channels than
// it had, and a list with nothing matched must come out as it went in.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "channels/settings_file.h"
#include "lists/reorder.h"

namespace {

std::vector<std::vector<uint8_t>> ChannelBytes(const std::vector<pelorus::ChannelRecord>& records) {
  std::vector<std::vector<uint8_t>> channels;
  for (const pelorus::ChannelRecord& record : records) {
    if (record.IsMarker()) continue;
    const auto* raw = reinterpret_cast<const uint8_t*>(&record);
    channels.emplace_back(raw, raw + sizeof record);
  }
  std::sort(channels.begin(), channels.end());
  return channels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelorus;
  if (size < 1) return 0;
  const std::span<const uint8_t> bytes(data + 1, size - 1);
  const size_t split = std::min(bytes.size(), static_cast<size_t>(data[0]) * 16);
  const std::vector<ChannelRecord> list = DecodeSettingsBytes(bytes.first(split));
  const std::vector<ChannelRecord> reference = DecodeSettingsBytes(bytes.subspan(split));
  const ReorderOutcome outcome = ReorderLike(list, ReferenceFromRecords(reference));
  if (outcome.matched > outcome.channels) std::abort();
  if (ChannelBytes(outcome.records) != ChannelBytes(list)) std::abort();
  if (outcome.matched == 0 && (outcome.records.size() != list.size() ||
                               (!list.empty() && std::memcmp(outcome.records.data(), list.data(),
                                                             list.size() * sizeof list[0]) != 0))) {
    std::abort();
  }
  return 0;
}
