#include "si/guide.h"

#include <algorithm>

#include "common/byte_reader.h"
#include "common/ts_numbers.h"
#include "si/section_walk.h"

namespace pelorus {
namespace {

constexpr uint16_t kNoService = 0xFFFF;
using ts::kCrcSize;
constexpr size_t kSdtLoopStart = 11;
constexpr size_t kEitLoopStart = 14;
constexpr std::time_t kUnixEpochMjd = 40587;

std::time_t Seconds(const Duration& time) {
  return time.hours * 3600 + time.minutes * 60 + time.seconds;
}

// Appends `bytes` to `text` until it holds `field` bytes, keeping only those `keep` accepts and
// turning the rest into what `replace` gives (0: dropped).
template <typename Keep>
void AppendCut(std::string& text, std::span<const uint8_t> bytes, size_t field, Keep keep,
               char replace) {
  for (const uint8_t byte : bytes) {
    if (text.size() >= field) return;
    if (keep(byte)) {
      text.push_back(static_cast<char>(byte));
    } else if (replace != 0) {
      text.push_back(replace);
    }
  }
}

bool Printable(uint8_t byte) { return byte >= 0x20 && byte <= 0x7F; }
bool AnyByte(uint8_t) { return true; }
bool TextByte(uint8_t byte) { return byte >= 0x20 && byte <= 0x7C; }

// Calls `visit(tag, body)` for every descriptor of a loop, stopping at one that runs past it.
template <typename Visit>
void ForEachDescriptor(std::span<const uint8_t> loop, Visit visit) {
  ByteReader reader(loop);
  while (reader.Remaining() >= 2) {
    const uint8_t tag = reader.U8();
    const uint8_t length = reader.U8();
    const std::span<const uint8_t> body = reader.Bytes(length);
    if (!reader.Ok()) return;
    visit(tag, body);
  }
}

// The section without its CRC, from `start`; empty when the section is shorter.
std::span<const uint8_t> LoopOf(std::span<const uint8_t> section, size_t start) {
  if (section.size() < start + kCrcSize) return {};
  return section.subspan(start, section.size() - start - kCrcSize);
}

}  // namespace

void MjdToDate(uint16_t mjd, int& year, int& month, int& day) {
  const int yearPrime = static_cast<int>((mjd - 15078.2) / 365.25);
  const int monthPrime =
      static_cast<int>((mjd - 14956.1 - static_cast<int>(yearPrime * 365.25)) / 30.6001);
  day = mjd - 14956 - static_cast<int>(yearPrime * 365.25) - static_cast<int>(monthPrime * 30.6001);
  const int k = (monthPrime == 14 || monthPrime == 15) ? 1 : 0;
  year = yearPrime + k + 1900;
  month = monthPrime - 1 - k * 12;
}

Duration BcdTime(uint32_t value) {
  auto pair = [](uint32_t byte) { return static_cast<int>((byte >> 4) * 10 + (byte & 0x0F)); };
  return Duration{pair((value >> 16) & 0xFF), pair((value >> 8) & 0xFF), pair(value & 0xFF)};
}

std::time_t ToEpoch(const GuideTime& time) {
  std::tm parts{};
  parts.tm_year = time.year - 1900;
  parts.tm_mon = time.month - 1;
  parts.tm_mday = time.day;
  parts.tm_hour = time.hour;
  parts.tm_min = time.minute;
  parts.tm_sec = time.second;
  return timegm(&parts);
}

std::time_t EventEntry::End() const {
  return ToEpoch(start) + duration.hours * 3600 + duration.minutes * 60 + duration.seconds;
}

void Guide::ParseSdtSections(std::span<const uint8_t> buffer) {
  int crcErrors = 0;
  WalkSections(
      buffer, [this](std::span<const uint8_t> section) { ParseSdtSection(section); }, crcErrors);
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
  WalkSections(
      buffer,
      [this, nowUtc](std::span<const uint8_t> section) { ParseEitSection(section, nowUtc); },
      crcErrors);
  std::lock_guard guard(lock_);
  counters_.crcErrors += crcErrors;
}

void Guide::ParseSdtSection(std::span<const uint8_t> section) {
  ByteReader header(section);
  header.Skip(3);
  const uint16_t transportStreamId = header.U16();
  header.Skip(3);
  const uint16_t originalNetworkId = header.U16();
  if (!header.Ok()) return;
  ByteReader loop(LoopOf(section, kSdtLoopStart));
  std::vector<uint16_t> added;
  while (loop.Remaining() >= 5) {
    const uint16_t serviceId = loop.U16();
    loop.Skip(1);
    const size_t descriptorsLength = loop.U16() & 0x0FFF;
    const auto descriptors = loop.Bytes(std::min(descriptorsLength, loop.Remaining()));
    ServiceEntry entry;
    entry.serviceId = serviceId;
    entry.transportStreamId = transportStreamId;
    entry.originalNetworkId = originalNetworkId;
    ForEachDescriptor(descriptors, [&](uint8_t tag, std::span<const uint8_t> body) {
      if (tag != ts::tag::kService) return;
      ByteReader reader(body);
      reader.Skip(1);  // service_type
      const auto provider = reader.Bytes(reader.U8());
      const auto name = reader.Bytes(reader.U8());
      entry.provider.clear();
      entry.name.clear();
      AppendCut(entry.provider, provider, kProviderNameField, Printable, 0);
      AppendCut(entry.name, name, kServiceNameField, Printable, 0);
      entry.rawName.assign(name.begin(), name.end());
    });
    if (serviceId == kNoService) continue;
    std::lock_guard guard(lock_);
    if (services_.contains(serviceId)) continue;
    services_.emplace(serviceId, std::move(entry));
    ++counters_.services;
    added.push_back(serviceId);
  }
  if (serviceAdded) {
    for (const uint16_t serviceId : added) serviceAdded(serviceId);
  }
}

void Guide::ParseEitSection(std::span<const uint8_t> section, std::time_t nowUtc) {
  ByteReader header(section);
  header.Skip(3);
  const uint16_t serviceId = header.U16();
  if (!header.Ok() || serviceId == kNoService) return;
  ByteReader loop(LoopOf(section, kEitLoopStart));
  while (loop.Remaining() >= 12) {
    EventEntry event;
    event.eventId = loop.U16();
    const uint16_t mjd = loop.U16();
    MjdToDate(mjd, event.start.year, event.start.month, event.start.day);
    const Duration time = BcdTime(loop.U24());
    event.start.hour = time.hours;
    event.start.minute = time.minutes;
    event.start.second = time.seconds;
    event.duration = BcdTime(loop.U24());
    // Straight from the day number (the Unix epoch is MJD 40587): no calendar conversion.
    event.endUtc =
        (std::time_t{mjd} - kUnixEpochMjd) * 86400 + Seconds(time) + Seconds(event.duration);
    const size_t descriptorsLength = loop.U16() & 0x0FFF;
    const auto descriptors = loop.Bytes(std::min(descriptorsLength, loop.Remaining()));
    // A first look decides whether the event is needed at all: the carousel repeats known
    // events far more often than it brings new ones, and building their texts is the cost.
    bool hasName = false;
    bool hasText = false;
    ForEachDescriptor(descriptors, [&](uint8_t tag, std::span<const uint8_t> body) {
      if (tag == ts::tag::kShortEvent) hasName = true;
      if (tag == ts::tag::kExtendedEvent) {
        ByteReader reader(body);
        reader.Skip(4);
        reader.Skip(reader.U8());
        hasText = hasText || (reader.U8() > 0 && reader.Ok());
        hasName = true;
      }
    });
    if (!hasName || !ExpireAndCheck(serviceId, event.eventId, hasText, nowUtc)) continue;
    bool described = false;
    ForEachDescriptor(descriptors, [&](uint8_t tag, std::span<const uint8_t> body) {
      ByteReader reader(body);
      if (tag == ts::tag::kShortEvent) {
        reader.Skip(3);  // language
        const auto name = reader.Bytes(reader.U8());
        event.name.clear();
        AppendCut(event.name, name, kEventNameField, AnyByte, 0);
        // The name was a zero-terminated field: a zero byte ends it.
        event.name.resize(std::min(event.name.size(), event.name.find('\0')));
        described = true;
      } else if (tag == ts::tag::kExtendedEvent) {
        reader.Skip(4);  // descriptor numbers, language
        reader.Skip(reader.U8());
        const auto text = reader.Bytes(reader.U8());
        // The parts of a long text come as several descriptors, in order.
        AppendCut(event.extendedText, text, kExtendedTextField, TextByte, ' ');
        event.rawExtended.append(text.begin(), text.end());
        described = true;
      }
    });
    if (described) AddEvent(serviceId, std::move(event));
  }
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
