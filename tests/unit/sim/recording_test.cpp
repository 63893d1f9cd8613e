// Recordings as the stand-in receiver's transponders, in-process: the packet format, the
// tables read from them, the looping reader (bad packets, cuts, continuity across the loop) and
// the pace a recording plays at.
#include <gtest/gtest.h>

#include <map>

#include "sim/multiplex_layout.h"
#include "sim/packet_source.h"
#include "sim/recording_reader.h"
#include "support/records.h"
#include "support/temp_dir.h"
#include "ts_reading.h"

namespace pelorus {
namespace {

using testing::Generate;
using testing::PidOf;
using testing::TestAssets;

std::vector<uint8_t> StreamBytes(const std::vector<sim::Packet>& packets, size_t prefix = 0) {
  std::vector<uint8_t> bytes;
  uint32_t clock = 0;
  for (const sim::Packet& p : packets) {
    for (size_t i = 0; i < prefix; ++i) bytes.push_back(static_cast<uint8_t>(clock >> (8 * i)));
    clock += 1234;
    bytes.insert(bytes.end(), p.begin(), p.end());
  }
  return bytes;
}

// A packet of `pid` with payload and continuity counter `counter`, its payload its number.
sim::Packet Numbered(uint16_t pid, int counter, uint8_t number) {
  sim::Packet p;
  p.fill(number);
  p[0] = 0x47;
  p[1] = static_cast<uint8_t>(pid >> 8);
  p[2] = static_cast<uint8_t>(pid);
  p[3] = static_cast<uint8_t>(0x10 | (counter & 0x0F));
  return p;
}

TEST(RecordingTest, TheFormatIsFoundBehindJunkAndInM2ts) {
  const auto packets = Generate(TestAssets(), 0, 0.2);
  const auto plain = sim::DetectPacketFormat(StreamBytes(packets));
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->size, 188u);
  EXPECT_EQ(plain->offset, 0u);
  std::vector<uint8_t> junk = {0x47, 0x00, 0x12, 0x47, 0x47};
  const std::vector<uint8_t> body = StreamBytes(packets);
  junk.insert(junk.end(), body.begin(), body.end());
  EXPECT_EQ(sim::DetectPacketFormat(junk)->offset, 5u);
  const auto m2ts = sim::DetectPacketFormat(StreamBytes(packets, 4));
  ASSERT_TRUE(m2ts);
  EXPECT_EQ(m2ts->size, 192u);
  EXPECT_EQ(m2ts->prefix, 4u);
  EXPECT_EQ(m2ts->offset, 0u);
  EXPECT_FALSE(sim::DetectPacketFormat(std::vector<uint8_t>(5000, 0x47 ^ 0xFF)));
  EXPECT_FALSE(sim::DetectPacketFormat(std::vector<uint8_t>(300, 0)));
}

TEST(RecordingTest, TheTablesNameTheFirstProgrammeAndWhereTheTransportStreamIs) {
  for (const size_t prefix : {size_t{0}, size_t{4}}) {
    const std::vector<uint8_t> bytes = StreamBytes(Generate(TestAssets(), 5, 1.0), prefix);
    const auto format = sim::DetectPacketFormat(bytes);
    ASSERT_TRUE(format);
    const sim::RecordingInfo info = sim::ParseRecordingTables(bytes, *format);
    const sim::ServiceLayout first = sim::ServiceAt(5, 0);
    EXPECT_EQ(info.transportStreamId, 0x0006);
    EXPECT_EQ(info.serviceId, first.serviceId);
    EXPECT_EQ(info.pmtPid, first.pids.pmt);
    EXPECT_EQ(info.pcrPid, first.pids.pcr);
    EXPECT_EQ(info.videoPid, first.pids.video);
    EXPECT_EQ(info.audioPid, first.pids.audio);
    EXPECT_EQ(info.ac3Pid, first.pids.ac3);
    // 12322 MHz, vertical, 6111 kS/s: its own entry of the NIT actual.
    EXPECT_EQ(info.frequency10kHz, 1232200u);
    EXPECT_EQ(info.symbolRate100, 61110u);
    EXPECT_TRUE(info.vertical);
  }
  const std::vector<uint8_t> first = StreamBytes(Generate(TestAssets(), 0, 1.0));
  const sim::RecordingInfo info = sim::ParseRecordingTables(first, *sim::DetectPacketFormat(first));
  EXPECT_EQ(info.ac3Pid, 0x0281);
  EXPECT_EQ(info.frequency10kHz, 1174700u);
  EXPECT_FALSE(info.vertical);
  // Nothing but null packets: nothing known.
  const std::vector<uint8_t> nulls = StreamBytes(std::vector<sim::Packet>(50, sim::NullPacket()));
  const sim::RecordingInfo none = sim::ParseRecordingTables(nulls, *sim::DetectPacketFormat(nulls));
  EXPECT_FALSE(none.transportStreamId || none.pmtPid || none.frequency10kHz || none.firstPcrPid);
}

TEST(RecordingTest, TheReaderLoopsWithContinuityAndServesBadPacketsAsTheyAre) {
  testing::TempDir dir;
  // Ten packets of PID 0x100 with counters 3..12, a packet without payload between them, the
  // sixth with a bad sync byte, then 100 bytes of a cut packet, then three more (13..15).
  std::vector<sim::Packet> packets;
  for (int k = 0; k < 10; ++k) packets.push_back(Numbered(0x0100, 3 + k, static_cast<uint8_t>(k)));
  packets[5][0] = 0x46;
  sim::Packet adaptation = Numbered(0x0100, 7, 0xAA);
  adaptation[3] = 0x27;  // adaptation only: the counter stays
  adaptation[4] = 183;
  packets.insert(packets.begin() + 5, adaptation);
  std::vector<uint8_t> bytes = StreamBytes(packets);
  const sim::Packet cut = Numbered(0x0100, 0, 0xEE);
  bytes.insert(bytes.end(), cut.begin(), cut.begin() + 100);
  for (int k = 0; k < 3; ++k) {
    const sim::Packet p = Numbered(0x0100, 13 + k, static_cast<uint8_t>(10 + k));
    bytes.insert(bytes.end(), p.begin(), p.end());
  }
  bytes.resize(bytes.size() + 50, 0x47);  // a partial packet at the end
  testing::WriteBytes(dir.File("cut.ts"), bytes);

  sim::RecordingReader reader(dir.File("cut.ts"), *sim::DetectPacketFormat(bytes));
  std::vector<sim::Packet> out(3 * 14);
  for (sim::Packet& p : out) ASSERT_TRUE(reader.Next(p));
  EXPECT_EQ(reader.Passes(), 2u);
  EXPECT_EQ(reader.SkippedBytes(), 3u * 100);
  // The first pass as the file has it: the bad sync byte, the counters.
  EXPECT_EQ(out[6][0], 0x46);
  EXPECT_EQ(out[5][3] & 0x0F, 7);
  EXPECT_EQ(out[13][4], 12);  // the last whole packet; the cut one and the tail are gone
  // Each later pass starts again at the file's first packet, its counters shifted by one amount
  // so that they run on from the pass before; the bad packet is served as it is.
  for (size_t pass = 1; pass < 3; ++pass) {
    const size_t first = pass * 14;
    EXPECT_EQ(out[first][4], 0);
    EXPECT_EQ(out[first][3] & 0x0F, ((out[first - 1][3] & 0x0F) + 1) % 16) << pass;
    const int shift = ((out[first][3] & 0x0F) - (out[0][3] & 0x0F) + 16) % 16;
    for (size_t i = 0; i < 14; ++i) {
      const int expected = out[i][0] == 0x47 ? ((out[i][3] & 0x0F) + shift) % 16 : out[i][3] & 0x0F;
      EXPECT_EQ(out[first + i][3] & 0x0F, expected) << pass << " " << i;
    }
  }

  testing::WriteBytes(dir.File("empty.ts"), {});
  sim::RecordingReader empty(dir.File("empty.ts"), sim::PacketFormat{});
  sim::Packet p;
  EXPECT_FALSE(empty.Next(p));
  sim::RecordingReader missing(dir.File("missing.ts"), sim::PacketFormat{});
  EXPECT_FALSE(missing.Next(p));
}

// The packets a source sends in its first `seconds`.
size_t PacketsIn(sim::PacketSource& source, double seconds) {
  size_t count = 0;
  source.Advance(
      static_cast<int64_t>(seconds * 1e9), [&](const sim::Packet&) { ++count; }, true);
  return count;
}

TEST(RecordingTest, ARecordingPlaysAtThePaceOfItsPcrsOrAtTheRateAsked) {
  testing::TempDir dir;
  const std::string path = dir.File("eight.ts");
  testing::WriteBytes(path, StreamBytes(Generate(TestAssets(), 0, 3.0, 8000000)));
  sim::Recording recording;
  std::string error;
  ASSERT_TRUE(sim::OpenRecording(path, recording, error)) << error;
  EXPECT_NEAR(recording.initialBitsPerSecond, 8e6, 8e6 * 0.01);
  const double perSecond = 8e6 / 1504;
  // Past the end of the 3 s file, so across its loop too.
  auto paced = sim::MakeRecordingSource(recording, 0, 0);
  EXPECT_NEAR(static_cast<double>(PacketsIn(*paced, 4.5)), 4.5 * perSecond, perSecond * 0.05);
  auto fixed = sim::MakeRecordingSource(recording, 0, 4000000);
  EXPECT_NEAR(static_cast<double>(PacketsIn(*fixed, 2.0)), perSecond, perSecond * 0.02);
  // A source started later on the time line counts from then.
  auto later = sim::MakeRecordingSource(recording, 1'000'000'000, 4000000);
  EXPECT_NEAR(static_cast<double>(PacketsIn(*later, 2.0)), perSecond / 2, perSecond * 0.02);
  const sim::ServicePids service = paced->CurrentService();
  EXPECT_EQ(service.video, 0x0200);
  EXPECT_EQ(service.audio, 0x0280);
  EXPECT_EQ(service.ac3, 0x0281);

  EXPECT_FALSE(sim::OpenRecording(dir.File("none.ts"), recording, error));
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
  testing::WriteBytes(dir.File("text.ts"), std::vector<uint8_t>(4000, 'x'));
  EXPECT_FALSE(sim::OpenRecording(dir.File("text.ts"), recording, error));
  EXPECT_NE(error.find("no transport stream packets"), std::string::npos) << error;
}

TEST(RecordingTest, ATuneRequestFindsTheRecordingItsNitPlaces) {
  std::vector<sim::Recording> recordings(3);
  recordings[0].info.frequency10kHz = 1176625;  // 11766.25 MHz V 27500
  recordings[0].info.symbolRate100 = 275000;
  recordings[0].info.vertical = true;
  recordings[1].info.frequency10kHz = 1232200;  // 12322 MHz V 6111
  recordings[1].info.symbolRate100 = 61110;
  recordings[1].info.vertical = true;
  // recordings[2] has no NIT of its own: it cannot be tuned to.
  auto find = [&](int mhz, int digits, bool vertical) {
    return sim::FindRecording(recordings, sim::TuneRequest{mhz, digits, vertical, 3});
  };
  EXPECT_EQ(find(11766, 27500, true), 0);
  EXPECT_EQ(find(11767, 27500, true), 0);
  EXPECT_EQ(find(11766, 27500, false), -1);
  EXPECT_EQ(find(11768, 27500, true), -1);
  EXPECT_EQ(find(11766, 22000, true), -1);
  EXPECT_EQ(find(12322, 61110, true), 1);
  EXPECT_EQ(find(0, 0, false), -1);
}

}  // namespace
}  // namespace pelorus
