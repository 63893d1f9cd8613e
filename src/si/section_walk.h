#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "si/section.h"
#include "si/section_assembler.h"

namespace pelorus {

// Walks the sections of a unit the EIT browser's capture assembled: stuffing bytes are
// skipped, stuffing tables (0x72, which carry no CRC) are passed over, every other section is
// checked by its CRC-32 (a mismatch counts one error and ends the walk), a table_id 0x00 ends
// it, and every other section goes to `visit`; the walk goes on while at least 21 bytes remain.
void ForEachSection(std::span<const uint8_t> data,
                    const std::function<void(const Section& section)>& visit, int& crcErrors);

// The same, each section handed over as its bytes, CRC included.
void WalkSections(std::span<const uint8_t> data,
                  const std::function<void(std::span<const uint8_t> section)>& parse,
                  int& crcErrors);

}  // namespace pelorus
