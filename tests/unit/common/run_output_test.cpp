#include "common/run_output.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace pelorus {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::vector<uint8_t> kOldContents = {1, 2, 3, 4};

std::vector<uint8_t> Packets(size_t count, uint8_t fill = 0x11) {
  std::vector<uint8_t> bytes(count * 188, fill);
  for (size_t i = 0; i < count; ++i) bytes[i * 188] = 0x47;
  return bytes;
}

size_t TemporariesIn(const TempDir& dir) {
  size_t count = 0;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    if (entry.path().filename().string().find(".pelorus-") != std::string::npos) ++count;
  }
  return count;
}

TEST(RunOutput, ARunWithoutDataLeavesTheOldFileAsItWas) {
  TempDir dir;
  const std::string target = dir.File("old.m2t");
  WriteBytes(target, kOldContents);
  {
    RunOutput output(target, 188);
    ASSERT_TRUE(output.Open());
    // A recording's PAT and PMT, and a part of a packet, are not data.
    ASSERT_TRUE(output.WriteHeader(Packets(2)));
    const std::vector<uint8_t> packet = Packets(1);
    ASSERT_TRUE(output.Write(std::span(packet).first(100)));
    EXPECT_FALSE(output.HasData());
    EXPECT_EQ(output.Finish(), RunOutput::Ending::kNoData);
  }
  EXPECT_EQ(ReadBytes(target), kOldContents);
  EXPECT_EQ(TemporariesIn(dir), 0u);

  // Nothing at all, and never finished: the destructor removes the temporary.
  {
    RunOutput output(target, 188);
    ASSERT_TRUE(output.Open());
    EXPECT_EQ(TemporariesIn(dir), 1u);
  }
  EXPECT_EQ(TemporariesIn(dir), 0u);
  EXPECT_EQ(ReadBytes(target), kOldContents);
}

TEST(RunOutput, OnlyWholeUnitsReachTheFileHoweverTheBytesArrive) {
  TempDir dir;
  const std::string target = dir.File("out.m2t");
  const std::vector<uint8_t> packets = Packets(5);
  RunOutput output(target, 188);
  ASSERT_TRUE(output.Open());
  ASSERT_TRUE(output.WriteHeader(Packets(2, 0x22)));
  // Pieces that cut packets anywhere: 100, 300, 200, then the rest but 16 bytes.
  size_t at = 0;
  for (const size_t piece : {100u, 300u, 200u, 324u}) {
    ASSERT_TRUE(output.Write(std::span(packets).subspan(at, piece)));
    at += piece;
  }
  EXPECT_EQ(output.DataBytes(), 4u * 188);
  EXPECT_EQ(output.FileBytes(), 6u * 188);
  EXPECT_EQ(output.Finish(), RunOutput::Ending::kReplaced);
  std::vector<uint8_t> expected = Packets(2, 0x22);
  expected.insert(expected.end(), packets.begin(), packets.begin() + 4 * 188);
  EXPECT_EQ(ReadBytes(target), expected);
  EXPECT_EQ(output.Finish(), RunOutput::Ending::kReplaced);
}

TEST(RunOutput, LinesAreWrittenAsTheyComeAndReplaceTheTarget) {
  TempDir dir;
  const std::string target = dir.File("band.scn");
  WriteBytes(target, kOldContents);
  RunOutput output(target);
  ASSERT_TRUE(output.Open());
  ASSERT_TRUE(output.WriteHeader("header\r\n"));
  ASSERT_TRUE(output.Write("10700 12\r\n"));
  EXPECT_EQ(output.Finish(), RunOutput::Ending::kReplaced);
  const std::string text = "header\r\n10700 12\r\n";
  EXPECT_EQ(ReadBytes(target), std::vector<uint8_t>(text.begin(), text.end()));
}

