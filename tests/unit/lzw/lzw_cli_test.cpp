#include "lzw_cli.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
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

  // Nothing to code is a result, not a failure.
  const CliRun nothing = RunCli({"lzw-encode", out, in, "-1", "-7"});
  EXPECT_EQ(nothing.exitCode, 0);
  EXPECT_EQ(nothing.out, "0\n");
  EXPECT_TRUE(nothing.err.empty());

  // A failure prints the library's 0 and says why.
  const CliRun missing = RunCli({"lzw-encode", out, temp.File("missing"), "-1", "-7"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.out, "0\n");
  EXPECT_EQ(missing.err,
            "lzw-encode: cannot open " + temp.File("missing") + ": No such file or directory\n");
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

TEST(LzwCli, FailuresSayWhyExitOneAndLeaveTheOldOutput) {
  testing::TempDir temp;
  const auto data = testing::MakeFirmwareLike(100000, 3);
  const std::string in = temp.File("fw.bin");
  const std::string out = temp.File("old.out");
  testing::WriteBytes(in, data);
  const std::vector<std::uint8_t> old = {1, 2, 3};
  testing::WriteBytes(out, old);
  const std::string folder = temp.path().string();
  const std::string fifo = temp.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

  struct Case {
    std::string output, input, reason;
  };
  const std::vector<Case> cases = {
      {out, temp.File("missing"), "cannot open " + temp.File("missing") + ": No such file"},
      {out, folder, folder + ": not a regular file"},
      {out, fifo, fifo + ": not a regular file"},
      {folder, in, folder + ": not a regular file"},
      {fifo, in, fifo + ": not a regular file"},
      {in, in, in + " is the input file itself"},
      {temp.File("no/such/out"), in, "cannot create " + temp.File("no/such/out")},
  };
  for (const Case& c : cases) {
    const CliRun run = RunCli({"lzw-encode", c.output, c.input, "65536", "0"});
    EXPECT_EQ(run.exitCode, 1) << c.reason;
    EXPECT_EQ(run.out, "0\n");
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
  }
  EXPECT_EQ(testing::ReadBytes(out), old);
  EXPECT_EQ(testing::ReadBytes(in), data);

  // A disk that fills up part-way (a file size limit stands in for it) leaves the old output.
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::string word0 = "lzw-encode", word1 = out, word2 = in, word3 = "65536", word4 = "0";
    char* argv[] = {word0.data(), word1.data(), word2.data(), word3.data(), word4.data()};
    ::_exit(RunLzwEncodeCommand(5, argv));
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(testing::ReadBytes(out), old);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 3);
}

}  // namespace
}  // namespace pelorus::lzw
