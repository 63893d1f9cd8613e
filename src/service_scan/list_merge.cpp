#include "service_scan/list_merge.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

#include "channels/record_name_text.h"
#include "channels/undo_edits.h"
#include "lists/list_import.h"
#include "lists/satellite_position.h"
#include "lists/text_fields.h"

namespace pelorus {
namespace {

constexpr uint8_t kPortBits = 0x03;

bool IsTitleRow(const ChannelRecord& record) { return record.frequency == 0; }

bool SameBytes(const ChannelRecord& a, const ChannelRecord& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The position a title row names in one of its words ("== PELSAT1 19.2E", "19.2E").
std::optional<int> PositionNamed(const ChannelRecord& title) {
  const std::string name = RecordNameToUtf8(title);
  std::vector<std::string_view> words = SplitFields(name, ' ');
  for (auto word = words.rbegin(); word != words.rend(); ++word) {
    if (const std::optional<int> position = ParseSatellitePosition(*word)) return position;
  }
  return std::nullopt;
}

ChannelRecord PositionTitle(int orbital) { return MarkerRecord(SatellitePositionText(orbital)); }

// The new channels of one orbital position, in the order they were found.
struct NewGroup {
  std::optional<int> orbital;
  std::vector<ChannelRecord> records;
};

bool AmongNew(const std::vector<NewGroup>& groups, const ChannelRecord& record) {
  for (const NewGroup& group : groups) {
    for (const ChannelRecord& pending : group.records) {
      if (SameChannel(pending, record)) return true;
    }
  }
  return false;
}

void AppendGroups(std::vector<ChannelRecord>& list, const std::vector<NewGroup>& groups) {
  for (const NewGroup& group : groups) {
    if (group.orbital) {
      const ChannelRecord title = PositionTitle(*group.orbital);
      const auto last = std::find_if(list.rbegin(), list.rend(), IsTitleRow);
      if (last == list.rend() ||
          std::memcmp(last->name.data(), title.name.data(), title.name.size()) != 0) {
        list.push_back(title);
      }
    }
    list.insert(list.end(), group.records.begin(), group.records.end());
  }
}

int MostUsed(const std::array<int, 4>& ports) {
  const auto most = std::max_element(ports.begin(), ports.end());
  return *most == 0 ? 1 : static_cast<int>(most - ports.begin()) + 1;
}

}  // namespace

bool SameChannel(const ChannelRecord& listed, const ChannelRecord& found) {
  if (IsTitleRow(listed) || IsTitleRow(found) || listed.serviceId != found.serviceId) return false;
  const bool idsKnown =
      listed.networkId != 0 && listed.tsId != 0 && found.networkId != 0 && found.tsId != 0;
  if (idsKnown) return listed.networkId == found.networkId && listed.tsId == found.tsId;
  return (listed.polarity & 1) == (found.polarity & 1) &&
         std::abs(int{listed.frequency} - int{found.frequency}) <= kSameTransponderMhz;
}

ChannelRecord UpdatedRecord(const ChannelRecord& listed, const ChannelRecord& found) {
  ChannelRecord updated = listed;
  updated.frequency = found.frequency;
  updated.symbolRate = found.symbolRate;
  updated.fecCode = found.fecCode;
  updated.acqBandwidth = found.acqBandwidth;
  updated.polarity = found.polarity;
  // The port changes; the inversion and the bits the editor does not name stay.
  updated.lnbSelect =
      static_cast<uint8_t>((listed.lnbSelect & ~kPortBits) | (found.lnbSelect & kPortBits));
  updated.pmtPid = found.pmtPid;
  updated.videoPid = found.videoPid;
  updated.audioPid = found.audioPid;
  updated.pcrPid = found.pcrPid;
  updated.textPid = found.textPid;
  updated.tsId = found.tsId;
  updated.networkId = found.networkId;
  return updated;
}

MergeCounts MergeFound(std::vector<ChannelRecord>& list, std::span<const FoundService> found,
                       std::vector<MergeKind>* kinds) {
  MergeCounts counts;
  std::vector<NewGroup> groups;
  const size_t listed = list.size();
  for (const FoundService& service : found) {
    if (service.skipped != SkipKind::kNone) {
      if (kinds != nullptr) kinds->push_back(MergeKind::kUnchanged);
      continue;
    }
    bool matched = false;
    bool changed = false;
    for (size_t row = 0; row < listed; ++row) {
      if (!SameChannel(list[row], service.record)) continue;
      matched = true;
      const ChannelRecord updated = UpdatedRecord(list[row], service.record);
      if (!SameBytes(updated, list[row])) {
        list[row] = updated;
        changed = true;
      }
    }
    MergeKind kind = MergeKind::kAdded;
    if (matched) {
      kind = changed ? MergeKind::kUpdated : MergeKind::kUnchanged;
    } else if (AmongNew(groups, service.record)) {
      kind = MergeKind::kUnchanged;  // found twice in one search
    } else {
      auto group = std::find_if(groups.begin(), groups.end(),
                                [&](const NewGroup& g) { return g.orbital == service.orbital; });
      if (group == groups.end()) group = groups.insert(groups.end(), NewGroup{service.orbital, {}});
      group->records.push_back(service.record);
    }
    ++(kind == MergeKind::kAdded     ? counts.added
       : kind == MergeKind::kUpdated ? counts.updated
                                     : counts.unchanged);
    if (kinds != nullptr) kinds->push_back(kind);
  }
  AppendGroups(list, groups);
  return counts;
}

MergeCounts AddSearchToList(EditorState& state, Ui& ui, std::span<const FoundService> found,
                            const UndoSelection& before, UndoSelection& after) {
  RecordEdit edit(state, before);
  const bool hadList = state.settingsImage.has_value();
  if (!hadList) state.settingsImage.emplace();
  std::vector<ChannelRecord>& list = *state.settingsImage;
  const size_t oldSize = list.size();
  const MergeCounts counts = MergeFound(list, found);
  if (counts.Changed() == 0) {
    if (!hadList) state.settingsImage.reset();
    edit.Commit(before);
    after = before;
    return counts;
  }
  after = {};
  for (size_t row = oldSize; row < list.size(); ++row) after.rows.push_back(static_cast<int>(row));
  after.focusRow = after.rows.empty() ? before.focusRow : after.rows.front();
  state.settingsModified = true;
  edit.Commit(after);
  ui.RefillChannelList();
  return counts;
}

int ListDiseqcPort(std::span<const ChannelRecord> list, std::optional<int> orbital,
                   const SearchTransponder& transponder) {
  std::array<int, 4> atPosition{};
  std::array<int, 4> onTransponder{};
  std::optional<int> section;
  for (const ChannelRecord& record : list) {
    if (IsTitleRow(record)) {
      section = PositionNamed(record);
      continue;
    }
    const size_t port = record.lnbSelect & kPortBits;
    if (orbital && section == orbital) ++atPosition[port];
    SearchTransponder listed;
    listed.frequencyMhz = record.frequency;
    listed.vertical = (record.polarity & 1) != 0;
    if (transponder.frequencyMhz != 0 && SameTransponder(listed, transponder)) {
      ++onTransponder[port];
    }
  }
  const bool anyAtPosition =
      std::any_of(atPosition.begin(), atPosition.end(), [](int count) { return count > 0; });
  return anyAtPosition ? MostUsed(atPosition) : MostUsed(onTransponder);
}

}  // namespace pelorus
