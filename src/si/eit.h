#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/dvb_time.h"
#include "si/section.h"

namespace pelorus {

struct EitEvent {
  uint16_t eventId = 0;
  BroadcastTime start;
  uint32_t durationBcd = 0;
  uint8_t runningStatus = 0;
  bool freeCaMode = false;
  // The short event descriptor: language, name and text, bytes as they came (the last
  // descriptor wins).
  bool hasShortEvent = false;
  std::string language;
  std::string name;
  std::string shortText;
  // The text parts of the extended event descriptors, in order, bytes as they came.
  bool hasExtendedEvent = false;
  std::vector<std::string> extendedTexts;
};

// Event information table (PID 0x0012): present/following (0x4E this multiplex, 0x4F another)
// and schedule (0x50-0x5F, 0x60-0x6F), one table per service and table id. Parse reads one
// section; Append adds the next section of the same table.
struct Eit {
  uint8_t tableId = 0;
  uint16_t serviceId = 0;
  uint16_t transportStreamId = 0;
  uint16_t originalNetworkId = 0;
  uint8_t version = 0;
  uint8_t sectionNumber = 0;
  uint8_t lastSectionNumber = 0;
  // The schedule is cut into segments of eight sections; this is the last section number of
  // the segment this section belongs to (the numbers after it in the segment are not sent).
  uint8_t segmentLastSectionNumber = 0;
  uint8_t lastTableId = 0;
  std::vector<EitEvent> events;

  bool Actual() const;
  bool PresentFollowing() const;
  static std::optional<Eit> Parse(const Section& section);
  void Append(const Eit& later);
};

// One event of an EIT section as it lies there: its fixed fields, its descriptor loop left in
// the section. For readers that look at many events and keep few (the guide: the carousel
// repeats every event again and again), it answers what they ask first without copying.
struct EitEventView {
  uint16_t eventId = 0;
  BroadcastTime start;
  uint32_t durationBcd = 0;
  uint8_t runningStatus = 0;
  bool freeCaMode = false;
  std::span<const uint8_t> descriptors;  // inside the section: valid while it is

  // What a reader asks first, in one pass over the descriptors: is a short or an extended
  // event descriptor there, and does an extended one carry text.
  struct Look {
    bool described = false;
    bool hasText = false;
  };
  Look LookAt() const;
  // The event with its texts copied out.
  EitEvent Event() const;
};

// An EIT section read without copying: the table's fields (its `events` left empty) and a view
// of each event. Eit::Parse is this with every event copied out.
struct EitView {
  Eit table;
  std::vector<EitEventView> events;

  static std::optional<EitView> Parse(const Section& section);
};

}  // namespace pelorus
