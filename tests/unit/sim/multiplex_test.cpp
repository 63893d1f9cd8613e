// The stand-in receiver's multiplex, generated in-process and read back with the test's own
// readers: packet structure, continuity, tables, clocks and the faults it can inject.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "sim/multiplex_layout.h"
#include "sim/si_tables.h"
#include "ts_reading.h"

namespace pelorus {
namespace {

using testing::Generate;
using testing::PcrOf;
using testing::PidOf;
using testing::PtsOf;
using testing::Sections;
using testing::TestAssets;
using testing::Word;

class MultiplexTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TestAssets().error, ""); }
};

// Six seconds go past the end of both audio loops and the video loop.
TEST_F(MultiplexTest, PacketsAreWellFormedAndCountersRunOnAcrossLoops) {
  const auto packets = Generate(TestAssets(), 0, 6.0);
  ASSERT_EQ(packets.size(), static_cast<size_t>(6.0 * 5000000 / 1504));
  std::map<uint16_t, int> lastCounter;
  std::set<uint16_t> pids;
  for (const sim::Packet& p : packets) {
    ASSERT_EQ(p[0], 0x47);
    ASSERT_EQ(p[1] & 0x80, 0) << "transport_error_indicator";
    const uint16_t pid = PidOf(p);
    pids.insert(pid);
    if (pid == sim::kNullPid) continue;
    const int counter = p[3] & 0x0F;
    const bool payload = p[3] & 0x10;
    if (lastCounter.count(pid)) {
      const int expected = payload ? (lastCounter[pid] + 1) % 16 : lastCounter[pid];
      ASSERT_EQ(counter, expected) << "pid " << pid;
    }
    lastCounter[pid] = counter;
  }
  for (uint16_t pid : {0x0000, 0x0010, 0x0011, 0x0012, 0x0014, 0x0100, 0x0110, 0x0120, 0x0200,
                       0x0280, 0x0281, 0x0220, 0x0221, 0x02A0, 0x0240, 0x02C0, 0x1FFF}) {
    EXPECT_TRUE(pids.count(pid)) << "pid " << pid;
  }
}

TEST_F(MultiplexTest, EverySectionChecksToZeroAndTheTablesDescribeTheLayout) {
  const auto packets = Generate(TestAssets(), 0, 2.0);
  for (uint16_t pid : {0x0000, 0x0010, 0x0011, 0x0012, 0x0100, 0x0110, 0x0120}) {
    const auto sections = Sections(packets, pid);
    ASSERT_FALSE(sections.empty()) << "pid " << pid;
    for (const auto& section : sections) EXPECT_EQ(sim::Crc32Mpeg(section), 0u) << "pid " << pid;
  }
  const auto pat = Sections(packets, 0x0000).front();
  EXPECT_EQ(Word(pat, 3), 0x0001);  // transport_stream_id
  EXPECT_EQ(Word(pat, 10) & 0x1FFF, 0x0010);
  EXPECT_EQ(Word(pat, 12), 101);
  EXPECT_EQ(Word(pat, 14) & 0x1FFF, 0x0100);

  // Service 101's PMT: PCR on the video PID, then video, MP2 and AC-3.
  const auto pmt = Sections(packets, 0x0100).front();
  EXPECT_EQ(Word(pmt, 3), 101);
  EXPECT_EQ(Word(pmt, 8) & 0x1FFF, 0x0200);
  const size_t streams = 12 + (Word(pmt, 10) & 0x0FFF);
  EXPECT_EQ(pmt[streams], 0x02);
  EXPECT_EQ(Word(pmt, streams + 1) & 0x1FFF, 0x0200);

  // NIT actual: the network of 19.2 E and its three transport streams; NIT other: 13.0 E's.
  std::map<int, std::vector<uint8_t>> nits;
  for (const auto& section : Sections(packets, 0x0010)) nits[section[0]] = section;
  ASSERT_EQ(nits.size(), 2u);
  for (const auto& [table, nit] : nits) {
    const bool actual = table == 0x40;
    EXPECT_EQ(Word(nit, 3), actual ? 0x00B1 : 0x00B2);
    const size_t networkLength = Word(nit, 8) & 0x0FFF;
    ASSERT_EQ(nit[10], 0x40);
    EXPECT_EQ(std::string(nit.begin() + 12, nit.begin() + 12 + nit[11]),
              actual ? "Pelorus Sat Net" : "Pelorus Sat Est");
    size_t at = 10 + networkLength + 2;
    const size_t end = nit.size() - 4;
    std::set<int> orbits;
    std::set<int> streamIds;
    while (at + 6 <= end) {
      streamIds.insert(Word(nit, at));
      EXPECT_EQ(Word(nit, at + 2), Word(nit, 3)) << "original_network_id";
      const size_t descriptorsEnd = at + 6 + (Word(nit, at + 4) & 0x0FFF);
      for (size_t d = at + 6; d + 2 <= descriptorsEnd; d += 2 + nit[d + 1]) {
        if (nit[d] != 0x43) continue;
        orbits.insert(Word(nit, d + 6));
        if (Word(nit, at) == 0x0001) {
          // 11747 MHz, 19.2 E, horizontal, DVB-S QPSK, 27500 kS/s, 3/4.
          EXPECT_EQ(Word(nit, d + 2), 0x0117);
          EXPECT_EQ(Word(nit, d + 4), 0x4700);
          EXPECT_EQ(nit[d + 8], 0x81);
          EXPECT_EQ(Word(nit, d + 9), 0x0275);
          EXPECT_EQ(nit[d + 12], 0x03);
        }
        if (Word(nit, at) == 0x0006) {
          // 12322 MHz, 13.0 E, vertical, 6111 kS/s.
          EXPECT_EQ(Word(nit, d + 2), 0x0123);
          EXPECT_EQ(Word(nit, d + 4), 0x2200);
          EXPECT_EQ(nit[d + 8], 0xA1);
          EXPECT_EQ(Word(nit, d + 9), 0x0061);
          EXPECT_EQ(nit[d + 11], 0x11);
          EXPECT_EQ(nit[d + 12], 0x03);
        }
      }
      at = descriptorsEnd;
    }
    EXPECT_EQ(at, end);
    EXPECT_EQ(streamIds, actual ? (std::set<int>{1, 2, 3}) : (std::set<int>{4, 5, 6}));
    EXPECT_EQ(orbits, (std::set<int>{actual ? 0x0192 : 0x0130}));
  }

  const auto sdt = Sections(packets, 0x0011).front();
  EXPECT_EQ(sdt[0], 0x42);
  const std::string text(sdt.begin(), sdt.end());
  EXPECT_NE(text.find("Pelorus Notizie"), std::string::npos);
}

