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

bool NameBlank(uint32_t codePoint) { return codePoint < 0x20 || codePoint == 0x7F; }
bool TextBlank(uint32_t codePoint) {
  return codePoint < 0x20 || (codePoint >= 0x7D && codePoint <= 0x7F);
}

// Appends the text decoded, every character `blank` picks turned into a blank, cut to `field`
// characters. Texts of ASCII bytes in the default table (nearly all of them) are copied as they
// are: the guide's text is built for thousands of events at a time.
template <typename Blank>
void AppendShown(std::string& out, const std::string& bytes, size_t field, Blank blank) {
  const bool ascii = !bytes.empty() && static_cast<uint8_t>(bytes[0]) >= 0x20 &&
                     std::all_of(bytes.begin(), bytes.end(),
                                 [](char byte) { return static_cast<uint8_t>(byte) < 0x80; });
  if (ascii) {
    const size_t from = out.size();
    out.append(bytes, 0, std::min(bytes.size(), field));
    for (size_t at = from; at < out.size(); ++at) {
      if (blank(static_cast<uint8_t>(out[at]))) out[at] = ' ';
    }
    return;
  }
  const std::string text = DecodeDvbText(bytes);
  size_t characters = 0;
  for (size_t at = 0; at < text.size() && characters < field; ++characters) {
    uint32_t codePoint = 0;
    const size_t length = std::max<size_t>(NextCodePoint(text, at, codePoint), 1);
    if (blank(codePoint)) {
      out.push_back(' ');
    } else {
      out.append(text, at, length);
    }
    at += length;
  }
}

// Entries made without the bytes as they came show their stored text.
const std::string& ExtendedBytes(const EventEntry& event) {
  return event.rawExtended.empty() ? event.extendedText : event.rawExtended;
}

void AppendEventHead(std::string& text, const EventEntry& event, const char* separator) {
  const ShownTime shown = ShowStartTime(event.start);
  text += shown.date;
  text += ' ';
  text += shown.time;
  text += Format("->%02d:%02d:%02d", event.duration.hours, event.duration.minutes,
                 event.duration.seconds);
  text += separator;
  AppendShown(text, event.name, kEventNameField, NameBlank);
}

}  // namespace

std::string ShownEventName(const EventEntry& event) {
  std::string shown;
  AppendShown(shown, event.name, kEventNameField, NameBlank);
  return shown;
}

std::string ShownExtendedText(const EventEntry& event) {
  std::string shown;
  AppendShown(shown, ExtendedBytes(event), kExtendedTextField, TextBlank);
  return shown;
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
    const size_t before = text.size();
    AppendShown(text, ExtendedBytes(event), kExtendedTextField, TextBlank);
    if (text.size() > before) text += "\r\n";
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
      AppendShown(text, ExtendedBytes(event), kExtendedTextField, TextBlank);
      text += "]\r\n";
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace pelorus
