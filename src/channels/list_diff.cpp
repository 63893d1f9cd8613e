#include "channels/list_diff.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "channels/channel_name.h"
#include "common/strfmt.h"

namespace pelorus {
namespace {

std::string_view Bytes(const void* data, size_t size) {
  return {static_cast<const char*>(data), size};
}

std::string_view WholeRecord(const ChannelRecord& record) { return Bytes(&record, sizeof record); }
std::string NameAndService(const ChannelRecord& record) {
  std::string key(Bytes(record.name.data(), record.name.size()));
  key += Bytes(&record.serviceId, sizeof record.serviceId);
  return key;
}
std::string SameService(const ChannelRecord& record) {
  if (record.IsMarker()) return {};  // markers pair only by name
  const uint64_t key = (static_cast<uint64_t>(record.frequency) << 32) |
                       (static_cast<uint64_t>(record.polarity & 1u) << 31) |
                       (static_cast<uint64_t>(record.videoPid) << 16) | record.audioPid;
  return std::string(Bytes(&key, sizeof key));
}

// Pairs the still unpaired rows whose keys agree, each old row at most once, earliest first.
template <typename KeyOf>
void PairBy(std::span<const ChannelRecord> older, std::span<const ChannelRecord> newer,
            std::vector<int>& partnerOfOld, std::vector<int>& partnerOfNew, KeyOf keyOf) {
  using Key = decltype(keyOf(older[0]));
  // Each key's unpaired old rows as a chain through `next`, earliest first, so that a list of
  // tens of thousands of rows costs one map entry per key and no list per key.
  std::unordered_map<Key, int> head;
  head.reserve(older.size());
  std::vector<int> next(older.size(), -1);
  for (size_t i = older.size(); i-- > 0;) {
    if (partnerOfOld[i] >= 0) continue;
    Key key = keyOf(older[i]);
    if (key.empty()) continue;
    auto [place, added] = head.try_emplace(std::move(key), static_cast<int>(i));
    if (!added) {
      next[i] = place->second;
      place->second = static_cast<int>(i);
    }
  }
  for (size_t j = 0; j < newer.size(); ++j) {
    if (partnerOfNew[j] >= 0) continue;
    const Key key = keyOf(newer[j]);
    if (key.empty()) continue;
    const auto found = head.find(key);
    if (found == head.end() || found->second < 0) continue;
    const int i = found->second;
    found->second = next[static_cast<size_t>(i)];
    partnerOfOld[static_cast<size_t>(i)] = static_cast<int>(j);
    partnerOfNew[j] = i;
  }
}

// Marks the pairs (in new-row order) that lie on one longest run of increasing old rows.
std::vector<bool> LongestOrderedRun(const std::vector<ChannelPair>& pairs) {
  std::vector<int> tails;  // index into pairs of the smallest tail of each run length
  std::vector<int> previous(pairs.size(), -1);
  for (size_t k = 0; k < pairs.size(); ++k) {
    const auto place = std::lower_bound(
        tails.begin(), tails.end(), pairs[k].oldRow,
        [&](int index, int oldRow) { return pairs[static_cast<size_t>(index)].oldRow < oldRow; });
    if (place != tails.begin()) previous[k] = *(place - 1);
    if (place == tails.end()) {
      tails.push_back(static_cast<int>(k));
    } else {
      *place = static_cast<int>(k);
    }
  }
  std::vector<bool> inRun(pairs.size(), false);
  for (int k = tails.empty() ? -1 : tails.back(); k >= 0; k = previous[static_cast<size_t>(k)]) {
    inRun[static_cast<size_t>(k)] = true;
  }
  return inRun;
}

std::string Describe(const ChannelRecord& record) {
  if (record.IsMarker()) return Format("\"%s\" (marker)", DecodeChannelName(record).c_str());
  return Format("\"%s\" %u %s", DecodeChannelName(record).c_str(), record.frequency,
                (record.polarity & 1) != 0 ? "V" : "H");
}

}  // namespace

std::vector<const char*> DifferingFields(const ChannelRecord& a, const ChannelRecord& b) {
  struct Field {
    const char* name;
    size_t offset;
    size_t size;
  };
  static constexpr Field kFields[] = {
      {"tag", offsetof(ChannelRecord, tag), 4},
      {"serviceId", offsetof(ChannelRecord, serviceId), 2},
      {"pmtPid", offsetof(ChannelRecord, pmtPid), 2},
      {"frequency", offsetof(ChannelRecord, frequency), 2},
      {"symbolRate", offsetof(ChannelRecord, symbolRate), 2},
      {"fecCode", offsetof(ChannelRecord, fecCode), 1},
      {"acqBandwidth", offsetof(ChannelRecord, acqBandwidth), 1},
      {"polarity", offsetof(ChannelRecord, polarity), 1},
      {"lnbSelect", offsetof(ChannelRecord, lnbSelect), 1},
      {"videoPid", offsetof(ChannelRecord, videoPid), 2},
      {"audioPid", offsetof(ChannelRecord, audioPid), 2},
      {"pcrPid", offsetof(ChannelRecord, pcrPid), 2},
      {"scrambling", offsetof(ChannelRecord, scrambling), 2},
      {"pmc", offsetof(ChannelRecord, pmc), 2},
      {"modeFlags", offsetof(ChannelRecord, modeFlags), 1},
      {"serviceType", offsetof(ChannelRecord, serviceType), 1},
      {"textPid", offsetof(ChannelRecord, textPid), 2},
      {"tsId", offsetof(ChannelRecord, tsId), 2},
      {"name", offsetof(ChannelRecord, name), kChannelNameSize},
      {"autoFlags", offsetof(ChannelRecord, autoFlags), 1},
      {"reserved", offsetof(ChannelRecord, reserved1), 1},
      {"lockCode", offsetof(ChannelRecord, lockCode), 1},
      {"reserved", offsetof(ChannelRecord, reserved2), 3},
      {"networkId", offsetof(ChannelRecord, networkId), 2},
  };
  const auto* left = reinterpret_cast<const unsigned char*>(&a);
  const auto* right = reinterpret_cast<const unsigned char*>(&b);
  std::vector<const char*> fields;
  for (const Field& field : kFields) {
    if (std::memcmp(left + field.offset, right + field.offset, field.size) == 0) continue;
    if (fields.empty() || std::strcmp(fields.back(), field.name) != 0) fields.push_back(field.name);
  }
  return fields;
}

ListDiff CompareLists(std::span<const ChannelRecord> older, std::span<const ChannelRecord> newer) {
  std::vector<int> partnerOfOld(older.size(), -1);
  std::vector<int> partnerOfNew(newer.size(), -1);
  PairBy(older, newer, partnerOfOld, partnerOfNew, WholeRecord);
  PairBy(older, newer, partnerOfOld, partnerOfNew, NameAndService);
  PairBy(older, newer, partnerOfOld, partnerOfNew, SameService);

  ListDiff diff;
  std::vector<ChannelPair> pairs;
  for (size_t j = 0; j < newer.size(); ++j) {
    if (partnerOfNew[j] < 0) {
      diff.added.push_back(static_cast<int>(j));
    } else {
      pairs.push_back({partnerOfNew[j], static_cast<int>(j)});
    }
  }
  for (size_t i = 0; i < older.size(); ++i) {
    if (partnerOfOld[i] < 0) diff.removed.push_back(static_cast<int>(i));
  }
  const std::vector<bool> inOrder = LongestOrderedRun(pairs);
  for (size_t k = 0; k < pairs.size(); ++k) {
    if (!inOrder[k]) diff.moved.push_back(pairs[k]);
    const ChannelRecord& a = older[static_cast<size_t>(pairs[k].oldRow)];
    const ChannelRecord& b = newer[static_cast<size_t>(pairs[k].newRow)];
    if (std::memcmp(&a, &b, sizeof a) != 0)
      diff.changed.push_back({pairs[k], DifferingFields(a, b)});
  }
  return diff;
}

std::vector<std::string> DescribeDiff(const ListDiff& diff, std::span<const ChannelRecord> older,
                                      std::span<const ChannelRecord> newer) {
  std::vector<std::string> lines;
  const auto old = [&](int row) { return older[static_cast<size_t>(row)]; };
  const auto now = [&](int row) { return newer[static_cast<size_t>(row)]; };
  lines.push_back(Format("Added: %zu", diff.added.size()));
  for (const int row : diff.added) {
    lines.push_back(Format("  row %d %s", row + 1, Describe(now(row)).c_str()));
  }
  lines.push_back(Format("Removed: %zu", diff.removed.size()));
  for (const int row : diff.removed) {
    lines.push_back(Format("  row %d %s", row + 1, Describe(old(row)).c_str()));
  }
  lines.push_back(Format("Moved: %zu", diff.moved.size()));
  for (const ChannelPair& pair : diff.moved) {
    lines.push_back(Format("  row %d -> row %d %s", pair.oldRow + 1, pair.newRow + 1,
                           Describe(now(pair.newRow)).c_str()));
  }
  lines.push_back(Format("Changed: %zu", diff.changed.size()));
  for (const ChangedChannel& change : diff.changed) {
    std::string fields;
    for (const char* field : change.fields) {
      if (!fields.empty()) fields += ", ";
      fields += field;
    }
    lines.push_back(Format("  row %d -> row %d %s: %s", change.rows.oldRow + 1,
                           change.rows.newRow + 1, Describe(now(change.rows.newRow)).c_str(),
                           fields.c_str()));
  }
  return lines;
}

}  // namespace pelorus
