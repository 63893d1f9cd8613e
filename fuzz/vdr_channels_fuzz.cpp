// Reads any bytes as a channels.conf. Names must fit the record, and the channels imported must
// survive an export to a channels.conf and a second import whole: as many channels and title
// rows, with no line that cannot be read.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "lists/list_assembly.h"
#include "lists/list_import.h"
#include "lists/list_writers.h"
#include "lists/vdr_channels.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelorus;
  const VdrChannels parsed = ParseVdrChannels(std::span(data, size));
  for (const ForeignEntry& entry : parsed.entries) {
    if (entry.markerName.size() > kChannelNameSize ||
        entry.channel.name.size() > kChannelNameSize) {
      std::abort();
    }
  }
  ForeignList list;
  AddVdrChannels(parsed, list.AddFile("channels.conf"), list);
  ImportOptions all;
  all.all = true;
  const ImportOutcome outcome = BuildImport(list, all);
  for (const ChannelRecord& record : outcome.records) {
    if (!record.HasTag() || record.pmtPid > kPidMask) std::abort();
  }

  const VdrFile file = MakeVdrChannels(outcome.records, {});
  if (file.channels != outcome.imported) std::abort();
  const VdrChannels again = ParseVdrChannels(
      std::span(reinterpret_cast<const uint8_t*>(file.text.data()), file.text.size()));
  if (!again.badLines.empty()) std::abort();
  ForeignList second;
  AddVdrChannels(again, second.AddFile("channels.conf"), second);
  const ImportOutcome back = BuildImport(second, all);
  if (back.imported != outcome.imported) std::abort();
  return 0;
}
