// Reads any bytes as a bouquet file or a bouquet index. The bouquets an index names must be plain
// file names of the same folder, names must fit the record, and the lines reported must be lines
// of the text, in order. Looked up in a database without those services, every service entry
// must be reported once.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "lists/bouquet.h"
#include "lists/lamedb.h"
#include "lists/list_assembly.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelorus;
  const std::span<const uint8_t> bytes(data, size);
  const Bouquet bouquet = ParseBouquet(bytes);
  if (bouquet.name.size() > kChannelNameSize) std::abort();
  int services = 0;
  int last = 0;
  for (const BouquetEntry& entry : bouquet.entries) {
    if (entry.name.size() > kChannelNameSize || entry.line <= last) std::abort();
    last = entry.line;
    if (entry.kind == BouquetEntry::Kind::kBouquet && !IsPlainFileName(entry.fileName))
      std::abort();
    if (entry.kind == BouquetEntry::Kind::kService) ++services;
  }
  last = 0;
  for (const BadLine& line : bouquet.badLines) {
    if (line.line <= last) std::abort();
    last = line.line;
  }

  ForeignList list;
  const int database = list.AddFile("lamedb");
  std::vector<BouquetFile> bouquets;
  bouquets.push_back({list.AddFile("bouquet"), bouquet});
  AddLamedbChannels(LamedbDatabase{}, database, bouquets, list);
  const auto channels = std::count_if(list.entries.begin(), list.entries.end(),
                                      [](const ForeignEntry& entry) { return !entry.marker; });
  if (channels != 0) std::abort();
  if (list.badLines.size() != bouquet.badLines.size() + static_cast<size_t>(services)) std::abort();
  return 0;
}
