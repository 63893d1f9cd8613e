// TS->ES conversion and the sequence-header wait over reads the receiver hands over. Byte 0 of
// the input picks the PID's low byte and whether video sync is on; the rest is one read. The
// converted bytes must fit the read and never come from outside it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "streams/stream_capture.h"
#include "streams/ts_to_es.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 65536 + 1) return 0;
  const std::span<const uint8_t> read(data + 1, size - 1);
  const uint16_t pid = static_cast<uint16_t>(0x100 | (data[0] & 0x7F));

  std::vector<uint8_t> out(read.size());
  const size_t count = pelorus::ConvertTsToEs(read, pid, out);
  if (count > read.size()) std::abort();
  for (size_t i = 0; i + 188 <= read.size(); i += 188) {
    const auto header = pelorus::EsHeaderLength(pelorus::ts::Packet(read.data() + i, 188));
    if (header && *header >= 188) std::abort();
  }

  pelorus::CaptureSettings settings;
  settings.pid = pid;
  settings.threshold = static_cast<uint16_t>(read.size() > 0xFFFF ? 0xFFFF : read.size());
  settings.mode = pelorus::kModeEntirePackets;
  settings.ts2es = true;
  settings.syncVideo = (data[0] & 0x80) != 0;
  pelorus::CaptureFilter filter(settings);
  for (int round = 0; round < 2; ++round) {
    const auto bytes = filter.Process(read);
    if (bytes && bytes->size() > read.size()) std::abort();
  }
  return 0;
}
