#include "si/xmltv.h"

#include <gtest/gtest.h>

#include "section_builder.h"

namespace pelorus {
namespace {

std::string Decode(const std::string& bytes) {
  return DecodeDvbText(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

TEST(XmltvTest, EscapesMarkupAndLeavesOutWhatXmlForbids) {
  EXPECT_EQ(XmlEscape("Tom & Jerry <\"live\"> 'now'"),
            "Tom &amp; Jerry &lt;&quot;live&quot;&gt; &apos;now&apos;");
  // Control characters and broken UTF-8 are left out; newlines and tabs stay.
  EXPECT_EQ(XmlEscape(std::string("a\x01"
                                  "b\x1F\tc\n\xC3\xA9\xFF\xC3",
                                  11)),
            "ab\tc\n\xC3\xA9");
  EXPECT_EQ(XmlEscape("\xEF\xBF\xBE"), "");  // U+FFFE is no XML character
  EXPECT_EQ(XmlEscape("\xED\xA0\x80"), "");  // a surrogate is no character at all
}

TEST(XmltvTest, DecodesByTheCharacterTableSelector) {
  // The default table: ASCII stays, its control codes go, the line break becomes a newline.
  EXPECT_EQ(Decode("Film \x86"
                   "Title\x87\x8Anext"),
            "Film Title\nnext");
  // 0x05: ISO 8859-9; 0x10 0x00 0x01: ISO 8859-1; 0x0B: ISO 8859-15 (the euro sign at 0xA4).
  EXPECT_EQ(Decode("\x05\xFE"), "\xC5\x9F");
  EXPECT_EQ(Decode(std::string("\x10\x00\x01\xE9t\xE9", 6)), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(Decode("\x0B\xA4"), "\xE2\x82\xAC");
  // 0x15: UTF-8 as it is; 0x11: two-byte UCS-2.
  EXPECT_EQ(Decode("\x15"
                   "Caf\xC3\xA9"),
            "Caf\xC3\xA9");
  EXPECT_EQ(Decode(std::string("\x11\x00\x41\x04\x10", 5)), "A\xD0\x90");
  // The default table's accents come before their letter.
  EXPECT_EQ(Decode("\xC2"
                   "e"),
            "\xC3\xA9");
  // Bytes no table knows, and unknown selectors, become replacement characters.
  EXPECT_EQ(Decode("\x15\xFF"
                   "a"),
            "\xEF\xBF\xBD"
            "a");
  EXPECT_EQ(Decode("\x1F\x01x"), "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(Decode(std::string("\x10\x00", 2)), "");
  EXPECT_EQ(Decode(""), "");
}

TEST(XmltvTest, DocumentHoldsChannelsThenProgrammes) {
  std::map<uint16_t, ServiceEntry> services;
  ServiceEntry& service = services[0x1234];
  service.serviceId = 0x1234;
  service.transportStreamId = 5;
  service.originalNetworkId = 1;
  service.rawName = "Ch & Co";
  EventEntry event;
  event.start = GuideTime{1993, 10, 13, 12, 45, 0};
  event.duration = Duration{1, 30, 0};
  event.name = "\x05News <\xFE>";
  event.rawExtended =
      "Talk\x8A"
      "more";
  service.events.push_back(event);
  services[7].serviceId = 7;  // no name: its number is shown

  const std::string xml = GuideXmltv(services);
  EXPECT_EQ(xml,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
            "<tv generator-info-name=\"Pelorus\">\n"
            "  <channel id=\"0.0.7.dvb\">\n"
            "    <display-name>7</display-name>\n"
            "  </channel>\n"
            "  <channel id=\"1.5.4660.dvb\">\n"
            "    <display-name>Ch &amp; Co</display-name>\n"
            "  </channel>\n"
            "  <programme start=\"19931013124500 +0000\" stop=\"19931013141500 +0000\" "
            "channel=\"1.5.4660.dvb\">\n"
            "    <title>News &lt;\xC5\x9F&gt;</title>\n"
            "    <desc>Talk\nmore</desc>\n"
            "  </programme>\n"
            "</tv>\n");
}

TEST(XmltvTest, UcsTwoTextStaysInStepAfterABadCharacter) {
  // A lone surrogate and a control code in a UCS-2 title: each is one code unit, so the letters
  // after them are read whole, never from the middle of a unit.
  std::map<uint16_t, ServiceEntry> services;
  ServiceEntry& service = services[1];
  service.serviceId = 1;
  service.rawName = std::string("\x11\xDB\xFF\x00\x54\x00\x56", 7);
  EventEntry event;
  event.start = GuideTime{1993, 10, 13, 12, 45, 0};
  event.duration = Duration{0, 30, 0};
  event.name = std::string("\x11\xDC\x01\x00\x41\xE0\x8A\x00\xE8", 9);
  event.rawExtended = std::string("\x11\x00\x3C\xD8\x00\x00\x62\x00", 8);
  service.events.push_back(event);
  const std::string xml = GuideXmltv(services);
  EXPECT_NE(xml.find("<display-name>\xEF\xBF\xBDTV</display-name>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<title>\xEF\xBF\xBD"
                     "A\n\xC3\xA8</title>"),
            std::string::npos)
      << xml;
  // "<", a lone high surrogate, "b", and half a unit at the end.
  EXPECT_NE(xml.find("<desc>&lt;\xEF\xBF\xBD"
                     "b\xEF\xBF\xBD</desc>"),
            std::string::npos)
      << xml;
}

}  // namespace
}  // namespace pelorus
