// The Montery 140's texts and codes, and the profile they are looked up in.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "serial/montery_interface.h"
#include "serial/profile_ini.h"
#include "support/cli_run.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::MakeChannel;

MonteryProfile Profile(const std::string& text) {
  return MonteryProfile(ProfileIni::Parse(testing::BytesOf(text)));
}

ChannelRecord Channel(uint16_t frequency, bool vertical) {
  ChannelRecord record = MakeChannel("HOT ONE", frequency);
  record.polarity = vertical ? 1 : 0;
  return record;
}

// Twelve rows: a marker for another satellite, channels, then "== HOTSAT-1" and channel 12.
std::vector<ChannelRecord> HotsatList() {
  std::vector<ChannelRecord> records;
  records.push_back(MakeChannel("== COLDSAT 2", 0));
  for (int i = 0; i < 9; ++i) records.push_back(Channel(12000, false));
  records.push_back(MakeChannel("== HOTSAT-1", 0));
  records.push_back(Channel(11778, true));
  return records;
}

TEST(MonteryTexts, HotsatChannelWithoutProfileEntries) {
  const std::vector<ChannelRecord> records = HotsatList();
  EXPECT_EQ(MonterySatellite(records, 11), "HOTSAT");
  const MonteryChannel channel = BuildMonteryChannel("HOTSAT", records[11], MonteryProfile());
  EXPECT_EQ(channel.text, "HOTSAT V MPEG2");
  EXPECT_EQ(channel.sentText, "HOTSAT V MPE");
  EXPECT_EQ(channel.code, 99);
  EXPECT_EQ(MonterySatelliteCommand("HOTSAT"), "#70 \"HOTSAT\"\r");
  EXPECT_EQ(MonteryChannelCommand(channel.sentText, channel.code), "#71 \"HOTSAT V MPE\",99\r");
  // The rows above the HOTSAT marker belong to the satellite before it.
  EXPECT_EQ(MonterySatellite(records, 9), "COLDSAT");
}

TEST(MonteryTexts, SeparateKuOnlyAboveTheCBand) {
  const MonteryProfile profile = Profile("[Seperate Ku]\nHOTSAT=y\n");
  const MonteryChannel vertical = BuildMonteryChannel("HOTSAT", Channel(11778, true), profile);
  EXPECT_EQ(vertical.text, "HOTSAT VK MPEG2");
  EXPECT_EQ(vertical.sentText, "HOTSAT VK MP");
  EXPECT_EQ(vertical.code, 97);
  EXPECT_EQ(BuildMonteryChannel("HOTSAT", Channel(11778, false), profile).code, 96);
  // 4200 MHz and below is C band: never "K", whatever the profile says.
  for (const uint16_t frequency : {3840, 4200}) {
    const MonteryChannel c = BuildMonteryChannel("HOTSAT", Channel(frequency, false), profile);
    EXPECT_EQ(c.sentText, "HOTSAT H MPE");
    EXPECT_EQ(c.code, 98);
  }
  EXPECT_EQ(BuildMonteryChannel("HOTSAT", Channel(4201, false), profile).sentText, "HOTSAT HK MP");
  // Another satellite without an entry stays as it is.
  EXPECT_EQ(BuildMonteryChannel("COLDSAT", Channel(11778, true), profile).code, 99);
}

TEST(MonteryTexts, SatelliteNameFromTheNearestMarker) {
  std::vector<ChannelRecord> records = {MakeChannel("Before any", 11000),
                                        MakeChannel("== ASTRA*19", 0),
                                        Channel(11000, true),
                                        MakeChannel("==", 0),
                                        Channel(11000, true),
                                        MakeChannel("** SAT 2-B", 0)};
  EXPECT_EQ(MonterySatellite(records, 0), std::nullopt);  // no marker at or above
  EXPECT_EQ(MonterySatellite(records, 1), "ASTRA");       // a marker is its own satellite
  EXPECT_EQ(MonterySatellite(records, 2), "ASTRA");
  EXPECT_EQ(MonterySatellite(records, 4), "");  // a marker name of three characters or fewer
  EXPECT_EQ(MonterySatellite(records, 5), "SAT");
  EXPECT_EQ(MonterySatellite(records, 6), std::nullopt);  // past the list
}

TEST(MonteryTexts, ProfileLookups) {
  const std::string longName(60, 'N');
  const MonteryProfile profile = Profile(
      "[Name Translation]\nHOTSAT = Hot Satellite 1\nLONGSAT=" + longName +
      "\nEMPTYSAT=\n[Seperate Ku]\nyessat=Yes\nbigsat=Y\nspacesat=  y  \nninesat=Y        x\n");
  EXPECT_EQ(profile.TranslatedName("HOTSAT"), "Hot Satellite 1");
  EXPECT_EQ(profile.TranslatedName("hotsat"), "Hot Satellite 1");  // names without case
  EXPECT_EQ(profile.TranslatedName("LONGSAT"), std::string(49, 'N'));
  EXPECT_EQ(profile.TranslatedName("OTHERSAT"), "OTHERSAT");
  EXPECT_EQ(profile.TranslatedName("EMPTYSAT"), "EMPTYSAT");
  EXPECT_FALSE(profile.SeparateKu("YESSAT"));  // "Yes" is not "Y"
  EXPECT_TRUE(profile.SeparateKu("BIGSAT"));
  EXPECT_TRUE(profile.SeparateKu("SPACESAT"));
  // Only nine characters are read: "Y" and eight blanks is not "Y" once the blanks are kept.
  EXPECT_FALSE(profile.SeparateKu("NINESAT"));
  EXPECT_FALSE(profile.SeparateKu("HOTSAT"));
}

