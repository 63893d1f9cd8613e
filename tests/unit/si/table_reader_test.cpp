// The SI browser's readers against a scripted receiver that plays a real multiplex's habits:
// tables of several sections, the other network's and multiplex's tables and the BAT on the
// same PIDs, programmes sharing a PMT PID, a section that never comes.
#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "section_builder.h"
#include "si/si_reader.h"
#include "unit/scsi/scripted_transport.h"

namespace pelorus {
namespace {

using testing::Append;
using testing::Bytes;
using testing::Descriptor;
using testing::LongSection;
using testing::ScriptedTransport;
using testing::SectionPlace;
using testing::U16;

// Serves, for each PID, its sections in a loop, one unit per section, one packet per read.
class Carousel {
 public:
  void Carry(uint16_t pid, const std::vector<Bytes>& sections) {
    std::vector<Bytes>& packets = packets_[pid];
    uint8_t counter = 0;
    for (const Bytes& section : sections) {
      for (Bytes& packet : testing::PacketiseCounted(pid, section, counter)) {
        packets.push_back(std::move(packet));
        ++counter;
      }
    }
  }
  ScriptedTransport::Handler Handler() {
    return [this](const ScriptedTransport::Command& command, std::span<uint8_t> in) {
      if (command.direction == ScsiDirection::kOut && command.cdb[0] == 0x3E &&
          command.data.size() >= 2) {
        pid_ = static_cast<uint16_t>((command.data[0] << 8) | command.data[1]);
        at_ = 0;
      }
      if (command.direction != ScsiDirection::kIn) return ScriptedTransport::Reply{kScsiSuccess, 0};
      const std::vector<Bytes>& packets = packets_[pid_];
      if (packets.empty()) return ScriptedTransport::Reply{4, 0};
      const Bytes& packet = packets[at_++ % packets.size()];
      std::copy(packet.begin(), packet.end(), in.begin());
      return ScriptedTransport::Reply{kScsiSuccess, packet.size()};
    };
  }

