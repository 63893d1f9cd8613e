#include "si/si_tables.h"

#include <gtest/gtest.h>

#include "section_builder.h"
#include "si/si_reader.h"

namespace pelorus {
namespace {

using testing::Append;
using testing::Bytes;
using testing::Descriptor;
using testing::LongSection;
using testing::U16;

const Bytes kExampleDelivery = {0x01, 0x17, 0x50, 0x00, 0x01, 0x92, 0xC0, 0x02, 0x75, 0x00, 0x03};

// A NIT with the given network descriptors and one transport stream per descriptor list.
Bytes NitBytes(uint16_t networkId, const Bytes& networkDescriptors,
               const std::vector<Bytes>& streamDescriptors) {
  Bytes payload;
  U16(payload, 0xF000 | networkDescriptors.size());
  Append(payload, networkDescriptors);
  Bytes loop;
  uint16_t tsid = 1;
  for (const Bytes& descriptors : streamDescriptors) {
    U16(loop, tsid++);
    U16(loop, networkId);
    U16(loop, 0xF000 | descriptors.size());
    Append(loop, descriptors);
  }
  U16(payload, 0xF000 | loop.size());
  Append(payload, loop);
  return LongSection(0x40, networkId, payload);
}

TEST(SiTablesTest, DeliveryDescriptorExampleAndFecTexts) {
  const DeliveryEntry entry = ParseDeliveryDescriptor(kExampleDelivery);
  EXPECT_EQ(entry.frequency, 1175000);
  EXPECT_EQ(entry.orbitalPosition, 192);
  EXPECT_TRUE(entry.east);
  EXPECT_EQ(entry.polarisation, 2);
  EXPECT_EQ(entry.symbolRate, 275000);
  EXPECT_EQ(entry.fec, 3);
  const DeliveryTexts texts = DescribeDelivery(entry);
  EXPECT_EQ(texts.list, "11750");
  EXPECT_EQ(texts.frequency, "11750.00 MHz");
  EXPECT_EQ(texts.orbit, "19.2 E");
  EXPECT_EQ(texts.polarisation, "LHCP");
  EXPECT_EQ(texts.symbolRate, "27.50000 MSps");
  EXPECT_EQ(texts.fec, "3/4");

  EXPECT_STREQ(DeliveryFecText(0), "Unknown");
  EXPECT_STREQ(DeliveryFecText(1), "1/2");
  EXPECT_STREQ(DeliveryFecText(5), "7/8");
  for (int fec = 6; fec <= 14; ++fec) EXPECT_STREQ(DeliveryFecText(fec), "Unknown") << fec;
  EXPECT_STREQ(DeliveryFecText(15), "None");

  // West, vertical; digits stop at the first nibble that is not one; a short body reads zeros.
  const DeliveryEntry west =
      ParseDeliveryDescriptor(Bytes{0x01, 0x2A, 0x00, 0x00, 0x00, 0x50, 0x20, 0, 0, 0, 0x0F});
  EXPECT_EQ(west.frequency, 12);
  EXPECT_EQ(DescribeDelivery(west).orbit, "5.0 W");
  EXPECT_EQ(DescribeDelivery(west).polarisation, "V");
  EXPECT_EQ(DescribeDelivery(west).fec, "None");
  EXPECT_EQ(ParseDeliveryDescriptor(Bytes{0x01}).frequency, 1000000);
}

TEST(SiTablesTest, NitGivesTheLastNameAndEveryDeliveryLine) {
  Bytes names = Descriptor(0x40, testing::Text("First"));
  Append(names, Descriptor(0x41, Bytes{1, 2, 3}));
  Append(names, Descriptor(0x40, testing::Text("Astra Net")));
  Bytes second = Descriptor(0x41, Bytes{0, 1, 1});
  Append(second, Descriptor(0x43, kExampleDelivery));
  const Bytes section = NitBytes(0x0085, names, {Descriptor(0x43, kExampleDelivery), second, {}});
  const std::optional<NitInfo> nit = ParseNit(section);
  ASSERT_TRUE(nit);
  EXPECT_EQ(nit->networkId, 0x0085);
  EXPECT_EQ(nit->networkName, "Astra Net");
  ASSERT_EQ(nit->deliveries.size(), 2u);
  EXPECT_EQ(nit->deliveries[1].frequencyMhz, 11750);

  // No name descriptor: an empty name.
  EXPECT_EQ(ParseNit(NitBytes(1, {}, {}))->networkName, "");
  // Lengths that point past the section end the loops, never the program.
  Bytes lying = section;
  lying[8] = 0xFF;
  lying[9] = 0xFF;
  ASSERT_TRUE(ParseNit(lying));
  EXPECT_TRUE(ParseNit(lying)->deliveries.empty());
  for (size_t cut = 0; cut < section.size(); ++cut) {
    const auto parsed = ParseNit(std::span(section).first(cut));
    EXPECT_EQ(parsed.has_value(), cut >= 10) << cut;
  }
}

TEST(SiTablesTest, PatLeavesOutProgrammeZeroAndPmtListsItsStreams) {
  Bytes programs;
  for (const auto& [number, pid] : {std::pair{0, 0x10}, {101, 0x100}, {102, 0x200}}) {
    U16(programs, number);
    U16(programs, 0xE000 | pid);
  }
  const std::optional<PatInfo> pat = ParsePat(LongSection(0x00, 0x0437, programs));
  ASSERT_TRUE(pat);
  EXPECT_EQ(pat->transportStreamId, 0x0437);
  ASSERT_EQ(pat->programs.size(), 2u);
  EXPECT_EQ(pat->programs[0].programNumber, 101);
  EXPECT_EQ(pat->programs[0].pmtPid, 0x100);
  EXPECT_EQ(pat->programs[1].pmtPid, 0x200);
  EXPECT_FALSE(ParsePat(Bytes{0x00, 0xB0}));

  Bytes pmt;
  U16(pmt, 0xE000 | 0x101);  // PCR
  const Bytes info = Descriptor(0x09, Bytes{1, 2, 3, 4});
  U16(pmt, 0xF000 | info.size());
  Append(pmt, info);
  const Bytes streams[] = {{0x02, 0xE1, 0x01, 0xF0, 0x00},
                           {0x04, 0xE1, 0x02, 0xF0, 0x03, 0x0A, 0x01, 0x00}};
  for (const Bytes& stream : streams) Append(pmt, stream);
  const std::optional<PmtInfo> parsed = ParsePmt(LongSection(0x02, 101, pmt));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->pcrPid, 0x101);
  ASSERT_EQ(parsed->streams.size(), 2u);
  EXPECT_EQ(parsed->streams[0].streamType, 0x02);
  EXPECT_EQ(parsed->streams[1].pid, 0x102);

