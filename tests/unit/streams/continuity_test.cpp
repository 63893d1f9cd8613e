// The continuity rule the file check and the recorder share, case by case.
#include "streams/continuity.h"

#include <gtest/gtest.h>

#include <vector>

#include "ts_packets.h"

namespace pelorus {
namespace {

using testing::MakePacket;
using testing::PacketShape;

// The errors each packet shows, in order, through one checker.
std::vector<int> Errors(std::initializer_list<PacketShape> shapes) {
  ContinuityChecker checker;
  std::vector<std::vector<uint8_t>> packets;
  for (const PacketShape& shape : shapes) packets.push_back(MakePacket(shape));
  std::vector<int> errors;
  for (const std::vector<uint8_t>& packet : packets) errors.push_back(checker.Check(packet.data()));
  return errors;
}

using E = std::vector<int>;

TEST(Continuity, CountersAdvanceByOneAndWrap) {
  EXPECT_EQ(Errors({{.counter = 14}, {.counter = 15}, {.counter = 0}, {.counter = 1}}),
            E({0, 0, 0, 0}));
}

TEST(Continuity, TheFirstPacketOfAPidStartsItsCount) {
  EXPECT_EQ(Errors({{.counter = 9}, {.counter = 10}}), E({0, 0}));
}

TEST(Continuity, AJumpIsOneErrorAndTheCountGoesOnFromIt) {
  EXPECT_EQ(Errors({{.counter = 5}, {.counter = 7}}), E({0, 1}));
  EXPECT_EQ(Errors({{.counter = 5}, {.counter = 7}, {.counter = 8}}), E({0, 1, 0}));
}

TEST(Continuity, OneIdenticalDuplicateIsLegal) {
  EXPECT_EQ(Errors({{.counter = 5}, {.counter = 6}, {.counter = 6}, {.counter = 7}}),
            E({0, 0, 0, 0}));
  // Also with an adaptation field: what matters is that every byte is the same.
  EXPECT_EQ(Errors({{.counter = 5},
                    {.counter = 6, .adaptation = true, .pcr = true},
                    {.counter = 6, .adaptation = true, .pcr = true}}),
            E({0, 0, 0}));
}

TEST(Continuity, AThirdCopyIsAnError) {
  EXPECT_EQ(Errors({{.counter = 6}, {.counter = 6}, {.counter = 6}, {.counter = 7}}),
            E({0, 0, 1, 0}));
}

TEST(Continuity, TheSameCounterWithOtherBytesIsAnError) {
  EXPECT_EQ(Errors({{.counter = 5}, {.counter = 6}, {.counter = 6, .fill = 0x11}, {.counter = 7}}),
            E({0, 0, 1, 0}));
  // An adaptation field does not make a changed packet a repeat.
  EXPECT_EQ(Errors({{.counter = 5}, {.counter = 6}, {.counter = 6, .adaptation = true}}),
            E({0, 0, 1}));
}

TEST(Continuity, PacketsWithoutPayloadKeepTheCounter) {
  // Adaptation field only (10) and neither (00) carry the counter of the packet before.
  EXPECT_EQ(Errors({{.counter = 5},
                    {.counter = 5, .payload = false, .adaptation = true},
                    {.counter = 5, .payload = false},
                    {.counter = 6}}),
            E({0, 0, 0, 0}));
}

TEST(Continuity, APacketWithoutPayloadThatChangesTheCounterIsAnError) {
  EXPECT_EQ(Errors({{.counter = 5}, {.counter = 6, .payload = false, .adaptation = true}}),
            E({0, 1}));
  // An encoder that counts such packets shows one error for it, not two.
  EXPECT_EQ(
      Errors(
          {{.counter = 5}, {.counter = 6, .payload = false, .adaptation = true}, {.counter = 7}}),
      E({0, 1, 0}));
}

TEST(Continuity, ADuplicateMustFollowItsPacketAtOnce) {
  EXPECT_EQ(
      Errors(
          {{.counter = 5}, {.counter = 5, .payload = false, .adaptation = true}, {.counter = 5}}),
      E({0, 0, 1}));
}

TEST(Continuity, AnnouncedDiscontinuityIsNoError) {
  EXPECT_EQ(Errors({{.counter = 5},
                    {.counter = 9, .adaptation = true, .discontinuity = true},
                    {.counter = 10}}),
            E({0, 0, 0}));
  EXPECT_EQ(Errors({{.counter = 5},
                    {.counter = 2, .payload = false, .adaptation = true, .discontinuity = true}}),
            E({0, 0}));
  // A length byte the packet has no room for is not trusted to excuse a loss.
  EXPECT_EQ(
      Errors({{.counter = 5},
              {.counter = 9, .adaptation = true, .adaptationLength = 184, .discontinuity = true}}),
      E({0, 1}));
  // An adaptation field without bytes carries no indicator.
  EXPECT_EQ(Errors({{.counter = 5},
                    {.counter = 9, .adaptation = true, .adaptationLength = 0, .fill = 0x80}}),
            E({0, 1}));
}

TEST(Continuity, TheNullPidIsNotFollowedAndPidsAreCountedApart) {
  EXPECT_EQ(Errors({{.pid = 0x1FFF, .counter = 3},
                    {.pid = 0x1FFF, .counter = 9},
                    {.pid = 0x1FFF, .counter = 9},
                    {.pid = 0x1FFF, .counter = 9}}),
            E({0, 0, 0, 0}));
  EXPECT_EQ(Errors({{.pid = 1, .counter = 3},
                    {.pid = 2, .counter = 9},
                    {.pid = 1, .counter = 4},
                    {.pid = 2, .counter = 11}}),
            E({0, 0, 0, 1}));
}

TEST(Continuity, ADuplicateIsRecognisedAfterTheCallersBufferWasReused) {
  ContinuityChecker checker;
  std::vector<uint8_t> buffer = MakePacket({.counter = 4});
  EXPECT_EQ(checker.Check(buffer.data()), 0);
  checker.Release();
  const std::vector<uint8_t> copy = buffer;
  // The caller's memory now holds something else; the checker kept what it needs.
  std::fill(buffer.begin(), buffer.end(), 0x00);
  EXPECT_EQ(checker.Check(copy.data()), 0);
  // Without a release in between the pointer is still good, and a third copy is still an error.
  EXPECT_EQ(checker.Check(copy.data()), 1);
}

}  // namespace
}  // namespace pelorus
