// Where a channel search's transponders come from: the two forms of transponder tables, the lock
// search's result lines, the list's rows, and the rule that one transponder is searched once.
#include <gtest/gtest.h>

#include <string>

#include "service_scan/carrier_sources.h"
#include "service_scan/transponder_table.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

std::string Texts(const std::vector<SearchTransponder>& transponders) {
  std::string text;
  for (const SearchTransponder& t : transponders) text += t.Text() + ";";
  return text;
}

TEST(TransponderTableTest, ChannelBlocksKeepDvbSAndCountTheRest) {
  const std::string table =
      "# Satellite at 19.2E\r\n"
      "[CHANNEL]\r\n"
      "\tDELIVERY_SYSTEM = DVBS\r\n"
      "\tFREQUENCY = 11778000\r\n"
      "\tPOLARIZATION = VERTICAL\r\n"
      "\tSYMBOL_RATE = 27500000\r\n"
      "\tINNER_FEC = 3/4\r\n"
      "\tMODULATION = QPSK\r\n"
      "\r\n"
      "[CHANNEL]\n"
      "\tDELIVERY_SYSTEM = DVBS2\n"
      "\tFREQUENCY = 11797500\n"
      "\tPOLARIZATION = HORIZONTAL\n"
      "\tSYMBOL_RATE = 22000000\n"
      "\tINNER_FEC = 2/3\n"
      "[CHANNEL]\n"  // no delivery system: the folder is the satellites'
      "\tFREQUENCY = 12551499\n"
      "\tPOLARIZATION = LEFT \n"  // blanks after the value
      "\tSYMBOL_RATE = 6110500\n"
      "\tINNER_FEC = AUTO\n"
      "[CHANNEL]\n"
      "\tDELIVERY_SYSTEM = DVBC/ANNEX_A\n"
      "\tFREQUENCY = 330000000\n"
      "[CHANNEL]\n"  // line 24: the frequency does not fit the record
      "\tFREQUENCY = 99999999999\n"
      "\tPOLARIZATION = V\n"
      "\tSYMBOL_RATE = 27500000\n"
      "[CHANNEL]\n"  // line 28: no polarisation
      "\tjunk\n"     // line 30, met before its block's end
      "\tFREQUENCY = 10714000\n"
      "\tSYMBOL_RATE = 22000000\n"
      "[CHANNEL]\n"
      "\tFREQUENCY = 12188000\n"
      "\tpolarization = right\n"
      "\tSYMBOL_RATE = 27500000\n"
      "\tINNER_FEC = 8/9\n";
  const TransponderTable parsed = ParseTransponderTable(testing::BytesOf(table));
  // 12551.499 MHz rounds to 12551, 6110.5 kS/s to 6111; 8/9 has no record code.
  EXPECT_EQ(Texts(parsed.transponders), "11778 V 27500 3/4;12551 H 6111 Auto;12188 V 27500 Auto;");
  EXPECT_EQ(parsed.dvbS2, 1);
  EXPECT_EQ(parsed.otherSystems, 1);
  EXPECT_EQ(parsed.badLines, (std::vector<int>{24, 28, 29}));
}

TEST(TransponderTableTest, OneLineFormInEitherUnit) {
  const std::string table =
      "# freq pol sr fec\n"
      "S 11747000 H 27500000 3/4\n"
      "S1 10971 h 29900 2/3 AUTO QPSK\n"  // MHz and kS/s
      "S2 11817000 V 27500000 2/3 35 8PSK\n"
      "T 506000000 8MHz 2/3 NONE QAM16 8k 1/4 NONE\n"
      "S 12000000 X 27500000 3/4\n"  // line 6: no such polarisation
      "S 12100000 V\n"               // line 7: too short
      "S 950000 V 4000000\n";        // L band in kHz, no FEC
  const TransponderTable parsed = ParseTransponderTable(testing::BytesOf(table));
  EXPECT_EQ(Texts(parsed.transponders), "11747 H 27500 3/4;10971 H 29900 2/3;950 V 4000 Auto;");
  EXPECT_EQ(parsed.dvbS2, 1);
  EXPECT_EQ(parsed.otherSystems, 1);
  EXPECT_EQ(parsed.badLines, (std::vector<int>{6, 7}));
}

TEST(TransponderTableTest, NamesGivePositionsAndFindTheirFile) {
  EXPECT_EQ(TablePosition("/usr/share/dvb/dvb-s/Astra-19.2E"), 192);
  EXPECT_EQ(TablePosition("S13.0E"), 130);
  EXPECT_EQ(TablePosition("Thor-Intelsat-0.8W"), -8);
  EXPECT_EQ(TablePosition("my-table.conf"), std::nullopt);

  testing::TempDir folder;
  for (const char* name : {"Astra-19.2E", "Hotbird-13.0E", "Eutelsat-5.0W"}) {
    testing::WriteBytes(folder.File(name), {'#'});
  }
  const std::string dir = folder.path().string();
  EXPECT_EQ(TableNames(dir),
            (std::vector<std::string>{"Astra-19.2E", "Eutelsat-5.0W", "Hotbird-13.0E"}));
  EXPECT_EQ(FindTransponderTable("hotbird-13.0e", dir), dir + "/Hotbird-13.0E");
  EXPECT_EQ(FindTransponderTable("Astra", dir), dir + "/Astra-19.2E");
  EXPECT_EQ(FindTransponderTable("5.0W", dir), dir + "/Eutelsat-5.0W");
  EXPECT_EQ(FindTransponderTable(folder.File("Astra-19.2E"), "/nowhere"),
            folder.File("Astra-19.2E"));
  EXPECT_EQ(FindTransponderTable("Thor", dir), std::nullopt);
  EXPECT_EQ(FindTransponderTable("../Astra-19.2E", dir), std::nullopt);
  EXPECT_TRUE(TableNames(folder.File("missing")).empty());
}

