#include "section_writer.h"

#include "ts_crc.h"

namespace sim {

Section LongSection(uint8_t tableId, uint16_t extension, uint8_t version, uint8_t number,
                    uint8_t last, const std::vector<uint8_t>& body) {
  Section section = {tableId, 0, 0};
  Put16(section, extension);
  section.push_back(static_cast<uint8_t>(0xC1 | (version & 0x1F) << 1));
  section.push_back(number);
  section.push_back(last);
  section.insert(section.end(), body.begin(), body.end());
  const size_t length = section.size() - 3 + 4;
  section[1] = static_cast<uint8_t>(0xB0 | (length >> 8 & 0x0F));
  section[2] = static_cast<uint8_t>(length);
  const uint32_t crc = Crc32Mpeg(section);
  Put16(section, crc >> 16);
  Put16(section, crc & 0xFFFF);
  return section;
}

Section ShortSection(uint8_t tableId, const std::vector<uint8_t>& body) {
  Section section = {tableId, static_cast<uint8_t>(0x70 | (body.size() >> 8 & 0x0F)),
                     static_cast<uint8_t>(body.size())};
  section.insert(section.end(), body.begin(), body.end());
  return section;
}

}  // namespace sim
