#include "si_tables.h"

#include <algorithm>
#include <string_view>

#include "section_writer.h"

namespace sim {
namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kMjdOfUnixEpoch = 40587;
constexpr int64_t kScheduleHours = 50;
constexpr int64_t kSegmentSeconds = 3 * 3600;
constexpr uint8_t kRunning = 4;
constexpr uint8_t kNotRunning = 1;
constexpr char kLanguage[] = "ita";

uint8_t Bcd(int value) { return static_cast<uint8_t>((value / 10) << 4 | (value % 10)); }

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
  Put16(body, NetworkOf(transponder).networkId);
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
    // One section per segment; a segment without events (those before the schedule's first
    // event are in the past) is sent as an empty section, so a receiver knows it is complete.
    std::vector<uint8_t> body = EitHead(transponder, number, 0x50);
    for (const ScheduledEvent& event : events) {
      if (segmentOf(event) == segment) PutEvent(body, event, kNotRunning, service.scrambled);
    }
    sections.push_back(LongSection(0x50, service.serviceId, 0, number,
                                   static_cast<uint8_t>(lastSegment * 8), body));
  }
  return sections;
}

Section BuildTdt(int64_t now) {
  Section section = {0x70, 0x70, 0x05};  // short form: no syntax bit, no CRC
  PutUtcTime(section, now);
  return section;
}

}  // namespace sim
