#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "si/guide.h"

namespace pelorus {

// An event's start as the guide shows it: the date in the C library's short date format and
// the time in its time format (LC_TIME's D_FMT and T_FMT), in the local zone (TZ). When the
// local time cannot be had, the UTC date and time with " (UTC)" after the time.
struct ShownTime {
  std::string date;
  std::string time;
};
ShownTime ShowStartTime(const GuideTime& start);

// An event's name as the browser and the guide file show it: decoded to UTF-8 from whichever
// character table it names, control characters as blanks.
std::string ShownEventName(const EventEntry& event);
// Its extended text: decoded, control characters and '}' '~' as blanks, cut to the field.
std::string ShownExtendedText(const EventEntry& event);

// The line of the service list: "%5d %s (%s)".
std::string ServiceLine(const ServiceEntry& service);
// The reading of a service list line: the number at its start, or -1.
int ServiceIdOfLine(const std::string& line);

// The events of one service as the browser's text field shows them, CR LF lines, in UTF-8.
std::string ServiceEventsText(const ServiceEntry& service);

// The whole guide as "Scrivi in File..." writes it, services in service_id order, in UTF-8.
std::string GuideFileText(const std::map<uint16_t, ServiceEntry>& services);

}  // namespace pelorus
