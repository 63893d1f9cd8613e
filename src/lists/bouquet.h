#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "lists/foreign_list.h"
#include "lists/lamedb.h"

namespace pelorus {

// One "#SERVICE" line of a bouquet file.
struct BouquetEntry {
  enum class Kind : uint8_t {
    kService,  // a DVB service: look it up in the service database
    kMarker,   // a title line
    kBouquet,  // another bouquet file (the bouquet index lists them so)
    kOther,    // a stream from the network or another kind of entry: nothing to import
  };
  Kind kind = Kind::kOther;
  int serviceType = 0;  // the type the reference names (hexadecimal in the file)
  uint16_t serviceId = 0;
  LamedbTransponderKey transponder;
  std::string name;      // record name text: a marker's title, or a service's own name here
  std::string fileName;  // kBouquet: the file named, a bare file name
  int line = 0;
};

// A bouquet file: "#NAME", then "#SERVICE" lines each optionally followed by "#DESCRIPTION".
// The index ("bouquets.tv") is a bouquet whose entries name the other bouquet files.
struct Bouquet {
  std::string name;  // record name text
  std::vector<BouquetEntry> entries;
  std::vector<BadLine> badLines;  // file index 0
};

// True when the first line that is not empty starts with "#NAME" or "#SERVICE".
bool LooksLikeBouquet(std::span<const uint8_t> bytes);

Bouquet ParseBouquet(std::span<const uint8_t> bytes);

// Whether a file name taken from a bouquet index is a plain name in the same folder (no folder
// part, no "..", nothing that is not printable).
bool IsPlainFileName(std::string_view name);

}  // namespace pelorus
