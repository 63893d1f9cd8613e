// pelorus-cli import-list, export-list and reorder, run in-process on small lists written by
// hand as the formats' documentation describes them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "channels/channel_name.h"
#include "channels/settings_file.h"
#include "support/cli_run.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

constexpr char kLamedb[] =
    "eDVB services /4/\n"
    "transponders\n"
    "00c00000:0441:0001\n\ts 12187500:27500000:0:3:192:2:0\n/\n"
    "00c00000:03fb:0001\n\ts 11493750:22000000:0:2:192:2:0:1:2:0:2\n/\n"
    "00820000:012c:013e\n\ts 11766000:29900000:0:2:130:2:0\n/\n"
    "end\n"
    "services\n"
    "6d66:00c00000:0441:0001:1:0\nDas Erste\np:ARD,c:000065,c:01006e,c:030065\n"
    "6d67:00c00000:0441:0001:2:0\nBayern 1\np:ARD,c:0101fb\n"
    "132f:00c00000:03fb:0001:25:0\nORF1 HD\np:ORF,c:00157c\n"
    "0dc3:00820000:012c:013e:1:0\nRai 1\np:RAI,c:000200,c:01028a\n"
    "0dc4:00820000:012c:013e:22:0\nRai HD AVC\np:RAI\n"
    "end\n";

constexpr char kBouquetIndex[] =
    "#NAME User - bouquets (TV)\n"
    "#SERVICE 1:7:1:0:0:0:0:0:0:0:FROM BOUQUET \"userbouquet.favourites.tv\" ORDER BY bouquet\n"
    "#SERVICE 1:7:1:0:0:0:0:0:0:0:FROM BOUQUET \"userbouquet.gone.tv\" ORDER BY bouquet\n";

constexpr char kFavourites[] =
    "#NAME Favoriti\n"
    "#SERVICE 1:0:1:DC3:12C:13E:820000:0:0:0:\n"
    "#SERVICE 1:64:1:0:0:0:0:0:0:0::Germania\n"
    "#DESCRIPTION Germania\n"
    "#SERVICE 1:0:1:6D66:441:1:C00000:0:0:0:\n"
    "#SERVICE 1:0:19:132F:3FB:1:C00000:0:0:0:\n"
    "#SERVICE 1:0:16:DC4:12C:13E:820000:0:0:0:\n"
    "#SERVICE 4097:0:1:0:0:0:0:0:0:0:http%3a//example.org/tv:Web TV\n"
    "#SERVICE 1:0:1:BEEF:441:1:C00000:0:0:0:\n";

constexpr char kChannelsConf[] =
    ":Sport\n"
    "Eurosport;Discovery:11954:HC34M2S0:S19.2E:27500:410=2:420=eng:0:0:28009:1:1079:0\n"
    "DAZN HD:11954:HC34M5S1:S19.2E:27500:510=27:520:0:0:28010:1:1079:0\n"
    ":Radio\n"
    "Radio FM:12266:VC34:S13.0E:27500:0:3001:0:0:28400:318:1101:0\n"
    "broken line\n"
    "Kabel:410:M64:C:6900:101:102:0:0:1:2:3:0\n";

class CliOtherListsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Write("lamedb", kLamedb);
    Write("bouquets.tv", kBouquetIndex);
    Write("userbouquet.favourites.tv", kFavourites);
    Write("channels.conf", kChannelsConf);
  }
  void Write(const std::string& name, const std::string& text) {
    testing::WriteBytes(dir.File(name), std::vector<uint8_t>(text.begin(), text.end()));
  }
  std::vector<ChannelRecord> Load(const std::string& name) {
    return DecodeSettingsBytes(testing::ReadBytes(dir.File(name)));
  }
  testing::TempDir dir;
};

