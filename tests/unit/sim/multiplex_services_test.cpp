// The kinds of service the stand-in receiver's six transport streams carry, read back from the
// generated packets with the test's own readers: what each PMT and SDT says, what the PIDs
// carry, and that every text can be read in the character table it names.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "sim/multiplex_layout.h"
#include "sim/si_tables.h"
#include "ts_reading.h"

namespace pelorus {
namespace {

using testing::Generate;
using testing::PidOf;
using testing::Sections;
using testing::TestAssets;
using testing::Word;

struct PmtStream {
  int type;
  int pid;
};

struct SdtService {
  int type = 0;
  bool eitFlags = false;
  bool freeCa = false;
  std::string provider;
  std::string name;
};

std::vector<PmtStream> StreamsOf(const std::vector<uint8_t>& pmt) {
  std::vector<PmtStream> streams;
  size_t at = 12 + (Word(pmt, 10) & 0x0FFF);
  while (at + 5 <= pmt.size() - 4) {
    streams.push_back({pmt[at], Word(pmt, at + 1) & 0x1FFF});
    at += 5 + (Word(pmt, at + 3) & 0x0FFF);
  }
  return streams;
}

// The services of every SDT section, by section number, each section once.
std::map<int, std::map<int, SdtService>> SdtSections(const std::vector<sim::Packet>& packets) {
  std::map<int, std::map<int, SdtService>> sections;
  for (const auto& sdt : Sections(packets, sim::kSdtPid)) {
    EXPECT_EQ(sim::Crc32Mpeg(sdt), 0u);
    auto& services = sections[sdt[6]];
    for (size_t at = 11; at + 5 <= sdt.size() - 4; at += 5 + (Word(sdt, at + 3) & 0x0FFF)) {
      SdtService& service = services[Word(sdt, at)];
      service.eitFlags = (sdt[at + 2] & 0x03) == 0x03;
      service.freeCa = (sdt[at + 3] & 0x10) != 0;
      const size_t end = at + 5 + (Word(sdt, at + 3) & 0x0FFF);
      for (size_t d = at + 5; d + 2 <= end; d += 2 + sdt[d + 1]) {
        if (sdt[d] != 0x48) continue;
        service.type = sdt[d + 2];
        const size_t providerLength = sdt[d + 3];
        service.provider.assign(sdt.begin() + static_cast<long>(d) + 4,
                                sdt.begin() + static_cast<long>(d + 4 + providerLength));
        const size_t nameAt = d + 4 + providerLength;
        service.name.assign(sdt.begin() + static_cast<long>(nameAt) + 1,
                            sdt.begin() + static_cast<long>(nameAt + 1 + sdt[nameAt]));
      }
    }
  }
  return sections;
}

// The first payload of a PES packet on `pid` after its PES header.
std::vector<uint8_t> FirstPesPayload(const std::vector<sim::Packet>& packets, uint16_t pid) {
  for (const sim::Packet& p : packets) {
    if (PidOf(p) != pid || !(p[1] & 0x40)) continue;
    const size_t at = (p[3] & 0x20) ? 5 + p[4] : 4;
    if (at + 9 > 188 || p[at] != 0 || p[at + 1] != 0 || p[at + 2] != 1) continue;
    const size_t payload = at + 9 + p[at + 8];
    if (payload < 188) return {p.begin() + static_cast<long>(payload), p.end()};
  }
  return {};
}

TEST(MultiplexServicesTest, EveryKindOfServiceIsWhereTheLayoutPutsItAndTheTablesAgree) {
  ASSERT_EQ(TestAssets().error, "");
  std::set<int> kinds;
  for (int t = 0; t < static_cast<int>(sim::kTransponders.size()); ++t) {
    SCOPED_TRACE("transponder " + std::to_string(t));
    const auto packets = Generate(TestAssets(), t, 1.2);
    const auto pat = Sections(packets, sim::kPatPid).front();
    EXPECT_EQ(static_cast<int>(pat.size() - 12) / 4 - 1, sim::ServiceCount(t)) << "programmes";

    const auto sdt = SdtSections(packets);
    std::map<int, SdtService> services;
    for (const auto& [number, part] : sdt) services.insert(part.begin(), part.end());
    EXPECT_EQ(static_cast<int>(services.size()), sim::ServiceCount(t));
    EXPECT_EQ(sdt.size(), t == 5 ? 2u : 1u) << "SDT sections";

    for (int s = 0; s < sim::ServiceCount(t); ++s) {
      const sim::ServiceLayout layout = sim::ServiceAt(t, s);
      SCOPED_TRACE("service " + std::to_string(layout.serviceId));
      const SdtService& described = services[layout.serviceId];
      EXPECT_EQ(described.name, layout.name);
      EXPECT_EQ(described.type, layout.serviceType);
      EXPECT_EQ(described.freeCa, layout.scrambled);
      EXPECT_EQ(described.eitFlags, layout.kind != sim::ServiceKind::kData);
      kinds.insert(described.type);

      const auto pmt = Sections(packets, layout.pids.pmt).front();
      const auto streams = StreamsOf(pmt);
      std::set<int> types;
      for (const PmtStream& stream : streams) types.insert(stream.type);
      const int pcr = Word(pmt, 8) & 0x1FFF;
      switch (described.type) {
        case 0x01:  // MPEG-2 television
          EXPECT_TRUE(types.count(0x02) && types.count(0x03));
          break;
        case 0x16: {  // H.264 television: PES of access units, each begun by its delimiter
          ASSERT_EQ(streams.front().type, 0x1B);
          EXPECT_EQ(pcr, streams.front().pid);
          const auto payload = FirstPesPayload(packets, static_cast<uint16_t>(pcr));
          ASSERT_GE(payload.size(), 6u);
          EXPECT_EQ(std::vector<uint8_t>(payload.begin(), payload.begin() + 5),
                    (std::vector<uint8_t>{0, 0, 0, 1, 0x09}));
          break;
        }
        case 0x02:  // radio: audio only, the clock on the audio PID
          EXPECT_EQ(types, (std::set<int>{0x03}));
          EXPECT_EQ(pcr, streams.front().pid);
          break;
        case 0x0C: {  // data: private sections, no clock, nothing to see or hear
          EXPECT_EQ(types, (std::set<int>{0x05}));
          EXPECT_EQ(pcr, 0x1FFF);
          const auto data = Sections(packets, static_cast<uint16_t>(streams.front().pid));
          ASSERT_FALSE(data.empty());
          EXPECT_EQ(data.front()[0], 0x90);
          EXPECT_EQ(sim::Crc32Mpeg(data.front()), 0u);
          break;
        }
        default:
          ADD_FAILURE() << "service type " << described.type;
      }
      for (const PmtStream& stream : streams) {
        const bool carried = std::any_of(packets.begin(), packets.end(),
                                         [&](const auto& p) { return PidOf(p) == stream.pid; });
        EXPECT_TRUE(carried) << "pid " << stream.pid;
      }
    }
  }
  EXPECT_EQ(kinds, (std::set<int>{0x01, 0x02, 0x0C, 0x16}));
}

// Whether `text` is readable as DVB text: without a selector byte only the characters the
// default table shares with ASCII; after 0x15 well-formed UTF-8; after 0x05 (ISO 8859-9) any
// byte from 0x20 up.
bool ReadableText(const std::string& text) {
  if (text.empty()) return true;
  const auto first = static_cast<uint8_t>(text[0]);
  if (first >= 0x20) {
    return std::all_of(text.begin(), text.end(), [](char c) {
      return static_cast<uint8_t>(c) >= 0x20 && static_cast<uint8_t>(c) < 0x80;
    });
  }
  if (first == 0x05) {
    return std::all_of(text.begin() + 1, text.end(),
                       [](char c) { return static_cast<uint8_t>(c) >= 0x20; });
  }
  if (first != 0x15) return false;
  for (size_t i = 1; i < text.size();) {
    const auto lead = static_cast<uint8_t>(text[i]);
    const size_t more = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : 3;
    if (lead >= 0xF8 || (lead >= 0x80 && lead < 0xC2)) return false;
    if (more > 0 && i + more >= text.size()) return false;  // cut inside a character
    for (size_t k = 1; k <= more; ++k) {
      if ((static_cast<uint8_t>(text[i + k]) & 0xC0) != 0x80) return false;
    }
    i += 1 + more;
  }
  return true;
}

TEST(MultiplexServicesTest, EveryTextIsReadableInTheCharacterTableItNames) {
  EXPECT_TRUE(ReadableText("Telegiornale"));
  EXPECT_FALSE(ReadableText("Citt\xC3\xA0"));  // UTF-8 without its selector
  EXPECT_FALSE(
      ReadableText("\x15"
                   "Citt\xC3"));
  EXPECT_TRUE(
      ReadableText("\x15"
                   "Citt\xC3\xA0"));
  int checked = 0;
  for (int t = 0; t < static_cast<int>(sim::kTransponders.size()); ++t) {
    for (int s = 0; s < sim::ServiceCount(t); ++s) {
      const sim::ServiceLayout layout = sim::ServiceAt(t, s);
      EXPECT_TRUE(ReadableText(std::string(layout.name))) << layout.serviceId;
      EXPECT_TRUE(ReadableText(std::string(layout.provider))) << layout.serviceId;
    }
  }
  // Every event name and text of a schedule, as the short and extended descriptors carry them.
  for (const auto& section : sim::BuildEitSchedule(0, 0, 1'700'000'000)) {
    for (size_t at = 14; at + 12 <= section.size() - 4;
         at += 12 + (Word(section, at + 10) & 0x0FFF)) {
      const size_t end = at + 12 + (Word(section, at + 10) & 0x0FFF);
      for (size_t d = at + 12; d + 2 <= end; d += 2 + section[d + 1]) {
        std::string text;
        if (section[d] == 0x4D) {
          text.assign(section.begin() + static_cast<long>(d) + 6,
                      section.begin() + static_cast<long>(d + 6 + section[d + 5]));
        } else if (section[d] == 0x4E) {
          const size_t textAt = d + 7 + section[d + 6];
          text.assign(section.begin() + static_cast<long>(textAt) + 1,
                      section.begin() + static_cast<long>(textAt + 1 + section[textAt]));
        } else {
          continue;
        }
        EXPECT_TRUE(ReadableText(text)) << text;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 20);
}

TEST(MultiplexServicesTest, TheTestCardIsFourByThreeAndTheH264CardIsCutAtItsDelimiters) {
  const auto& video = TestAssets().video.bytes;
  int headers = 0;
  for (size_t i = 0; i + 8 <= video.size(); ++i) {
    if (video[i] || video[i + 1] || video[i + 2] != 1 || video[i + 3] != 0xB3) continue;
    EXPECT_EQ(video[i + 7] >> 4, 2) << "aspect_ratio_information";
    ++headers;
  }
  EXPECT_GT(headers, 0);

  const sim::ElementaryStream& h264 = TestAssets().h264;
  ASSERT_EQ(h264.units.size(), 50u);  // 2 s at 25 pictures a second
  size_t end = 0;
  for (const sim::AccessUnit& unit : h264.units) {
    EXPECT_EQ(unit.offset, end);
    ASSERT_GE(unit.size, 6u);
    EXPECT_EQ(h264.bytes[unit.offset + 4], 0x09);
    end = unit.offset + unit.size;
  }
  EXPECT_EQ(end, h264.bytes.size());
  // A stream without delimiters is cut where a picture's first slice follows another's.
  const std::vector<uint8_t> bare = {0, 0, 1, 0x67, 0x42, 0, 0, 1, 0x65, 0x88, 0x10,
                                     0, 0, 1, 0x41, 0x9A, 0, 0, 1, 0x41, 0x10, 0x20};
  const auto units = sim::SplitH264(bare);
  ASSERT_EQ(units.size(), 2u);
  EXPECT_EQ(units[0].size, 11u);
  EXPECT_EQ(units[1].offset, 11u);
}

}  // namespace
}  // namespace pelorus
