#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/ui.h"
#include "receiver/channel_record.h"
#include "service_scan/channel_search.h"

namespace pelorus {

// Where the transponders of a search come from, as the dialog and the console name them; any
// number of them together.
struct SearchSources {
  bool network = false;      // the tuned transponder and what the NITs name
  std::string table;         // a transponder table: a file, or a table's name in `tablesFolder`
  std::string tablesFolder;  // where tables are looked up by name
  std::string lockResults;   // a file of the lock search's result lines
  std::vector<int> rows;     // rows of the list
  bool Any() const { return network || !table.empty() || !lockResults.empty() || !rows.empty(); }
};

// Reads the sources' files into the request's transponders (tables first, then the lock
// search's carriers, then the rows) and counts the table's DVB-S2 entries. A table named by a
// satellite position gives its channels that position unless `request.orbital` is set already.
// False, with the message shown, when a file cannot be read or holds nothing to search.
bool ReadSearchSources(const SearchSources& sources, std::span<const ChannelRecord> list, Ui& ui,
                       ChannelSearchRequest& request);

}  // namespace pelorus
