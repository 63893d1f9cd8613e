// The per-PID section assembler on arbitrary packets: byte 0 sets the section size limit, the
// rest is cut into 188-byte packets. Every section handed on must be exactly as long as its
// header says and within the limit, and nothing held may exceed it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "si/section_assembler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t limit = 16 + size_t{data[0]} * 16;
  const std::span<const uint8_t> packets(data + 1, size - 1);
  pelorus::SectionAssembler assembler(limit);
  size_t sections = 0;
  assembler.FeedPackets(packets, [&](const pelorus::Section& section) {
    if (section.bytes.size() != 3u + section.length || section.bytes.size() > limit) std::abort();
    if (section.payload.size() > section.bytes.size()) std::abort();
    ++sections;
  });
  if (assembler.Held() > limit) std::abort();
  // Each packet can finish at most one section begun earlier and start at most 183 / 3 more.
  if (sections > (packets.size() / 188) * 62) std::abort();
  return 0;
}
