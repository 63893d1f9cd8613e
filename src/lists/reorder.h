#pragma once

#include <span>
#include <string>
#include <vector>

#include "common/editor_state.h"
#include "common/ui.h"
#include "lists/foreign_list.h"

namespace pelorus {

// A row of the list whose order is taken: a title row, or a channel with what it is known by.
struct ReferenceEntry {
  bool marker = false;
  ChannelRecord markerRecord{};  // a title row as it is copied into the list
  std::string name;              // record name text
  uint16_t frequency = 0;        // MHz
  uint8_t polarity = 0;
  bool hasIds = false;  // a service id and a network or transport stream id
  uint16_t originalNetworkId = 0;
  uint16_t tsId = 0;
  uint16_t serviceId = 0;
};

std::vector<ReferenceEntry> ReferenceFromRecords(std::span<const ChannelRecord> records);
// Every channel of the list counts here, also those an import would skip.
std::vector<ReferenceEntry> ReferenceFromForeign(const ForeignList& list);

struct ReorderOutcome {
  std::vector<ChannelRecord> records;
  int matched = 0;
  int channels = 0;  // the list's channels (title rows not counted)
};

// The list in the reference's order. A channel matches a reference channel by original network
// id, transport stream id and service id when both carry them, else by name (ignoring case and
// blanks) with a frequency within 2 MHz and the same polarisation; each takes the earliest
// matching reference channel not taken yet (or, when all are taken, the earliest). Matched
// channels stand in the reference's order under its title rows (those with a matched channel
// under them); the others follow in their old order under a title row "Altri canali", with the
// old title rows that still head one of them. With no channel matched the list is unchanged.
ReorderOutcome ReorderLike(std::span<const ChannelRecord> list,
                           std::span<const ReferenceEntry> reference);

// "%d of %d channels matched the reference list".
std::string ReorderSummary(const ReorderOutcome& outcome);

// Reads a reference list: a settings file, a service database (with the bouquets beside it), a
// bouquet file (with the database beside it) or a channels.conf. False, with the message shown,
// when it cannot be read or is none of them.
bool ReadReferenceList(const std::string& path, Ui& ui, std::vector<ReferenceEntry>& reference);

// "Ordina come Lista...": needs a list, asks for the reference, reorders the list and tells on the
// status line how many channels matched. True when the list changed.
bool OrderLikeReferenceList(EditorState& state, Ui& ui, std::string& folder);

}  // namespace pelorus