TEST_F(MultiplexTest, AnotherTransponderCarriesItsOwnIdsAndOneScrambledService) {
  const auto packets = Generate(TestAssets(), 1, 1.0);
  const auto pat = Sections(packets, 0x0000).front();
  EXPECT_EQ(Word(pat, 3), 0x0002);
  EXPECT_EQ(Word(pat, 12), 201);
  int scrambled = 0;
  for (const sim::Packet& p : packets) {
    const uint16_t pid = PidOf(p);
    const int control = p[3] >> 6;
    if ((pid == 0x0240 || pid == 0x02C0) && (p[3] & 0x10)) {
      EXPECT_EQ(control, 2);
      ++scrambled;
    } else {
      EXPECT_EQ(control, 0) << "pid " << pid;
    }
  }
  EXPECT_GT(scrambled, 10);

  // The CAT names the EMM PID, the scrambled service's PMT its ECM PID, in CA descriptors of
  // one CA system; both PIDs carry private sections, and the SDT sets free_CA_mode.
  const auto cat = Sections(packets, 0x0001);
  ASSERT_FALSE(cat.empty());
  EXPECT_EQ(cat.front()[0], 0x01);
  ASSERT_EQ(cat.front().size(), 8u + 6u + 4u);
  EXPECT_EQ(cat.front()[8], 0x09);
  const uint16_t caSystem = Word(cat.front(), 10);
  EXPECT_EQ(Word(cat.front(), 12) & 0x1FFF, sim::kEmmPid);
  const auto pmt = Sections(packets, 0x0120).front();
  ASSERT_EQ(Word(pmt, 10) & 0x0FFF, 6);
  EXPECT_EQ(pmt[12], 0x09);
  EXPECT_EQ(Word(pmt, 14), caSystem);
  EXPECT_EQ(Word(pmt, 16) & 0x1FFF, sim::kEcmPid);
  const auto ecms = Sections(packets, sim::kEcmPid);
  ASSERT_GT(ecms.size(), 5u);
  EXPECT_TRUE(ecms.front()[0] == 0x80 || ecms.front()[0] == 0x81);
  EXPECT_FALSE(Sections(Generate(TestAssets(), 1, 2.5), sim::kEmmPid).empty());  // one a second
  EXPECT_TRUE(Sections(Generate(TestAssets(), 0, 0.5), 0x0001).empty()) << "no CAT on TS 1";
  const auto sdt = Sections(packets, 0x0011).front();
  std::map<int, bool> freeCa;
  for (size_t at = 11; at + 5 <= sdt.size() - 4; at += 5 + (Word(sdt, at + 3) & 0x0FFF)) {
    freeCa[Word(sdt, at)] = (sdt[at + 3] & 0x10) != 0;
  }
  EXPECT_EQ(freeCa, (std::map<int, bool>{{201, false}, {202, false}, {203, true}}));
}

