// Loads any bytes as a settings file and builds the list's rows from them, as opening a file
// does. A saved image must load back unchanged.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "channels/channel_rows.h"
#include "channels/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelorus;
  const std::vector<ChannelRecord> records = DecodeSettingsBytes(std::span(data, size));
  for (size_t i = 0; i < records.size(); ++i) {
    const int index = static_cast<int>(i);
    BuildChannelRow(records[i], index, i % 2 == 0 ? PidMode::kHexadecimal : PidMode::kDecimal);
  }
  const std::vector<ChannelRecord> again = DecodeSettingsBytes(EncodeSettingsBytes(records));
  if (again.size() != records.size() ||
      (!again.empty() &&
       std::memcmp(again.data(), records.data(), records.size() * sizeof(ChannelRecord)) != 0)) {
    std::abort();
  }
  return 0;
}
