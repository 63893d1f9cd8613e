// The analysis of a recording: its tables, services and guide, its PIDs and bit rate, the
// packets found again in any cutting (M2TS, junk, a cut, a torn tail), and the files it refuses.
#include "si/ts_file_analysis.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <map>

#include "common/strfmt.h"
#include "section_builder.h"
#include "si/messages.h"
#include "si/ts_file_listing.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::Append;
using testing::Bytes;
using testing::Descriptor;
using testing::LongSection;
using testing::Text;
using testing::U16;

// A small multiplex written packet by packet, each PID's continuity counter kept.
struct Mux {
  Bytes out;
  std::map<uint16_t, uint8_t> counters;
  size_t packets = 0;
  std::vector<size_t> pcrAt;  // the packet index of every PCR

  void Table(uint16_t pid, const Bytes& sections) {
    const auto made = testing::PacketiseCounted(pid, sections, counters[pid]);
    counters[pid] = static_cast<uint8_t>(counters[pid] + made.size());
    for (const Bytes& packet : made) Put(packet);
  }
  void Pcr(uint16_t pid, uint64_t pcr) {
    Bytes packet = {0x47,
                    static_cast<uint8_t>(pid >> 8),
                    static_cast<uint8_t>(pid),
                    static_cast<uint8_t>(0x20 | (counters[pid] & 0x0F)),
                    183,
                    0x10};
    const uint64_t base = pcr / 300;
    const uint64_t extension = pcr % 300;
    packet.push_back(static_cast<uint8_t>(base >> 25));
    packet.push_back(static_cast<uint8_t>(base >> 17));
    packet.push_back(static_cast<uint8_t>(base >> 9));
    packet.push_back(static_cast<uint8_t>(base >> 1));
    packet.push_back(static_cast<uint8_t>(((base & 1) << 7) | 0x7E | (extension >> 8)));
    packet.push_back(static_cast<uint8_t>(extension));
    packet.resize(188, 0xFF);
    pcrAt.push_back(packets);
    Put(packet);
  }
  void Payload(uint16_t pid, bool scrambled = false) {
    Bytes packet = {0x47, static_cast<uint8_t>(pid >> 8), static_cast<uint8_t>(pid),
                    static_cast<uint8_t>((scrambled ? 0x80 : 0) | 0x10 | (counters[pid]++ & 0x0F))};
    packet.resize(188, 0x55);
    Put(packet);
  }
  void Put(const Bytes& packet) {
    Append(out, packet);
    ++packets;
  }
};

Bytes PatBytes() {
  Bytes payload;
  for (const auto& [number, pid] : {std::pair{101, 0x100}, std::pair{102, 0x110}}) {
    U16(payload, number);
    U16(payload, 0xE000 | pid);
  }
  return LongSection(0x00, 0x0042, payload);
}

Bytes PmtBytes(uint16_t number, uint16_t pcr,
               const std::vector<std::pair<uint8_t, uint16_t>>& streams, bool ca) {
  Bytes info;
  if (ca) info = Descriptor(0x09, {0x0B, 0x00, 0xE0 | 0x06, 0x00});  // system 0b00 on PID 0600
  Bytes payload;
  U16(payload, 0xE000 | pcr);
  U16(payload, 0xF000 | info.size());
  Append(payload, info);
  for (const auto& [type, pid] : streams) {
    payload.push_back(type);
    U16(payload, 0xE000 | pid);
    U16(payload, 0xF000);
  }
  return LongSection(0x02, number, payload);
}

// Services 101 and 102 as any SDT has them; 103 with free_CA_mode set.
Bytes BuildSdt() {
  Bytes payload;
  U16(payload, 0x0002);
  payload.push_back(0xFF);
  for (const auto& [id, name, freeCa] :
       {std::tuple{101, "Uno", false}, std::tuple{102, "Due", false},
        std::tuple{103, "Tre", true}}) {
    Bytes body = {0x01, 4};
    Append(body, Text("Prov"));
    body.push_back(static_cast<uint8_t>(std::string(name).size()));
    Append(body, Text(name));
    const Bytes descriptor = Descriptor(0x48, body);
    U16(payload, id);
    payload.push_back(0xFC);
    U16(payload, (freeCa ? 0x9000 : 0x8000) | descriptor.size());
    Append(payload, descriptor);
  }
  return LongSection(0x42, 0x0042, payload);
}

