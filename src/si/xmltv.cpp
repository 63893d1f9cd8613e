#include "si/xmltv.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "common/strfmt.h"

namespace pelorus {
namespace {

bool AllowedInXml(uint32_t c) {
  return c == 0x09 || c == 0x0A || c == 0x0D || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

std::string XmlEscape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    uint32_t c = 0;
    const size_t length = NextCodePoint(utf8, at, c);
    if (length == 0) {
      ++at;
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        if (AllowedInXml(c)) out.append(utf8.substr(at, length));
    }
    at += length;
  }
  return out;
}

std::string XmltvTime(std::time_t utc) {
  std::tm parts{};
  gmtime_r(&utc, &parts);
  return Format("%04d%02d%02d%02d%02d%02d +0000", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
}

std::string XmltvChannelId(const ServiceEntry& service) {
  return Format("%u.%u.%u.dvb", unsigned{service.originalNetworkId},
                unsigned{service.transportStreamId}, unsigned{service.serviceId});
}

std::string GuideXmltv(const std::map<uint16_t, ServiceEntry>& services) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
      "<tv generator-info-name=\"Pelorus\">\n";
  auto bytes = [](const std::string& text) {
    return std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  };
  for (const auto& [serviceId, service] : services) {
    std::string name = XmlEscape(DecodeDvbText(bytes(service.rawName)));
    if (name.empty()) name = Format("%u", unsigned{serviceId});
    xml += "  <channel id=\"" + XmltvChannelId(service) + "\">\n";
    xml += "    <display-name>" + name + "</display-name>\n";
    xml += "  </channel>\n";
  }
  for (const auto& [serviceId, service] : services) {
    const std::string channel = XmltvChannelId(service);
    for (const EventEntry& event : service.events) {
      const std::time_t start = ToEpoch(event.start);
      xml += "  <programme start=\"" + XmltvTime(start) + "\" stop=\"" + XmltvTime(event.End()) +
             "\" channel=\"" + channel + "\">\n";
      xml += "    <title>" + XmlEscape(DecodeDvbText(bytes(event.name))) + "</title>\n";
      const std::string description = XmlEscape(DecodeDvbText(bytes(event.rawExtended)));
      if (!description.empty()) xml += "    <desc>" + description + "</desc>\n";
      xml += "  </programme>\n";
    }
  }
  xml += "</tv>\n";
  return xml;
}

}  // namespace pelorus
