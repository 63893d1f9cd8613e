// The read-ahead gives a file's bytes in order, block by block, the end as often as it is asked
// for, a failed read's errno, and stops cleanly with blocks left unread.
#include "common/read_ahead.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "support/temp_dir.h"

namespace pelorus {
namespace {

TEST(ReadAheadTest, BlocksInOrderThenTheEndThenStop) {
  testing::TempDir dir;
  std::vector<uint8_t> bytes(10000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 256);
  testing::WriteBytes(dir.File("data"), bytes);
  for (const size_t blockSize : {size_t{1000}, size_t{4096}, size_t{20000}}) {
    SCOPED_TRACE(blockSize);
    const int file = ::open(dir.File("data").c_str(), O_RDONLY);
    ASSERT_GE(file, 0);
    {
      ReadAhead reader(file, blockSize);
      std::vector<uint8_t> read;
      for (ReadAhead::Block block = reader.Next(); !block.bytes.empty(); block = reader.Next()) {
        EXPECT_LE(block.bytes.size(), blockSize);
        read.insert(read.end(), block.bytes.begin(), block.bytes.end());
      }
      EXPECT_EQ(read, bytes);
      const ReadAhead::Block end = reader.Next();
      EXPECT_TRUE(end.bytes.empty());
      EXPECT_EQ(end.error, 0);
    }
    ::close(file);
  }
  // Left after one block of many: the thread stops and is joined.
  const int file = ::open(dir.File("data").c_str(), O_RDONLY);
  {
    ReadAhead reader(file, 100);
    EXPECT_EQ(reader.Next().bytes.size(), 100u);
  }
  ::close(file);
}

TEST(ReadAheadTest, AFailedReadGivesItsError) {
  testing::TempDir dir;
  const int folder = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(folder, 0);
  {
    ReadAhead reader(folder, 4096);
    const ReadAhead::Block block = reader.Next();
    EXPECT_TRUE(block.bytes.empty());
    EXPECT_EQ(block.error, EISDIR);
  }
  ::close(folder);
}

}  // namespace
}  // namespace pelorus
