// What the stand-in receiver makes of untrusted input: stream set-ups, tune and probe
// commands, the committed elementary streams, and the stream filters' modes and rings.
#include "sim/stream_requests.h"

#include <gtest/gtest.h>

#include "sim/pid_queue.h"
#include "ts_reading.h"

namespace pelorus {
namespace {

using testing::TestAssets;

std::vector<uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<uint8_t>(v));
  return bytes;
}

std::vector<uint8_t> Text(const std::string& text) { return {text.begin(), text.end()}; }

TEST(StreamRequests, SetUpBlocksAreCheckedFieldByField) {
  const auto single = sim::DecodeStreamSetup(Bytes({0x02, 0x00, 0x80, 0x00, 0x00, 0x06}), false);
  ASSERT_TRUE(single);
  EXPECT_EQ(single->front().pid, 0x0200);
  EXPECT_EQ(single->front().threshold, 0x8000);
  EXPECT_EQ(single->front().mode, 6);
  const auto three = sim::DecodeStreamSetup(
      Bytes({0, 0x12, 0x0B, 0xC0, 0, 6, 0, 0x11, 0x05, 0xE0, 0, 6, 0, 0x14, 0, 0xBC, 0, 6}), true);
  ASSERT_TRUE(three);
  EXPECT_EQ((*three)[2].pid, 0x14);
  EXPECT_EQ((*three)[1].threshold, 1504);
  // Two filters for a single stream, four slots, a PID past 0x1FFF, mode 7, threshold 0, a
  // ragged length: all refused.
  EXPECT_FALSE(sim::DecodeStreamSetup(Bytes({0, 1, 0, 1, 0, 6, 0, 2, 0, 1, 0, 6}), false));
  EXPECT_FALSE(sim::DecodeStreamSetup(std::vector<uint8_t>(24, 0x01), true));
  EXPECT_FALSE(sim::DecodeStreamSetup(Bytes({0x20, 0, 0, 1, 0, 6}), false));
  EXPECT_FALSE(sim::DecodeStreamSetup(Bytes({0, 1, 0, 1, 0, 7}), false));
  EXPECT_FALSE(sim::DecodeStreamSetup(Bytes({0, 1, 0, 0, 0, 6}), false));
  EXPECT_FALSE(sim::DecodeStreamSetup(Bytes({0, 1, 0, 1, 0}), false));
  EXPECT_FALSE(sim::DecodeStreamSetup({}, true));
}

TEST(StreamRequests, TuneAndProbeCommands) {
  auto tune = Text(
      "\x17"
      "1174727500"
      "30"
      "02");
  tune.push_back(0);
  const auto decoded = sim::DecodeTune(tune);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->frequencyMhz, 11747);
  EXPECT_EQ(decoded->symbolRateDigits, 27500);
  EXPECT_FALSE(decoded->vertical);
  EXPECT_EQ(decoded->fecIndex, 2);
  auto bad = tune;
  bad[3] = 'x';
  EXPECT_FALSE(sim::DecodeTune(bad));
  bad = tune;
  bad[12] = '2';
  EXPECT_FALSE(sim::DecodeTune(bad));
  EXPECT_FALSE(sim::DecodeTune(std::span(tune).first(15)));

  // FinderStartPid 8176: sixteen PIDs, the end marker and the pad byte.
  std::vector<uint8_t> probe = {0x3F};
  for (int pid = 8176; pid < 8192; ++pid) {
    probe.push_back(static_cast<uint8_t>(pid >> 8));
    probe.push_back(static_cast<uint8_t>(pid));
  }
  probe.insert(probe.end(), {0xFF, 0xFF, 0x00});
  const auto pids = sim::DecodeProbe(probe);
  ASSERT_TRUE(pids);
  EXPECT_EQ(pids->size(), 16u);
  EXPECT_EQ(pids->back(), 8191);
  EXPECT_EQ(sim::DecodeProbe(Bytes({0x3F, 0xFF, 0xFF, 0})), std::vector<uint16_t>{});
  EXPECT_FALSE(sim::DecodeProbe(Bytes({0x3F, 0x01, 0x00})));              // no end marker
  EXPECT_FALSE(sim::DecodeProbe(Bytes({0x3F, 0x20, 0x00, 0xFF, 0xFF})));  // PID 0x2000
  std::vector<uint8_t> tooMany = {0x3F};
  for (int i = 0; i < 33; ++i) tooMany.insert(tooMany.end(), {0x00, static_cast<uint8_t>(i)});
  tooMany.insert(tooMany.end(), {0xFF, 0xFF});
  EXPECT_FALSE(sim::DecodeProbe(tooMany));
}

