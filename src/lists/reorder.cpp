#include "lists/reorder.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "channels/messages.h"
#include "channels/record_name_text.h"
#include "channels/settings_file.h"
#include "common/file_dialogs.h"
#include "common/file_io.h"
#include "common/require.h"
#include "common/strfmt.h"
#include "lists/list_import.h"
#include "lists/list_reader.h"
#include "lists/messages.h"

namespace pelorus {
namespace {

constexpr int kFrequencyTolerance = 2;  // MHz either way

// Names compared without case and blanks: the emphasis codes and zero padding do not count
// either. Written into `name`, which is reused so that a lookup allocates nothing.
void ComparableName(std::string_view text, std::string& name) {
  name.clear();
  for (const char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte == 0) break;
    if (byte == ' ' || byte == '\t' || byte == 0xA0 || byte == 0x86 || byte == 0x87) continue;
    if (byte >= 'A' && byte <= 'Z') byte = static_cast<unsigned char>(byte - 'A' + 'a');
    // Latin-1 capitals with their small letters 0x20 above, except the multiplication sign.
    if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) {
      byte = static_cast<unsigned char>(byte + 0x20);
    }
    name += static_cast<char>(byte);
  }
}

std::string_view NameBytes(const ChannelRecord& record) {
  return std::string_view(reinterpret_cast<const char*>(record.name.data()), kChannelNameSize);
}

bool CarriesIds(uint16_t serviceId, uint16_t originalNetworkId, uint16_t tsId) {
  return serviceId != 0 && (originalNetworkId != 0 || tsId != 0);
}

uint64_t IdKey(uint16_t originalNetworkId, uint16_t tsId, uint16_t serviceId) {
  return (uint64_t{originalNetworkId} << 32) | (uint64_t{tsId} << 16) | serviceId;
}

// The reference rows that a channel may take, in reference order, with the first of them that
// may still be free: rows are only ever taken, so the mark only moves forward, and a list with
// many channels of one name does not search the same taken rows again and again.
struct Bucket {
  std::vector<int> rows;
  size_t next = 0;
};

// The reference channels of one name and polarisation, by frequency: one lookup per channel,
// then the few frequencies within the tolerance. Names that many channels share (an empty one,
// or "Test") stay cheap, as their rows are spread over their frequencies.
struct NameGroup {
  std::vector<std::pair<int, int>> entries;         // frequency, reference row; while building
  std::vector<std::pair<int, Bucket>> frequencies;  // sorted by frequency

  void Finish() {
    std::sort(entries.begin(), entries.end());
    for (const auto& [frequency, row] : entries) {
      if (frequencies.empty() || frequencies.back().first != frequency) {
        frequencies.push_back({frequency, Bucket{}});
      }
      frequencies.back().second.rows.push_back(row);
    }
    entries.clear();
    entries.shrink_to_fit();
  }
};

using NameIndex = std::unordered_map<std::string, NameGroup>;

class Matcher {
 public:
  explicit Matcher(std::span<const ReferenceEntry> reference) : taken_(reference.size(), false) {
    std::string key;
    for (size_t i = 0; i < reference.size(); ++i) {
      const ReferenceEntry& entry = reference[i];
      if (entry.marker) continue;
      const int index = static_cast<int>(i);
      ComparableName(entry.name, key);
      key += static_cast<char>(entry.polarity);
      if (entry.hasIds) {
        byIds_[IdKey(entry.originalNetworkId, entry.tsId, entry.serviceId)].rows.push_back(index);
      } else {
        byNameWithoutIds_[key].entries.emplace_back(entry.frequency, index);
      }
      byName_[key].entries.emplace_back(entry.frequency, index);
    }
    for (NameIndex* names : {&byName_, &byNameWithoutIds_}) {
      for (auto& [name, group] : *names) group.Finish();
    }
  }