  // Without streams, and with a program_info_length beyond the section.
  Bytes empty;
  U16(empty, 0xE000 | 0x1FFF);
  U16(empty, 0xF000);
  EXPECT_TRUE(ParsePmt(LongSection(0x02, 7, empty))->streams.empty());
  U16(empty, 0);
  Bytes lying = LongSection(0x02, 7, empty);
  lying[10] = 0xFF;
  EXPECT_TRUE(ParsePmt(lying)->streams.empty());
}

TEST(SiTablesTest, TuneCommandDigits) {
  auto text = [](const std::vector<uint8_t>& data) {
    return std::string(data.begin(), data.end());
  };
  std::vector<uint8_t> data = TuneCommandData(TypedNumber("123456"), TypedNumber("27500"), 3, true);
  ASSERT_EQ(data.size(), 16u);
  EXPECT_EQ(data[0], 0x17);
  EXPECT_EQ(text(data).substr(1, 14), std::string("12345") + "27500" + "4" + "1" + "02");
  EXPECT_EQ(data[15], 0);
  data = TuneCommandData(TypedNumber("11750"), TypedNumber("6111"), 0, false);
  EXPECT_EQ(text(data).substr(1, 14), std::string("11750") + "61110" + "1" + "0" + "02");
  // Short numbers are padded with zeros; junk reads as 0.
  data = TuneCommandData(TypedNumber("950abc"), TypedNumber("x"), 5, false);
  EXPECT_EQ(text(data).substr(1, 11), "00950000006");
  EXPECT_EQ(TypedNumber("99999999999999"), 2147483647);
  EXPECT_EQ(TuneFecIndex("3/4"), 3);
  EXPECT_EQ(TuneFecIndex("1/1"), 0);
  EXPECT_FALSE(TuneFecIndex("9/10"));
}

}  // namespace
}  // namespace pelorus
