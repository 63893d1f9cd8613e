#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/dvb_time.h"
#include "si/eit.h"
#include "si/sdt.h"

namespace pelorus {

inline constexpr size_t kServiceNameField = 19;
inline constexpr size_t kProviderNameField = 99;
inline constexpr size_t kEventNameField = 99;
inline constexpr size_t kExtendedTextField = 299;

struct EventEntry {
  uint16_t eventId = 0;
  GuideTime start;
  Duration duration;
  std::string name;          // the short event name's bytes as they came, cut to the field
  std::string extendedText;  // control and upper bytes blanked, cut to the field
  // The extended text's bytes as they came (its descriptors' parts joined), which the screen,
  // the guide file and the XMLTV file decode.
  std::string rawExtended;
  // The end, worked out once when the event is parsed: every arrival looks at the ends of the
  // service's events, and converting dates each time would dominate the parsing.
  std::time_t endUtc = 0;
  std::time_t End() const;
};

struct ServiceEntry {
  uint16_t serviceId = 0;
  std::string name;      // printable ASCII only, cut to the field
  std::string provider;  // printable ASCII only, cut to the field
  std::string rawName;   // the service name's bytes as they came, for the XMLTV file
  uint16_t transportStreamId = 0;
  uint16_t originalNetworkId = 0;
  std::vector<EventEntry> events;  // in order of arrival
  // The carousel repeats every event again and again: these answer "known?" and "anything
  // ended?" without walking the list on every arrival.
  std::unordered_map<uint16_t, bool> knownHasText;  // event_id -> its extended text is filled
  std::time_t earliestEnd = std::numeric_limits<std::time_t>::max();
};

// The programme guide the EIT browser builds while it listens, and its counters. It keeps what
// the table types parsed: services from the SDT, events from the EIT. Every member takes the
// guide's lock, so the capture thread and the window can share one guide.
class Guide {
 public:
  // Called (on the parsing thread, outside the lock) for every service the SDT adds.
  std::function<void(uint16_t serviceId)> serviceAdded;

  // The services of an SDT the guide does not know yet; a known service is never changed.
  void AddServices(const Sdt& sdt);
  // The events of one EIT section, for a service the guide knows: each arrival expires at most
  // one ended event of the service, a known event only gains the extended text it lacked.
  void AddEvents(const Eit& eit, std::time_t nowUtc);
  // The same from a section's view, its texts copied out only for the events kept.
  void AddEvents(const EitView& eit, std::time_t nowUtc);

  // One assembled unit of each PID as the capture hands it over: walked with the section model
  // (CRC-checked), each SDT or EIT section added. EIT units are discarded until an SDT unit has
  // been taken.
  void ParseSdtSections(std::span<const uint8_t> buffer);
  void ParseEitSections(std::span<const uint8_t> buffer, std::time_t nowUtc);
  // Single sections without the walk, for tests and the fuzzer.
  void ParseSdtSection(std::span<const uint8_t> section);
  void ParseEitSection(std::span<const uint8_t> section, std::time_t nowUtc);

  void CountPoll();
  void CountSectionBytes(size_t bytes);

  struct Counters {
    int services = 0;
    int events = 0;
    int polls = 0;         // since the last TakeCounters
    int sectionBytes = 0;  // since the last TakeCounters
    int crcErrors = 0;
  };
  // The counters; polls and section bytes start again from 0.
  Counters TakeCounters();
  Counters Peek() const;

  // Runs `read` with the guide's lock held: the window builds its texts and files inside it.
  void Read(
      const std::function<void(const std::map<uint16_t, ServiceEntry>& services)>& read) const;
  void Clear();

 private:
  // Expires one ended event of the service; true when the arriving event is new to it, or known
  // without the extended text it brings.
  bool ExpireAndCheck(uint16_t serviceId, uint16_t eventId, bool hasText, std::time_t nowUtc);
  // A described event that ExpireAndCheck lets in.
  bool Wanted(uint16_t serviceId, uint16_t eventId, bool described, bool hasText,
              std::time_t nowUtc);
  void AddEvent(uint16_t serviceId, EventEntry event);

  mutable std::mutex lock_;
  std::map<uint16_t, ServiceEntry> services_;
  bool sdtParsed_ = false;
  Counters counters_;
};

}  // namespace pelorus
