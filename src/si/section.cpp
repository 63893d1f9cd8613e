#include "si/section.h"

#include <algorithm>

#include "common/byte_reader.h"
#include "common/crc32_mpeg.h"
#include "common/ts_numbers.h"

namespace pelorus {
namespace {

std::optional<Section> Read(std::span<const uint8_t> bytes, bool allowCut) {
  const size_t size = SectionSizeAt(bytes);
  if (size == 0) return std::nullopt;
  if (size > bytes.size() && !allowCut) return std::nullopt;
  Section section;
  section.whole = size <= bytes.size();
  section.bytes = bytes.first(std::min(size, bytes.size()));
  ByteReader reader(section.bytes);
  section.tableId = static_cast<uint8_t>(reader.ReadBits(8));
  section.syntax = reader.Flag();
  reader.ReadBits(3);  // private_indicator, reserved
  section.length = static_cast<uint16_t>(reader.ReadBits(12));
  section.hasCrc = section.syntax || section.tableId == ts::table::kTot;
  size_t headerSize = ts::kSectionHeaderSize;
  if (section.syntax) {
    section.extension = reader.U16();
    reader.ReadBits(2);  // reserved
    section.version = static_cast<uint8_t>(reader.ReadBits(5));
    section.current = reader.Flag();
    section.number = reader.U8();
    section.lastNumber = reader.U8();
    if (!reader.Ok()) return std::nullopt;
    headerSize = ts::kLongHeaderSize;
    if (section.whole && size < headerSize + ts::kCrcSize) return std::nullopt;
  }
  // The payload ends where the CRC begins; a cut section's ends where the bytes do.
  const size_t crcAt =
      section.hasCrc && size >= headerSize + ts::kCrcSize ? size - ts::kCrcSize : size;
  const size_t end = std::min(crcAt, section.bytes.size());
  section.payload = end > headerSize ? section.bytes.subspan(headerSize, end - headerSize)
                                     : std::span<const uint8_t>{};
  section.crcOk = section.whole && section.hasCrc && size >= headerSize + ts::kCrcSize &&
                  Crc32Mpeg(section.bytes) == 0;
  return section;
}

}  // namespace

size_t SectionSizeAt(std::span<const uint8_t> bytes) {
  if (bytes.size() < ts::kSectionHeaderSize) return 0;
  return ts::kSectionHeaderSize + (((bytes[1] & 0x0F) << 8) | bytes[2]);
}

std::optional<Section> Section::Parse(std::span<const uint8_t> bytes) { return Read(bytes, false); }

std::optional<Section> Section::ParseCut(std::span<const uint8_t> bytes) {
  return Read(bytes, true);
}

}  // namespace pelorus
