#include "lzss_encoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lzss_reference.h"
#include "lzw_test_data.h"

namespace pelorus::lzw {
namespace {

using testing::ExpandLzss;
using testing::MakeFirmwareLike;
using testing::MakeNoise;
using testing::MakeSmallAlphabet;
using testing::PlainEncode;

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

// Encodes with the library coder and checks the stream against the plain coder and the
// expander, so each case checks both the exact bytes and that they give the input back.
std::vector<std::uint8_t> EncodeChecked(std::span<const std::uint8_t> input) {
  std::vector<std::uint8_t> encoded = EncodeLzss(input);
  EXPECT_EQ(encoded, PlainEncode(input)) << "input of " << input.size() << " bytes";
  const auto expanded = ExpandLzss(encoded, input.size());
  EXPECT_TRUE(expanded.has_value()) << "malformed stream for " << input.size() << " bytes";
  if (expanded) {
    EXPECT_TRUE(std::equal(expanded->begin(), expanded->end(), input.begin(), input.end()))
        << "round trip differs for " << input.size() << " bytes";
  }
  return encoded;
}

TEST(LzssFormat, EmptyInputGivesEmptyStream) { EXPECT_TRUE(EncodeLzss({}).empty()); }

TEST(LzssFormat, ThirtySpacesAreTwoReferencesIntoTheInitialFill) {
  const std::vector<std::uint8_t> input(30, 0x20);
  const auto encoded = EncodeChecked(input);
  ASSERT_EQ(encoded.size(), 5u);
  EXPECT_EQ(encoded[0], 0x00);
  const int firstPosition = encoded[1] | ((encoded[2] >> 4) << 8);
  EXPECT_LT(firstPosition, kFirstPosition);
  EXPECT_EQ(encoded[2] & 0x0F, 13);  // 18 bytes
  EXPECT_EQ(encoded[4] & 0x0F, 7);   // the remaining 12
}

TEST(LzssFormat, MatchesOfFourBytesOrLessStayLiterals) {
  const auto four = EncodeChecked(Bytes("abcd"));
  EXPECT_EQ(four, Bytes("\x0F"
                        "abcd"));
  // "abcd" repeats, but only four bytes long: still literals.
  const auto repeated = EncodeChecked(Bytes("abcdXabcd"));
  EXPECT_EQ(repeated.size(), 11u);
  // Five repeated bytes become a reference.
  const auto five = EncodeChecked(Bytes("abcdeXabcde"));
  ASSERT_EQ(five.size(), 1u + 6u + 2u);
  EXPECT_EQ(five[0], 0x3F);
  EXPECT_EQ(five[8] & 0x0F, 0);
  EXPECT_EQ(five[7] | ((five[8] >> 4) << 8), kFirstPosition);
}

TEST(LzssFormat, NineLiteralsMakeTwoGroups) {
  const auto encoded = EncodeChecked(Bytes("ABCDEFGHI"));
  EXPECT_EQ(encoded, Bytes("\xFF"
                           "ABCDEFGH"
                           "\x01"
                           "I"));
}

TEST(LzssFormat, FullGroupsLeaveNoEmptyTrailingGroup) {
  const auto encoded = EncodeChecked(Bytes("0123456789abcdef"));
  EXPECT_EQ(encoded.size(), 18u);
  EXPECT_EQ(encoded[0], 0xFF);
  EXPECT_EQ(encoded[9], 0xFF);
}

TEST(LzssFormat, LongRunUsesOverlappingReferences) {
  const std::vector<std::uint8_t> input(10000, 0xAB);
  const auto encoded = EncodeChecked(input);
  // One literal, then references of 18 bytes: far smaller than the input.
  EXPECT_LT(encoded.size(), input.size() / 8);
}

TEST(LzssFormat, NoiseGrowsByOneFlagBytePerEightLiterals) {
  const auto input = MakeNoise(8000, 7);
  const auto encoded = EncodeChecked(input);
  EXPECT_EQ(encoded.size(), input.size() + input.size() / 8);
}

// The ring's tail holds bytes of the previous stream after a call; a short input compares
// against that tail, so a reused coder must not let it change the result.
TEST(LzssEncoder, ReusedCoderGivesTheSameBytesAsAFreshOne) {
  class OneChunk final : public ByteSource {
   public:
    explicit OneChunk(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::span<const std::uint8_t> NextChunk() override { return std::exchange(bytes_, {}); }

   private:
    std::span<const std::uint8_t> bytes_;
  };
  class Collect final : public ByteSink {
   public:
    bool Write(std::span<const std::uint8_t> bytes) override {
      collected.insert(collected.end(), bytes.begin(), bytes.end());
      return true;
    }
    std::vector<std::uint8_t> collected;
  };

  auto encoder = std::make_unique<LzssEncoder>();
  const auto previous = MakeSmallAlphabet(600, 11, 2);
  std::mt19937 rng(5);
  for (int round = 0; round < 400; ++round) {
    const auto small = MakeSmallAlphabet(1 + rng() % 40, rng(), 2);
    OneChunk first(previous);
    Collect ignored;
    ASSERT_TRUE(encoder->Encode(first, ignored));
    OneChunk second(small);
    Collect sink;
    ASSERT_TRUE(encoder->Encode(second, sink));
    ASSERT_EQ(sink.collected, PlainEncode(small)) << "round " << round;
    EXPECT_EQ(encoder->BytesWritten(), sink.collected.size());
  }
}

TEST(LzssEncoder, StopsWhenTheSinkRefuses) {
  class Source final : public ByteSource {
   public:
    explicit Source(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    // Small chunks make the coder cross many chunk boundaries.
    std::span<const std::uint8_t> NextChunk() override {
      const auto chunk = bytes_.first(std::min<std::size_t>(bytes_.size(), 777));
      bytes_ = bytes_.subspan(chunk.size());
      return chunk;
    }

   private:
    std::span<const std::uint8_t> bytes_;
  };
  class RefuseSecond final : public ByteSink {
   public:
    bool Write(std::span<const std::uint8_t> bytes) override {
      if (++writes > 1) return false;
      accepted += bytes.size();
      return true;
    }
    int writes = 0;
    std::size_t accepted = 0;
  };

  const auto input = MakeNoise(300000, 3);
  Source source(input);
  RefuseSecond sink;
  auto encoder = std::make_unique<LzssEncoder>();
  EXPECT_FALSE(encoder->Encode(source, sink));
  EXPECT_EQ(sink.writes, 2);
  EXPECT_EQ(encoder->BytesWritten(), sink.accepted);
}

TEST(LzssEncoder, SelectStretchFollowsLengthAndOffsetRules) {
  const auto whole = MakeNoise(100, 1);
  const std::span<const std::uint8_t> all(whole);
  EXPECT_TRUE(SelectStretch(all, 0, 0).empty());
  EXPECT_TRUE(SelectStretch(all, -5, 0).empty());
  EXPECT_TRUE(SelectStretch(all, 10, 100).empty());
  EXPECT_TRUE(SelectStretch(all, 10, 1000).empty());
  EXPECT_TRUE(SelectStretch(all, 10, -1).empty());
  EXPECT_EQ(SelectStretch(all, 10, 95).data(), whole.data() + 95);
  EXPECT_EQ(SelectStretch(all, 10, 95).size(), 5u);
  EXPECT_EQ(SelectStretch(all, 10, 20).size(), 10u);
  EXPECT_EQ(SelectStretch(all, 0x7FFFFFFF, 0).size(), 100u);
}

// Property: for any input, length and offset the stream equals the plain coder's and
// expands to the selected stretch. Sizes around the ring and group boundaries are covered
// on purpose, and a few larger inputs let the ring wrap many times.
TEST(LzssRoundTrip, RandomAndStructuredInputsAtVariousStretches) {
  std::mt19937 rng(20240611);
  std::vector<std::vector<std::uint8_t>> inputs;
  for (std::size_t size : {1u, 2u, 5u, 17u, 18u, 19u, 34u, 35u, 36u, 4095u, 4096u, 4097u}) {
    inputs.push_back(MakeSmallAlphabet(size, rng(), 3));
  }
  inputs.push_back(MakeNoise(70000, rng()));
  inputs.push_back(MakeSmallAlphabet(200000, rng(), 2));
  inputs.push_back(MakeSmallAlphabet(150000, rng(), 16));
  inputs.push_back(MakeFirmwareLike(1 << 20, rng()));
  inputs.push_back(std::vector<std::uint8_t>(100000, 0x20));

  for (const auto& whole : inputs) {
    EncodeChecked(whole);
    for (int trial = 0; trial < 3; ++trial) {
      const auto size = static_cast<std::uint32_t>(whole.size());
      const auto offset = static_cast<std::int32_t>(rng() % (size + 2));
      const auto maxLength = static_cast<std::int32_t>(rng() % (size + 2)) - 1;
      const auto stretch = SelectStretch(whole, maxLength, offset);
      SCOPED_TRACE("size " + std::to_string(size) + " offset " + std::to_string(offset) + " max " +
                   std::to_string(maxLength));
      EncodeChecked(stretch);
    }
  }
}

TEST(LzssRoundTrip, FewMebibytesOfFirmwareLikeData) {
  const auto input = MakeFirmwareLike(3 << 20, 99);
  const auto encoded = EncodeLzss(input);
  const auto expanded = ExpandLzss(encoded, input.size());
  ASSERT_TRUE(expanded.has_value());
  EXPECT_TRUE(*expanded == input);
  EXPECT_LT(encoded.size(), input.size());
}

}  // namespace
}  // namespace pelorus::lzw
