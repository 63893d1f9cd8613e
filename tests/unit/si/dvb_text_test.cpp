// Every character table a broadcast text can select, on known strings.
#include "si/dvb_text.h"

#include <gtest/gtest.h>

#include <string>

namespace pelorus {
namespace {

std::string Decode(const std::string& bytes, DvbTextControls controls = DvbTextControls::kShown) {
  return DecodeDvbText(std::string_view(bytes), controls);
}

const std::string kReplacement = "\xEF\xBF\xBD";

TEST(DvbTextTest, DefaultTableIsIso6937WithTheEuroSign) {
  EXPECT_EQ(Decode("Plain text"), "Plain text");
  // Accents come before their letter: grave, acute, diaeresis.
  EXPECT_EQ(Decode("Caff\xC1"
                   "e, T\xC2"
                   "el\xC2"
                   "e, M\xC8"
                   "adchen"),
            "Caff\xC3\xA8, T\xC3\xA9l\xC3\xA9, M\xC3\xA4"
            "dchen");
  EXPECT_EQ(Decode("\xA4 5 \xA3 3"), "\xE2\x82\xAC 5 \xC2\xA3 3");
  EXPECT_EQ(Decode("\xE8\xF8"), "\xC5\x81\xC5\x82");  // Ł ł
  // An accent with nothing to sit on, and a position the table leaves empty.
  EXPECT_EQ(Decode("a\xC2"), "a" + kReplacement);
  EXPECT_EQ(Decode("a\xA6"
                   "b"),
            "a" + kReplacement + "b");
}

TEST(DvbTextTest, OneByteSelectorsPickTheIso8859Parts) {
  struct Case {
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"\x01\xB0", "\xD0\x90"},      // 8859-5: Cyrillic А
      {"\x02\xC7", "\xD8\xA7"},      // 8859-6: Arabic alef
      {"\x03\xC1", "\xCE\x91"},      // 8859-7: Greek Α
      {"\x04\xE0", "\xD7\x90"},      // 8859-8: Hebrew alef
      {"\x05\xFE", "\xC5\x9F"},      // 8859-9: ş
      {"\x06\xA1", "\xC4\x84"},      // 8859-10: Ą
      {"\x07\xA1", "\xE0\xB8\x81"},  // 8859-11: Thai ko kai
      {"\x09\xA1", "\xE2\x80\x9D"},  // 8859-13: ”
      {"\x0A\xA1", "\xE1\xB8\x82"},  // 8859-14: Ḃ
      {"\x0B\xA4", "\xE2\x82\xAC"},  // 8859-15: €
      {"\x08\x41", kReplacement},    // 0x08 names no table
      {"\x0C\x41\x42", kReplacement + kReplacement},
  };
  for (const Case& item : cases) {
    EXPECT_EQ(Decode(item.bytes), item.text) << static_cast<int>(item.bytes[0]);
  }
}

TEST(DvbTextTest, ThreeByteSelectorNamesAnyIso8859Part) {
  EXPECT_EQ(Decode(std::string("\x10\x00\x01\xE9t\xE9", 6)), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(Decode(std::string("\x10\x00\x02\xA1", 4)), "\xC4\x84");  // 8859-2: Ą
  EXPECT_EQ(Decode(std::string("\x10\x00\x0F\xA4", 4)), "\xE2\x82\xAC");
  // There is no part 12, no part 16, and the middle byte must be zero.
  EXPECT_EQ(Decode(std::string("\x10\x00\x0C\x41", 4)), kReplacement);
  EXPECT_EQ(Decode(std::string("\x10\x00\x10\x41", 4)), kReplacement);
  EXPECT_EQ(Decode(std::string("\x10\x01\x01\x41", 4)), kReplacement);
  EXPECT_EQ(Decode(std::string("\x10\x00", 2)), "");
}

TEST(DvbTextTest, TwoByteTablesAreReadCodeUnitByCodeUnit) {
  // UCS-2 and the Big5 subset of ISO/IEC 10646, which is written the same way.
  EXPECT_EQ(Decode(std::string("\x11\x00\x41\x04\x10", 5)), "A\xD0\x90");
  EXPECT_EQ(Decode(std::string("\x14\x4E\x2D\x65\x87", 5)), "\xE4\xB8\xAD\xE6\x96\x87");  // 中文
  // A lone surrogate is one bad character; the text after it stays in step.
  EXPECT_EQ(Decode(std::string("\x11\xD8\x00\x00\x41\x00\x42", 7)), kReplacement + "AB");
  EXPECT_EQ(Decode(std::string("\x11\xDC\x00\x00\x41", 5)), kReplacement + "A");
  // A surrogate pair is one character; half a code unit at the end is a replacement.
  EXPECT_EQ(Decode(std::string("\x11\xD8\x3D\xDE\x00\x00\x41\x42", 8)),
            "\xF0\x9F\x98\x80"
            "A" +
                kReplacement);
  // KS X 1001 and GB 2312 in their EUC form.
  EXPECT_EQ(Decode("\x12\xB0\xA1 \xC7\xD1"), "\xEA\xB0\x80 \xED\x95\x9C");  // 가 한
  EXPECT_EQ(Decode("\x13\xD6\xD0\xCE\xC4"), "\xE4\xB8\xAD\xE6\x96\x87");    // 中文
  EXPECT_EQ(Decode("\x13\xD6"), kReplacement);
  // UTF-8: invalid bytes are one replacement each.
  EXPECT_EQ(Decode("\x15"
                   "Citt\xC3\xA0"),
            "Citt\xC3\xA0");
  EXPECT_EQ(Decode("\x15"
                   "a\xC3(b"),
            "a" + kReplacement + "(b");
}

TEST(DvbTextTest, ControlCodesInEveryTableAndTheEmphasisKeptWhenAsked) {
  // One-byte tables: 0x86/0x87 emphasis, 0x8A line break, the rest dropped.
  EXPECT_EQ(Decode("\x86"
                   "Film\x87\x8A"
                   "next\x8B"),
            "Film\nnext");
  EXPECT_EQ(Decode("\x86"
                   "Film\x87",
                   DvbTextControls::kKept),
            "\xC2\x86"
            "Film\xC2\x87");
  EXPECT_EQ(Decode("\x05\x86\xFE\x87\x8A", DvbTextControls::kKept), "\xC2\x86\xC5\x9F\xC2\x87\n");
  // Two-byte tables keep them at U+E080-U+E09F (UTF-8 texts also at U+0080-U+009F).
  EXPECT_EQ(Decode(std::string("\x11\xE0\x86\x00\x41\xE0\x87\xE0\x8A\x00\x42", 11)), "A\nB");
  EXPECT_EQ(Decode(std::string("\x11\xE0\x86\x00\x41\xE0\x87", 7), DvbTextControls::kKept),
            "\xC2\x86"
            "A\xC2\x87");
  EXPECT_EQ(Decode("\x15"
                   "a\xEE\x82\x8A"
                   "b\xC2\x8A"
                   "c\xEE\x82\x86"),
            "a\nb\nc");
  EXPECT_EQ(Decode("\x12\xE0\x86\xB0\xA1\xE0\x8A", DvbTextControls::kKept),
            "\xC2\x86\xEA\xB0\x80\n");
}

TEST(DvbTextTest, TextPartsOfSeveralDescriptorsJoinIntoOneTable) {
  std::string joined;
  AppendTextPart(joined,
                 "\x15"
                 "Citt\xC3");
  AppendTextPart(joined,
                 "\x15\xA0"
                 " di notte");
  EXPECT_EQ(Decode(joined), "Citt\xC3\xA0 di notte");
  std::string plain;
  AppendTextPart(plain, "Part one, ");
  AppendTextPart(plain, "part two");
  EXPECT_EQ(plain, "Part one, part two");
  std::string threeByte;
  AppendTextPart(threeByte, std::string("\x10\x00\x02\xA1", 4));
  AppendTextPart(threeByte, std::string("\x10\x00\x02\xA1", 4));
  EXPECT_EQ(Decode(threeByte), "\xC4\x84\xC4\x84");
}

}  // namespace
}  // namespace pelorus