 private:
  std::map<uint16_t, std::vector<Bytes>> packets_;
  uint16_t pid_ = 0;
  size_t at_ = 0;
};

const Bytes kNitDelivery = {0x01, 0x17, 0x50, 0x00, 0x01, 0x92, 0xC0, 0x02, 0x75, 0x00, 0x03};

Bytes NitSection(uint8_t table, uint16_t networkId, const std::string& name, int deliveries,
                 SectionPlace place) {
  Bytes payload;
  const Bytes network = name.empty() ? Bytes{} : Descriptor(0x40, testing::Text(name));
  U16(payload, 0xF000 | network.size());
  Append(payload, network);
  Bytes loop;
  for (int i = 0; i < deliveries; ++i) {
    const Bytes descriptor = Descriptor(0x43, kNitDelivery);
    U16(loop, place.number * 10 + i);
    U16(loop, networkId);
    U16(loop, 0xF000 | descriptor.size());
    Append(loop, descriptor);
  }
  U16(payload, 0xF000 | loop.size());
  Append(payload, loop);
  return LongSection(table, networkId, payload, true, place);
}

Bytes SdtSection(uint8_t table, uint16_t tsid, uint16_t serviceId, SectionPlace place) {
  Bytes payload;
  U16(payload, 0x00B1);
  payload.push_back(0xFF);
  U16(payload, serviceId);
  payload.push_back(0xFC);
  U16(payload, 0x8000);
  return LongSection(table, tsid, payload, true, place);
}

constexpr CaptureLimits kShort{std::chrono::milliseconds(300)};

TEST(TableReaderTest, NitOfSeveralSectionsAmongTheOtherNetworksTable) {
  Carousel carousel;
  carousel.Carry(
      0x10, {NitSection(0x40, 0xB1, "Pelorus Sat Net", 2, {4, 0, 2}),
             NitSection(0x41, 0x99, "Elsewhere", 5, {0, 0, 0}),
             NitSection(0x40, 0xB1, "", 1, {4, 1, 2}), NitSection(0x40, 0xB1, "", 3, {4, 2, 2})});
  ScriptedTransport transport;
  transport.handler = carousel.Handler();
  const std::optional<Nit> nit = ReadNit(transport, kShort);
  ASSERT_TRUE(nit);
  EXPECT_TRUE(nit->Actual());
  EXPECT_EQ(nit->networkId, 0xB1);
  EXPECT_EQ(nit->networkName, "Pelorus Sat Net");
  EXPECT_EQ(nit->Deliveries().size(), 6u);
  ASSERT_EQ(nit->transportStreams.size(), 6u);
  EXPECT_EQ(nit->transportStreams[2].transportStreamId, 10);  // section 1 after section 0
  EXPECT_EQ(testing::BlockHex(transport.commands.front().data), "001000bc0006");
  EXPECT_EQ(testing::BlockHex(transport.commands.back().cdb), "3e000000000000000000");
}

TEST(TableReaderTest, SdtOfThisMultiplexApartFromTheOtherAndTheBouquet) {
  Bytes bouquet = {0xF0, 0x00, 0xF0, 0x00};
  Carousel carousel;
  carousel.Carry(0x11, {SdtSection(0x42, 1, 101, {0, 0, 1}), SdtSection(0x46, 2, 201, {0, 0, 0}),
                        LongSection(0x4A, 0x1234, bouquet), SdtSection(0x42, 1, 102, {0, 1, 1})});
  ScriptedTransport transport;
  transport.handler = carousel.Handler();
  const std::optional<Sdt> sdt = ReadSdt(transport, kShort);
  ASSERT_TRUE(sdt);
  EXPECT_TRUE(sdt->Actual());
  ASSERT_EQ(sdt->services.size(), 2u);
  EXPECT_EQ(sdt->services[0].serviceId, 101);
  EXPECT_EQ(sdt->services[1].serviceId, 102);
}

TEST(TableReaderTest, PmtOfTheProgrammeAskedForOnASharedPidAndWhatCameOfAnIncompleteTable) {
  auto pmt = [](uint16_t program, uint16_t pcr) {
    Bytes payload;
    U16(payload, 0xE000 | pcr);
    U16(payload, 0xF000);
    Append(payload, {0x02, 0xE0, static_cast<uint8_t>(pcr), 0xF0, 0x00});
    return LongSection(0x02, program, payload);
  };
  Carousel carousel;
  carousel.Carry(0x100, {pmt(1, 0x21), pmt(2, 0x22), pmt(3, 0x23)});
  // The PAT's section 1 of 0..2 never comes.
  Bytes first;
  U16(first, 1);
  U16(first, 0xE100);
  Bytes last;
  U16(last, 3);
  U16(last, 0xE100);
  carousel.Carry(0x00, {LongSection(0x00, 7, first, true, {0, 0, 2}),
                        LongSection(0x00, 7, last, true, {0, 2, 2})});
  ScriptedTransport transport;
  transport.handler = carousel.Handler();
  const std::optional<Pmt> second = ReadPmt(transport, {2, 0x100}, kShort);
  ASSERT_TRUE(second);
  EXPECT_EQ(second->programNumber, 2);
  EXPECT_EQ(second->pcrPid, 0x22);
  EXPECT_FALSE(ReadPmt(transport, {4, 0x100}, kShort));

  // Read until the capture gives up, then what came of it.
  const std::optional<Pat> pat = ReadPat(transport, kShort);
  ASSERT_TRUE(pat);
  ASSERT_EQ(pat->programs.size(), 2u);
  EXPECT_EQ(pat->programs[1].programNumber, 3);
  // Nothing at all on the PID: no value, and the stream is stopped.
  EXPECT_FALSE(ReadSdt(transport, kShort));
  EXPECT_EQ(testing::BlockHex(transport.commands.back().cdb), "3e000000000000000000");
}

}  // namespace
}  // namespace pelorus
