#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "lzw_coder.h"
#include "lzw_file_encoder.h"
#include "lzw_reference.h"
#include "lzw_test_data.h"
#include "pelorus_lzw.h"
#include "support/temp_dir.h"

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace pelorus::lzw {
namespace {

namespace fs = std::filesystem;
using testing::MakeFirmwareLike;
using testing::MakeNoise;
using testing::PlainEncode;
using testing::ReadBytes;

class LzwFileTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return temp_.File(name); }
  std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    testing::WriteBytes(PathOf(name), bytes);
    return PathOf(name);
  }
  std::string DirPath() const { return temp_.path().string(); }

  testing::TempDir temp_;
};

TEST_F(LzwFileTest, BothEntriesCodeTheStretchAndReturnTheOutputSize) {
  const std::string out = PathOf("out");
  const auto data = MakeFirmwareLike(300000, 1);
  const std::string in = WriteFile("fw.bin", data);
  EXPECT_EQ(LZWencode(out.c_str(), in.c_str(), 0x7FFFFFFF, 0), PlainEncode(data).size());
  EXPECT_EQ(ReadBytes(out), PlainEncode(data));
  const auto stretch = PlainEncode(SelectStretch(data, 20000, 777));
  EXPECT_EQ(LZWencodeVB(out.c_str(), in.c_str(), 20000, 777), stretch.size());
  EXPECT_EQ(ReadBytes(out), stretch);

  // The sizes the coder's description gives for 30 spaces, 4 bytes and 9 literals.
  const std::pair<std::vector<std::uint8_t>, std::int32_t> examples[] = {
      {std::vector<std::uint8_t>(30, 0x20), 5},
      {{1, 2, 3, 4}, 5},
      {{9, 8, 7, 6, 5, 4, 3, 2, 1}, 11}};
  for (const auto& [bytes, size] : examples) {
    EXPECT_EQ(LZWencode(out.c_str(), WriteFile("example", bytes).c_str(), 65536, 0), size);
    EXPECT_EQ(fs::file_size(out), static_cast<std::uintmax_t>(size));
  }
}

// The firmware upgrade codes a file in 64 KiB steps; every step must be exactly the bytes
// from its offset, the last one whatever is left, and a step past the end codes nothing.
TEST_F(LzwFileTest, StepsAndRandomStretchesCodeExactlyTheirBytes) {
  const std::string out = PathOf("out");
  const auto data = MakeFirmwareLike(65536 * 3 + 1, 3);
  const std::string in = WriteFile("fw.bin", data);
  for (std::int32_t offset = 0; offset <= 65536 * 4; offset += 65536) {
    const auto expected = PlainEncode(SelectStretch(data, 65536, offset));
    EXPECT_EQ(LZWencode(out.c_str(), in.c_str(), 65536, offset), expected.size());
    EXPECT_EQ(ReadBytes(out), expected) << "offset " << offset;
  }
  std::mt19937 rng(77);
  for (int trial = 0; trial < 6; ++trial) {
    const auto offset = static_cast<std::int32_t>(rng() % (data.size() + 1000));
    const auto maxLength = static_cast<std::int32_t>(rng() % (data.size() + 1000)) - 8;
    const auto expected = PlainEncode(SelectStretch(data, maxLength, offset));
    EXPECT_EQ(LZWencode(out.c_str(), in.c_str(), maxLength, offset), expected.size());
    EXPECT_EQ(ReadBytes(out), expected) << "offset " << offset << " max " << maxLength;
  }
}

// A short last step is coded right after a full one; its bytes must not depend on what the
// step before left in the coder. An image ending in erased-flash padding shows the difference.
TEST_F(LzwFileTest, ShortLastStepDoesNotDependOnTheStepBefore) {
  const std::string out = PathOf("step");
  for (std::uint32_t tail = 1; tail <= 40; ++tail) {
    const std::vector<std::uint8_t> data(65536 + tail, 0xFF);
    const std::string in = WriteFile("fw.bin", data);
    ASSERT_GT(LZWencode(out.c_str(), in.c_str(), 65536, 0), 0);
    const auto expected = PlainEncode(SelectStretch(data, 65536, 65536));
    ASSERT_EQ(LZWencode(out.c_str(), in.c_str(), 65536, 65536), expected.size());
    ASSERT_EQ(ReadBytes(out), expected) << "tail " << tail;
  }
}

