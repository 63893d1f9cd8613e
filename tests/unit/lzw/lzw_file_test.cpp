#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "lzss_encoder.h"
#include "lzss_reference.h"
#include "lzw_file_encoder.h"
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
using testing::ExpandLzss;
using testing::MakeFirmwareLike;
using testing::MakeNoise;
using testing::PlainEncode;

class LzwFileTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return temp_.File(name); }

  std::string WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const std::string path = PathOf(name);
    testing::WriteBytes(path, bytes);
    return path;
  }

  static std::vector<std::uint8_t> ReadFile(const std::string& path) {
    return testing::ReadBytes(path);
  }

  std::string DirPath() const { return temp_.path().string(); }

  testing::TempDir temp_;
};

TEST_F(LzwFileTest, CodesTheWholeFileAndReturnsTheOutputSize) {
  const auto data = MakeFirmwareLike(300000, 1);
  const std::string in = WriteFile("fw.bin", data);
  const std::string out = PathOf("fw.lzs");
  const std::int32_t result = LZWencode(out.c_str(), in.c_str(), 0x7FFFFFFF, 0);
  const auto written = ReadFile(out);
  EXPECT_EQ(static_cast<std::size_t>(result), written.size());
  EXPECT_EQ(written, PlainEncode(data));
  EXPECT_EQ(ExpandLzss(written, data.size()), data);
}

TEST_F(LzwFileTest, PartExamplesThroughFiles) {
  const std::string out = PathOf("out");
  const std::string spaces = WriteFile("spaces", std::vector<std::uint8_t>(30, 0x20));
  EXPECT_EQ(LZWencode(out.c_str(), spaces.c_str(), 65536, 0), 5);
  EXPECT_EQ(ReadFile(out)[0], 0x00);

  const std::string four = WriteFile("four", {1, 2, 3, 4});
  EXPECT_EQ(LZWencode(out.c_str(), four.c_str(), 65536, 0), 5);
  EXPECT_EQ(ReadFile(out), (std::vector<std::uint8_t>{0x0F, 1, 2, 3, 4}));

  const std::string nine = WriteFile("nine", {9, 8, 7, 6, 5, 4, 3, 2, 1});
  EXPECT_EQ(LZWencode(out.c_str(), nine.c_str(), 65536, 0), 11);
  EXPECT_EQ(ReadFile(out), (std::vector<std::uint8_t>{0xFF, 9, 8, 7, 6, 5, 4, 3, 2, 0x01, 1}));
}

TEST_F(LzwFileTest, StandardConventionEntryGivesTheSameResult) {
  const auto data = MakeFirmwareLike(50000, 2);
  const std::string in = WriteFile("fw.bin", data);
  const std::string out1 = PathOf("a");
  const std::string out2 = PathOf("b");
  EXPECT_EQ(LZWencodeVB(out2.c_str(), in.c_str(), 20000, 777),
            LZWencode(out1.c_str(), in.c_str(), 20000, 777));
  EXPECT_EQ(ReadFile(out1), ReadFile(out2));
  EXPECT_FALSE(ReadFile(out1).empty());
}

// The firmware upgrade codes a file in 64 KiB steps; every step must be exactly the bytes
// from its offset, and the last step whatever is left.
TEST_F(LzwFileTest, StepsOfAFileCodeExactlyTheirStretch) {
  const auto data = MakeFirmwareLike(65536 * 3 + 1, 3);
  const std::string in = WriteFile("fw.bin", data);
  const std::string out = PathOf("step");
  std::size_t covered = 0;
  for (std::int32_t offset = 0;; offset += 65536) {
    const std::int32_t result = LZWencode(out.c_str(), in.c_str(), 65536, offset);
    const auto written = ReadFile(out);
    ASSERT_EQ(static_cast<std::size_t>(result), written.size());
    if (result == 0) break;
    const auto stretch = SelectStretch(data, 65536, offset);
    EXPECT_EQ(written, PlainEncode(stretch)) << "offset " << offset;
    covered += stretch.size();
  }
  EXPECT_EQ(covered, data.size());
}

