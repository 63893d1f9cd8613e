#include "scsi/stream_primitives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "scripted_transport.h"

namespace pelorus {
namespace {

using testing::BlockHex;
using testing::ScriptedTransport;

// A 188-byte packet of `pid` whose payload starts with `payload` and is padded with 0xFF.
std::vector<uint8_t> Packet(uint16_t pid, bool unitStart, const std::vector<uint8_t>& payload) {
  std::vector<uint8_t> packet(188, 0xFF);
  packet[0] = 0x47;
  packet[1] = static_cast<uint8_t>((unitStart ? 0x40 : 0) | (pid >> 8));
  packet[2] = static_cast<uint8_t>(pid);
  packet[3] = 0x10;
  std::copy(payload.begin(), payload.end(), packet.begin() + 4);
  return packet;
}

// Serves the queued packets to slot reads, then fails every further read.
void ServePackets(ScriptedTransport& transport, std::deque<std::vector<uint8_t>> packets) {
  transport.handler = [packets](const ScriptedTransport::Command& command,
                                std::span<uint8_t> in) mutable -> ScriptedTransport::Reply {
    if (command.direction != ScsiDirection::kIn) return {kScsiSuccess, 0};
    if (packets.empty()) return {kScsiError, 0};
    std::copy(packets.front().begin(), packets.front().end(), in.begin());
    packets.pop_front();
    return {kScsiSuccess, 188};
  };
}

// A section: table id, 12-bit length, extension, and `body` bytes after it.
std::vector<uint8_t> Section(uint8_t tableId, uint16_t extension, size_t body) {
  const size_t length = 2 + body;
  std::vector<uint8_t> section = {
      tableId, static_cast<uint8_t>(0xB0 | (length >> 8)), static_cast<uint8_t>(length),
      static_cast<uint8_t>(extension >> 8), static_cast<uint8_t>(extension)};
  section.resize(section.size() + body, 0x11);
  return section;
}

std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(StreamPrimitivesTest, SetupStopBusyAndGeometryBlocks) {
  ScriptedTransport transport;
  EXPECT_TRUE(SetupPidStream(transport, 0x0100, 32768, 2, false));
  StopPidStream(transport, true);
  SetScsiBusy(transport, false);
  SetScsiBusy(transport, true);
  ASSERT_EQ(transport.commands.size(), 4u);
  EXPECT_EQ(BlockHex(transport.commands[0].cdb), "3d000000000000000600");
  EXPECT_EQ(BlockHex(transport.commands[0].data), "010080000002");
  EXPECT_EQ(transport.commands[1].direction, ScsiDirection::kNone);
  EXPECT_EQ(BlockHex(transport.commands[1].cdb), "3e000000000000000000");
  EXPECT_EQ(BlockHex(transport.commands[2].data), "ffff");
  EXPECT_EQ(BlockHex(transport.commands[3].data), "0000");

  transport.handler = [](const ScriptedTransport::Command&, std::span<uint8_t>) {
    return ScriptedTransport::Reply{kScsiError, 0};
  };
  EXPECT_FALSE(SetupPidStream(transport, 0x0100, 188, 6, true));
}

TEST(StreamPrimitivesTest, GeometryIsReadFromTheReceiverAndAFailureGivesNoSize) {
  ScriptedTransport transport;
  transport.handler = [](const ScriptedTransport::Command&, std::span<uint8_t> in) {
    const uint8_t answer[] = {0x02, 0xD0, 0x02, 0x40};
    std::copy(std::begin(answer), std::end(answer), in.begin());
    return ScriptedTransport::Reply{kScsiSuccess, 4};
  };
  const auto geometry = ReadPictureGeometry(transport);
  ASSERT_TRUE(geometry);
  EXPECT_EQ(geometry->width, 720);
  EXPECT_EQ(geometry->height, 575);
  EXPECT_EQ(BlockHex(transport.commands[0].cdb), "3c050000000000000400");

  transport.handler = [](const ScriptedTransport::Command&, std::span<uint8_t>) {
    return ScriptedTransport::Reply{kScsiError, 4};
  };
  EXPECT_FALSE(ReadPictureGeometry(transport));
}

TEST(StreamPrimitivesTest, CaptureAssemblesFromUnitStartToTheNextOne) {
  ScriptedTransport transport;
  const std::vector<uint8_t> pat = Join({{0x00}, Section(0x00, 0x007B, 200)});
  ServePackets(transport, {
                              Packet(0, false, {0x99}),  // the middle of something: dropped
                              Packet(0, true, std::vector<uint8_t>(pat.begin(), pat.begin() + 184)),
                              Packet(0, false, std::vector<uint8_t>(pat.begin() + 184, pat.end())),
                              Packet(0, true, {0x00, 0x00}),
                          });
  std::vector<uint8_t> buffer(1024);
  const auto section = CaptureSection(transport, 0x0000, 0x00, buffer);
  ASSERT_EQ(section.size(), 2u * 184 - 1);
  EXPECT_EQ(section.data(), buffer.data() + 1);
  EXPECT_TRUE(std::equal(pat.begin() + 1, pat.end(), section.begin()));

  ASSERT_EQ(transport.commands.size(), 6u);
  EXPECT_EQ(BlockHex(transport.commands[0].cdb), "3e000000000000000600");
  EXPECT_EQ(BlockHex(transport.commands[0].data), "000000bc0006");
  EXPECT_EQ(BlockHex(transport.commands[1].cdb), "3c00000000000000bc00");
  EXPECT_EQ(BlockHex(transport.commands[5].cdb), "3e000000000000000000");
}

TEST(StreamPrimitivesTest, CaptureGivesUpAfterSixRejectedAccumulations) {
  ScriptedTransport transport;
  std::deque<std::vector<uint8_t>> packets;
  for (int i = 0; i < 20; ++i)
    packets.push_back(Packet(0x10, true, Join({{0}, Section(0x41, 1, 4)})));
  ServePackets(transport, packets);
  std::vector<uint8_t> buffer(1024);
  EXPECT_TRUE(CaptureSection(transport, 0x10, 0x40, buffer).empty());
  // Setup, seven reads (the seventh closes the sixth accumulation), stop.
  EXPECT_EQ(transport.commands.size(), 1u + 7 + 1);
  EXPECT_EQ(transport.commands.back().direction, ScsiDirection::kNone);
}

TEST(StreamPrimitivesTest, ExtensionCaptureWalksTheSectionsOfOneAccumulation) {
  const std::vector<uint8_t> sections =
      Join({{0x00}, Section(0x42, 1, 6), Section(0x4A, 2, 3), Section(0x42, 2, 4)});
  const auto at = FindSectionWithExtension(sections, 0x42, 2);
  ASSERT_TRUE(at);
  EXPECT_EQ(*at, 1u + 11 + 8);
  EXPECT_FALSE(FindSectionWithExtension(sections, 0x42, 3));
  EXPECT_EQ(FindSectionWithExtension(sections, 0x42, 1), 1u);
  // The pointer field moves the first section.
  const std::vector<uint8_t> pointed = Join({{0x02, 0xAA, 0xBB}, Section(0x42, 7, 1)});
  EXPECT_EQ(FindSectionWithExtension(pointed, 0x42, 7), 3u);
  EXPECT_EQ(FindSection(pointed, 0x42), 3u);
  EXPECT_FALSE(FindSection(pointed, 0x43));
}

TEST(StreamPrimitivesTest, ExtensionWalkStopsAtStuffing) {
  std::vector<uint8_t> stuffed = Join({{0x00}, Section(0x42, 1, 2)});
  stuffed.resize(stuffed.size() + 20, 0xFF);
  const std::vector<uint8_t> hidden = Section(0x42, 9, 2);
  stuffed.insert(stuffed.end(), hidden.begin(), hidden.end());
  EXPECT_FALSE(FindSectionWithExtension(stuffed, 0x42, 9));
}

TEST(StreamPrimitivesTest, SectionFindersNeverReadPastWhatWasAccumulated) {
  EXPECT_FALSE(FindSection({}, 0));
  const std::vector<uint8_t> pointerOnly = {0x05, 0x00};
  EXPECT_FALSE(FindSection(pointerOnly, 0x00));
  // A length that points far beyond the end ends the walk instead of reading there.
  const std::vector<uint8_t> runaway = {0x00, 0x42, 0xBF, 0xFF, 0x00, 0x01};
  EXPECT_FALSE(FindSectionWithExtension(runaway, 0x42, 2));
  const std::vector<uint8_t> cut = {0x00, 0x42, 0xB0, 0x05, 0x00};
  EXPECT_FALSE(FindSectionWithExtension(cut, 0x42, 0));
}

TEST(StreamPrimitivesTest, CaptureNeverWritesBeyondTheCallersBuffer) {
  ScriptedTransport transport;
  std::vector<uint8_t> longSection = Join({{0x00}, Section(0x02, 1, 540)});
  std::deque<std::vector<uint8_t>> packets;
  for (size_t at = 0; at < longSection.size(); at += 184) {
    const size_t end = std::min(longSection.size(), at + 184);
    packets.push_back(Packet(0x20, at == 0, {longSection.begin() + at, longSection.begin() + end}));
  }
  packets.push_back(Packet(0x20, true, {0x00}));
  ServePackets(transport, packets);
  std::vector<uint8_t> memory(300 + 64, 0xC3);
  const std::span<uint8_t> buffer = std::span(memory).first(300);
  const auto section = CaptureSection(transport, 0x20, 0x02, buffer);
  // The section comes back cut at the buffer's end; the bytes after the buffer are untouched.
  ASSERT_EQ(section.size(), 299u);
  EXPECT_TRUE(std::all_of(memory.begin() + 300, memory.end(), [](uint8_t b) { return b == 0xC3; }));
}

TEST(StreamPrimitivesTest, CaptureEndsWhenTheReceiverStopsDelivering) {
  ScriptedTransport transport;
  ServePackets(transport, {});
  std::vector<uint8_t> buffer(1024);
  EXPECT_TRUE(CaptureSectionWithExtension(transport, 0x11, 0x42, 1, buffer).empty());
  EXPECT_EQ(transport.commands.size(), 1u + (kMaxFailedPacketReads + 1) + 1);
}

TEST(StreamPrimitivesTest, CaptureEndsOnAStreamThatNeverStartsASection) {
  ScriptedTransport transport;
  transport.handler = [](const ScriptedTransport::Command& command, std::span<uint8_t> in) {
    if (command.direction != ScsiDirection::kIn) return ScriptedTransport::Reply{kScsiSuccess, 0};
    const auto packet = Packet(0x11, false, {});
    std::copy(packet.begin(), packet.end(), in.begin());
    return ScriptedTransport::Reply{kScsiSuccess, 188};
  };
  std::vector<uint8_t> buffer(1024);
  EXPECT_TRUE(CaptureSection(transport, 0x11, 0x42, buffer).empty());
  EXPECT_EQ(transport.commands.size(), 1u + kMaxCapturePackets + 1);
}

}  // namespace
}  // namespace pelorus
