// Packets of the EIT browser's slots as the receiver hands them over: the input is cut into
// reads (byte 0 gives the read length in packets), each assembled into sections that are then
// walked. Held bytes must never exceed the assembly limit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "si/section_walk.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t readLength = (1 + data[0] % 16) * pelorus::SectionAssembler::kPacketSize;
  const std::span<const uint8_t> packets(data + 1, size - 1);
  pelorus::SectionAssembler assembler;
  int crcErrors = 0;
  int sections = 0;
  for (size_t at = 0; at < packets.size(); at += readLength) {
    assembler.FeedRead(packets.subspan(at, std::min(readLength, packets.size() - at)),
                       [&](std::span<const uint8_t> buffer) {
                         pelorus::WalkSections(
                             buffer,
                             [&](std::span<const uint8_t> section) {
                               if (section.size() < 3 || section.size() > buffer.size())
                                 std::abort();
                               ++sections;
                             },
                             crcErrors);
                       });
    if (assembler.Held() > pelorus::SectionAssembler::kMaxHeld) std::abort();
  }
  return 0;
}
