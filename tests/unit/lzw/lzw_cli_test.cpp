#include "lzw_cli.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lzw_coder.h"
#include "lzw_test_data.h"
#include "support/temp_dir.h"

namespace pelorus::lzw {
namespace {

struct CliRun {
  int exitCode;
  std::string out;
  std::string err;
};

CliRun RunCli(std::vector<std::string> words) {
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  ::testing::internal::CaptureStdout();
  ::testing::internal::CaptureStderr();
  const int exitCode = RunLzwEncodeCommand(static_cast<int>(argv.size()), argv.data());
  std::string out = ::testing::internal::GetCapturedStdout();
  std::string err = ::testing::internal::GetCapturedStderr();
  return {exitCode, out, err};
}

TEST(LzwCli, PrintsTheResultEvenWhenItIsZero) {
  testing::TempDir temp;
  const auto data = testing::MakeFirmwareLike(100000, 12);
  const std::string in = temp.File("fw.bin");
  const std::string out = temp.File("fw.tmp");
  testing::WriteBytes(in, data);

  const CliRun run = RunCli({"lzw-encode", out, in, "65536", "40000"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.err.empty());
  const auto expected = EncodeLzw(SelectStretch(data, 65536, 40000));
  EXPECT_EQ(run.out, std::to_string(expected.size()) + "\n");
  EXPECT_EQ(testing::ReadBytes(out), expected);

  const CliRun missing = RunCli({"lzw-encode", out, temp.File("missing"), "-1", "-7"});
  EXPECT_EQ(missing.exitCode, 0);
  EXPECT_EQ(missing.out, "0\n");
}

TEST(LzwCli, WrongArgumentsPrintUsageAndExitTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"lzw-encode"},
      {"lzw-encode", "out", "in", "65536"},
      {"lzw-encode", "out", "in", "65536", "0", "extra"},
      {"lzw-encode", "out", "in", "64k", "0"},
      {"lzw-encode", "out", "in", "65536", ""},
      {"lzw-encode", "out", "in", "65536", "2147483648"},
      {"lzw-encode", "out", "in", "-2147483649", "0"},
  };
  for (const auto& words : cases) {
    const CliRun run = RunCli(words);
    EXPECT_EQ(run.exitCode, 2) << words.size() << " words";
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(run.err.find("usage: pelorus-cli lzw-encode OUT IN MAXLEN OFFSET"),
              std::string::npos);
  }
}

}  // namespace
}  // namespace pelorus::lzw