TEST_F(CliOtherListsTest, ALamedbComesInTheOrderOfTheBouquetsBesideIt) {
  const testing::CliRun run = testing::RunCommandLine(
      {"import-list", dir.File("lamedb"), dir.File("out.dvb"), "--diseqc", "S13.0E=2"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "2 channels imported, 3 skipped (1 DVB-S2, 1 H.264/HEVC, 1 other)\n"
            "Lines that could not be read: 2\n" +
                dir.File("bouquets.tv") + ", line 3: userbouquet.gone.tv cannot be read\n" +
                dir.File("userbouquet.favourites.tv") + ", line 9: service not in lamedb\n");
  const std::vector<ChannelRecord> records = Load("out.dvb");
  EXPECT_EQ(testing::ListNames(records),
            (std::vector<std::string>{"[Favoriti]", "Rai 1", "[Germania]", "Das Erste"}));
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[1].frequency, 11766);
  EXPECT_EQ(records[1].lnbSelect & 3, 1);  // 13.0E on port 2
  EXPECT_EQ(records[1].audioPid, 0x28A);
  EXPECT_EQ(records[3].lnbSelect & 3, 0);
  EXPECT_EQ(records[3].frequency, 12188);
  EXPECT_EQ(records[3].pcrPid, 0x65);
  EXPECT_EQ(records[3].pmtPid, kNoPid);

  // --all takes the DVB-S2 and H.264 services too; the stream is never a channel.
  const testing::CliRun all =
      testing::RunCommandLine({"import-list", dir.File("lamedb"), dir.File("all.dvb"), "--all"});
  ASSERT_EQ(all.status, 0) << all.err;
  EXPECT_TRUE(
      all.out.starts_with("4 channels imported, 1 skipped (0 DVB-S2, 0 H.264/HEVC, 1 other)\n"));
}

TEST_F(CliOtherListsTest, ABouquetGivenTakesTheLamedbBesideItAndOnlyItself) {
  const testing::CliRun run = testing::RunCommandLine(
      {"import-list", dir.File("userbouquet.favourites.tv"), dir.File("out.dvb")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(
      run.out.starts_with("2 channels imported, 3 skipped (1 DVB-S2, 1 H.264/HEVC, 1 other)\n"
                          "Lines that could not be read: 1\n"));
  EXPECT_EQ(testing::ListNames(Load("out.dvb")),
            (std::vector<std::string>{"[Favoriti]", "Rai 1", "[Germania]", "Das Erste"}));
  // Without bouquets, by satellite in database order.
  std::filesystem::remove(dir.File("bouquets.tv"));
  ASSERT_EQ(
      testing::RunCommandLine({"import-list", dir.File("lamedb"), dir.File("plain.dvb")}).status,
      0);
  EXPECT_EQ(testing::ListNames(Load("plain.dvb")),
            (std::vector<std::string>{"[19.2E]", "Das Erste", "Bayern 1", "[13.0E]", "Rai 1"}));
}

TEST_F(CliOtherListsTest, AChannelsConfIsAppendedToAList) {
  testing::WriteBytes(dir.File("old.dvb"),
                      testing::FileBytes({testing::MakeChannel("Old", 10700)}));
  const testing::CliRun run =
      testing::RunCommandLine({"import-list", dir.File("channels.conf"), dir.File("new.dvb"),
                               "--append-to", dir.File("old.dvb"), "--diseqc", "13.0E=3"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "2 channels imported, 2 skipped (1 DVB-S2, 0 H.264/HEVC, 1 other)\n"
            "Lines that could not be read: 1\n" +
                dir.File("channels.conf") + ", line 6: not a channel\n");
  const std::vector<ChannelRecord> records = Load("new.dvb");
  EXPECT_EQ(testing::ListNames(records),
            (std::vector<std::string>{"Old", "[Sport]", "Eurosport", "[Radio]", "Radio FM"}));
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[2].serviceId, 28009);
  EXPECT_EQ(records[2].audioPid, 420);
  EXPECT_EQ(records[4].lnbSelect & 3, 2);
  EXPECT_EQ(records[4].serviceType, 2);
  EXPECT_EQ(testing::ListNames(Load("old.dvb")),
            (std::vector<std::string>{"Old"}));  // read, not written
}

TEST_F(CliOtherListsTest, FilesThatAreNoListAreRefusedAndNothingIsWritten) {
  testing::WriteBytes(dir.File("binary"), {'e', 'D', 'V', 'B', 0, 1, 2});
  testing::CliRun run =
      testing::RunCommandLine({"import-list", dir.File("binary"), dir.File("out.dvb")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, dir.File("binary") +
                         " is not a channel list of another receiver (lamedb, bouquet or "
                         "channels.conf)\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.dvb")));

  // Larger than any text file may be: refused before it is read.
  { std::ofstream big(dir.File("big.conf")); }
  ASSERT_EQ(::truncate(dir.File("big.conf").c_str(), (off_t{65} << 20)), 0);
  run = testing::RunCommandLine({"import-list", dir.File("big.conf"), dir.File("out.dvb")});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.err.starts_with("Unable to read file " + dir.File("big.conf") + "\n")) << run.err;

  // The arguments the wrong way round: the list named as the output is not overwritten.
  run = testing::RunCommandLine({"import-list", dir.File("lamedb"), dir.File("channels.conf")});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.err.find("not a settings file") != std::string::npos) << run.err;
  const std::vector<uint8_t> kept = testing::ReadBytes(dir.File("channels.conf"));
  EXPECT_EQ(std::string(kept.begin(), kept.end()), kChannelsConf);

  EXPECT_EQ(testing::RunCommandLine(
                {"import-list", dir.File("lamedb"), dir.File("out.dvb"), "--diseqc", "19.2E=9"})
                .status,
            2);
  EXPECT_EQ(testing::RunCommandLine({"import-list", dir.File("lamedb"), dir.File("out.dvb"),
                                     "--append-to", dir.File("none.dvb")})
                .status,
            1);
  EXPECT_EQ(testing::RunCommandLine({"import-list", dir.File("out.dvb")}).status, 2);
}

