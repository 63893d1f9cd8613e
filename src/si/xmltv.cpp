#include "si/xmltv.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <vector>

#include "common/strfmt.h"

namespace pelorus {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

// The iconv name of a table selected by the first byte(s); `skip` says how many bytes the
// selector takes.
std::string TableOf(std::span<const uint8_t> text, size_t& skip) {
  skip = 0;
  if (text.empty() || text[0] >= 0x20) return "ISO_6937";
  const uint8_t selector = text[0];
  skip = 1;
  static constexpr const char* kSingle[] = {
      nullptr,       "ISO-8859-5",  "ISO-8859-6", "ISO-8859-7",  "ISO-8859-8",  "ISO-8859-9",
      "ISO-8859-10", "ISO-8859-11", nullptr,      "ISO-8859-13", "ISO-8859-14", "ISO-8859-15"};
  if (selector < std::size(kSingle) && kSingle[selector] != nullptr) return kSingle[selector];
  switch (selector) {
    case 0x10: {
      skip = 3;
      if (text.size() < 3 || text[1] != 0x00 || text[2] < 1 || text[2] > 15) return "";
      return Format("ISO-8859-%d", text[2]);
    }
    case 0x11:
      return "UCS-2BE";
    case 0x13:
      return "GB2312";
    case 0x14:
      return "BIG5";
    case 0x15:
      return "UTF-8";
    default:
      return "";  // a table we cannot decode: every byte becomes a replacement
  }
}

bool SingleByte(const std::string& table) {
  return table.starts_with("ISO-8859") || table == "ISO_6937";
}

// Converts with iconv, one replacement per byte it cannot take.
std::string Convert(const std::string& table, std::span<const uint8_t> bytes) {
  std::string out;
  if (table.empty()) {
    for (size_t i = 0; i < bytes.size(); ++i) out += kReplacement;
    return out;
  }
  iconv_t converter = iconv_open("UTF-8", table.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    for (size_t i = 0; i < bytes.size(); ++i) out += kReplacement;
    return out;
  }
  std::vector<char> input(bytes.begin(), bytes.end());
  char* in = input.data();
  size_t inLeft = input.size();
  char buffer[1024];
  while (inLeft > 0) {
    char* outAt = buffer;
    size_t outLeft = sizeof buffer;
    const size_t done = iconv(converter, &in, &inLeft, &outAt, &outLeft);
    out.append(buffer, static_cast<size_t>(outAt - buffer));
    if (done != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // A byte the table does not know, or a sequence cut short: replace one byte, go on.
    out += kReplacement;
    ++in;
    --inLeft;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(converter);
  return out;
}

// The length of the UTF-8 sequence at `at` and its code point; 0 when it is not valid.
size_t NextCodePoint(std::string_view text, size_t at, uint32_t& codePoint) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  size_t length = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
  }
  static constexpr uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (codePoint < kShortest[length] || codePoint > 0x10FFFF ||
      (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return 0;
  }
  return length;
}

bool AllowedInXml(uint32_t c) {
  return c == 0x09 || c == 0x0A || c == 0x0D || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

}  // namespace

std::string DecodeDvbText(std::span<const uint8_t> text) {
  size_t skip = 0;
  const std::string table = TableOf(text, skip);
  const std::span<const uint8_t> body = text.subspan(std::min(skip, text.size()));
  if (!SingleByte(table)) {
    std::string decoded = Convert(table, body);
    // The control codes of the multi-byte tables sit in the private use area: U+E080..U+E09F.
    std::string cleaned;
    for (size_t at = 0; at < decoded.size();) {
      uint32_t c = 0;
      const size_t length = NextCodePoint(decoded, at, c);
      if (length == 0) {
        cleaned += kReplacement;
        ++at;
        continue;
      }
      if (c == 0xE08A) {
        cleaned += '\n';
      } else if (c < 0xE080 || c > 0xE09F) {
        cleaned.append(decoded, at, length);
      }
      at += length;
    }
    return cleaned;
  }
  // In the single-byte tables 0x80..0x9F are control codes: emphasis and a line break.
  std::vector<uint8_t> plain;
  plain.reserve(body.size());
  std::string out;
  for (const uint8_t byte : body) {
    if (byte == 0x8A) {
      out += Convert(table, plain);
      out += '\n';
      plain.clear();
    } else if (byte < 0x80 || byte > 0x9F) {
      plain.push_back(byte);
    }
  }
  out += Convert(table, plain);
  return out;
}

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