TEST(StreamAssets, TheCommittedStreamsSplitIntoWholeUnits) {
  const sim::StreamAssets& assets = TestAssets();
  ASSERT_EQ(assets.error, "");
  EXPECT_EQ(assets.video.units.size(), 100u);  // 4 s at 25 pictures a second
  EXPECT_EQ(assets.ac3.units.size() * assets.ac3.unitTicks, 2 * 90000 + 1440u);
  for (const auto& tone : assets.tones) {
    // Every MP2 frame at 128 kbit/s and 48 kHz is 384 bytes.
    ASSERT_FALSE(tone.units.empty());
    for (const auto& unit : tone.units) EXPECT_EQ(unit.size, 384u);
  }
  // Each picture unit starts with a start code; the first with the sequence header.
  const auto& v = assets.video;
  EXPECT_EQ(v.bytes[v.units[0].offset + 3], 0xB3);
  for (const auto& unit : v.units) {
    EXPECT_EQ(v.bytes[unit.offset + 2], 1);
  }

  // Cut short or broken, the splitters stop at the last whole unit.
  const std::span<const uint8_t> audio(assets.tones[0].bytes);
  EXPECT_EQ(sim::SplitMpegAudio(audio.first(384 * 3 + 100)).size(), 3u);
  std::vector<uint8_t> broken(audio.begin(), audio.begin() + 384 * 4);
  broken[384 * 2 + 2] = 0xF0;  // bit-rate index 15 is not allowed
  EXPECT_EQ(sim::SplitMpegAudio(broken).size(), 2u);
  const std::span<const uint8_t> ac3(assets.ac3.bytes);
  EXPECT_EQ(sim::SplitAc3(ac3.first(768 + 10)).size(), 1u);
  EXPECT_TRUE(sim::SplitAc3(Bytes({0x0B, 0x77, 0, 0, 0x3F})).empty());
  EXPECT_TRUE(sim::SplitVideo(Bytes({0, 0, 1})).empty());
}

sim::Packet PesStart(uint16_t pid, int counter) {
  sim::Packet p;
  p.fill(0xAA);
  p[0] = 0x47;
  p[1] = static_cast<uint8_t>(0x40 | pid >> 8);
  p[2] = static_cast<uint8_t>(pid);
  p[3] = static_cast<uint8_t>(0x30 | counter);  // adaptation field and payload
  p[4] = 7;
  p[5] = 0x10;
  // The PES header at 12: 00 00 01 C0, length, flags, header data length 5, PTS.
  const uint8_t pes[] = {0, 0, 1, 0xC0, 0, 0, 0x80, 0x80, 5, 0x21, 0, 1, 0, 1};
  std::copy(std::begin(pes), std::end(pes), p.begin() + 12);
  return p;
}

TEST(StreamFilters, EachModeDeliversItsPartOfThePacket) {
  sim::Packet continuation;
  continuation.fill(0x55);
  continuation[0] = 0x47;
  continuation[1] = 0x02;
  continuation[2] = 0x80;
  continuation[3] = 0x11;
  const sim::Packet start = PesStart(0x0280, 0);
  auto run = [&](uint16_t mode, std::initializer_list<const sim::Packet*> packets) {
    bool started = false;
    std::vector<uint8_t> out;
    for (const sim::Packet* p : packets) sim::FilterPacket(mode, *p, started, out);
    return out;
  };
  EXPECT_EQ(run(6, {&start}).size(), 188u);
  EXPECT_EQ(run(1, {&start, &continuation}),
            Bytes({0x47, 0x42, 0x80, 0x30, 0x47, 0x02, 0x80, 0x11}));
  EXPECT_EQ(run(5, {&start, &continuation}).size(), 8u);  // one field, length byte first
  EXPECT_EQ(run(3, {&start}).size(), 176u);
  // ES data: nothing before the first PES start, then the payload without the PES header.
  const auto es = run(2, {&continuation, &start, &continuation});
  EXPECT_EQ(es.size(), 176u - 14 + 184);
  EXPECT_EQ(es.front(), 0xAA);
  EXPECT_EQ(run(4, {&continuation, &start}).size(), 176u);
  EXPECT_TRUE(run(0, {&start}).empty());  // no private data flagged
  sim::Packet privateData = start;
  privateData[4] = 10;
  privateData[5] = 0x12;  // PCR and private data
  privateData[12] = 2;
  privateData[13] = 0xC1;
  privateData[14] = 0xC2;
  EXPECT_EQ(run(0, {&privateData}), Bytes({0xC1, 0xC2}));
  sim::Packet badField = start;
  badField[4] = 200;  // an adaptation field longer than the packet
  EXPECT_TRUE(run(5, {&badField}).empty());
  EXPECT_TRUE(run(3, {&badField}).empty());
}

TEST(StreamFilters, AFullRingDropsAndCountsAndReadsAreExact) {
  sim::PidQueue queue({0x0280, 188, 6}, 4);
  for (int i = 0; i < 6; ++i) queue.Push(PesStart(0x0280, i));
  EXPECT_EQ(queue.Lost(), 2u);
  EXPECT_EQ(queue.Queued(), 4u);
  std::vector<uint8_t> out;
  EXPECT_FALSE(queue.Take(5 * 188, out));  // not enough: nothing is lost by asking
  EXPECT_TRUE(queue.Take(300, out));
  EXPECT_EQ(out.size(), 300u);
  EXPECT_EQ(out[188 + 3] & 0x0F, 1);
  EXPECT_TRUE(queue.Take(3 * 188 - 300, out));
  EXPECT_EQ(out.size(), 3 * 188 - 300u);
  queue.Push(PesStart(0x0280, 9));
  EXPECT_TRUE(queue.Take(188 + 188, out));
  EXPECT_EQ(out[3] & 0x0F, 3);
  EXPECT_EQ(out[188 + 3] & 0x0F, 9);
}

}  // namespace
}  // namespace pelorus
