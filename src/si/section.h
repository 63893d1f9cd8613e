#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace pelorus {

// One PSI/SI section, its header read once. The section does not own its bytes: it is valid
// while the buffer it was parsed from is.
struct Section {
  std::span<const uint8_t> bytes;  // the whole section, table_id to the end of its CRC
  uint8_t tableId = 0;
  bool syntax = false;  // section_syntax_indicator: the long form, with the fields below
  uint16_t length = 0;  // section_length: the bytes after the length field
  // Long form only (zero in the short form).
  uint16_t extension = 0;  // table_id_extension
  uint8_t version = 0;
  bool current = true;  // current_next_indicator
  uint8_t number = 0;
  uint8_t lastNumber = 0;
  // The table's own bytes: after the header (8 bytes long form, 3 short) and before the CRC.
  std::span<const uint8_t> payload;
  // Whether the section carries a CRC-32 (the long form, and the TOT), and whether it matched.
  bool hasCrc = false;
  bool crcOk = false;
  // False when the bytes ended before the section did (a captured section cut short): the
  // payload then holds what there is, and the CRC is not checked.
  bool whole = true;

  // The section at the start of `bytes` (bytes after it are ignored). No value when fewer bytes
  // are there than its length says, or a long-form section is too short for its header and CRC.
  static std::optional<Section> Parse(std::span<const uint8_t> bytes);
  // The same for a capture that may have cut the section short: the section is read as far as
  // the bytes go. No value only when even the header is not there.
  static std::optional<Section> ParseCut(std::span<const uint8_t> bytes);

  // Whole, its CRC right (when it has one), and in force now rather than the next version.
  bool Usable() const { return whole && (!hasCrc || crcOk) && current; }
};

// The size the section at the start of `bytes` says it has (3 + section_length); 0 when fewer
// than the three header bytes are there.
size_t SectionSizeAt(std::span<const uint8_t> bytes);

}  // namespace pelorus