std::vector<ChannelRecord> SampleList() {
  std::vector<ChannelRecord> list;
  ChannelRecord title{};
  title.tag = kChannelTag;
  EncodeChannelName(title, "Astra");
  list.push_back(title);
  ChannelRecord one = testing::MakeChannel("Das Erste", 11836);
  one.serviceId = 28106;
  one.tsId = 1101;
  one.networkId = 1;
  one.serviceType = 1;
  one.fecCode = 4;
  list.push_back(one);
  ChannelRecord two = testing::MakeChannel("Rai 1", 11766, 29900);
  two.serviceType = 1;
  two.lnbSelect = 1;
  two.polarity = 1;
  two.serviceId = 0xDC3;
  two.tsId = 0x12C;
  two.networkId = 0x13E;
  list.push_back(two);
  return list;
}

TEST_F(CliOtherListsTest, ExportThenImportGivesTheSameChannels) {
  testing::WriteBytes(dir.File("list.dvb"), testing::FileBytes(SampleList()));
  std::filesystem::create_directory(dir.File("box"));
  Write("box/settings", "keep me");
  testing::CliRun run =
      testing::RunCommandLine({"export-list", dir.File("list.dvb"), dir.File("box"), "--format",
                               "enigma2", "--diseqc", "S13.0E=2"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "2 channels exported\n");
  for (const char* name : {"lamedb", "bouquets.tv", "userbouquet.pelorus.tv"}) {
    EXPECT_TRUE(std::filesystem::exists(dir.File(std::string("box/") + name))) << name;
  }
  const std::vector<uint8_t> kept = testing::ReadBytes(dir.File("box/settings"));
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "keep me");
  run = testing::RunCommandLine(
      {"import-list", dir.File("box/lamedb"), dir.File("back.dvb"), "--diseqc", "S13.0E=2"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "2 channels imported, 0 skipped (0 DVB-S2, 0 H.264/HEVC, 0 other)\n");
  const std::vector<ChannelRecord> list = SampleList();
  std::vector<ChannelRecord> back = Load("back.dvb");
  ASSERT_EQ(testing::ListNames(back), testing::ListNames(list));
  for (size_t i = 1; i < list.size(); ++i) {
    EXPECT_EQ(back[i].frequency, list[i].frequency);
    EXPECT_EQ(back[i].polarity, list[i].polarity);
    EXPECT_EQ(back[i].lnbSelect, list[i].lnbSelect);
    EXPECT_EQ(back[i].fecCode, list[i].fecCode);
    EXPECT_EQ(back[i].serviceId, list[i].serviceId);
  }

  run = testing::RunCommandLine(
      {"export-list", dir.File("list.dvb"), dir.File("out.conf"), "--format", "vdr"});
  ASSERT_EQ(run.status, 0) << run.err;
  run = testing::RunCommandLine({"import-list", dir.File("out.conf"), dir.File("vdr.dvb")});
  ASSERT_EQ(run.status, 0) << run.err;
  back = Load("vdr.dvb");
  ASSERT_EQ(testing::ListNames(back), testing::ListNames(list));
  EXPECT_EQ(back[2].lnbSelect, 0);  // 19.2E was written for port 2, and 19.2E is port 1
  EXPECT_EQ(back[2].tsId, 0x12C);

  // Never over a settings file, and never from a file that is not one.
  run = testing::RunCommandLine(
      {"export-list", dir.File("list.dvb"), dir.File("back.dvb"), "--format", "vdr"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(testing::ListNames(Load("back.dvb")), testing::ListNames(list));
  EXPECT_EQ(testing::RunCommandLine(
                {"export-list", dir.File("lamedb"), dir.File("x.conf"), "--format", "vdr"})
                .status,
            1);
  EXPECT_EQ(testing::RunCommandLine(
                {"export-list", dir.File("list.dvb"), dir.File("x"), "--format", "neutrino"})
                .status,
            2);
}

TEST_F(CliOtherListsTest, ReorderLikeAChannelsConfALamedbOrASettingsFile) {
  std::vector<ChannelRecord> list = {
      testing::MakeChannel("Rai 1", 11766), testing::MakeChannel("Eurosport", 11954),
      testing::MakeChannel("Local", 12000), testing::MakeChannel("Das Erste", 12187)};
  testing::WriteBytes(dir.File("list.dvb"), testing::FileBytes(list));
  testing::CliRun run = testing::RunCommandLine(
      {"reorder", dir.File("list.dvb"), "--like", dir.File("channels.conf"), dir.File("out.dvb")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "1 of 4 channels matched the reference list\n");
  EXPECT_EQ(testing::ListNames(Load("out.dvb")),
            (std::vector<std::string>{"[Sport]", "Eurosport", "[Altri canali]", "Rai 1", "Local",
                                      "Das Erste"}));

  run = testing::RunCommandLine(
      {"reorder", dir.File("list.dvb"), "--like", dir.File("lamedb"), dir.File("out.dvb")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "2 of 4 channels matched the reference list\n");
  EXPECT_EQ(testing::ListNames(Load("out.dvb")),
            (std::vector<std::string>{"[Favoriti]", "Rai 1", "[Germania]", "Das Erste",
                                      "[Altri canali]", "Eurosport", "Local"}));

  testing::WriteBytes(dir.File("ref.dvb"),
                      testing::FileBytes({list[3], list[2], list[1], list[0]}));
  run = testing::RunCommandLine(
      {"reorder", dir.File("list.dvb"), "--like", dir.File("ref.dvb"), dir.File("out.dvb")});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "4 of 4 channels matched the reference list\n");
  EXPECT_EQ(testing::ListNames(Load("out.dvb")),
            (std::vector<std::string>{"Das Erste", "Local", "Eurosport", "Rai 1"}));

  Write("text.txt", "just some text\n");
  run = testing::RunCommandLine(
      {"reorder", dir.File("list.dvb"), "--like", dir.File("text.txt"), dir.File("out.dvb")});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, dir.File("text.txt") +
                         " is not a settings file or a channel list of another receiver\n");
}

}  // namespace
}  // namespace pelorus
