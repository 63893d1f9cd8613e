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

EitEventView ViewEvent(ByteReader& loop) {
  EitEventView event;
  event.eventId = loop.U16();
  event.start = loop.Time40();
  event.durationBcd = loop.U24();
  event.runningStatus = static_cast<uint8_t>(loop.ReadBits(3));
  event.freeCaMode = loop.Flag();
  event.descriptors = loop.Sub(loop.ReadBits(12)).Rest();
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
  std::optional<EitView> view = EitView::Parse(section);
  if (!view) return std::nullopt;
  Eit eit = std::move(view->table);
  eit.events.reserve(view->events.size());
  for (const EitEventView& event : view->events) eit.events.push_back(event.Event());
  return eit;
}

void Eit::Append(const Eit& later) {
  events.insert(events.end(), later.events.begin(), later.events.end());
}

EitEventView::Look EitEventView::LookAt() const {
  Look look;
  ForEachDescriptor(descriptors, [&](uint8_t tag, std::span<const uint8_t> body) {
    if (tag == ts::tag::kShortEvent) look.described = true;
    if (tag != ts::tag::kExtendedEvent) return;
    look.described = true;
    if (look.hasText) return;
    ByteReader reader(body);
    reader.Skip(4);
    reader.Loop8();
    look.hasText = !reader.Loop8().Rest().empty();
  });
  return look;
}

EitEvent EitEventView::Event() const {
  EitEvent event;
  event.eventId = eventId;
  event.start = start;
  event.durationBcd = durationBcd;
  event.runningStatus = runningStatus;
  event.freeCaMode = freeCaMode;
  ForEachDescriptor(descriptors, [&](uint8_t tag, std::span<const uint8_t> body) {
    if (tag == ts::tag::kShortEvent) {
      ParseShortEvent(body, event);
    } else if (tag == ts::tag::kExtendedEvent) {
      ParseExtendedEvent(body, event);
    }
  });
  return event;
}

std::optional<EitView> EitView::Parse(const Section& section) {
  if (!IsEit(section.tableId) || !section.syntax) return std::nullopt;
  EitView view;
  Eit& eit = view.table;
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
  while (reader.Ok() && reader.Remaining() >= 12) view.events.push_back(ViewEvent(reader));
  return view;
}

}  // namespace pelorus
