#pragma once

#include <optional>
#include <span>
#include <vector>

#include "common/editor_state.h"
#include "common/ui.h"
#include "receiver/channel_record.h"
#include "service_scan/service_records.h"

namespace pelorus {

// Whether a channel of the list is the one a search found: the same original network,
// transport stream and service ids; or, where the list's or the search's ids are 0, the same
// service id on the same polarisation within 2 MHz. Title rows are never channels.
bool SameChannel(const ChannelRecord& listed, const ChannelRecord& found);

// The listed channel with the found one's tuning (frequency, symbol rate, FEC, bandwidth,
// polarisation, DiSEqC port), PIDs and ids; its name, its place and every other field stay, as
// users rename, sort and set those themselves.
ChannelRecord UpdatedRecord(const ChannelRecord& listed, const ChannelRecord& found);

enum class MergeKind { kAdded, kUpdated, kUnchanged };

struct MergeCounts {
  int added = 0;
  int updated = 0;
  int unchanged = 0;
  void Add(const MergeCounts& other) {
    added += other.added;
    updated += other.updated;
    unchanged += other.unchanged;
  }
  int Changed() const { return added + updated; }
};

// Merges the channels found (the skipped services aside) into `list`: each one already there is
// updated in place (every row it matches); the others go to the end, under one title row per
// orbital position ("19.2E"), made unless the list's last title row already names it. Channels
// with no known position go to the end without one. `kinds`, when given, gets what became of
// each found service (in its order; skipped ones count as unchanged and are not merged).
MergeCounts MergeFound(std::vector<ChannelRecord>& list, std::span<const FoundService> found,
                       std::vector<MergeKind>* kinds = nullptr);

// "Aggiungi alla lista": the merge into the editor's list as one undo step. An editor without a
// list gets one. Sets the modified flag and refills the list when something changed; `after`
// selects the rows added.
MergeCounts AddSearchToList(EditorState& state, Ui& ui, std::span<const FoundService> found,
                            const UndoSelection& before, UndoSelection& after);

// The DiSEqC port (1-4) of the list's channels at `orbital` (those under a title row naming the
// position), else of its channels on `transponder`, the most used; 1 when the list says nothing.
int ListDiseqcPort(std::span<const ChannelRecord> list, std::optional<int> orbital,
                   const SearchTransponder& transponder);

}  // namespace pelorus