  // The reference row the channel takes, or -1.
  int Match(const ChannelRecord& record) {
    buckets_.clear();
    const bool hasIds = CarriesIds(record.serviceId, record.networkId, record.tsId);
    if (hasIds) {
      const auto found = byIds_.find(IdKey(record.networkId, record.tsId, record.serviceId));
      if (found != byIds_.end()) buckets_.push_back(&found->second);
    }
    // Where both carry ids, the ids decide: a channel with ids looks for names only among the
    // reference channels without.
    NameIndex& names = hasIds ? byNameWithoutIds_ : byName_;
    ComparableName(NameBytes(record), key_);
    key_ += static_cast<char>(record.polarity & 1);
    const auto group = names.find(key_);
    if (group != names.end()) {
      auto& frequencies = group->second.frequencies;
      const int low = record.frequency - kFrequencyTolerance;
      auto at = std::lower_bound(frequencies.begin(), frequencies.end(), low,
                                 [](const auto& item, int value) { return item.first < value; });
      for (; at != frequencies.end() && at->first <= record.frequency + kFrequencyTolerance; ++at) {
        buckets_.push_back(&at->second);
      }
    }
    int free = -1;
    int first = -1;
    for (Bucket* bucket : buckets_) {
      while (bucket->next < bucket->rows.size() &&
             taken_[static_cast<size_t>(bucket->rows[bucket->next])]) {
        ++bucket->next;
      }
      if (bucket->next < bucket->rows.size() && (free < 0 || bucket->rows[bucket->next] < free)) {
        free = bucket->rows[bucket->next];
      }
      if (first < 0 || bucket->rows.front() < first) first = bucket->rows.front();
    }
    if (free >= 0) {
      taken_[static_cast<size_t>(free)] = true;
      return free;
    }
    return first;
  }

 private:
  std::vector<bool> taken_;
  std::unordered_map<uint64_t, Bucket> byIds_;
  NameIndex byName_;
  NameIndex byNameWithoutIds_;
  std::vector<Bucket*> buckets_;
  std::string key_;
};

}  // namespace

std::vector<ReferenceEntry> ReferenceFromRecords(std::span<const ChannelRecord> records) {
  std::vector<ReferenceEntry> reference;
  reference.reserve(records.size());
  for (const ChannelRecord& record : records) {
    ReferenceEntry entry;
    entry.marker = record.IsMarker();
    if (entry.marker) {
      entry.markerRecord = record;
    } else {
      entry.name = std::string(NameBytes(record));
      entry.frequency = record.frequency;
      entry.polarity = record.polarity & 1;
      entry.hasIds = CarriesIds(record.serviceId, record.networkId, record.tsId);
      entry.originalNetworkId = record.networkId;
      entry.tsId = record.tsId;
      entry.serviceId = record.serviceId;
    }
    reference.push_back(std::move(entry));
  }
  return reference;
}

std::vector<ReferenceEntry> ReferenceFromForeign(const ForeignList& list) {
  std::vector<ReferenceEntry> reference;
  reference.reserve(list.entries.size());
  for (const ForeignEntry& item : list.entries) {
    ReferenceEntry entry;
    entry.marker = item.marker;
    if (entry.marker) {
      entry.markerRecord = MarkerRecord(item.markerName);
    } else {
      const ForeignChannel& channel = item.channel;
      entry.name = channel.name;
      entry.frequency =
          static_cast<uint16_t>(std::min<uint32_t>((channel.frequencyKhz + 500) / 1000, 0xFFFF));
      entry.polarity = channel.polarity & 1;
      entry.hasIds = CarriesIds(channel.serviceId, channel.originalNetworkId, channel.tsId);
      entry.originalNetworkId = channel.originalNetworkId;
      entry.tsId = channel.tsId;
      entry.serviceId = channel.serviceId;
    }
    reference.push_back(std::move(entry));
  }
  return reference;
}

