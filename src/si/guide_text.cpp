#include "si/guide_text.h"

#include <langinfo.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "common/strfmt.h"
#include "si/dvb_text.h"
#include "si/messages.h"

namespace pelorus {
namespace {

std::string Strftime(const char* format, const std::tm& parts) {
  char text[128];
  const size_t length = std::strftime(text, sizeof text, format, &parts);
  return std::string(text, length);
}

// The decoded text with every character `blank` picks turned into a blank, cut to `field`
// characters.
template <typename Blank>
std::string Cleaned(const std::string& decoded, size_t field, Blank blank) {
  std::string out;
  out.reserve(decoded.size());
  size_t characters = 0;
  for (size_t at = 0; at < decoded.size() && characters < field; ++characters) {
    uint32_t codePoint = 0;
    const size_t length = std::max<size_t>(NextCodePoint(decoded, at, codePoint), 1);
    if (blank(codePoint)) {
      out.push_back(' ');
    } else {
      out.append(decoded, at, length);
    }
    at += length;
  }
  return out;
}

void AppendEventHead(std::string& text, const EventEntry& event, const char* separator) {
  const ShownTime shown = ShowStartTime(event.start);
  text += shown.date;
  text += ' ';
  text += shown.time;
  text += Format("->%02d:%02d:%02d", event.duration.hours, event.duration.minutes,
                 event.duration.seconds);
  text += separator;
  text += ShownEventName(event);
}

}  // namespace

std::string ShownEventName(const EventEntry& event) {
  return Cleaned(DecodeDvbText(event.name), kEventNameField,
                 [](uint32_t codePoint) { return codePoint < 0x20 || codePoint == 0x7F; });
}

std::string ShownExtendedText(const EventEntry& event) {
  // Entries made without the bytes as they came show their stored text.
  const std::string& bytes = event.rawExtended.empty() ? event.extendedText : event.rawExtended;
  return Cleaned(DecodeDvbText(bytes), kExtendedTextField, [](uint32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7D && codePoint <= 0x7F);
  });
}

ShownTime ShowStartTime(const GuideTime& start) {
  const std::time_t epoch = ToEpoch(start);
  std::tm parts{};
  if (epoch != static_cast<std::time_t>(-1) && localtime_r(&epoch, &parts) != nullptr) {
    return {Strftime(nl_langinfo(D_FMT), parts), Strftime(nl_langinfo(T_FMT), parts)};
  }
  // The zone rules could not convert the time; show what the air said, marked as UTC.
  parts = ToTm(start);
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
    const std::string extended = ShownExtendedText(event);
    if (!extended.empty()) {
      text += extended;
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
      text += ShownExtendedText(event);
      text += "]\r\n";
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace pelorus
