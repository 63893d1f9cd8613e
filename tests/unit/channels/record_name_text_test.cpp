#include "channels/record_name_text.h"

#include <gtest/gtest.h>

#include <string>

#include "channels/channel_name.h"

namespace pelorus {
namespace {

TEST(RecordNameText, KeepsLatinOneAndTheEmphasisCodes) {
  EXPECT_EQ(RecordNameFromUtf8("Rai Uno"), "Rai Uno");
  EXPECT_EQ(RecordNameFromUtf8("T\xC3\xA9l\xC3\xA9 Z\xC3\xBCrich \xC3\x98st"),
            "T\xE9l\xE9 Z\xFCrich \xD8st");
  EXPECT_EQ(RecordNameFromUtf8("\xC3\x9F\xC2\xA0\xC3\xBF"), "\xDF\xA0\xFF");
  // U+0086 and U+0087 around a word: the bytes the receiver shows as brackets.
  const std::string emphasised = RecordNameFromUtf8("\xC2\x86ZDF\xC2\x87 HD");
  EXPECT_EQ(emphasised, "\x86ZDF\x87 HD");
  ChannelRecord record{};
  StoreRecordName(record, emphasised);
  EXPECT_EQ(DecodeChannelName(record), "[ZDF] HD");
}

TEST(RecordNameText, OtherLettersBecomeTheirClosestLatinLetters) {
  EXPECT_EQ(RecordNameFromUtf8("\xC5\x81\xC3\xB3\x64\xC5\xBA"),
            "L\xF3"
            "dz");                                                      // Łódź
  EXPECT_EQ(RecordNameFromUtf8("\xC5\x92uvre \xC5\x93"), "OEuvre oe");  // Œuvre œ
  EXPECT_EQ(RecordNameFromUtf8("\xC4\x8C"
                               "esk\xC3\xA1 \xC5\xA0kola"),
            "Cesk\xE1 Skola");
  EXPECT_EQ(RecordNameFromUtf8("TVR \xC8\x98tiri"), "TVR Stiri");                // Ș (comma below)
  EXPECT_EQ(RecordNameFromUtf8("VTV \xE1\xBA\xA0\xE1\xBB\x87"), "VTV Ae");       // Vietnamese
  EXPECT_EQ(RecordNameFromUtf8("\xEF\xBC\xA1\xEF\xBC\xA2\xEF\xBC\x91"), "AB1");  // full width
  EXPECT_EQ(RecordNameFromUtf8("Rock \xE2\x80\x99n\xE2\x80\x99 Roll \xE2\x80\x93 \xE2\x82\xAC"),
            "Rock 'n' Roll - EUR");
  // A zero-width space disappears; no letter at all gives a question mark.
  EXPECT_EQ(RecordNameFromUtf8("A\xE2\x80\x8B"
                               "B"),
            "AB");
  EXPECT_EQ(RecordNameFromUtf8("CCTV \xE4\xB8\xAD\xE6\x96\x87"), "CCTV ??");
  EXPECT_EQ(RecordNameFromUtf8("\xF0\x9F\x98\x80 TV"), "? TV");
}

TEST(RecordNameText, CyrillicAndGreekAreTransliterated) {
  EXPECT_EQ(RecordNameFromUtf8("\xD0\x9F\xD0\xB5\xD1\x80\xD0\xB2\xD1\x8B\xD0\xB9 "
                               "\xD0\xBA\xD0\xB0\xD0\xBD\xD0\xB0\xD0\xBB"),
            "Pervyy kanal");
  EXPECT_EQ(RecordNameFromUtf8("\xD0\x9D\xD0\xA2\xD0\x92"), "NTV");
  // A capital spelt with two letters follows the case of the letters around it.
  EXPECT_EQ(RecordNameFromUtf8("\xD0\x96\xD0\xA3\xD0\x9A"), "ZHUK");
  EXPECT_EQ(RecordNameFromUtf8("\xD0\x96\xD1\x83\xD0\xBA"), "Zhuk");
  EXPECT_EQ(RecordNameFromUtf8("\xD0\x9F\xD0\x9B\xD0\x90\xD0\xA9"), "PLASHCH");
  EXPECT_EQ(RecordNameFromUtf8("\xD0\xA9 1"), "Shch 1");
  // The hard and soft signs are left out; Ukrainian and Serbian letters have their own.
  EXPECT_EQ(RecordNameFromUtf8("\xD0\x9E\xD0\xB1\xD1\x8A\xD0\xB5\xD0\xBA\xD1\x82"), "Obekt");
  EXPECT_EQ(RecordNameFromUtf8("\xD0\x87\xD0\xB6\xD0\xB0\xD0\xBA \xD2\x90"), "Yizhak G");
  EXPECT_EQ(RecordNameFromUtf8("\xCE\xA3\xCE\x9A\xCE\x91\xCE\xAA"), "SKAI");  // ΣΚΑΪ
  EXPECT_EQ(RecordNameFromUtf8("\xCE\x95\xCE\xA1\xCE\xA4 \xCF\x83\xCF\x82"), "ERT ss");
  EXPECT_EQ(RecordNameFromUtf8("\xCE\xB8\xCE\xAC"), "tha");
}

TEST(RecordNameText, CombiningAccentsComposeWhereLatinOneHasTheLetter) {
  EXPECT_EQ(RecordNameFromUtf8("Te\xCC\x81le\xCC\x81"), "T\xE9l\xE9");
  EXPECT_EQ(RecordNameFromUtf8("Espan\xCC\x83"
                               "a"),
            "Espa\xF1"
            "a");
  EXPECT_EQ(RecordNameFromUtf8("C\xCC\xA7"
                               "a u\xCC\x88"),
            "\xC7"
            "a \xFC");
  // No such letter in Latin-1: the accent is dropped, the letter stays.
  EXPECT_EQ(RecordNameFromUtf8("x\xCC\x81y"), "xy");
  // An accent after something that is not a letter written whole does nothing.
  EXPECT_EQ(RecordNameFromUtf8("\xC5\x92\xCC\x81 1\xCC\x81"), "OE 1");
}

TEST(RecordNameText, ControlCharactersGoAndBlanksAreTrimmed) {
  EXPECT_EQ(RecordNameFromUtf8("  Sky\tNews\x01\x7F  "), "Sky News");
  // The broadcast tables' line break inside a name is a blank.
  EXPECT_EQ(RecordNameFromUnicode(U"Line\u008ABreak"), "Line Break");
  EXPECT_EQ(RecordNameFromUnicode(U"\u0080\u009F\u0085"), "");
  EXPECT_EQ(RecordNameFromUtf8(""), "");
  EXPECT_EQ(RecordNameFromUtf8("   "), "");
}

TEST(RecordNameText, CutAtTwentyFourBytesNeverInsideACharacter) {
  EXPECT_EQ(RecordNameFromUtf8(std::string(30, 'A')), std::string(24, 'A'));
  EXPECT_EQ(RecordNameFromUtf8(std::string(24, 'B')), std::string(24, 'B'));
  // Ж needs two bytes and only one is left: it is not written at all.
  EXPECT_EQ(RecordNameFromUtf8(std::string(23, 'C') + "\xD0\x96"), std::string(23, 'C'));
  // The cut is a cut: a shorter character after it does not slip in.
  EXPECT_EQ(RecordNameFromUtf8(std::string(22, 'D') + "\xD0\xA9"
                                                      "E"),
            std::string(22, 'D'));
  // Blanks left at the end by the cut are trimmed too.
  EXPECT_EQ(RecordNameFromUtf8(std::string(20, 'F') + "    GHIJ"), std::string(20, 'F'));
  // Twenty-four Latin-1 letters of two UTF-8 bytes each are twenty-four record bytes.
  std::string accented;
  for (int i = 0; i < 30; ++i) accented += "\xC3\xA9";
  EXPECT_EQ(RecordNameFromUtf8(accented), std::string(24, '\xE9'));
}

TEST(RecordNameText, BytesThatAreNotUtf8AreLatinOne) {
  EXPECT_EQ(RecordNameFromUtf8("Caf\xE9 Cr\xE8me"), "Caf\xE9 Cr\xE8me");
  // One bad byte makes the whole text Latin-1, even its valid UTF-8 pairs.
  EXPECT_EQ(RecordNameFromUtf8("\xC3\xA9\xFF"), "\xC3\xA9\xFF");
  EXPECT_EQ(RecordNameFromLatin1("\xC3\xA9"), "\xC3\xA9");
  EXPECT_EQ(DecodeUtf8OrLatin1("\xC3\xA9"), std::u32string(U"\u00E9"));
  EXPECT_EQ(DecodeUtf8OrLatin1("\xE9"), std::u32string(U"\u00E9"));

  EXPECT_TRUE(IsValidUtf8("plain \xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xE0\x80\xAF"));      // overlong in three bytes
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\x80"));              // a continuation alone
}

TEST(RecordNameText, TheNameFieldGoesOutAsUtf8AndComesBack) {
  ChannelRecord record{};
  StoreRecordName(record,
                  "\x86"
                  "Caf\xE9\x87 1   ");
  const std::string utf8 = RecordNameToUtf8(record);
  EXPECT_EQ(utf8,
            "\xC2\x86"
            "Caf\xC3\xA9\xC2\x87 1");
  EXPECT_EQ(RecordNameFromUtf8(utf8),
            "\x86"
            "Caf\xE9\x87 1");
  // A full field has no terminating zero; a longer text is cut to the field.
  StoreRecordName(record, std::string(30, 'x'));
  EXPECT_EQ(RecordNameToUtf8(record), std::string(24, 'x'));
  StoreRecordName(record, "");
  EXPECT_EQ(RecordNameToUtf8(record), "");
}

}  // namespace
}  // namespace pelorus
