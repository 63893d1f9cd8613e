#include "channels/sorting.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "channels/messages.h"
#include "common/require.h"

namespace pelorus {
namespace {

// The name as a zero-terminated text of at most 24 bytes.
std::string NameText(const ChannelRecord& record) {
  const auto* bytes = reinterpret_cast<const char*>(record.name.data());
  return std::string(bytes, strnlen(bytes, kChannelNameSize));
}

// Names are Latin-1 bytes; the collation of a UTF-8 (or any other) locale reads its own
// character set, so each name is converted to that set before it is collated. The C and POSIX
// locales compare bytes, and a Latin-1 locale reads the names as they are.
class NameConverter {
 public:
  NameConverter() {
    const char* collate = std::setlocale(LC_COLLATE, nullptr);
    if (collate == nullptr) return;
    const locale_t locale = newlocale(LC_CTYPE_MASK, collate, static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) return;
    const std::string codeset = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
    if (codeset == "ANSI_X3.4-1968" || codeset == "ISO-8859-1") return;
    converter_ = iconv_open((codeset + "//TRANSLIT").c_str(), "ISO-8859-1");
  }
  ~NameConverter() {
    if (Active()) iconv_close(converter_);
  }
  NameConverter(const NameConverter&) = delete;
  NameConverter& operator=(const NameConverter&) = delete;

  // The name in the collation's character set; the stored bytes when it has no such form.
  std::string Convert(const std::string& name) const {
    if (!Active()) return name;
    std::string in = name;
    std::string out(name.size() * 4 + 8, '\0');
    char* inPointer = in.data();
    size_t inLeft = in.size();
    char* outPointer = out.data();
    size_t outLeft = out.size();
    iconv(converter_, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter_, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1)) {
      return name;
    }
    out.resize(out.size() - outLeft);
    return out;
  }

 private:
  bool Active() const { return converter_ != reinterpret_cast<iconv_t>(-1); }

  iconv_t converter_ = reinterpret_cast<iconv_t>(-1);
};

// strxfrm turns each name once into a key whose plain byte order is the strcoll order, so the
// sort compares bytes instead of running the locale's collation n log n times.
std::string CollationKey(const std::string& text) {
  std::string key(text.size() + 8, '\0');
  size_t needed = std::strxfrm(key.data(), text.c_str(), key.size());
  if (needed >= key.size()) {
    // No collation makes a key of kilobytes from 24 bytes; such an answer is an error report.
    if (needed > 4096) return text;
    key.assign(needed + 1, '\0');
    needed = std::strxfrm(key.data(), text.c_str(), key.size());
  }
  key.resize(needed);
  return key;
}

// Sorts by precomputed keys; equal keys keep their order (the index breaks ties), so the
// result does not depend on the sort algorithm.
template <typename Key>
void SortByKeys(std::span<ChannelRecord> records, std::vector<std::pair<Key, uint32_t>>& keys) {
  std::sort(keys.begin(), keys.end());
  std::vector<ChannelRecord> sorted;
  sorted.reserve(records.size());
  for (const auto& key : keys) sorted.push_back(records[key.second]);
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
  if (key == SortKey::kName) {
    const NameConverter converter;
    std::vector<std::pair<std::string, uint32_t>> keys;
    keys.reserve(records.size());
    for (size_t i = 0; i < records.size(); ++i) {
      keys.emplace_back(CollationKey(converter.Convert(NameText(records[i]))),
                        static_cast<uint32_t>(i));
    }
    SortByKeys(records, keys);
    return;
  }
  std::vector<std::pair<uint16_t, uint32_t>> keys;
  keys.reserve(records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    const ChannelRecord& record = records[i];
    const uint16_t value = key == SortKey::kFrequency   ? record.frequency
                           : key == SortKey::kServiceId ? record.serviceId
                                                        : record.polarity;
    keys.emplace_back(value, static_cast<uint32_t>(i));
  }
  SortByKeys(records, keys);
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
