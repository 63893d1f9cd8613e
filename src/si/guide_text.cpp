#include "si/guide_text.h"

#include <langinfo.h>

#include <cstdlib>
#include <ctime>

#include "common/strfmt.h"
#include "si/messages.h"

namespace pelorus {
namespace {

std::string Strftime(const char* format, const std::tm& parts) {
  char text[128];
  const size_t length = std::strftime(text, sizeof text, format, &parts);
  return std::string(text, length);
}

void AppendEventHead(std::string& text, const EventEntry& event, const char* separator) {
  const ShownTime shown = ShowStartTime(event.start);
  text += shown.date;
  text += ' ';
  text += shown.time;
  text += Format("->%02d:%02d:%02d", event.duration.hours, event.duration.minutes,
                 event.duration.seconds);
  text += separator;
  text += event.name;
}

}  // namespace

ShownTime ShowStartTime(const GuideTime& start) {
  const std::time_t epoch = ToEpoch(start);
  std::tm parts{};
  if (epoch != static_cast<std::time_t>(-1) && localtime_r(&epoch, &parts) != nullptr) {
    return {Strftime(nl_langinfo(D_FMT), parts), Strftime(nl_langinfo(T_FMT), parts)};
  }
  // The zone rules could not convert the time; show what the air said, marked as UTC.
  parts = std::tm{};
  parts.tm_year = start.year - 1900;
  parts.tm_mon = start.month - 1;
  parts.tm_mday = start.day;
  parts.tm_hour = start.hour;
  parts.tm_min = start.minute;
  parts.tm_sec = start.second;
  return {Strftime(nl_langinfo(D_FMT), parts),
          Strftime(nl_langinfo(T_FMT), parts) + msg::si::kUtcSuffix};
}

std::string ServiceLine(const ServiceEntry& service) {
  return Format("%5d %s (%s)", service.serviceId, service.name.c_str(), service.provider.c_str());
}

int ServiceIdOfLine(const std::string& line) {
  char* end = nullptr;
  const long value = std::strtol(line.c_str(), &end, 10);
  if (end == line.c_str() || value < 0 || value > 0xFFFF) return -1;
  return static_cast<int>(value);
}

std::string ServiceEventsText(const ServiceEntry& service) {
  std::string text;
  text.reserve(service.events.size() * 128);
  for (const EventEntry& event : service.events) {
    AppendEventHead(text, event, "\r\n");
    text += "\r\n";
    if (!event.extendedText.empty()) {
      text += event.extendedText;
      text += "\r\n";
    }
    text += "\r\n";
  }
  return text;
}

std::string GuideFileText(const std::map<uint16_t, ServiceEntry>& services) {
  std::string text;
  for (const auto& [serviceId, service] : services) {
    text +=
        Format("Ch: %5d %s (%s)\r\n", serviceId, service.name.c_str(), service.provider.c_str());
    for (const EventEntry& event : service.events) {
      text += ' ';
      AppendEventHead(text, event, " ");
      text += " [";
      text += event.extendedText;
      text += "]\r\n";
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace pelorus
