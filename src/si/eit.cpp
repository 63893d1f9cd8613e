#include "si/eit.h"

#include "common/byte_reader.h"
#include "common/ts_numbers.h"

namespace pelorus {
namespace {

void ParseShortEvent(std::span<const uint8_t> body, EitEvent& event) {
  ByteReader reader(body);
  const std::span<const uint8_t> language = reader.Bytes(3);
  const std::span<const uint8_t> name = reader.Loop8().Rest();
  const std::span<const uint8_t> text = reader.Loop8().Rest();
  event.language.assign(language.begin(), language.end());
  event.name.assign(name.begin(), name.end());
  event.shortText.assign(text.begin(), text.end());
  event.hasShortEvent = true;
}

void ParseExtendedEvent(std::span<const uint8_t> body, EitEvent& event) {
  ByteReader reader(body);
  reader.Skip(4);  // descriptor_number, last_descriptor_number, language
  reader.Loop8();  // the items: description/item pairs, not shown
  const std::span<const uint8_t> text = reader.Loop8().Rest();
  event.extendedTexts.emplace_back(text.begin(), text.end());
  event.hasExtendedEvent = true;
}

EitEvent ParseEvent(ByteReader& loop) {
  EitEvent event;
  event.eventId = loop.U16();
  event.start = loop.Time40();
  event.durationBcd = loop.U24();
  event.runningStatus = static_cast<uint8_t>(loop.ReadBits(3));
  event.freeCaMode = loop.Flag();
  const std::span<const uint8_t> descriptors = loop.Sub(loop.ReadBits(12)).Rest();
  ForEachDescriptor(descriptors, [&](uint8_t tag, std::span<const uint8_t> body) {
    if (tag == ts::tag::kShortEvent) {
      ParseShortEvent(body, event);
    } else if (tag == ts::tag::kExtendedEvent) {
      ParseExtendedEvent(body, event);
    }
  });
  return event;
}

bool IsEit(uint8_t tableId) {
  return tableId >= ts::table::kEitPfActual && tableId <= ts::table::kEitScheduleOtherLast;
}

}  // namespace

bool Eit::Actual() const {
  return tableId == ts::table::kEitPfActual || (tableId >= ts::table::kEitScheduleActualFirst &&
                                                tableId <= ts::table::kEitScheduleActualLast);
}

bool Eit::PresentFollowing() const {
  return tableId == ts::table::kEitPfActual || tableId == ts::table::kEitPfOther;
}

std::optional<Eit> Eit::Parse(const Section& section) {
  if (!IsEit(section.tableId) || !section.syntax) return std::nullopt;
  Eit eit;
  eit.tableId = section.tableId;
  eit.serviceId = section.extension;
  eit.version = section.version;
  eit.sectionNumber = section.number;
  eit.lastSectionNumber = section.lastNumber;
  ByteReader reader(section.payload);
  eit.transportStreamId = reader.U16();
  eit.originalNetworkId = reader.U16();
  eit.segmentLastSectionNumber = reader.U8();
  eit.lastTableId = reader.U8();
  if (!reader.Ok()) return std::nullopt;
  while (reader.Ok() && reader.Remaining() >= 12) eit.events.push_back(ParseEvent(reader));
  return eit;
}

void Eit::Append(const Eit& later) {
  events.insert(events.end(), later.events.begin(), later.events.end());
}

}  // namespace pelorus
