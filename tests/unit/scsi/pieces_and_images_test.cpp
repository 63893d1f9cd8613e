#include <gtest/gtest.h>

#include <vector>

#include "scsi/firmware_upgrade.h"
#include "scsi/transfer_pieces.h"

namespace pelorus {
namespace {

TEST(TransferPiecesTest, TableOf1024ChannelsIsOnePiece) {
  const auto pieces = SplitIntoPieces(0x000D0000, 1024 * 64);
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0].address, 0x000D0000u);
  EXPECT_EQ(pieces[0].length, 65536u);
}

TEST(TransferPiecesTest, TableOf1025ChannelsIsTwoPieces) {
  const auto pieces = SplitIntoPieces(0x000D0000, 1025 * 64);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].address, 0x000D0000u);
  EXPECT_EQ(pieces[0].length, 65536u);
  EXPECT_EQ(pieces[1].address, 0x000E0000u);
  EXPECT_EQ(pieces[1].offset, 65536u);
  EXPECT_EQ(pieces[1].length, 64u);
}

TEST(TransferPiecesTest, MemoryRangesFromAnyAddress) {
  EXPECT_TRUE(SplitIntoPieces(0x1234, 0).empty());
  const auto one = SplitIntoPieces(0x01000300, 512);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].length, 512u);
  // A range that is not aligned keeps the piece size; only the last piece is shorter.
  const auto frame = SplitIntoPieces(0x10038600, 622080);
  ASSERT_EQ(frame.size(), 10u);
  EXPECT_EQ(frame[1].address, 0x10048600u);
  EXPECT_EQ(frame[9].address, 0x10038600u + 9 * 65536);
  EXPECT_EQ(frame[9].length, 622080u - 9 * 65536);
  uint64_t total = 0;
  for (const auto& piece : frame) total += piece.length;
  EXPECT_EQ(total, 622080u);
  // The largest range a dialog accepts does not overflow the piece arithmetic.
  const auto huge = SplitIntoPieces(0x7FFFFFFF, 0x7FFFFFFF);
  EXPECT_EQ(huge.size(), 32768u);
  EXPECT_EQ(huge.back().address, 0x7FFFFFFFu + 32767u * 65536u);
  EXPECT_EQ(huge.back().length, 65535u);
}

TEST(TransferPiecesTest, ProgressIsTruncatedAndDoesNotOverflow) {
  EXPECT_EQ(ProgressPercent(65536, 131073), 49);
  EXPECT_EQ(ProgressPercent(131073, 131073), 100);
  EXPECT_EQ(ProgressPercent(0x7FFF0000, 0x7FFFFFFF), 99);
}

TEST(FirmwareImageTest, OddSizesArePaddedWithOneZero) {
  std::vector<uint8_t> odd(131071, 0xAA);
  PadFirmwareImage(odd);
  ASSERT_EQ(odd.size(), 131072u);
  EXPECT_EQ(odd.back(), 0);
  std::vector<uint8_t> even(4, 0xAA);
  PadFirmwareImage(even);
  EXPECT_EQ(even.size(), 4u);
}

TEST(FirmwareImageTest, OnlyAPaddedSizeOf128KiBIsTheBootloader) {
  for (size_t size : {size_t{131071}, size_t{131072}, size_t{131073}, size_t{2}, size_t{5}}) {
    std::vector<uint8_t> image(size);
    PadFirmwareImage(image);
    const uint32_t expected = (size == 131071 || size == 131072) ? 0u : 0x20000u;
    EXPECT_EQ(FirmwareStartAddress(image.size()), expected) << size;
  }
  std::vector<uint8_t> image(131073);
  PadFirmwareImage(image);
  EXPECT_EQ(image.size(), 131074u);
}

}  // namespace
}  // namespace pelorus