// A short last step is coded right after a full one; its bytes must not depend on what the
// step before left in the coder. Images ending in erased-flash padding show the difference.
TEST_F(LzwFileTest, ShortLastStepDoesNotDependOnTheStepBefore) {
  const std::string out = PathOf("step");
  for (const bool erasedImage : {false, true}) {
    for (std::uint32_t tail = 1; tail <= 40; ++tail) {
      auto data =
          erasedImage ? std::vector<std::uint8_t>(65536, 0xFF) : MakeFirmwareLike(65536, tail);
      data.insert(data.end(), tail, 0xFF);
      const std::string in = WriteFile("fw.bin", data);
      ASSERT_GT(LZWencode(out.c_str(), in.c_str(), 65536, 0), 0);
      const std::int32_t result = LZWencode(out.c_str(), in.c_str(), 65536, 65536);
      const auto expected = PlainEncode(SelectStretch(data, 65536, 65536));
      ASSERT_EQ(static_cast<std::size_t>(result), expected.size()) << "tail " << tail;
      ASSERT_EQ(ReadFile(out), expected) << "tail " << tail;
    }
  }
}

TEST_F(LzwFileTest, RoundTripOverRandomLengthsAndOffsets) {
  std::mt19937 rng(77);
  const std::vector<std::vector<std::uint8_t>> files = {MakeNoise(5000, 4),
                                                        MakeFirmwareLike(2 << 20, 5)};
  const std::string out = PathOf("out");
  for (std::size_t f = 0; f < files.size(); ++f) {
    const std::string in = WriteFile("in" + std::to_string(f), files[f]);
    for (int trial = 0; trial < 6; ++trial) {
      const auto size = static_cast<std::uint32_t>(files[f].size());
      const auto offset = static_cast<std::int32_t>(rng() % (size + size / 4));
      const auto maxLength = static_cast<std::int32_t>(rng() % (size + size / 4)) - 8;
      const std::int32_t result = LZWencode(out.c_str(), in.c_str(), maxLength, offset);
      const auto written = ReadFile(out);
      const auto stretch = SelectStretch(files[f], maxLength, offset);
      SCOPED_TRACE("offset " + std::to_string(offset) + " max " + std::to_string(maxLength));
      ASSERT_EQ(static_cast<std::size_t>(result), written.size());
      const auto expanded = ExpandLzss(written, stretch.size());
      ASSERT_TRUE(expanded.has_value());
      EXPECT_TRUE(std::equal(expanded->begin(), expanded->end(), stretch.begin(), stretch.end()));
    }
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

TEST_F(LzwFileTest, UnopenableFilesGiveZeroAndCreateNothing) {
  const std::string data = WriteFile("data", MakeNoise(100, 6));
  const std::string out = PathOf("out");
  EXPECT_EQ(LZWencode(out.c_str(), PathOf("missing").c_str(), 65536, 0), 0);
  EXPECT_EQ(LZWencode(out.c_str(), DirPath().c_str(), 65536, 0), 0);
  EXPECT_EQ(LZWencode(out.c_str(), nullptr, 65536, 0), 0);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(LZWencode(PathOf("no/such/dir/out").c_str(), data.c_str(), 65536, 0), 0);
  EXPECT_EQ(LZWencode(DirPath().c_str(), data.c_str(), 65536, 0), 0);
  EXPECT_EQ(LZWencode(nullptr, data.c_str(), 65536, 0), 0);
}

TEST_F(LzwFileTest, OutputThatIsTheInputIsRefusedAndTheInputKept) {
  const auto bytes = MakeFirmwareLike(10000, 7);
  const std::string in = WriteFile("fw.bin", bytes);
  EXPECT_EQ(LZWencode(in.c_str(), in.c_str(), 65536, 0), 0);
  EXPECT_EQ(ReadFile(in), bytes);
  const std::string link = PathOf("alias.bin");
  std::error_code error;
  fs::create_hard_link(in, link, error);
  if (!error) {
    EXPECT_EQ(LZWencode(link.c_str(), in.c_str(), 65536, 0), 0);
    EXPECT_EQ(ReadFile(in), bytes);
  }
}

TEST_F(LzwFileTest, StreamOverTheResultLimitFailsAndLeavesAnEmptyOutput) {
  const auto bytes = MakeNoise(200000, 8);  // codes to 225000 bytes
  const std::string in = WriteFile("noise", bytes);
  const std::string out = PathOf("out");
  EXPECT_EQ(EncodeFileStretch(out.c_str(), in.c_str(), 0x7FFFFFFF, 0, 100000), 0);
  EXPECT_EQ(fs::file_size(out), 0u);
  EXPECT_EQ(EncodeFileStretch(out.c_str(), in.c_str(), 0x7FFFFFFF, 0, 225000), 225000);
  EXPECT_EQ(EncodeFileStretch(out.c_str(), in.c_str(), 0x7FFFFFFF, 0, 224999), 0);
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
  EXPECT_EQ(fs::file_size(out), 0u);
}
#endif

}  // namespace
}  // namespace pelorus::lzw
