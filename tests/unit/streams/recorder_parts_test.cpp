#include <gtest/gtest.h>

#include <vector>

#include "common/crc32_mpeg.h"
#include "streams/psi_templates.h"
#include "streams/record_command.h"
#include "streams/record_ring.h"
#include "streams/recorder_plan.h"
#include "ts_packets.h"

namespace pelorus {
namespace {

using testing::Append;
using testing::MakePacket;
using testing::PacketShape;

std::vector<uint8_t> Bytes(std::span<const uint8_t> span, size_t from, size_t count) {
  return {span.begin() + static_cast<std::ptrdiff_t>(from),
          span.begin() + static_cast<std::ptrdiff_t>(from + count)};
}

TEST(PsiTemplatesTest, PatIsFixedApartFromItsCounter) {
  PsiTemplates templates(RecordedProgram{0x200, 0x201, 0x202, false});
  const std::span<const uint8_t> first = templates.NextPair();
  ASSERT_EQ(first.size(), 376u);
  EXPECT_EQ(Bytes(first, 0, 21),
            (std::vector<uint8_t>{0x47, 0x40, 0x00, 0x10, 0x00, 0x00, 0xB0, 0x0D, 0x00, 0x7B, 0xC1,
                                  0x00, 0x00, 0x00, 0x01, 0xE0, 0x20, 0x8D, 0x44, 0x1C, 0x43}));
  EXPECT_TRUE(std::all_of(first.begin() + 21, first.begin() + 188,
                          [](uint8_t byte) { return byte == 0xFF; }));
  std::vector<uint8_t> counters;
  for (int i = 0; i < 17; ++i) {
    const std::span<const uint8_t> pair = templates.NextPair();
    counters.push_back(pair[3]);
    EXPECT_EQ(pair[188 + 3], pair[3]);
    EXPECT_EQ(Bytes(pair, 17, 4), (std::vector<uint8_t>{0x8D, 0x44, 0x1C, 0x43}));
  }
  EXPECT_EQ(counters.front(), 0x11);
  EXPECT_EQ(counters[14], 0x1F);
  EXPECT_EQ(counters[15], 0x10);  // wraps after 15
}

TEST(PsiTemplatesTest, PmtNamesThePidsAndAudioTypeWithAValidCrc) {
  PsiTemplates mpeg(RecordedProgram{0x0100, 0x0101, 0x0102, false});
  std::span<const uint8_t> pair = mpeg.NextPair();
  std::vector<uint8_t> pmt = Bytes(pair, 188, 37);
  EXPECT_EQ(pmt, (std::vector<uint8_t>{0x47, 0x40,    0x20,    0x10,    0x00,   0x02, 0xB0, 0x1D,
                                       0x00, 0x01,    0xC1,    0x00,    0x00,   0xE1, 0x02, 0xF0,
                                       0x00, 0x02,    0xE1,    0x00,    0xF0,   0x03, 0x02, 0x01,
                                       0x22, 0x04,    0xE1,    0x01,    0xF0,   0x03, 0x03, 0x01,
                                       0x02, pmt[33], pmt[34], pmt[35], pmt[36]}));
  // The section with its CRC appended checks to zero.
  EXPECT_EQ(Crc32Mpeg(std::span(pmt).subspan(5, 32)), 0u);
  const std::vector<uint8_t> mpegCrc = Bytes(pmt, 33, 4);

  PsiTemplates ac3(RecordedProgram{0x0100, 0x0105, 0x0100, true});
  pair = ac3.NextPair();
  pmt = Bytes(pair, 188, 37);
  EXPECT_EQ(pmt[13], 0xE1);
  EXPECT_EQ(pmt[14], 0x00);  // the video PID carries the PCR
  EXPECT_EQ(pmt[25], 0x81);
  EXPECT_EQ(pmt[27], 0x05);
  EXPECT_EQ(Crc32Mpeg(std::span(pmt).subspan(5, 32)), 0u);
  EXPECT_NE(Bytes(pmt, 33, 4), mpegCrc);
  EXPECT_TRUE(
      std::all_of(pair.begin() + 188 + 37, pair.end(), [](uint8_t b) { return b == 0xFF; }));
}

TEST(RecordRingTest, FullRingDropsNewPacketsAndCountsThem) {
  RecordRing ring(4);
  std::vector<uint8_t> packets;
  for (uint8_t i = 0; i < 6; ++i) Append(packets, MakePacket({.counter = i}));
  EXPECT_EQ(ring.Push(std::span(packets).first(3 * 188)), 3u);
  EXPECT_EQ(ring.Push(std::span(packets).subspan(3 * 188)), 1u);  // one fits, two dropped
  EXPECT_EQ(ring.Fill(), 4u);
  EXPECT_EQ(ring.Dropped(), 2u);
  // Nothing was overwritten: the oldest packet is still the first one pushed.
  std::span<const uint8_t> oldest = ring.Peek(10);
  ASSERT_EQ(oldest.size(), 4u * 188);
  EXPECT_EQ(oldest[3] & 0x0F, 0);
  EXPECT_EQ(oldest[3 * 188 + 3] & 0x0F, 3);
  ring.Consume(3);
  // Stored packets wrap around the end; a peek stops at the end of the memory.
  EXPECT_EQ(ring.Push(std::span(packets).first(2 * 188)), 2u);
  EXPECT_EQ(ring.Peek(10).size(), 188u);
  ring.Consume(1);
  oldest = ring.Peek(10);
  ASSERT_EQ(oldest.size(), 2u * 188);
  EXPECT_EQ(oldest[188 + 3] & 0x0F, 1);
  EXPECT_EQ(ring.Dropped(), 2u);
  // A part packet is never stored.
  EXPECT_EQ(ring.Push(std::span(packets).first(100)), 0u);
}

TEST(RecorderPlanTest, SlotsFollowTheCurrentService) {
  std::vector<uint8_t> block(512, 0);
  block[32] = 0x01;
  block[33] = 0x00;
  block[34] = 0x01;
  block[35] = 0x01;
  block[148] = 0x1F;
  block[149] = 0xFF;
  const std::optional<CurrentService> service = ParseCurrentService(block);
  ASSERT_TRUE(service);
  EXPECT_EQ(service->pcrPid, 0x100);  // no PCR PID: the video PID's
  EXPECT_FALSE(ParseCurrentService(std::span(block).first(511)));

  RecorderPlan two = PlanRecording(*service, false, 0, true);
  ASSERT_EQ(two.readSlots.size(), 2u);
  EXPECT_TRUE(two.readSlots[0].startNeedsUnitStart && two.readSlots[0].startNeedsPcr);
  EXPECT_EQ(two.readSlots[0].readSize, 6016);
  EXPECT_EQ(two.readSlots[1].readSize, 188);
  EXPECT_EQ(two.program.pcrPid, 0x100);

  RecorderPlan three = PlanRecording({0x100, 0x101, 0x102}, true, 0x105, false);
  ASSERT_EQ(three.readSlots.size(), 3u);
  EXPECT_EQ(three.readSlots[1].pid, 0x105);
  EXPECT_TRUE(three.program.ac3);
  EXPECT_FALSE(three.readSlots[2].startNeedsUnitStart);
  EXPECT_TRUE(three.readSlots[2].startNeedsPcr);
  const std::vector<StreamFilter> filters = three.Filters();
  ASSERT_EQ(filters.size(), 3u);
  EXPECT_EQ(filters[0].threshold, 6016);
  EXPECT_EQ(filters[2].mode, 6);

  // PCR on the audio PID: read once, and the audio slot starts at a PCR.
  RecorderPlan onAudio = PlanRecording({0x100, 0x101, 0x101}, false, 0, true);
  ASSERT_EQ(onAudio.readSlots.size(), 2u);
  EXPECT_TRUE(onAudio.readSlots[1].startNeedsPcr);

  const std::vector<uint8_t> pcr = MakePacket({.unitStart = true, .adaptation = true, .pcr = true});
  const std::vector<uint8_t> plain = MakePacket({.unitStart = true});
  const std::vector<uint8_t> emptyField =
      MakePacket({.unitStart = true, .adaptation = true, .adaptationLength = 0, .pcr = true});
  // The entry point is the sync byte, a unit start and, with two slots, a PCR on the slot that
  // carries it; no more is asked of the payload.
  EXPECT_TRUE(StartsSlot(two.readSlots[0], ts::Packet(pcr.data(), 188)));
  EXPECT_TRUE(StartsSlot(onAudio.readSlots[1], ts::Packet(pcr.data(), 188)));
  EXPECT_TRUE(StartsSlot(three.readSlots[0], ts::Packet(plain.data(), 188)));
  std::vector<uint8_t> noSync = pcr;
  noSync[0] = 0x46;
  EXPECT_FALSE(StartsSlot(two.readSlots[0], ts::Packet(noSync.data(), 188)));
  EXPECT_FALSE(StartsSlot(three.readSlots[2], ts::Packet(noSync.data(), 188)));
  EXPECT_FALSE(StartsSlot(two.readSlots[0], ts::Packet(plain.data(), 188)));
  EXPECT_FALSE(StartsSlot(two.readSlots[0], ts::Packet(emptyField.data(), 188)));
  EXPECT_TRUE(StartsSlot(two.readSlots[1], ts::Packet(plain.data(), 188)));
  const std::vector<uint8_t> pcrNoStart = MakePacket({.adaptation = true, .pcr = true});
  EXPECT_TRUE(StartsSlot(three.readSlots[2], ts::Packet(pcrNoStart.data(), 188)));
  EXPECT_FALSE(StartsSlot(three.readSlots[0], ts::Packet(pcrNoStart.data(), 188)));
}

TEST(SlotReadTest, StartsAtTheEntryPointAndRefusesOtherPids) {
  const RecorderPlan plan = PlanRecording({0x100, 0x101, 0x102}, false, 0, true);
  std::vector<uint8_t> read;
  Append(read, MakePacket({.pid = 0x101, .counter = 1}));
  Append(read, MakePacket({.pid = 0x101, .counter = 2}));
  std::vector<uint8_t> lost = MakePacket({.pid = 0x101, .unitStart = true, .counter = 3});
  lost[0] = 0x00;  // counted, and no entry point
  Append(read, lost);
  Append(read, MakePacket({.pid = 0x101, .unitStart = true, .counter = 4}));
  Append(read, MakePacket({.pid = 0x101, .counter = 5}));
  bool started = false;
  SlotRead walk = WalkSlotRead(plan.readSlots[1], started, read);
  EXPECT_TRUE(started);
  EXPECT_EQ(walk.syncErrors, 1u);
  EXPECT_FALSE(walk.foreignPacket);
  EXPECT_EQ(walk.record.size(), 2u * 188);
  EXPECT_EQ(walk.record.data(), read.data() + 3 * 188);
  // Once started, every packet is recorded, the one without sync among them.
  walk = WalkSlotRead(plan.readSlots[1], started, read);
  EXPECT_EQ(walk.record.size(), read.size());

  // A packet of another PID means the receiver's filter is not ours: nothing is recorded, and
  // the slot does not start on what came with it.
  std::vector<uint8_t> taken = MakePacket({.pid = 0x101, .unitStart = true});
  Append(taken, MakePacket({.pid = 0x200}));
  started = false;
  walk = WalkSlotRead(plan.readSlots[1], started, taken);
  EXPECT_FALSE(started);
  ASSERT_TRUE(walk.foreignPacket);
  EXPECT_EQ(*walk.foreignPacket, 1u);
  EXPECT_EQ(walk.foreignPid, 0x200);
  EXPECT_TRUE(walk.record.empty());
  // A part packet at the end of a read is not walked.
  walk = WalkSlotRead(plan.readSlots[1], started, std::span(read).first(100));
  EXPECT_TRUE(walk.record.empty());
  EXPECT_EQ(walk.syncErrors, 0u);
}

TEST(Ac3PidTextTest, HexadecimalOrDecimalPidsOnly) {
  EXPECT_EQ(ParseAc3PidText("0x0105"), 0x105);
  EXPECT_EQ(ParseAc3PidText("261"), 261);
  EXPECT_EQ(ParseAc3PidText("0x1fff"), 0x1FFF);
  EXPECT_FALSE(ParseAc3PidText("0x2000"));
  EXPECT_FALSE(ParseAc3PidText(""));
  EXPECT_FALSE(ParseAc3PidText("0x"));
  EXPECT_FALSE(ParseAc3PidText("12ab"));
  EXPECT_FALSE(ParseAc3PidText("abc"));
  EXPECT_FALSE(ParseAc3PidText("-1"));
  EXPECT_FALSE(ParseAc3PidText(" 261"));
  EXPECT_EQ(Ac3PidRefusal("0x2000"),
            "The AC3 PID 0x2000 is out of range: PIDs run from 0 to 0x1FFF");
  EXPECT_EQ(Ac3PidRefusal("-1"), "The AC3 PID -1 is out of range: PIDs run from 0 to 0x1FFF");
  EXPECT_EQ(Ac3PidRefusal("12ab"), "The AC3 PID \"12ab\" is not a number");
}

}  // namespace
}  // namespace pelorus
