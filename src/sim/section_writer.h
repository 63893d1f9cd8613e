#pragma once

// The small pieces every table the multiplex sends is written with.
#include <cstdint>
#include <string_view>
#include <vector>

namespace sim {

using Section = std::vector<uint8_t>;

inline void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

inline void PutText(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

// Appends a descriptor loop with its 12-bit length in front.
inline void PutLoop(std::vector<uint8_t>& out, const std::vector<uint8_t>& loop) {
  Put16(out, 0xF000 | static_cast<uint32_t>(loop.size()));
  out.insert(out.end(), loop.begin(), loop.end());
}

inline void PutDescriptor(std::vector<uint8_t>& out, uint8_t tag,
                          const std::vector<uint8_t>& body) {
  out.push_back(tag);
  out.push_back(static_cast<uint8_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

// A long-form section: header, body, CRC. section_length counts from after its own field.
Section LongSection(uint8_t tableId, uint16_t extension, uint8_t version, uint8_t number,
                    uint8_t last, const std::vector<uint8_t>& body);
// A short-form private section (no syntax bit, no CRC), as ECMs and EMMs are sent.
Section ShortSection(uint8_t tableId, const std::vector<uint8_t>& body);

}  // namespace sim
