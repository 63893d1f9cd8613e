// Reads any bytes as an imported text file. Every channel appended must be a tagged record with
// a PMT PID of 13 bits, and exporting the list again must give lines that import to exactly the
// same number of channels, whatever bytes the names hold.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "channels/text_transfer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelorus;
  EditorState state;
  const int added = AppendChannelLines(state, std::span(data, size));
  if (added < 0 || added != state.ChannelCount()) std::abort();

  // The same bytes taken as records (any name bytes at all) must export to one line each.
  std::vector<ChannelRecord> raw(size / sizeof(ChannelRecord));
  if (!raw.empty()) std::memcpy(raw.data(), data, raw.size() * sizeof(ChannelRecord));
  for (ChannelRecord& record : raw) {
    record.tag = kChannelTag;
    record.pmtPid &= kPidMask;
  }
  const std::string rawText = FormatChannelLines(raw, nullptr);
  EditorState rawBack;
  if (AppendChannelLines(rawBack, std::span(reinterpret_cast<const uint8_t*>(rawText.data()),
                                            rawText.size())) != static_cast<int>(raw.size())) {
    std::abort();
  }
  if (added == 0) return 0;
  for (const ChannelRecord& record : *state.settingsImage) {
    if (!record.HasTag() || record.pmtPid > kPidMask) std::abort();
  }
  const std::string text = FormatChannelLines(*state.settingsImage, nullptr);
  EditorState again;
  const int back = AppendChannelLines(
      again, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  if (back != added) std::abort();
  return 0;
}
