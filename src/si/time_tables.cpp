#include "si/time_tables.h"

#include "common/byte_reader.h"
#include "common/ts_numbers.h"

namespace pelorus {
namespace {

// A BCD hhmm offset in minutes, read digit pair by digit pair.
int OffsetMinutes(uint16_t bcd) {
  const Duration time = BcdTime(uint32_t{bcd} << 8);
  return time.hours * 60 + time.minutes;
}

void ParseLocalTimeOffsets(std::span<const uint8_t> body, std::vector<LocalTimeOffset>& into) {
  ByteReader reader(body);
  constexpr size_t kEntrySize = 13;
  while (reader.Remaining() >= kEntrySize) {
    LocalTimeOffset entry;
    const std::span<const uint8_t> country = reader.Bytes(3);
    entry.country.assign(country.begin(), country.end());
    entry.region = static_cast<uint8_t>(reader.ReadBits(6));
    reader.ReadBits(1);  // reserved
    const bool negative = reader.Flag();
    const int sign = negative ? -1 : 1;
    entry.offsetMinutes = sign * OffsetMinutes(reader.U16());
    entry.timeOfChange = reader.Time40();
    entry.nextOffsetMinutes = sign * OffsetMinutes(reader.U16());
    into.push_back(entry);
  }
}

}  // namespace

std::optional<Tdt> Tdt::Parse(const Section& section) {
  if (section.tableId != ts::table::kTdt) return std::nullopt;
  ByteReader reader(section.payload);
  Tdt tdt;
  tdt.utc = reader.Time40();
  if (!reader.Ok()) return std::nullopt;
  return tdt;
}

std::optional<Tot> Tot::Parse(const Section& section) {
  if (section.tableId != ts::table::kTot) return std::nullopt;
  ByteReader reader(section.payload);
  Tot tot;
  tot.utc = reader.Time40();
  ByteReader descriptors = reader.Loop12();
  if (!descriptors.Ok()) return std::nullopt;
  ForEachDescriptor(descriptors.Rest(), [&](uint8_t tag, std::span<const uint8_t> body) {
    if (tag == ts::tag::kLocalTimeOffset) ParseLocalTimeOffsets(body, tot.offsets);
  });
  return tot;
}

}  // namespace pelorus
