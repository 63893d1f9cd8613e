#include "channels/sorting.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

#include "app/shell.h"
#include "channels/messages.h"

namespace pelorus {
namespace {

// The name as a zero-terminated text of at most 24 bytes.
std::string NameText(const ChannelRecord& record) {
  const auto* bytes = reinterpret_cast<const char*>(record.name.data());
  return std::string(bytes, strnlen(bytes, kChannelNameSize));
}

// strxfrm turns each name once into a key whose plain byte order is the strcoll order, so the
// sort compares bytes instead of running the locale's collation n log n times.
std::string CollationKey(const std::string& text) {
  std::string key(text.size() * 4 + 16, '\0');
  size_t needed = std::strxfrm(key.data(), text.c_str(), key.size());
  if (needed >= key.size()) {
    key.assign(needed + 1, '\0');
    needed = std::strxfrm(key.data(), text.c_str(), key.size());
  }
  key.resize(needed);
  return key;
}

template <typename Key>
void SortByKeys(std::span<ChannelRecord> records, const std::vector<Key>& keys) {
  std::vector<size_t> order(records.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&keys](size_t a, size_t b) { return keys[a] < keys[b]; });
  std::vector<ChannelRecord> sorted;
  sorted.reserve(records.size());
  for (size_t index : order) sorted.push_back(records[index]);
  std::copy(sorted.begin(), sorted.end(), records.begin());
}

}  // namespace

SortRange FindSortRange(std::span<const int> selection, int rowCount) {
  std::vector<bool> selected(static_cast<size_t>(std::max(rowCount, 0)), false);
  for (int row : selection) {
    if (row >= 0 && row < rowCount) selected[static_cast<size_t>(row)] = true;
  }
  SortRange range;
  for (int row = 0; row < rowCount; ++row) {
    if (range.first < 0) {
      if (selected[static_cast<size_t>(row)]) range.first = row;
    } else if (!selected[static_cast<size_t>(row)]) {
      range.last = row - 1;
      return range;
    }
  }
  if (range.first >= 0) range.last = rowCount - 1;
  return range;
}

void SortRecords(std::span<ChannelRecord> records, SortKey key) {
  switch (key) {
    case SortKey::kName: {
      std::vector<std::string> keys;
      keys.reserve(records.size());
      for (const ChannelRecord& record : records) keys.push_back(CollationKey(NameText(record)));
      SortByKeys(records, keys);
      return;
    }
    case SortKey::kFrequency:
    case SortKey::kServiceId:
    case SortKey::kPolarity: {
      std::vector<uint16_t> keys;
      keys.reserve(records.size());
      for (const ChannelRecord& record : records) {
        keys.push_back(key == SortKey::kFrequency   ? record.frequency
                       : key == SortKey::kServiceId ? record.serviceId
                                                    : record.polarity);
      }
      SortByKeys(records, keys);
      return;
    }
  }
}

bool SortChannels(EditorState& state, Ui& ui, std::span<const int> selection, SortKey key,
                  SelectionAfter& after) {
  if (!RequireSettings(state, ui)) return false;
  const SortRange range = FindSortRange(selection, state.ChannelCount());
  if (range.first < 0 || range.last < 0) {
    ui.ShowMessage(msg::kSelectItemsToSort, Icon::kWarning);
    return false;
  }
  BusyScope busy(ui);
  std::vector<ChannelRecord>& records = *state.settingsImage;
  SortRecords(std::span(records).subspan(static_cast<size_t>(range.first),
                                         static_cast<size_t>(range.last - range.first + 1)),
              key);
  ui.RefillChannelList();
  after.rows.clear();
  for (int row = range.first; row <= range.last; ++row) after.rows.push_back(row);
  after.focusRow = range.last;
  state.settingsModified = true;
  return true;
}

}  // namespace pelorus