TEST_F(MultiplexTest, ClocksFollowThePacketTimeLine) {
  const uint64_t rate = 8000000;
  const auto packets = Generate(TestAssets(), 0, 5.0, rate);
  std::map<uint16_t, std::pair<size_t, int64_t>> lastPcr;
  std::map<uint16_t, int64_t> lastPts;
  int pcrs = 0;
  for (size_t n = 0; n < packets.size(); ++n) {
    const uint16_t pid = PidOf(packets[n]);
    const int64_t pcr = PcrOf(packets[n]);
    if (pcr >= 0) {
      ++pcrs;
      if (lastPcr.count(pid)) {
        const auto [index, value] = lastPcr[pid];
        // The PCR is the time at which its packet goes out, and comes at least every 40 ms.
        const int64_t expected = static_cast<int64_t>((n - index) * 1504 * 27000000 / rate);
        EXPECT_NEAR(pcr - value, expected, 1) << "pid " << pid;
        EXPECT_LE(pcr - value, 27000000 * 40 / 1000 + 27000) << "pid " << pid;
      }
      lastPcr[pid] = {n, pcr};
    }
    const int64_t pts = PtsOf(packets[n]);
    if (pts >= 0 && (pid == 0x0200 || pid == 0x0280 || pid == 0x0281)) {
      if (lastPts.count(pid)) {
        // One picture (3600), one MP2 frame (2160) or one AC-3 frame (2880) later, loops included.
        const int64_t step = pid == 0x0200 ? 3600 : pid == 0x0280 ? 2160 : 2880;
        EXPECT_EQ(pts - lastPts[pid], step) << "pid " << pid;
      }
      lastPts[pid] = pts;
    }
  }
  EXPECT_GT(pcrs, 200);
  EXPECT_TRUE(lastPcr.count(0x0200) && lastPcr.count(0x0221) && lastPcr.count(0x0240));
}

// A large picture on one service must not hold back the other services' streams: each audio
// and video PID is heard again within two pictures' time (it was 145 ms on TS 1 when the first
// service's pictures went out whole before the second's).
TEST_F(MultiplexTest, ServicesTakeTurnsSoNoStreamFallsSilent) {
  const uint64_t rate = 5000000;
  for (const int transponder : {0, 5}) {
    const auto packets = Generate(TestAssets(), transponder, 4.0, rate);
    std::map<uint16_t, size_t> last;
    std::map<uint16_t, size_t> longest;
    for (size_t n = 0; n < packets.size(); ++n) {
      const uint16_t pid = PidOf(packets[n]);
      if (pid < 0x0200 || pid == sim::kNullPid) continue;
      if (last.count(pid)) longest[pid] = std::max(longest[pid], n - last[pid]);
      last[pid] = n;
    }
    ASSERT_GE(longest.size(), 4u) << "transponder " << transponder;
    for (const auto& [pid, gap] : longest) {
      const double gapMs = static_cast<double>(gap) * 1504 * 1000 / static_cast<double>(rate);
      EXPECT_LT(gapMs, 80.0) << "transponder " << transponder << " pid " << pid;
    }
  }
}