TEST(RunOutput, AFullDiskKeepsTheWholePacketsThatWereWritten) {
  TempDir dir;
  const std::string target = dir.File("full.m2t");
  WriteBytes(target, kOldContents);
  // A file size limit stands in for a disk that fills up: writes past it fail with EFBIG.
  // Done in a child, so the limit and the signal it raises touch nothing else.
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    RunOutput output(target, 188);
    if (!output.Open()) ::_exit(10);
    rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    // 8 packets in pieces of 1.5 packets: the limit cuts the sixth packet short.
    const std::vector<uint8_t> packets = Packets(8);
    bool failed = false;
    for (size_t at = 0; at < packets.size() && !failed; at += 282) {
      const size_t piece = std::min<size_t>(282, packets.size() - at);
      failed = !output.Write(std::span(packets).subspan(at, piece));
    }
    if (!failed || !output.WriteFailed()) ::_exit(11);
    if (output.Write(Packets(1))) ::_exit(12);  // nothing more after a failure
    if (output.DataBytes() != 5 * 188) ::_exit(13);
    if (output.FailureText().find("File too large") == std::string::npos) ::_exit(14);
    limit = {RLIM_INFINITY, RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(output.Finish() == RunOutput::Ending::kReplaced ? 0 : 15);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadBytes(target).size(), 5u * 188);
  EXPECT_EQ(TemporariesIn(dir), 0u);
}

TEST(RunOutput, RefusesTargetsItCannotReplaceAndTellsWhy) {
  TempDir dir;
  RunOutput folder(dir.path().string(), 188);
  EXPECT_FALSE(folder.Open());
  EXPECT_NE(folder.FailureText().find("not a regular file"), std::string::npos);

  RunOutput missingFolder(dir.File("no/such/folder/x.m2t"), 188);
  EXPECT_FALSE(missingFolder.Open());
  EXPECT_NE(missingFolder.FailureText().find("No such file or directory"), std::string::npos);

  RunOutput longName(dir.File(std::string(300, 'a') + ".m2t"), 188);
  EXPECT_FALSE(longName.Open());
  EXPECT_NE(longName.FailureText().find("too long"), std::string::npos);

  if (::geteuid() != 0) {
    const std::string locked = dir.File("locked.m2t");
    WriteBytes(locked, kOldContents);
    ::chmod(locked.c_str(), 0444);
    RunOutput readOnly(locked, 188);
    EXPECT_FALSE(readOnly.Open());
    EXPECT_EQ(ReadBytes(locked), kOldContents);
  }
  EXPECT_EQ(TemporariesIn(dir), 0u);
}

TEST(RunOutput, ALinkStaysALinkAndTheFileKeepsItsMode) {
  TempDir dir;
  const std::string real = dir.File("real.m2t");
  WriteBytes(real, kOldContents);
  ::chmod(real.c_str(), 0640);
  const std::string link = dir.File("link.m2t");
  fs::create_symlink(real, link);
  RunOutput output(link, 188);
  ASSERT_TRUE(output.Open());
  ASSERT_TRUE(output.Write(Packets(1)));
  ASSERT_EQ(output.Finish(), RunOutput::Ending::kReplaced);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadBytes(real), Packets(1));
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

// A signal during a run that asked to be stopped by it only asks for the stop; without such a
// run, or at a second signal, the temporaries go and the process ends as the signal asks.
TEST(RunOutput, SignalsStopTheRunOrRemoveEveryTemporary) {
  TempDir dir;
  const std::string guide = dir.File("guide.txt");
  const std::string xmltv = dir.File("guide.xml");
  WriteBytes(guide, kOldContents);
  for (const bool scoped : {false, true}) {
    const pid_t child = ::fork();
    if (child == 0) {
      RemoveTemporaryFileOnSignals();
      RunOutput first(guide);
      RunOutput second(xmltv);
      if (!first.Open() || !second.Open()) ::_exit(10);
      first.Write("line\r\n");
      if (scoped) {
        SignalStopScope scope;
        ::raise(SIGTERM);
        if (SignalStopScope::StopSignal() != SIGTERM) ::_exit(11);
        if (first.Finish() != RunOutput::Ending::kReplaced) ::_exit(12);
        // Still in the scope: a second signal ends the process.
        ::raise(SIGINT);
        ::_exit(13);
      }
      ::raise(SIGTERM);
      ::_exit(14);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << scoped;
    EXPECT_EQ(WTERMSIG(status), scoped ? SIGINT : SIGTERM);
    EXPECT_EQ(TemporariesIn(dir), 0u) << scoped;
    EXPECT_FALSE(fs::exists(xmltv));
    const std::string kept = "line\r\n";
    EXPECT_EQ(ReadBytes(guide),
              scoped ? std::vector<uint8_t>(kept.begin(), kept.end()) : kOldContents);
  }
}

}  // namespace
}  // namespace pelorus