ReorderOutcome ReorderLike(std::span<const ChannelRecord> list,
                           std::span<const ReferenceEntry> reference) {
  ReorderOutcome outcome;
  Matcher matcher(reference);
  std::vector<std::vector<int>> taken(reference.size());  // list rows, by reference row
  std::vector<bool> matched(list.size(), false);
  for (size_t row = 0; row < list.size(); ++row) {
    if (list[row].IsMarker()) continue;
    ++outcome.channels;
    const int index = matcher.Match(list[row]);
    if (index < 0) continue;
    taken[static_cast<size_t>(index)].push_back(static_cast<int>(row));
    matched[row] = true;
    ++outcome.matched;
  }
  if (outcome.matched == 0) {
    outcome.records.assign(list.begin(), list.end());
    return outcome;
  }
  outcome.records.reserve(list.size() + reference.size() + 1);
  // A title row is written before the first channel under it, so that empty ones are left out.
  const ChannelRecord* title = nullptr;
  for (size_t i = 0; i < reference.size(); ++i) {
    if (reference[i].marker) {
      title = &reference[i].markerRecord;
      continue;
    }
    for (const int row : taken[i]) {
      if (title != nullptr) outcome.records.push_back(*title);
      title = nullptr;
      outcome.records.push_back(list[static_cast<size_t>(row)]);
    }
  }
  if (outcome.matched < outcome.channels) {
    outcome.records.push_back(MarkerRecord(msg::kOtherChannelsMarker));
    title = nullptr;
    for (size_t row = 0; row < list.size(); ++row) {
      if (list[row].IsMarker()) {
        title = &list[row];
      } else if (!matched[row]) {
        if (title != nullptr) outcome.records.push_back(*title);
        title = nullptr;
        outcome.records.push_back(list[row]);
      }
    }
  }
  return outcome;
}

std::string ReorderSummary(const ReorderOutcome& outcome) {
  return Format(msg::kReorderReport, outcome.matched, outcome.channels);
}

bool ReadReferenceList(const std::string& path, Ui& ui, std::vector<ReferenceEntry>& reference) {
  const FileContents file = ReadWholeFile(path, kMaxSettingsFileBytes);
  if (!file.opened) {
    ui.ShowDetailedMessage(Format(msg::kUnableToOpenFile, path.c_str()),
                           FileProblemText(path, file), Icon::kInformation);
    return false;
  }
  if (file.readFailed) {
    ui.ShowDetailedMessage(Format(msg::kUnableToReadFile, path.c_str()),
                           FileProblemText(path, file), Icon::kStop);
    return false;
  }
  switch (DetectListFormat(file.bytes)) {
    case ListFormat::kSettings:
      reference = ReferenceFromRecords(DecodeSettingsBytes(file.bytes));
      return true;
    case ListFormat::kLamedb:
    case ListFormat::kBouquet:
    case ListFormat::kVdr: {
      ForeignList list;
      if (!ReadForeignLists({path}, ui, list)) return false;
      reference = ReferenceFromForeign(list);
      return true;
    }
    default:
      ui.ShowMessage(Format(msg::kNotAReferenceList, path.c_str()), Icon::kStop);
      return false;
  }
}

bool OrderLikeReferenceList(EditorState& state, Ui& ui, std::string& folder) {
  if (!RequireSettings(state, ui)) return false;
  FileRequest request;
  request.title = msg::kReferenceListTitle;
  request.filterName = msg::kAnyListFilterName;
  request.filterPattern = msg::kAnyListFilterPattern;
  if (!AskOpenFile(ui, request, folder)) return false;
  BusyScope busy(ui);
  std::vector<ReferenceEntry> reference;
  if (!ReadReferenceList(request.path, ui, reference)) return false;
  ReorderOutcome outcome = ReorderLike(*state.settingsImage, reference);
  ui.SetStatusText(ReorderSummary(outcome));
  const std::vector<ChannelRecord>& old = *state.settingsImage;
  const bool same =
      outcome.records.size() == old.size() &&
      std::memcmp(outcome.records.data(), old.data(), old.size() * sizeof(ChannelRecord)) == 0;
  if (outcome.matched == 0 || same) return false;
  state.settingsImage = std::move(outcome.records);
  state.settingsModified = true;
  ui.RefillChannelList();
  return true;
}

}  // namespace pelorus
