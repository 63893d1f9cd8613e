#include "common/crc32_mpeg.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace pelorus {
namespace {

TEST(Crc32Mpeg, KnownValuesAndSectionSelfCheck) {
  const std::vector<uint8_t> check = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
  EXPECT_EQ(Crc32Mpeg(check), 0x0376E6E7u);
  EXPECT_EQ(Crc32Mpeg({}), 0xFFFFFFFFu);

  // A PAT with one programme (1 -> PMT 0x0100): its CRC appended makes the whole check to 0.
  std::vector<uint8_t> pat = {0x00, 0xB0, 0x0D, 0x00, 0x01, 0xC1,
                              0x00, 0x00, 0x00, 0x01, 0xE1, 0x00};
  const uint32_t crc = Crc32Mpeg(pat);
  for (int shift = 24; shift >= 0; shift -= 8) pat.push_back(static_cast<uint8_t>(crc >> shift));
  EXPECT_EQ(Crc32Mpeg(pat), 0u);
}

TEST(Crc32Mpeg, SliceByEightAgreesWithBytewiseAtEveryLengthAndSplit) {
  std::mt19937 random(7);
  std::vector<uint8_t> data(300);
  for (auto& byte : data) byte = static_cast<uint8_t>(random());
  for (size_t length = 0; length <= data.size(); ++length) {
    const std::span<const uint8_t> part(data.data(), length);
    ASSERT_EQ(Crc32Mpeg(part), Crc32MpegBytewise(part)) << length;
  }
  // Continuing over two pieces equals one pass over both.
  const std::span<const uint8_t> all(data);
  EXPECT_EQ(Crc32Mpeg(all.subspan(13), Crc32Mpeg(all.first(13))), Crc32Mpeg(all));
}

}  // namespace
}  // namespace pelorus
