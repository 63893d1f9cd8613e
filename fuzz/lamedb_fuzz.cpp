// Reads any bytes as a service database (version 4 or 5). Every service name must fit the record,
// every bad line must be a line of the text, and the channels imported must survive an export to
// Enigma2 files and a second import whole: as many channels, none of them a title row.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "lists/bouquet.h"
#include "lists/lamedb.h"
#include "lists/list_assembly.h"
#include "lists/list_import.h"
#include "lists/list_writers.h"
#include "receiver/channel_record.h"

namespace {

using namespace pelorus;

std::span<const uint8_t> Bytes(const std::string& text) {
  return std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

int Channels(const std::vector<ChannelRecord>& records) {
  return static_cast<int>(std::count_if(records.begin(), records.end(), [](const ChannelRecord& r) {
    if (!r.HasTag()) std::abort();
    return !r.IsMarker();
  }));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const LamedbDatabase database = ParseLamedb(bytes);
  const int lines = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) +
                    static_cast<int>(std::count(bytes.begin(), bytes.end(), '\r')) + 1;
  for (const BadLine& line : database.badLines) {
    if (line.line < 1 || line.line > lines) std::abort();
  }
  for (const LamedbService& service : database.services) {
    if (service.name.size() > kChannelNameSize) std::abort();
    ForeignChannel channel;
    if (LamedbChannel(database, service, channel) && channel.name != service.name) std::abort();
  }

  ForeignList list;
  AddLamedbChannels(database, list.AddFile("lamedb"), {}, list);
  ImportOptions all;
  all.all = true;
  const ImportOutcome outcome = BuildImport(list, all);
  if (Channels(outcome.records) != outcome.imported) std::abort();

  const Enigma2Files files = MakeEnigma2Files(outcome.records, {});
  if (files.channels != outcome.imported) std::abort();
  ForeignList again;
  const int file = again.AddFile("lamedb");
  std::vector<BouquetFile> bouquets;
  bouquets.push_back({again.AddFile("bouquet"), ParseBouquet(Bytes(files.bouquet))});
  AddLamedbChannels(ParseLamedb(Bytes(files.lamedb)), file, bouquets, again);
  if (!again.badLines.empty()) std::abort();
  const ImportOutcome back = BuildImport(again, all);
  if (back.imported != outcome.imported || Channels(back.records) != outcome.imported) std::abort();
  return 0;
}
