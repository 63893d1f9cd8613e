#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/ui.h"
#include "lists/foreign_list.h"

namespace pelorus {

// What a file holds, told from its content, never from its name.
enum class ListFormat {
  kUnknown,
  kBinary,    // holds zero bytes: no text list at all
  kSettings,  // this receiver's own records ("DVSO" first)
  kLamedb,    // a service database, version 4 or 5
  kBouquet,   // a bouquet or the index of the bouquets
  kVdr,       // a channels.conf
};
ListFormat DetectListFormat(std::span<const uint8_t> bytes);

// Reads the lists of other receivers named by `paths` into one list, in order:
// - a service database takes the bouquet files given beside it on the command line, or else the
//   "bouquets.tv" and "bouquets.radio" indexes in its folder with the bouquets they name; its
//   channels come in bouquet order, each bouquet under a title row with its name; without any
//   bouquet, in database order under one title row per orbital position;
// - bouquet files given without a database take the "lamedb" (or "lamedb5") in their folder;
// - a channels.conf gives its channels and groups as they stand.
// Files are held to the size of a text file and must be text. When a file cannot be read or is
// not such a list, the message was shown and false returned; lines that cannot be read are in
// `list.badLines`.
bool ReadForeignLists(const std::vector<std::string>& paths, Ui& ui, ForeignList& list);

// The same for the bytes of one file, for the fuzz targets and the benchmarks: a service
// database is read without bouquets, whatever its folder holds.
bool ParseForeignList(std::span<const uint8_t> bytes, const std::string& label, ForeignList& list);

}  // namespace pelorus
