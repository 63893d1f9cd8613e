// The section view and the per-PID assembler on crafted packets: the layouts real multiplexes
// use (several sections in a packet, sections across packets, stuffing, adaptation fields) and
// what goes wrong on the way (lost, repeated and damaged packets, overlong sections).
#include "si/section_assembler.h"

#include <gtest/gtest.h>

#include "section_builder.h"
#include "si/section_walk.h"

namespace pelorus {
namespace {

using testing::Append;
using testing::Bytes;
using testing::Concat;
using testing::LongSection;
using testing::PacketiseCounted;
using testing::SectionPlace;
using testing::TsPacket;

// A section of `size` bytes in all (at least 12), its payload counting up from `seed`.
Bytes SectionOfSize(size_t size, uint8_t seed, uint16_t extension = 1) {
  Bytes payload;
  for (size_t i = 0; i + 12 < size; ++i) payload.push_back(static_cast<uint8_t>(seed + i));
  return LongSection(0x42, extension, payload);
}

struct Collector {
  std::vector<Bytes> sections;
  std::vector<bool> crcOk;
  SectionAssembler::SectionSink Sink() {
    return [this](const Section& section) {
      sections.emplace_back(section.bytes.begin(), section.bytes.end());
      crcOk.push_back(section.crcOk);
    };
  }
};

TEST(SectionTest, HeaderIsReadOnceAndTheCrcChecked) {
  const Bytes payload = {0xAA, 0xBB, 0xCC};
  const Bytes bytes = LongSection(0x4E, 0x1234, payload, true, SectionPlace{7, 2, 5, false});
  const std::optional<Section> section = Section::Parse(bytes);
  ASSERT_TRUE(section);
  EXPECT_EQ(section->tableId, 0x4E);
  EXPECT_TRUE(section->syntax);
  EXPECT_EQ(section->length, bytes.size() - 3);
  EXPECT_EQ(section->extension, 0x1234);
  EXPECT_EQ(section->version, 7);
  EXPECT_FALSE(section->current);
  EXPECT_EQ(section->number, 2);
  EXPECT_EQ(section->lastNumber, 5);
  EXPECT_EQ(Bytes(section->payload.begin(), section->payload.end()), payload);
  EXPECT_TRUE(section->hasCrc);
  EXPECT_TRUE(section->crcOk);
  EXPECT_FALSE(section->Usable());  // the next version, not the current one

  Bytes damaged = LongSection(0x42, 1, payload);
  damaged[9] ^= 0x40;
  EXPECT_FALSE(Section::Parse(damaged)->crcOk);
  // Bytes after the section are not its own; fewer than it says are no section.
  Bytes longer = LongSection(0x42, 1, payload);
  longer.push_back(0x99);
  EXPECT_EQ(Section::Parse(longer)->bytes.size(), longer.size() - 1);
  EXPECT_FALSE(Section::Parse(std::span(longer).first(longer.size() - 2)));
  // A long form too short for its header and CRC, and two bytes, are no section at all.
  EXPECT_FALSE(Section::Parse(Bytes{0x42, 0xB0, 0x04, 0, 1, 0xC1, 0, 0}));
  EXPECT_FALSE(Section::Parse(Bytes{0x42, 0xB0}));

  // The short form: the TDT carries no CRC, the TOT does.
  const Bytes tdt = {0x70, 0x70, 0x05, 0xC0, 0x79, 0x12, 0x45, 0x00};
  const std::optional<Section> time = Section::Parse(tdt);
  ASSERT_TRUE(time);
  EXPECT_FALSE(time->syntax);
  EXPECT_FALSE(time->hasCrc);
  EXPECT_EQ(time->payload.size(), 5u);
  EXPECT_TRUE(time->Usable());
  Bytes tot = {0x73, 0x70, 0x0B, 0xC0, 0x79, 0x12, 0x45, 0x00, 0xF0, 0x00};
  testing::PutCrc(tot);
  EXPECT_TRUE(Section::Parse(tot)->hasCrc);
  EXPECT_TRUE(Section::Parse(tot)->crcOk);
  EXPECT_EQ(Section::Parse(tot)->payload.size(), 7u);

  // A capture cut short is read as far as it goes.
  const std::optional<Section> cut = Section::ParseCut(std::span(bytes).first(10));
  ASSERT_TRUE(cut);
  EXPECT_FALSE(cut->whole);
  EXPECT_EQ(cut->payload.size(), 2u);
  EXPECT_FALSE(cut->crcOk);
}

TEST(SectionAssemblerTest, SeveralSectionsInAPacketAndOneAcrossThreeThenStuffing) {
  const Bytes a = SectionOfSize(40, 1);
  const Bytes b = SectionOfSize(50, 2);
  const Bytes c = SectionOfSize(400, 3);
  SectionAssembler assembler;
  Collector got;
  const std::vector<Bytes> packets = PacketiseCounted(0x11, Concat({a, b, c}));
  ASSERT_EQ(packets.size(), 3u);
  assembler.Feed(packets[0], got.Sink());
  ASSERT_EQ(got.sections.size(), 2u);  // a and b at once, c still coming
  EXPECT_EQ(got.sections[0], a);
  EXPECT_EQ(got.sections[1], b);
  assembler.Feed(packets[1], got.Sink());
  EXPECT_EQ(got.sections.size(), 2u);
  assembler.Feed(packets[2], got.Sink());
  ASSERT_EQ(got.sections.size(), 3u);
  EXPECT_EQ(got.sections[2], c);
  EXPECT_EQ(got.crcOk, (std::vector<bool>{true, true, true}));
  EXPECT_EQ(assembler.Held(), 0u);
  EXPECT_EQ(assembler.LostSections(), 0u);
}

TEST(SectionAssemblerTest, PointerFieldFinishesTheLastSectionAndStartsTheNext) {
  const Bytes first = SectionOfSize(300, 1);
  const Bytes second = SectionOfSize(30, 2);
  // Packet 1: the first 183 bytes of `first`; packet 2 starts a unit: its pointer field skips
  // the remaining 117 bytes of `first`, then `second` begins, then stuffing.
  Bytes start = {0x00};
  Append(start, Bytes(first.begin(), first.begin() + 183));
  Bytes next = {static_cast<uint8_t>(first.size() - 183)};
  Append(next, Bytes(first.begin() + 183, first.end()));
  Append(next, second);
  SectionAssembler assembler;
  Collector got;
  assembler.FeedPackets(Concat({TsPacket(0x10, true, 3, start), TsPacket(0x10, true, 4, next)}),
                        got.Sink());
  ASSERT_EQ(got.sections.size(), 2u);
  EXPECT_EQ(got.sections[0], first);
  EXPECT_EQ(got.sections[1], second);

  // Picking up in the middle of a stream: bytes before the pointer's target belong to a
  // section whose start was never seen, and are passed over.
  SectionAssembler late;
  Collector joined;
  late.Feed(TsPacket(0x10, false, 9, Bytes(184, 0x42)), joined.Sink());
  late.Feed(TsPacket(0x10, true, 10, next), joined.Sink());
  ASSERT_EQ(joined.sections.size(), 1u);
  EXPECT_EQ(joined.sections[0], second);

  // A section header split across the packet boundary.
  const Bytes third = SectionOfSize(60, 5);
  Bytes edge = {0x00};
  Append(edge, Bytes(182, 0xAB));  // a table 0xAB of 2990 bytes: more than the limit below
  SectionAssembler split;
  Collector splitGot;
  Bytes header = {0x00};
  const Bytes filler = SectionOfSize(182, 6);
  Append(header, filler);
  Append(header, Bytes(third.begin(), third.begin() + 1));
  Bytes rest(third.begin() + 1, third.end());
  split.FeedPackets(Concat({TsPacket(0x12, true, 0, header), TsPacket(0x12, false, 1, rest)}),
                    splitGot.Sink());
  ASSERT_EQ(splitGot.sections.size(), 2u);
  EXPECT_EQ(splitGot.sections[1], third);
  SectionAssembler junk(1024);
  junk.Feed(TsPacket(0x12, true, 0, edge), splitGot.Sink());
  EXPECT_EQ(junk.LostSections(), 1u);
}

TEST(SectionAssemblerTest, LostRepeatedAndDamagedPacketsAndOverlongSections) {
  const Bytes big = SectionOfSize(500, 1);
  const Bytes small = SectionOfSize(20, 2);
  const std::vector<Bytes> packets = PacketiseCounted(0x11, big, 5);
  ASSERT_EQ(packets.size(), 3u);

  // A repeated packet (same counter) is passed over: the section still comes whole, once.
  SectionAssembler repeat;
  Collector got;
  repeat.FeedPackets(Concat({packets[0], packets[1], packets[1], packets[2]}), got.Sink());
  ASSERT_EQ(got.sections.size(), 1u);
  EXPECT_EQ(got.sections[0], big);

  // A lost packet loses the section; the next unit is assembled again.
  SectionAssembler gap;
  Collector gapGot;
  gap.FeedPackets(Concat({packets[0], packets[2]}), gapGot.Sink());
  EXPECT_TRUE(gapGot.sections.empty());
  EXPECT_EQ(gap.LostSections(), 1u);
  gap.FeedPackets(Concat(PacketiseCounted(0x11, small, 8)), gapGot.Sink());
  ASSERT_EQ(gapGot.sections.size(), 1u);
  EXPECT_EQ(gapGot.sections[0], small);

  // A damaged packet (transport error indicator) and a missing sync byte lose it too.
  for (const auto& damage : {std::pair<size_t, uint8_t>{1, 0x80}, {0, 0x47}}) {
    SectionAssembler broken;
    Collector brokenGot;
    Bytes middle = packets[1];
    middle[damage.first] ^= damage.second;
    broken.FeedPackets(Concat({packets[0], middle, packets[2]}), brokenGot.Sink());
    EXPECT_TRUE(brokenGot.sections.empty());
    EXPECT_EQ(broken.LostSections(), 1u);
  }

  // A section longer than the limit is never assembled; one within it is.
  SectionAssembler limited(400);
  Collector limitedGot;
  limited.FeedPackets(Concat(PacketiseCounted(0x11, Concat({big}), 0)), limitedGot.Sink());
  limited.FeedPackets(Concat(PacketiseCounted(0x11, small, 3)), limitedGot.Sink());
  ASSERT_EQ(limitedGot.sections.size(), 1u);
  EXPECT_EQ(limitedGot.sections[0], small);
  EXPECT_EQ(limited.LostSections(), 1u);
}

TEST(SectionAssemblerTest, AdaptationFieldsAreSkippedAndPacketsWithoutPayloadIgnored) {
  const Bytes section = SectionOfSize(30, 1);
  // Adaptation field of 10 bytes, then the payload with its pointer field.
  Bytes packet = {0x47, 0x40, 0x11, 0x30, 10, 0x00};
  packet.insert(packet.end(), 9, 0xFF);
  packet.push_back(0x00);  // pointer field
  Append(packet, section);
  packet.resize(188, 0xFF);
  // An adaptation-only packet between two carries no counter step and no bytes.
  Bytes adaptationOnly = {0x47, 0x00, 0x11, 0x21, 183, 0x00};
  adaptationOnly.resize(188, 0xFF);
  SectionAssembler assembler;
  Collector got;
  assembler.FeedPackets(Concat({adaptationOnly, packet}), got.Sink());
  ASSERT_EQ(got.sections.size(), 1u);
  EXPECT_EQ(got.sections[0], section);

  // An adaptation field that claims more than the packet is a broken packet.
  Bytes lying = packet;
  lying[4] = 184;
  EXPECT_EQ(SplitPsiPayload(lying).status, PsiPayload::Status::kBroken);
  EXPECT_EQ(SplitPsiPayload(adaptationOnly).status, PsiPayload::Status::kNoPayload);
  // A CRC error is handed on, marked: the caller counts it.
  Bytes bad = section;
  bad[15] ^= 1;
  Collector badGot;
  SectionAssembler().FeedPackets(Concat(PacketiseCounted(0x11, bad)), badGot.Sink());
  EXPECT_EQ(badGot.crcOk, std::vector<bool>{false});
}

TEST(SectionWalkTest, StuffingTablesCarryNoCrcAndArePassedOver) {
  // A stuffing table as the standard has it: short form, no CRC. The sections after it are
  // still read, and no CRC error is counted.
  Bytes stuffing = {0x72, 0x70, 0x10};
  stuffing.insert(stuffing.end(), 16, 0xFF);
  const Bytes after = SectionOfSize(30, 1);
  std::vector<Bytes> seen;
  int crcErrors = 0;
  ForEachSection(
      Concat({after, stuffing, after}),
      [&](const Section& section) {
        seen.emplace_back(section.bytes.begin(), section.bytes.end());
      },
      crcErrors);
  EXPECT_EQ(seen, (std::vector<Bytes>{after, after}));
  EXPECT_EQ(crcErrors, 0);
}

}  // namespace
}  // namespace pelorus