TEST(CarrierSourcesTest, LockSearchLinesGiveTheLockedCarriersOfEachPlane) {
  const std::string text =
      "11700 MHz - no lock\n"  // before any plane: horizontal, the one searched first
      "11740 MHz - lock at 11747 MHz 27499 3/4 (55) Inversion off\n"
      "Scanning vertical plane\n"
      "11770 MHz - lock at 11778 MHz 27500 ? 5 (40) Auto Inversion\n"
      "11800 MHz - lock at 12322 MHz 6111 5/6 (12) Inversion om\n"
      "11900 MHz - no lock\n"
      "11950 MHz - lock at 0 MHz 27500 3/4 (1) Auto Inversion\n"  // no frequency: not a carrier
      "Scanning horizontal plane\n"
      "12000 MHz - lock at 12188 MHz 27500 4/5 (30) Auto Inversion\n"
      "Scan completed\n";
  const LockSearchText parsed = ParseLockSearchText(testing::BytesOf(text));
  ASSERT_EQ(parsed.carriers.size(), 4u);
  EXPECT_EQ(parsed.noLock, 2);
  EXPECT_EQ(parsed.carriers[1].lockFecCode, 5);
  EXPECT_TRUE(parsed.carriers[1].vertical);
  // The lock search's 4/5 (and its unnamed codes) have no record code: Auto.
  EXPECT_EQ(Texts(TranspondersFromLocks(parsed.carriers)),
            "11747 H 27499 3/4;11778 V 27500 Auto;12322 V 6111 5/6;12188 H 27500 Auto;");
}

TEST(CarrierSourcesTest, RowsGiveTheirTuningAndTitleRowsNothing) {
  std::vector<ChannelRecord> list = {testing::MakeChannel("A", 11778), testing::MakeChannel("", 0),
                                     testing::MakeChannel("B", 12188)};
  list[0].polarity = 1;
  list[0].symbolRate = 27500;
  list[0].fecCode = 4;
  list[2].symbolRate = 22000;
  list[2].fecCode = 6;
  EXPECT_EQ(Texts(TranspondersFromRows(list, std::vector<int>{0, 1, 2, 7, -1})),
            "11778 V 27500 3/4;12188 H 22000 5/6;");
}

TEST(TransponderListTest, OnePolarisationWithinTwoMegahertzIsSearchedOnce) {
  TransponderList list;
  SearchTransponder a;
  a.frequencyMhz = 11778;
  a.vertical = true;
  EXPECT_TRUE(list.Add(a));
  SearchTransponder near = a;
  near.frequencyMhz = 11780;
  EXPECT_FALSE(list.Add(near));
  near.frequencyMhz = 11776;
  EXPECT_FALSE(list.Add(near));
  SearchTransponder far = a;
  far.frequencyMhz = 11781;
  EXPECT_TRUE(list.Add(far));
  SearchTransponder other = a;
  other.vertical = false;
  EXPECT_TRUE(list.Add(other));
  // The tuned transponder, not yet known, matches nothing.
  SearchTransponder current;
  current.current = true;
  EXPECT_TRUE(list.Add(current));
  EXPECT_TRUE(list.Add(SearchTransponder{}));
  EXPECT_EQ(list.Size(), 5u);
}

TEST(TransponderListTest, FecCodesOfEverySource) {
  EXPECT_EQ(FecCodeFromText("3/4"), 4);
  EXPECT_EQ(FecCodeFromText("auto"), kFecAuto);
  EXPECT_EQ(FecCodeFromText("9/10"), kFecAuto);
  EXPECT_EQ(FecCodeFromInner(1), 2);
  EXPECT_EQ(FecCodeFromInner(4), 6);
  EXPECT_EQ(FecCodeFromInner(5), 7);
  EXPECT_EQ(FecCodeFromInner(9), kFecAuto);
  EXPECT_EQ(FecCodeFromLock(5), kFecAuto);
  EXPECT_EQ(FecCodeFromLock(7), 7);
  // The tune command's index: 1/1 is 0, 7/8 is 5, Auto goes out as 0.
  EXPECT_EQ(TuneFecIndexOf(4), 3);
  EXPECT_EQ(TuneFecIndexOf(7), 5);
  EXPECT_EQ(TuneFecIndexOf(kFecAuto), 0);

  // A delivery descriptor's numbers: 10 kHz and 100 symbols/s, right-hand circular vertical.
  DeliveryEntry entry;
  entry.frequency = 1232249;
  entry.symbolRate = 61105;
  entry.fec = 3;
  entry.polarisation = 3;
  entry.orbitalPosition = 50;
  const NamedTransponder named = TransponderFromDelivery(entry, 6, 0xB2);
  EXPECT_EQ(named.transponder.Text(), "12322 V 6111 3/4");
  EXPECT_EQ(named.transponder.orbital, -50);
}

}  // namespace
}  // namespace pelorus