TEST_F(MultiplexTest, TheScheduleSpansTwoDaysAndPresentFollowingTracksTheClock) {
  const int64_t start = 1'700'000'000;
  const auto events = sim::Schedule(start);
  ASSERT_FALSE(events.empty());
  EXPECT_LE(events.front().start, start);
  EXPECT_GE(events.back().start + events.back().durationSeconds - start, 48 * 3600);
  const auto packets = Generate(TestAssets(), 0, 2.0, 5000000, sim::TsFault::kNone, start);
  std::set<int> tables;
  bool selector05 = false;
  bool selector15 = false;
  for (const auto& section : Sections(packets, sim::kEitPid)) {
    tables.insert(section[0]);
    if (section[0] != 0x4E || section[6] != 0 || Word(section, 3) != 101) continue;
    // The present event is the one running at the clock start.
    ASSERT_GT(section.size(), 30u);
    const uint16_t id = Word(section, 14);
    const auto present =
        std::find_if(events.begin(), events.end(), [&](const auto& e) { return e.eventId == id; });
    ASSERT_NE(present, events.end());
    EXPECT_LE(present->start, start);
    EXPECT_GT(present->start + present->durationSeconds, start);
  }
  // Every segment from the day's midnight to the last event has a section; those before the
  // first event (in the past) are empty, and each closes its segment.
  const auto schedule = sim::BuildEitSchedule(0, 0, start);
  const int64_t midnight = start - start % 86400;
  const int firstSegment = static_cast<int>((events.front().start - midnight) / (3 * 3600));
  ASSERT_GT(firstSegment, 0);
  for (size_t k = 0; k < schedule.size(); ++k) {
    const auto& section = schedule[k];
    EXPECT_EQ(sim::Crc32Mpeg(section), 0u);
    EXPECT_EQ(section[6], k * 8) << "section_number";
    EXPECT_EQ(section[7], (schedule.size() - 1) * 8) << "last_section_number";
    EXPECT_EQ(section[12], k * 8) << "segment_last_section_number";
    const bool empty = section.size() == 14 + 4;
    EXPECT_EQ(empty, static_cast<int>(k) < firstSegment) << "segment " << k;
  }
  for (const auto& section : schedule) {
    const std::string text(section.begin(), section.end());
    selector05 |= text.find(
                      "\x05"
                      "Caff") != std::string::npos;
    selector15 |= text.find(
                      "\x15"
                      "Citt") != std::string::npos;
  }
  EXPECT_TRUE(selector05 && selector15);
  EXPECT_EQ(tables, (std::set<int>{0x4E, 0x50}));
  const auto tdt = sim::BuildTdt(start);
  // 2023-11-14 22:13:20 UTC: MJD 60262.
  EXPECT_EQ(tdt, (std::vector<uint8_t>{0x70, 0x70, 0x05, 0xEB, 0x66, 0x22, 0x13, 0x20}));
}

TEST_F(MultiplexTest, FaultsShowOnTheCurrentServiceOnly) {
  auto count = [](const std::vector<sim::Packet>& packets, auto predicate) {
    return std::count_if(packets.begin(), packets.end(), predicate);
  };
  const auto tei = Generate(TestAssets(), 0, 4.0, 5000000, sim::TsFault::kTei);
  EXPECT_GT(count(tei, [](const sim::Packet& p) { return (p[1] & 0x80) != 0; }), 0);
  EXPECT_EQ(count(tei, [](const sim::Packet& p) { return (p[1] & 0x80) && PidOf(p) != 0x200; }), 0);

  const auto badSync = Generate(TestAssets(), 0, 4.0, 5000000, sim::TsFault::kBadSync);
  EXPECT_GT(count(badSync, [](const sim::Packet& p) { return p[0] != 0x47; }), 0);

  const auto jumps = Generate(TestAssets(), 0, 4.0, 5000000, sim::TsFault::kCcJump);
  int last = -1;
  int errors = 0;
  for (const sim::Packet& p : jumps) {
    if (PidOf(p) != 0x200 || !(p[3] & 0x10)) continue;
    if (last >= 0 && (p[3] & 0x0F) != (last + 1) % 16) ++errors;
    last = p[3] & 0x0F;
  }
  EXPECT_GT(errors, 0);

  const auto stopped = Generate(TestAssets(), 0, 4.0, 5000000, sim::TsFault::kPidStop);
  size_t lastAudio = 0;
  for (size_t n = 0; n < stopped.size(); ++n) {
    if (PidOf(stopped[n]) == 0x280) lastAudio = n;
  }
  const double seconds = static_cast<double>(lastAudio) * 1504 / 5000000;
  EXPECT_GT(seconds, 1.5);
  EXPECT_LT(seconds, 2.5);
}

TEST_F(MultiplexTest, TuneDigitsFindTheirTransponder) {
  EXPECT_EQ(sim::FindTransponder(11747, 27500, false), 0);
  EXPECT_EQ(sim::FindTransponder(11778, 27500, true), 1);
  EXPECT_EQ(sim::FindTransponder(12322, 61110, true), 5);   // 6111 kS/s as the tune sends it
  EXPECT_EQ(sim::FindTransponder(11747, 27500, true), -1);  // wrong polarisation
  EXPECT_EQ(sim::FindTransponder(11748, 27500, false), -1);
}

}  // namespace
}  // namespace pelorus
