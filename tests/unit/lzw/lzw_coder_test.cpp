#include "lzw_coder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "lzw_reference.h"
#include "lzw_test_data.h"
#include "support/temp_dir.h"

namespace pelorus::lzw {
namespace {

using testing::MakeFirmwareLike;
using testing::MakeNoise;
using testing::MakeSmallAlphabet;
using testing::PlainEncode;

// Codes with the library and checks the stream against the plain coder and the expander:
// the exact bytes, and that they give the input back.
std::vector<std::uint8_t> EncodeChecked(std::span<const std::uint8_t> input) {
  std::vector<std::uint8_t> encoded = EncodeLzw(input);
  EXPECT_EQ(encoded, PlainEncode(input)) << input.size() << " bytes";
  const auto expanded = testing::ExpandLzw(encoded, input.size());
  EXPECT_TRUE(expanded && std::equal(expanded->begin(), expanded->end(), input.begin()))
      << "round trip of " << input.size() << " bytes";
  return encoded;
}

TEST(LzwFormat, GroupsLiteralsAndReferences) {
  EXPECT_TRUE(EncodeChecked({}).empty());
  // Four bytes: literals only, one short group.
  EXPECT_EQ(EncodeChecked(testing::BytesOf("abcd")), testing::BytesOf("\x0F"
                                                                      "abcd"));
  // Nine literals: a full group, then a group of one.
  EXPECT_EQ(EncodeChecked(testing::BytesOf("ABCDEFGHI")), testing::BytesOf("\xFF"
                                                                           "ABCDEFGH\x01"
                                                                           "I"));
  // A repeat of four bytes stays literal; a repeat of five is a reference to its first copy.
  EXPECT_EQ(EncodeChecked(testing::BytesOf("abcdXabcd")).size(), 11u);
  const auto five = EncodeChecked(testing::BytesOf("abcdeXabcde"));
  ASSERT_EQ(five.size(), 9u);
  EXPECT_EQ(five[0], 0x3F);
  EXPECT_EQ(five[7] | ((five[8] & 0xF0) << 4), kFirstPosition);
  EXPECT_EQ(five[8] & 0x0F, 0);
}

TEST(LzwFormat, ThirtySpacesAreTwoReferencesIntoTheInitialFill) {
  const auto encoded = EncodeChecked(std::vector<std::uint8_t>(30, 0x20));
  ASSERT_EQ(encoded.size(), 5u);
  EXPECT_EQ(encoded[0], 0x00);
  EXPECT_LT(encoded[1] | ((encoded[2] & 0xF0) << 4), kFirstPosition);
  EXPECT_EQ(encoded[2] & 0x0F, 13);  // 18 bytes
  EXPECT_EQ(encoded[4] & 0x0F, 7);   // the remaining 12
}

// A short stream compares keys against the ring's look-ahead area, which holds the end of the
// previous stream when a coder is reused; that must not change the result.
TEST(LzwCoder, ReusedCoderGivesTheSameBytesAsAFreshOne) {
  auto encoder = std::make_unique<LzwCoder>();
  const auto previous = MakeSmallAlphabet(600, 11, 2);
  std::mt19937 rng(5);
  for (int round = 0; round < 400; ++round) {
    const auto small = MakeSmallAlphabet(1 + rng() % 40, rng(), 2);
    EncodeLzw(previous, *encoder);
    ASSERT_EQ(EncodeLzw(small, *encoder), PlainEncode(small)) << "round " << round;
  }
}

// Property: for any input, length and offset the stream equals the plain coder's and expands
// to the selected stretch. Sizes around the look-ahead, group and ring boundaries are covered
// on purpose, and the larger inputs wrap the ring many times.
TEST(LzwRoundTrip, RandomAndStructuredInputsAtVariousStretches) {
  std::mt19937 rng(20240611);
  std::vector<std::vector<std::uint8_t>> inputs;
  for (std::size_t size : {1u, 2u, 5u, 17u, 18u, 19u, 34u, 35u, 36u, 4095u, 4096u, 4097u}) {
    inputs.push_back(MakeSmallAlphabet(size, rng(), 3));
  }
  inputs.push_back(MakeNoise(70000, rng()));
  inputs.push_back(MakeSmallAlphabet(200000, rng(), 2));
  inputs.push_back(MakeSmallAlphabet(150000, rng(), 16));
  inputs.push_back(std::vector<std::uint8_t>(100000, 0x20));
  inputs.push_back(MakeFirmwareLike(2 << 20, rng()));

  for (const auto& whole : inputs) {
    EncodeChecked(whole);
    for (int trial = 0; trial < 3; ++trial) {
      const auto size = static_cast<std::uint32_t>(whole.size());
      const auto offset = static_cast<std::int32_t>(rng() % (size + 2));
      const auto maxLength = static_cast<std::int32_t>(rng() % (size + 2)) - 1;
      SCOPED_TRACE("size " + std::to_string(size) + " offset " + std::to_string(offset) + " max " +
                   std::to_string(maxLength));
      EncodeChecked(SelectStretch(whole, maxLength, offset));
    }
  }
}

}  // namespace
}  // namespace pelorus::lzw