constexpr int kRounds = 200;
constexpr uint64_t kPcrStep = 2700;  // 100 us between rounds of ten packets: 150.4 Mbit/s

// EIT first (before any SDT), then the tables, then rounds of PCR, video, audio, a scrambled
// PID and null packets, the tables once more halfway.
Mux Multiplex() {
  Mux mux;
  mux.Table(0x12, testing::BuildEit(101, {{1, 0xE6F1, 0x200000, 0x013000, "Notizie", ""},
                                          {2, 0xE6F1, 0x213000, 0x003000, "Meteo", "Sole"}}));
  mux.Table(0x12, testing::BuildEit(999, {{5, 0xE6F1, 0x200000, 0x010000, "Altrove", ""}}));
  Bytes broken = testing::BuildEit(101, {{3, 0xE6F1, 0x220000, 0x010000, "Rotto", ""}});
  broken.back() ^= 0x01;
  mux.Table(0x12, broken);
  for (int round = 0; round < kRounds; ++round) {
    if (round == 0 || round == kRounds / 2) {
      mux.Table(0x00, PatBytes());
      mux.Table(0x100, PmtBytes(101, 0x200, {{0x02, 0x200}, {0x04, 0x201}}, false));
      mux.Table(0x110, PmtBytes(102, 0x200, {{0x02, 0x300}}, true));
      mux.Table(0x11, BuildSdt());
    }
    mux.Pcr(0x200, 1000 + kPcrStep * static_cast<uint64_t>(round));
    for (int i = 0; i < 4; ++i) mux.Payload(0x200);
    for (int i = 0; i < 2; ++i) mux.Payload(0x201);
    for (int i = 0; i < 2; ++i) mux.Payload(0x300, true);
    mux.Payload(0x1FFF);
  }
  return mux;
}

Bytes AsM2ts(const Bytes& plain) {
  Bytes m2ts;
  for (size_t at = 0; at + 188 <= plain.size(); at += 188) {
    m2ts.insert(m2ts.end(), {0x40, 0x00, 0x12, static_cast<uint8_t>(at / 188)});
    m2ts.insert(m2ts.end(), plain.begin() + static_cast<long>(at),
                plain.begin() + static_cast<long>(at + 188));
  }
  return m2ts;
}

