// Reads any bytes as a channel text line. An accepted line must format to a line that reads back
// to the same record, because the clipboard and text files carry channels this way.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string>

#include "channels/channel_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pelorus;
  const std::span<const char> line(reinterpret_cast<const char*>(data), size);
  ChannelRecord record{};
  if (!ParseChannelLine(line, record)) return 0;
  const std::string text = FormatChannelLine(record);
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) std::abort();
  // A zero byte ends the name early and line breaks are written as blanks, so such names come
  // back changed; lnbSelect bits 4-7 have no column.
  for (const uint8_t byte : record.name) {
    if (byte == 0 || byte == '\r' || byte == '\n') return 0;
  }
  ChannelRecord again{};
  if (!ParseChannelLine(std::span(text.data(), text.size() - 2), again)) std::abort();
  record.lnbSelect &= 0x0F;
  if (std::memcmp(&again, &record, sizeof record) != 0) std::abort();
  return 0;
}
