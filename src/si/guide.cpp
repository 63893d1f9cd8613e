#include "si/guide.h"

#include <algorithm>

#include "common/ts_numbers.h"
#include "si/dvb_text.h"
#include "si/section_walk.h"

namespace pelorus {
namespace {

constexpr uint16_t kNoService = 0xFFFF;

// Appends `bytes` to `text` until it holds `field` bytes, keeping only those `keep` accepts and
// turning the rest into what `replace` gives (0: dropped).
template <typename Keep>
void AppendCut(std::string& text, std::string_view bytes, size_t field, Keep keep, char replace) {
  for (const char character : bytes) {
    const auto byte = static_cast<uint8_t>(character);
    if (text.size() >= field) return;
    if (keep(byte)) {
      text.push_back(character);
    } else if (replace != 0) {
      text.push_back(replace);
    }
  }
}

bool Printable(uint8_t byte) { return byte >= 0x20 && byte <= 0x7F; }
bool AnyByte(uint8_t) { return true; }
bool TextByte(uint8_t byte) { return byte >= 0x20 && byte <= 0x7C; }

ServiceEntry EntryOf(const Sdt& sdt, const SdtService& service) {
  ServiceEntry entry;
  entry.serviceId = service.serviceId;
  entry.transportStreamId = sdt.transportStreamId;
  entry.originalNetworkId = sdt.originalNetworkId;
  AppendCut(entry.provider, service.provider, kProviderNameField, Printable, 0);
  AppendCut(entry.name, service.name, kServiceNameField, Printable, 0);
  entry.rawName = service.name;
  return entry;
}

EventEntry EntryOf(const EitEvent& event) {
  EventEntry entry;
  entry.eventId = event.eventId;
  entry.start = ToGuideTime(event.start);
  entry.duration = BcdTime(event.durationBcd);
  // Straight from the day number: no calendar conversion.
  entry.endUtc = BroadcastSeconds(event.start) + DurationSeconds(entry.duration);
  AppendCut(entry.name, event.name, kEventNameField, AnyByte, 0);
  // The name was a zero-terminated field: a zero byte ends it.
  entry.name.resize(std::min(entry.name.size(), entry.name.find('\0')));
  // The parts of a long text come as several descriptors, in order.
  for (const std::string& part : event.extendedTexts) {
    AppendCut(entry.extendedText, part, kExtendedTextField, TextByte, ' ');
    AppendTextPart(entry.rawExtended, part);
  }
  return entry;
}

bool HasText(const EitEvent& event) {
  return std::any_of(event.extendedTexts.begin(), event.extendedTexts.end(),
                     [](const std::string& part) { return !part.empty(); });
}

}  // namespace

std::time_t EventEntry::End() const { return ToEpoch(start) + DurationSeconds(duration); }

void Guide::AddServices(const Sdt& sdt) {
  std::vector<uint16_t> added;
  for (const SdtService& service : sdt.services) {
    if (service.serviceId == kNoService) continue;
    std::lock_guard guard(lock_);
    if (services_.contains(service.serviceId)) continue;
    services_.emplace(service.serviceId, EntryOf(sdt, service));
    ++counters_.services;
    added.push_back(service.serviceId);
  }
  if (serviceAdded) {
    for (const uint16_t serviceId : added) serviceAdded(serviceId);
  }
}

void Guide::AddEvents(const Eit& eit, std::time_t nowUtc) {
  if (eit.serviceId == kNoService) return;
  for (const EitEvent& event : eit.events) {
    const bool described = event.hasShortEvent || event.hasExtendedEvent;
    if (Wanted(eit.serviceId, event.eventId, described, HasText(event), nowUtc)) {
      AddEvent(eit.serviceId, EntryOf(event));
    }
  }
}

void Guide::AddEvents(const EitView& eit, std::time_t nowUtc) {
  if (eit.table.serviceId == kNoService) return;
  for (const EitEventView& event : eit.events) {
    // The carousel repeats known events far more often than it brings new ones: an event's
    // texts are copied out only when it is to become an entry.
    const EitEventView::Look look = event.LookAt();
    if (Wanted(eit.table.serviceId, event.eventId, look.described, look.hasText, nowUtc)) {
      AddEvent(eit.table.serviceId, EntryOf(event.Event()));
    }
  }
}

bool Guide::Wanted(uint16_t serviceId, uint16_t eventId, bool described, bool hasText,
                   std::time_t nowUtc) {
  return described && ExpireAndCheck(serviceId, eventId, hasText, nowUtc);
}

void Guide::ParseSdtSections(std::span<const uint8_t> buffer) {
  int crcErrors = 0;
  ForEachSection(
      buffer,
      [this](const Section& section) {
        if (const std::optional<Sdt> sdt = Sdt::Parse(section)) AddServices(*sdt);
      },
      crcErrors);
  std::lock_guard guard(lock_);
  counters_.crcErrors += crcErrors;
  sdtParsed_ = true;
}

void Guide::ParseEitSections(std::span<const uint8_t> buffer, std::time_t nowUtc) {
  {
    std::lock_guard guard(lock_);
    if (!sdtParsed_) return;
  }
  int crcErrors = 0;
  ForEachSection(
      buffer,
      [this, nowUtc](const Section& section) {
        if (const std::optional<EitView> eit = EitView::Parse(section)) AddEvents(*eit, nowUtc);
      },
      crcErrors);
  std::lock_guard guard(lock_);
  counters_.crcErrors += crcErrors;
}

void Guide::ParseSdtSection(std::span<const uint8_t> bytes) {
  const std::optional<Section> section = Section::Parse(bytes);
  if (!section) return;
  if (const std::optional<Sdt> sdt = Sdt::Parse(*section)) AddServices(*sdt);
}

void Guide::ParseEitSection(std::span<const uint8_t> bytes, std::time_t nowUtc) {
  const std::optional<Section> section = Section::Parse(bytes);
  if (!section) return;
  if (const std::optional<EitView> eit = EitView::Parse(*section)) AddEvents(*eit, nowUtc);
}

bool Guide::ExpireAndCheck(uint16_t serviceId, uint16_t eventId, bool hasText, std::time_t nowUtc) {
  std::lock_guard guard(lock_);
  const auto service = services_.find(serviceId);
  if (service == services_.end()) return false;
  ServiceEntry& entry = service->second;
  std::vector<EventEntry>& events = entry.events;
  // One ended event at most goes per arrival, the first one first.
  if (entry.earliestEnd < nowUtc) {
    const auto ended =
        std::find_if(events.begin(), events.end(),
                     [nowUtc](const EventEntry& known) { return known.endUtc < nowUtc; });
    if (ended != events.end()) {
      entry.knownHasText.erase(ended->eventId);
      events.erase(ended);
      --counters_.events;
    }
    entry.earliestEnd = std::numeric_limits<std::time_t>::max();
    for (const EventEntry& known : events)
      entry.earliestEnd = std::min(entry.earliestEnd, known.endUtc);
  }
  const auto known = entry.knownHasText.find(eventId);
  return known == entry.knownHasText.end() || (!known->second && hasText);
}

void Guide::AddEvent(uint16_t serviceId, EventEntry event) {
  std::lock_guard guard(lock_);
  const auto service = services_.find(serviceId);
  if (service == services_.end()) return;
  ServiceEntry& entry = service->second;
  std::vector<EventEntry>& events = entry.events;
  const auto known = entry.knownHasText.find(event.eventId);
  if (known != entry.knownHasText.end()) {
    if (!known->second && !event.extendedText.empty()) {
      const auto found = std::find_if(events.begin(), events.end(), [&](const EventEntry& listed) {
        return listed.eventId == event.eventId;
      });
      if (found != events.end()) {
        found->extendedText = std::move(event.extendedText);
        found->rawExtended = std::move(event.rawExtended);
        known->second = true;
      }
    }
    return;
  }
  entry.knownHasText.emplace(event.eventId, !event.extendedText.empty());
  entry.earliestEnd = std::min(entry.earliestEnd, event.endUtc);
  events.push_back(std::move(event));
  ++counters_.events;
}

void Guide::CountPoll() {
  std::lock_guard guard(lock_);
  ++counters_.polls;
}

void Guide::CountSectionBytes(size_t bytes) {
  std::lock_guard guard(lock_);
  counters_.sectionBytes += static_cast<int>(bytes);
}

Guide::Counters Guide::TakeCounters() {
  std::lock_guard guard(lock_);
  const Counters taken = counters_;
  counters_.polls = 0;
  counters_.sectionBytes = 0;
  return taken;
}

Guide::Counters Guide::Peek() const {
  std::lock_guard guard(lock_);
  return counters_;
}

void Guide::Read(
    const std::function<void(const std::map<uint16_t, ServiceEntry>& services)>& read) const {
  std::lock_guard guard(lock_);
  read(services_);
}

void Guide::Clear() {
  std::lock_guard guard(lock_);
  services_.clear();
  sdtParsed_ = false;
  counters_ = Counters{};
}

}  // namespace pelorus
