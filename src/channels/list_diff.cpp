#include "channels/list_diff.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <unordered_map>

#include "channels/channel_name.h"
#include "channels/channel_rows.h"
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

// The name as the list shows it, without the blanks a name padded before its zero bytes keeps
// ("Auto-search" and ten blanks).
std::string ShownName(std::span<const uint8_t> bytes) {
  ChannelRecord record{};
  std::copy(bytes.begin(), bytes.end(), record.name.begin());
  std::string name = DecodeChannelName(record);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

std::string Describe(const ChannelRecord& record) {
  const std::string name = ShownName(record.name);
  if (record.IsMarker()) return Format("\"%s\" (marker)", name.c_str());
  return Format("\"%s\" %u %s", name.c_str(), record.frequency,
                (record.polarity & 1) != 0 ? "V" : "H");
}

enum class FieldShape { kDecimal, kHex, kFec, kPolarity, kName, kBytes };

// One field's value, read from its bytes in the record (host order).
std::string FieldText(std::span<const uint8_t> bytes, FieldShape shape) {
  uint32_t value = 0;
  if (bytes.size() <= sizeof value) std::memcpy(&value, bytes.data(), bytes.size());
  switch (shape) {
    case FieldShape::kDecimal:
      return Format("%u", value);
    case FieldShape::kHex:
      return bytes.size() == 1 ? Format("0x%02X", value) : Format("0x%04X", value);
    case FieldShape::kFec:
      return FecText(static_cast<uint8_t>(value));
    case FieldShape::kPolarity:
      return value == 0 ? "H" : value == 1 ? "V" : Format("%u", value);
    case FieldShape::kName:
      return Format("\"%s\"", ShownName(bytes).c_str());
    case FieldShape::kBytes:
      break;
  }
  std::string text;
  for (const uint8_t byte : bytes) text += Format("%02X", byte);
  return text;
}

}  // namespace

std::vector<FieldChange> DifferingFields(const ChannelRecord& a, const ChannelRecord& b) {
  struct Field {
    const char* name;
    size_t offset;
    size_t size;
    FieldShape shape;
  };
  using enum FieldShape;
  static constexpr Field kFields[] = {
      {"tag", offsetof(ChannelRecord, tag), 4, kBytes},
      {"serviceId", offsetof(ChannelRecord, serviceId), 2, kDecimal},
      {"pmtPid", offsetof(ChannelRecord, pmtPid), 2, kHex},
      {"frequency", offsetof(ChannelRecord, frequency), 2, kDecimal},
      {"symbolRate", offsetof(ChannelRecord, symbolRate), 2, kDecimal},
      {"fecCode", offsetof(ChannelRecord, fecCode), 1, kFec},
      {"acqBandwidth", offsetof(ChannelRecord, acqBandwidth), 1, kDecimal},
      {"polarity", offsetof(ChannelRecord, polarity), 1, kPolarity},
      {"lnbSelect", offsetof(ChannelRecord, lnbSelect), 1, kHex},
      {"videoPid", offsetof(ChannelRecord, videoPid), 2, kHex},
      {"audioPid", offsetof(ChannelRecord, audioPid), 2, kHex},
      {"pcrPid", offsetof(ChannelRecord, pcrPid), 2, kHex},
      {"scrambling", offsetof(ChannelRecord, scrambling), 2, kBytes},
      {"pmc", offsetof(ChannelRecord, pmc), 2, kHex},
      {"modeFlags", offsetof(ChannelRecord, modeFlags), 1, kHex},
      {"serviceType", offsetof(ChannelRecord, serviceType), 1, kDecimal},
      {"textPid", offsetof(ChannelRecord, textPid), 2, kHex},
      {"tsId", offsetof(ChannelRecord, tsId), 2, kHex},
      {"name", offsetof(ChannelRecord, name), kChannelNameSize, kName},
      {"autoFlags", offsetof(ChannelRecord, autoFlags), 1, kHex},
      {"reserved", offsetof(ChannelRecord, reserved1), 1, kBytes},
      {"lockCode", offsetof(ChannelRecord, lockCode), 1, kDecimal},
      {"reserved", offsetof(ChannelRecord, reserved2), 3, kBytes},
      {"networkId", offsetof(ChannelRecord, networkId), 2, kHex},
  };
  const auto* left = reinterpret_cast<const unsigned char*>(&a);
  const auto* right = reinterpret_cast<const unsigned char*>(&b);
  std::vector<FieldChange> fields;
  for (const Field& field : kFields) {
    if (std::memcmp(left + field.offset, right + field.offset, field.size) == 0) continue;
    const auto before = std::span(left + field.offset, field.size);
    const auto after = std::span(right + field.offset, field.size);
    // The two reserved stretches are one field to the reader.
    if (!fields.empty() && std::strcmp(fields.back().name, field.name) == 0) {
      fields.back().before += " " + FieldText(before, field.shape);
      fields.back().after += " " + FieldText(after, field.shape);
      continue;
    }
    fields.push_back({field.name, FieldText(before, field.shape), FieldText(after, field.shape)});
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
    for (const FieldChange& field : change.fields) {
      if (!fields.empty()) fields += ", ";
      fields += Format("%s %s \u2192 %s", field.name, field.before.c_str(), field.after.c_str());
    }
    lines.push_back(Format("  row %d -> row %d %s: %s", change.rows.oldRow + 1,
                           change.rows.newRow + 1, Describe(now(change.rows.newRow)).c_str(),
                           fields.c_str()));
  }
  return lines;
}

}  // namespace pelorus
