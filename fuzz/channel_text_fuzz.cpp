// Reads any bytes as an imported text file. Every channel appended must be a tagged record with
// a PMT PID of 13 bits, and exporting the list again must give lines that import to the same
// number of channels.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "channels/text_transfer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelorus;
  EditorState state;
  const int added = AppendChannelLines(state, std::span(data, size));
  if (added < 0 || added != state.ChannelCount()) std::abort();
  if (added == 0) return 0;
  for (const ChannelRecord& record : *state.settingsImage) {
    if (!record.HasTag() || record.pmtPid > kPidMask) std::abort();
  }
  const std::string text = FormatChannelLines(*state.settingsImage, nullptr);
  EditorState again;
  // A name holding a line break splits its line; every other channel must come back.
  int breaks = 0;
  for (const ChannelRecord& record : *state.settingsImage) {
    for (uint8_t byte : record.name) breaks += (byte == '\r' || byte == '\n') ? 1 : 0;
  }
  const int back = AppendChannelLines(
      again, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  if (breaks == 0 && back != added) std::abort();
  return 0;
}