TEST(TsFileAnalysisTest, TablesServicesGuideAndPidsOfAMultiplex) {
  const Mux mux = Multiplex();
  const TsFileAnalysis analysis = AnalyseTsBytes(mux.out);
  EXPECT_EQ(analysis.packetSize, 188u);
  EXPECT_EQ(analysis.packets, mux.packets);
  EXPECT_EQ(analysis.skippedBytes, 0u);

  ASSERT_TRUE(analysis.pat && analysis.sdt);
  EXPECT_FALSE(analysis.nit);
  ASSERT_EQ(analysis.pmts.size(), 2u);
  const SiListing listing = ListSi(analysis);
  EXPECT_TRUE(listing.nitMissing);
  EXPECT_EQ(listing.pmtsMissing, 0);
  const std::vector<std::string> expected = {
      "transport_stream\t0042",
      "program\t101\t0100",
      "pcr\t0200",
      "stream\t02\t0200",
      "stream\t04\t0201",
      "program\t102\t0110",
      "pcr\t0200",
      "stream\t02\t0300",
      "service\t0065\t01\tProv\tUno",
      "service\t0066\t01\tProv\tDue\tscrambled",  // a CA descriptor in its PMT
      "service\t0067\t01\tProv\tTre\tscrambled",  // free_CA_mode
  };
  EXPECT_EQ(listing.lines, expected);

  // The PID list: counts, what each carries, the marks, the share of the PCR's bit rate.
  const std::vector<PidTexts> pids = DescribePids(analysis);
  std::map<std::string, PidTexts> byPid;
  for (const PidTexts& row : pids) byPid[row.pid] = row;
  ASSERT_EQ(byPid.size(), 9u);  // 0000 0011 0012 0100 0110 0200 0201 0300 1fff
  EXPECT_EQ(byPid["0201"].packets, std::to_string(2 * kRounds));
  EXPECT_EQ(byPid["0200"].packets, std::to_string(5 * kRounds));
  EXPECT_EQ(byPid["0000"].content, "PAT");
  EXPECT_EQ(byPid["0110"].content, "PMT");
  EXPECT_EQ(byPid["0011"].content, "SDT/BAT");
  EXPECT_EQ(byPid["0201"].content, "04");
  EXPECT_EQ(byPid["1fff"].content, "null");
  EXPECT_TRUE(byPid["0200"].pcr);
  EXPECT_FALSE(byPid["0201"].pcr);
  EXPECT_TRUE(byPid["0300"].scrambled);
  EXPECT_FALSE(byPid["0200"].scrambled);
  EXPECT_EQ(PidLine(byPid["0300"]).substr(0, 9), "0300\t400\t");
  EXPECT_NE(PidLine(byPid["0300"]).find("\t02\tscrambled"), std::string::npos);
  ASSERT_TRUE(analysis.bitRate);
  // Every PCR is ten packets after the last, but the tables halfway add packets between two.
  const double between = static_cast<double>(mux.pcrAt.back() - mux.pcrAt.front());
  EXPECT_GT(between, 10.0 * (kRounds - 1));
  EXPECT_NEAR(*analysis.bitRate, between * 1504 * 27e6 / (kPcrStep * (kRounds - 1)), 1.0);
  const double share = *analysis.bitRate * 2 * kRounds / static_cast<double>(mux.packets) / 1000;
  EXPECT_EQ(byPid["0201"].kbps, Format("%.1f", share));

  // The events that came before the SDT are kept; the service no SDT named has none; the
  // section with a wrong CRC is counted and not taken.
  EXPECT_EQ(analysis.crcErrors, 1);
  const Guide::Counters counters = analysis.guide->Peek();
  EXPECT_EQ(counters.services, 3);
  EXPECT_EQ(counters.events, 2);
  analysis.guide->Read([](const std::map<uint16_t, ServiceEntry>& services) {
    ASSERT_TRUE(services.contains(101));
    EXPECT_EQ(services.at(101).events.size(), 2u);
    EXPECT_EQ(services.at(101).events[1].extendedText, "Sole");
    EXPECT_FALSE(services.contains(999));
  });
}

TEST(TsFileAnalysisTest, PacketsAreFoundInAnyCuttingOfTheFile) {
  const Mux mux = Multiplex();
  const Bytes plain = mux.out;
  Bytes junk(50, 0x47);  // sync-looking bytes that two more packets do not confirm
  junk[10] = 0x00;
  Bytes junked = junk;
  Append(junked, plain);
  Bytes cut = plain;  // 100 bytes out of packet 300: it reads 188 bytes, the next is lost
  cut.erase(cut.begin() + 300 * 188 + 50, cut.begin() + 300 * 188 + 150);
  Bytes torn = plain;
  torn.insert(torn.end(), plain.begin(), plain.begin() + 100);

  struct Case {
    const char* what;
    Bytes bytes;
    size_t packetSize;
    uint64_t packets;
    uint64_t skipped;
  };
  const std::vector<Case> cases = {
      {"plain", plain, 188, mux.packets, 0},
      {"M2TS", AsM2ts(plain), 192, mux.packets, 0},
      {"junk at the start", junked, 188, mux.packets, 50},
      {"M2TS after junk",
       [&] {
         Bytes bytes = junk;
         Append(bytes, AsM2ts(plain));
         return bytes;
       }(),
       192, mux.packets, 50},
      {"a cut of 100 bytes", cut, 188, mux.packets - 1, 88},
      {"a torn last packet", torn, 188, mux.packets, 100},
  };
  for (const Case& c : cases) {
    for (const size_t block : {size_t{1}, size_t{187}, size_t{4096}, size_t{1} << 20}) {
      SCOPED_TRACE(std::string(c.what) + ", blocks of " + std::to_string(block));
      const TsFileAnalysis analysis = AnalyseTsBytes(c.bytes, block);
      EXPECT_EQ(analysis.packetSize, c.packetSize);
      EXPECT_EQ(analysis.packets, c.packets);
      EXPECT_EQ(analysis.skippedBytes, c.skipped);
      EXPECT_TRUE(analysis.pat && analysis.sdt && analysis.pmts.size() == 2);
      EXPECT_EQ(analysis.guide->Peek().events, 2);
    }
  }
}

