#pragma once

#include <vector>

#include "lists/bouquet.h"
#include "lists/foreign_list.h"
#include "lists/lamedb.h"
#include "lists/vdr_channels.h"

namespace pelorus {

// A bouquet and the file it was read from (an index into ForeignList::files).
struct BouquetFile {
  int file = 0;
  Bouquet bouquet;
};

// Adds a service database's channels to `list`: in the bouquets' order when there are bouquets,
// each under a title row with the bouquet's name (the file's name when it has none), with the
// bouquets' own markers as title rows; else in database order under one title row per orbital
// position ("19.2E"), cable, terrestrial and other entries after their own rows. Entries that
// name a service or transponder the database does not have go to the bad lines, with the lines
// the parsers could not read.
void AddLamedbChannels(const LamedbDatabase& database, int databaseFile,
                       const std::vector<BouquetFile>& bouquets, ForeignList& list);

// Adds a channels.conf's channels and groups, and its bad lines, to `list`.
void AddVdrChannels(VdrChannels channels, int file, ForeignList& list);

// The title row names of the groups without bouquets.
inline constexpr char kCableGroup[] = "DVB-C";
inline constexpr char kTerrestrialGroup[] = "DVB-T";
inline constexpr char kOtherGroup[] = "Other";

}  // namespace pelorus
