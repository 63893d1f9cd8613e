#include "si_tables.h"

#include <algorithm>
#include <string_view>

#include "ts_crc.h"

namespace sim {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kMjdOfUnixEpoch = 40587;
constexpr int64_t kScheduleHours = 50;
constexpr int64_t kSegmentSeconds = 3 * 3600;
constexpr uint8_t kRunning = 4;
constexpr uint8_t kNotRunning = 1;
constexpr char kLanguage[] = "ita";

void Put16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value >> 8));
  out.push_back(static_cast<uint8_t>(value));
}

void PutText(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

uint8_t Bcd(int value) { return static_cast<uint8_t>((value / 10) << 4 | (value % 10)); }

// Writes `digits` decimal digits of value as packed BCD, most significant first.
void PutBcd(std::vector<uint8_t>& out, int64_t value, int digits) {
  std::vector<uint8_t> nibbles(static_cast<size_t>(digits));
  for (int i = digits - 1; i >= 0; --i, value /= 10) nibbles[static_cast<size_t>(i)] = value % 10;
  for (size_t i = 0; i + 1 < nibbles.size(); i += 2) {
    out.push_back(static_cast<uint8_t>(nibbles[i] << 4 | nibbles[i + 1]));
  }
  if (digits % 2) out.push_back(static_cast<uint8_t>(nibbles.back() << 4));
}

// A long-form section: header, body, CRC. section_length counts from after its own field.
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

// Appends a descriptor loop with its 12-bit length in front.
void PutLoop(std::vector<uint8_t>& out, const std::vector<uint8_t>& loop) {
  Put16(out, 0xF000 | static_cast<uint32_t>(loop.size()));
  out.insert(out.end(), loop.begin(), loop.end());
}

void PutDescriptor(std::vector<uint8_t>& out, uint8_t tag, const std::vector<uint8_t>& body) {
  out.push_back(tag);
  out.push_back(static_cast<uint8_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

std::vector<uint8_t> EventDescriptors(const EventLayout& event) {
  std::vector<uint8_t> loop;
  std::vector<uint8_t> shortEvent;
  PutText(shortEvent, kLanguage);
  shortEvent.push_back(static_cast<uint8_t>(event.name.size()));
  PutText(shortEvent, event.name);
  shortEvent.push_back(0);  // no short text: the extended descriptor carries it
  PutDescriptor(loop, 0x4D, shortEvent);
  std::vector<uint8_t> extended = {0x00};  // descriptor 0 of 0
  PutText(extended, kLanguage);
  extended.push_back(0);  // no items
  extended.push_back(static_cast<uint8_t>(event.text.size()));
  PutText(extended, event.text);
  PutDescriptor(loop, 0x4E, extended);
  return loop;
}

void PutEvent(std::vector<uint8_t>& out, const ScheduledEvent& event, uint8_t runningStatus,
              bool scrambled) {
  Put16(out, event.eventId);
  PutUtcTime(out, event.start);
  const int d = event.durationSeconds;
  out.push_back(Bcd(d / 3600));
  out.push_back(Bcd(d / 60 % 60));
  out.push_back(Bcd(d % 60));
  const std::vector<uint8_t> descriptors = EventDescriptors(*event.layout);
  Put16(out, static_cast<uint32_t>(runningStatus) << 13 | (scrambled ? 0x1000u : 0u) |
                 static_cast<uint32_t>(descriptors.size()));
  out.insert(out.end(), descriptors.begin(), descriptors.end());
}

std::vector<uint8_t> EitHead(int transponder, uint8_t segmentLast, uint8_t lastTableId) {
  std::vector<uint8_t> body;
  Put16(body, kTransponders[static_cast<size_t>(transponder)].transportStreamId);
  Put16(body, kNetworkId);
  body.push_back(segmentLast);
  body.push_back(lastTableId);
  return body;
}

}  // namespace

void PutUtcTime(std::vector<uint8_t>& out, int64_t utcSeconds) {
  const int64_t days = utcSeconds >= 0 ? utcSeconds / kSecondsPerDay
                                       : (utcSeconds - kSecondsPerDay + 1) / kSecondsPerDay;
  const int64_t second = utcSeconds - days * kSecondsPerDay;
  Put16(out, static_cast<uint32_t>(days + kMjdOfUnixEpoch));
  out.push_back(Bcd(static_cast<int>(second / 3600)));
  out.push_back(Bcd(static_cast<int>(second / 60 % 60)));
  out.push_back(Bcd(static_cast<int>(second % 60)));
}

Section BuildPat(int transponder) {
  std::vector<uint8_t> body;
  Put16(body, 0);
  Put16(body, 0xE000 | kNitPid);
  for (int s = 0; s < kServicesPerTransport; ++s) {
    const ServiceLayout service = ServiceAt(transponder, s);
    Put16(body, service.serviceId);
    Put16(body, 0xE000u | service.pids.pmt);
  }
  return LongSection(0x00, kTransponders[static_cast<size_t>(transponder)].transportStreamId, 0, 0,
                     0, body);
}

Section BuildPmt(int transponder, int serviceIndex) {
  const ServiceLayout service = ServiceAt(transponder, serviceIndex);
  std::vector<uint8_t> body;
  Put16(body, 0xE000u | service.pids.pcr);
  PutLoop(body, {});
  auto stream = [&](uint8_t type, uint16_t pid, const std::vector<uint8_t>& descriptors) {
    body.push_back(type);
    Put16(body, 0xE000u | pid);
    PutLoop(body, descriptors);
  };
  stream(0x02, service.pids.video, {});
  std::vector<uint8_t> language;
  PutDescriptor(language, 0x0A, {'i', 't', 'a', 0});
  stream(0x03, service.pids.audio, language);
  if (service.pids.ac3 != 0) {
    std::vector<uint8_t> ac3;
    PutDescriptor(ac3, 0x6A, {0x00});  // AC-3 descriptor, no optional fields
    PutDescriptor(ac3, 0x0A, {'e', 'n', 'g', 0});
    stream(0x06, service.pids.ac3, ac3);
  }
  return LongSection(0x02, service.serviceId, 0, 0, 0, body);
}

std::vector<Section> BuildNit() {
  std::vector<uint8_t> body;
  std::vector<uint8_t> networkDescriptors;
  PutDescriptor(networkDescriptors, 0x40, {kNetworkName.begin(), kNetworkName.end()});
  PutLoop(body, networkDescriptors);
  std::vector<uint8_t> streams;
  for (size_t t = 0; t < kTransponders.size(); ++t) {
    const Transponder& ts = kTransponders[t];
    Put16(streams, ts.transportStreamId);
    Put16(streams, kNetworkId);
    std::vector<uint8_t> descriptors;
    std::vector<uint8_t> delivery;
    PutBcd(delivery, int64_t{ts.frequencyMhz} * 100, 8);  // units of 10 kHz
    PutBcd(delivery, ts.orbitalTenths, 4);
    // west_east, polarisation, roll-off 0, DVB-S, QPSK.
    delivery.push_back(static_cast<uint8_t>((ts.east ? 0x80 : 0) | (ts.vertical ? 0x20 : 0) | 1));
    PutBcd(delivery, int64_t{ts.symbolRateKs} * 10, 7);  // units of 100 symbols/s
    delivery.back() = static_cast<uint8_t>(delivery.back() | ts.fecInner);
    PutDescriptor(descriptors, 0x43, delivery);
    std::vector<uint8_t> services;
    for (int s = 0; s < kServicesPerTransport; ++s) {
      Put16(services, ServiceAt(static_cast<int>(t), s).serviceId);
      services.push_back(0x01);  // digital television
    }
    PutDescriptor(descriptors, 0x41, services);
    PutLoop(streams, descriptors);
  }
  PutLoop(body, streams);
  return {LongSection(0x40, kNetworkId, 0, 0, 0, body)};
}

Section BuildSdt(int transponder) {
  std::vector<uint8_t> body;
  Put16(body, kNetworkId);
  body.push_back(0xFF);
  for (int s = 0; s < kServicesPerTransport; ++s) {
    const ServiceLayout service = ServiceAt(transponder, s);
    Put16(body, service.serviceId);
    body.push_back(0xFF);  // EIT schedule and present/following both carried
    std::vector<uint8_t> descriptor = {0x01, static_cast<uint8_t>(service.provider.size())};
    PutText(descriptor, service.provider);
    descriptor.push_back(static_cast<uint8_t>(service.name.size()));
    PutText(descriptor, service.name);
    std::vector<uint8_t> loop;
    PutDescriptor(loop, 0x48, descriptor);
    Put16(body, static_cast<uint32_t>(kRunning) << 13 | (service.scrambled ? 0x1000u : 0u) |
                    static_cast<uint32_t>(loop.size()));
    body.insert(body.end(), loop.begin(), loop.end());
  }
  return LongSection(0x42, kTransponders[static_cast<size_t>(transponder)].transportStreamId, 0, 0,
                     0, body);
}

std::vector<ScheduledEvent> Schedule(int64_t clockStart) {
  std::vector<ScheduledEvent> events;
  const int64_t first = clockStart - clockStart % 3600 - 3600;
  int64_t start = first;
  for (uint16_t id = 1; start < first + kScheduleHours * 3600; ++id) {
    const EventLayout& layout = EventCycle()[(id - 1) % kEventCycleLength];
    events.push_back({id, start, layout.minutes * 60, &layout});
    start += layout.minutes * 60;
  }
  return events;
}

std::vector<Section> BuildEitPresentFollowing(int transponder, int serviceIndex, int64_t clockStart,
                                              int64_t now) {
  const ServiceLayout service = ServiceAt(transponder, serviceIndex);
  const std::vector<ScheduledEvent> events = Schedule(clockStart);
  const auto present = std::find_if(events.begin(), events.end(), [&](const ScheduledEvent& e) {
    return now < e.start + e.durationSeconds;
  });
  std::vector<Section> sections;
  const uint8_t version = static_cast<uint8_t>(present == events.end() ? 0 : present->eventId % 32);
  for (uint8_t number = 0; number < 2; ++number) {
    std::vector<uint8_t> body = EitHead(transponder, 1, 0x4E);
    const auto event = present + (present == events.end() ? 0 : number);
    if (event != events.end()) {
      PutEvent(body, *event, number == 0 && event->start <= now ? kRunning : kNotRunning,
               service.scrambled);
    }
    sections.push_back(LongSection(0x4E, service.serviceId, version, number, 1, body));
  }
  return sections;
}

std::vector<Section> BuildEitSchedule(int transponder, int serviceIndex, int64_t clockStart) {
  const ServiceLayout service = ServiceAt(transponder, serviceIndex);
  const std::vector<ScheduledEvent> events = Schedule(clockStart);
  const int64_t midnight =
      clockStart - ((clockStart % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
  auto segmentOf = [&](const ScheduledEvent& e) {
    return static_cast<int>(std::max<int64_t>(0, e.start - midnight) / kSegmentSeconds);
  };
  const int lastSegment = std::min(31, segmentOf(events.back()));
  std::vector<Section> sections;
  for (int segment = 0; segment <= lastSegment; ++segment) {
    const uint8_t number = static_cast<uint8_t>(segment * 8);
    std::vector<uint8_t> body = EitHead(transponder, number, 0x50);
    bool any = false;
    for (const ScheduledEvent& event : events) {
      if (segmentOf(event) != segment) continue;
      PutEvent(body, event, kNotRunning, service.scrambled);
      any = true;
    }
    if (any) {
      sections.push_back(LongSection(0x50, service.serviceId, 0, number,
                                     static_cast<uint8_t>(lastSegment * 8), body));
    }
  }
  return sections;
}

Section BuildTdt(int64_t now) {
  Section section = {0x70, 0x70, 0x05};  // short form: no syntax bit, no CRC
  PutUtcTime(section, now);
  return section;
}

}  // namespace sim