TEST(MonteryTexts, NothingSentCanEndACommandEarly) {
  // A translation that would end the satellite command and start a channel command of its own.
  const MonteryProfile profile = Profile(
      "[Name Translation]\nEVILSAT=HOT\r#71 \"EVIL\",1\nQUOTESAT=Bad\"Name\nTABSAT=a\tb\n"
      "DELSAT=a\x7f\nFINESAT=Fine Sat 2\n");
  for (const char* satellite : {"EVILSAT", "QUOTESAT", "TABSAT", "DELSAT"})
    EXPECT_EQ(profile.TranslatedName(satellite), satellite);
  EXPECT_EQ(profile.TranslatedName("FINESAT"), "Fine Sat 2");
  EXPECT_EQ(MonterySatelliteCommand(profile.TranslatedName("EVILSAT")), "#70 \"EVILSAT\"\r");
  // The list's own marker names are sent without such bytes.
  std::vector<ChannelRecord> records = {MakeChannel("== HO\"T\x01SAT-1", 0), Channel(11778, true)};
  EXPECT_EQ(MonterySatellite(records, 1), "HOTSAT");
  EXPECT_TRUE(SendableToMontery("HOTSAT V MPE"));
  EXPECT_FALSE(SendableToMontery("a\rb"));
}

TEST(MonteryProfileFile, TheUsersProfileMustBeReadableAsANamedOneMust) {
  testing::TempDir dir;
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string previous = saved ? saved : "";
  ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  std::string why;
  // No profile of the user's: the one that ships, or an empty one, without a word.
  EXPECT_TRUE(LoadMonteryProfile("", why));
  std::filesystem::create_directories(dir.File("Haldane"));
  const std::string user = dir.File("Haldane/pelorus.ini");
  std::string text = "[Name Translation]\nHOTSAT=Hot\n";
  testing::WriteBytes(user, std::vector<uint8_t>(text.begin(), text.end()));
  auto loaded = LoadMonteryProfile("", why);
  ASSERT_TRUE(loaded);
  EXPECT_EQ(MonteryProfile(*loaded).TranslatedName("HOTSAT"), "Hot");
  text += std::string(ProfileIni::kMaxFileSize, ';');
  testing::WriteBytes(user, std::vector<uint8_t>(text.begin(), text.end()));
  EXPECT_FALSE(LoadMonteryProfile("", why));
  EXPECT_NE(why.find(user + ": "), std::string::npos) << why;
  EXPECT_NE(why.find("larger than the 1048576 bytes accepted"), std::string::npos) << why;
  const testing::CliRun run = testing::RunCommandLine(
      {"montery", dir.File("list.dvb"), "--seconds", "1", "--options", dir.File("o.ini")});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("Unable to read the Montery 140 profile: " + why), std::string::npos)
      << run.err;
  if (saved) {
    ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

TEST(ProfileIni, SectionsKeysAndComments) {
  const ProfileIni ini =
      ProfileIni::Parse(testing::BytesOf("top=before any section\r\n"
                                         "; a comment\r\n"
                                         "[First]\r\n"
                                         "Key=one\r\n"
                                         "key=second of the same key\r\n"
                                         "# another comment=no\r\n"
                                         "  Spaced Key  =  \"quoted value\"  \r\n"
                                         "=no key\r\n"
                                         "no equals sign\r\n"
                                         "[ SECOND ]\n"
                                         "k=2\n"
                                         "[first]\n"
                                         "later=merged"));
  EXPECT_EQ(ini.SectionCount(), 2u);
  EXPECT_EQ(ini.Value("first", "KEY", 100), "one");
  EXPECT_EQ(ini.Value("FIRST", "spaced key", 100), "quoted value");
  EXPECT_EQ(ini.Value("First", "later", 100), "merged");
  EXPECT_EQ(ini.Value("Second", "k", 100), "2");
  EXPECT_EQ(ini.Value("First", "Key", 2), "on");
  EXPECT_EQ(ini.Value("First", "top", 100), std::nullopt);
  EXPECT_EQ(ini.Value("First", "# another comment", 100), std::nullopt);
  EXPECT_EQ(ini.Value("First", "", 100), std::nullopt);
  EXPECT_EQ(ini.Value("Third", "k", 100), std::nullopt);
}

TEST(ProfileIni, GarbageIsIgnoredAndTheSizeBounded) {
  std::string garbage = "[Broken\nkey=lost\n[Good]\nkey=kept\n";
  garbage += std::string("\0\xff\x01=\x80[", 6) + "\n\n\n[]\nempty=section\n";
  const ProfileIni ini = ProfileIni::Parse(testing::BytesOf(garbage));
  EXPECT_EQ(ini.Value("Good", "key", 100), "kept");
  EXPECT_EQ(ini.Value("Broken", "key", 100), std::nullopt);
  EXPECT_EQ(ini.Value("", "empty", 100), "section");

  // A key past the first mebibyte is never seen.
  std::string huge = "[S]\nearly=1\n" + std::string(ProfileIni::kMaxFileSize, 'x') + "\nlate=2\n";
  const ProfileIni big = ProfileIni::Parse(testing::BytesOf(huge));
  EXPECT_EQ(big.Value("S", "early", 10), "1");
  EXPECT_EQ(big.Value("S", "late", 10), std::nullopt);

  std::string why;
  EXPECT_FALSE(ProfileIni::Load("/nonexistent/pelorus.ini", &why));
  EXPECT_NE(why.find("/nonexistent/pelorus.ini"), std::string::npos);
  EXPECT_FALSE(ProfileIni::Load("/dev/null"));  // a device, not a profile
}

}  // namespace
}  // namespace pelorus