TEST(TsFileAnalysisTest, ShortFilesAndFilesThatAreNoTransportStream) {
  const Mux mux = Multiplex();
  // One packet, and two, are still a stream; a text full of 'G' (0x47) is not.
  EXPECT_EQ(AnalyseTsBytes(Bytes(mux.out.begin(), mux.out.begin() + 188)).packets, 1u);
  EXPECT_EQ(AnalyseTsBytes(Bytes(mux.out.begin(), mux.out.begin() + 376)).packets, 2u);
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "Good Grief, Gianni! ";
  const TsFileAnalysis none = AnalyseTsBytes(Text(text));
  EXPECT_EQ(none.packets, 0u);
  EXPECT_EQ(none.packetSize, 0u);
  EXPECT_EQ(none.skippedBytes, text.size());
}

TEST(TsFileAnalysisTest, TheFileReadSaysWhyItCannotAnalyse) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("empty.ts"), {});
  testing::WriteBytes(dir.File("text.ts"), Text(std::string(5000, 'x')));
  testing::WriteBytes(dir.File("good.ts"), Multiplex().out);
  ASSERT_EQ(::mkfifo(dir.File("fifo.ts").c_str(), 0600), 0);
  struct Case {
    std::string path;
    const char* message;
    std::string detail;
  };
  const std::vector<Case> cases = {
      {dir.File("missing.ts"), msg::si::kTsFileUnreadable,
       dir.File("missing.ts") + ": No such file or directory"},
      {dir.path().string(), msg::si::kTsFileUnreadable,
       dir.path().string() + ": not a regular file"},
      // A FIFO is refused at once: opening one waits for a writer.
      {dir.File("fifo.ts"), msg::si::kTsFileUnreadable,
       dir.File("fifo.ts") + ": not a regular file"},
      {dir.File("empty.ts"), msg::si::kTsFileEmpty, dir.File("empty.ts")},
      {dir.File("text.ts"), msg::si::kTsFileNotTs, dir.File("text.ts")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Worker worker;
    TsFileAnalysis analysis;
    worker.Start([&](RunControl& control) { return AnalyseTsFile(c.path, control, analysis); });
    const RunResult result = worker.Join();
    ASSERT_TRUE(result.Failed());
    EXPECT_EQ(result.message, Format(c.message, c.path.c_str()));
    EXPECT_EQ(result.detail, c.detail);
  }

  // A good file: done with progress up to 100; stopped before the first block: nothing read.
  Worker worker;
  TsFileAnalysis analysis;
  int lastPercent = -1;
  worker.Start(
      [&](RunControl& control) { return AnalyseTsFile(dir.File("good.ts"), control, analysis); },
      {[&](int percent, const std::string&) { lastPercent = percent; }, {}});
  EXPECT_EQ(worker.Join().outcome, RunOutcome::kDone);
  EXPECT_EQ(lastPercent, 100);
  EXPECT_EQ(analysis.pmts.size(), 2u);
  worker.Start([&](RunControl& control) {
    worker.RequestStop();
    return AnalyseTsFile(dir.File("good.ts"), control, analysis);
  });
  const RunResult stopped = worker.Join();
  EXPECT_TRUE(stopped.Failed());
  EXPECT_EQ(stopped.message, Format(msg::si::kTsFileNothingRead, dir.File("good.ts").c_str()));
}

}  // namespace
}  // namespace pelorus