TEST_F(LzwFileTest, NothingToCodeCreatesAnEmptyOutput) {
  const std::string empty = WriteFile("empty", {});
  const std::string data = WriteFile("data", {1, 2, 3, 4, 5, 6, 7, 8});
  const std::string out = PathOf("out");
  struct Case {
    const std::string& input;
    std::int32_t maxLength;
    std::int32_t offset;
  };
  const Case cases[] = {{empty, 65536, 0}, {data, 0, 0},   {data, -1, 0},
                        {data, 65536, 8},  {data, 5, 100}, {data, 65536, -1}};
  for (const Case& c : cases) {
    WriteFile("out", {0xAA, 0xBB});  // an old output must not survive
    EXPECT_EQ(LZWencode(out.c_str(), c.input.c_str(), c.maxLength, c.offset), 0)
        << c.input << " max " << c.maxLength << " offset " << c.offset;
    EXPECT_TRUE(fs::exists(out));
    EXPECT_EQ(fs::file_size(out), 0u);
  }
}

TEST_F(LzwFileTest, FilesThatCannotBeUsedGiveZeroAndChangeNothing) {
  const auto bytes = MakeFirmwareLike(10000, 7);
  const std::string in = WriteFile("fw.bin", bytes);
  const std::string out = PathOf("out");
  EXPECT_EQ(LZWencode(out.c_str(), PathOf("missing").c_str(), 65536, 0), 0);
  EXPECT_EQ(LZWencode(out.c_str(), DirPath().c_str(), 65536, 0), 0);
  EXPECT_EQ(LZWencode(out.c_str(), nullptr, 65536, 0), 0);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(LZWencode(PathOf("no/such/dir/out").c_str(), in.c_str(), 65536, 0), 0);
  EXPECT_EQ(LZWencode(DirPath().c_str(), in.c_str(), 65536, 0), 0);
  EXPECT_EQ(LZWencode(nullptr, in.c_str(), 65536, 0), 0);

  // Creating the output would truncate the input before it is read.
  const std::string alias = PathOf("alias.bin");
  fs::create_hard_link(in, alias);
  EXPECT_EQ(LZWencode(in.c_str(), in.c_str(), 65536, 0), 0);
  EXPECT_EQ(LZWencode(alias.c_str(), in.c_str(), 65536, 0), 0);
  EXPECT_EQ(ReadBytes(in), bytes);
}

// The exports return the size as a 32-bit number; a stream that would not fit fails rather
// than wrapping, and leaves no partial output that could pass for a whole one: the output
// there was stays as it was.
TEST_F(LzwFileTest, StreamOverTheResultLimitFailsAndLeavesTheOldOutput) {
  const std::string in = WriteFile("noise", MakeNoise(200000, 8));  // codes to 225000 bytes
  const std::string out = PathOf("out");
  EXPECT_EQ(EncodeFileStretch(out.c_str(), in.c_str(), 0x7FFFFFFF, 0, 225000), 225000);
  EncodeFailure failure;
  EXPECT_EQ(EncodeFileStretch(out.c_str(), in.c_str(), 0x7FFFFFFF, 0, 224999, &failure), 0);
  EXPECT_EQ(failure.problem, EncodeProblem::kResultTooLarge);
  EXPECT_EQ(fs::file_size(out), 225000u);
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(out).parent_path()), {}), 2);
}

#ifdef __linux__
TEST_F(LzwFileTest, WriteErrorIsAFailure) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::string in = WriteFile("fw.bin", MakeFirmwareLike(100000, 9));
  EXPECT_EQ(LZWencode("/dev/full", in.c_str(), 65536, 0), 0);
}

// A read that fails part-way must not pass for the end of the file. /proc/self/mem fails
// the read at the first unmapped page, after delivering the mapped page before it.
TEST_F(LzwFileTest, ReadErrorPartWayIsAFailure) {
  const long pageSize = sysconf(_SC_PAGESIZE);
  const std::uintptr_t base = 0x10000000;
  void* mapped =
      mmap(reinterpret_cast<void*>(base), static_cast<std::size_t>(pageSize) * 2,
           PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
  if (mapped != reinterpret_cast<void*>(base)) GTEST_SKIP() << "cannot map the test page";
  std::memset(mapped, 'x', static_cast<std::size_t>(pageSize));
  munmap(static_cast<char*>(mapped) + pageSize, static_cast<std::size_t>(pageSize));

  const std::string out = PathOf("out");
  const auto offset = static_cast<std::int32_t>(base);
  const std::int32_t beforeHole = LZWencode(out.c_str(), "/proc/self/mem", pageSize, offset);
  const std::int32_t acrossHole = LZWencode(out.c_str(), "/proc/self/mem", pageSize * 2, offset);
  munmap(mapped, static_cast<std::size_t>(pageSize));
  if (beforeHole == 0) GTEST_SKIP() << "/proc/self/mem is not readable here";
  EXPECT_EQ(acrossHole, 0);
  // The failed call left the output of the one before it.
  EXPECT_EQ(fs::file_size(out), static_cast<std::uintmax_t>(beforeHole));
}
#endif

}  // namespace
}  // namespace pelorus::lzw
