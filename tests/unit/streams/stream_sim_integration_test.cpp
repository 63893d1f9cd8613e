// The console's stream recordings against the stand-in receiver: what they write must open and
// decode in ffprobe and ffmpeg, and the receiver's stream faults must show in the counters.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <string>

#include "support/cli_run.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

// The output of a shell command line, and whether it exited with 0.
struct Shell {
  bool ok = false;
  std::string out;
};
Shell RunShell(const std::string& command) {
  Shell result;
  std::FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  result.ok = ::pclose(pipe) == 0;
  return result;
}

uint64_t Counter(const std::string& summary, const std::string& name) {
  const std::regex pattern("(\\d+) " + name);
  std::smatch match;
  if (!std::regex_search(summary, match, pattern)) return UINT64_MAX;
  return std::stoull(match[1]);
}

class StreamSimTest : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> extra = {}) {
    sim = std::make_unique<testing::ScsiSimProcess>(dir, extra);
    ASSERT_TRUE(sim->Running());
  }
  testing::CliRun Run(std::vector<std::string> words) {
    words.insert(words.begin(), "scsi");
    words.push_back("--scsi");
    words.push_back(sim->Link());
    return testing::RunCommandLine(words);
  }

  testing::TempDir dir;
  std::unique_ptr<testing::ScsiSimProcess> sim;
};

TEST_F(StreamSimTest, RecordingPlaysWithVideoAndAudioAndNoContinuityErrors) {
  Start();
  const std::string file = dir.File("service.m2t");
  const auto run = Run({"record", file, "--seconds", "10", "--wait-pcr"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Counter(run.out, "continuity errors"), 0u) << run.out;
  EXPECT_EQ(Counter(run.out, "packets without sync"), 0u) << run.out;
  EXPECT_EQ(Counter(run.out, "packets dropped"), 0u) << run.out;
  EXPECT_GT(Counter(run.out, "bytes captured"), 100000u) << run.out;

  const Shell probe = RunShell(
      "ffprobe -v error -show_entries stream=codec_type,codec_name "
      "-of csv=p=0 '" +
      file + "'");
  ASSERT_TRUE(probe.ok) << probe.out;
  EXPECT_NE(probe.out.find("mpeg2video,video"), std::string::npos) << probe.out;
  EXPECT_NE(probe.out.find("mp2,audio"), std::string::npos) << probe.out;
  // The recording starts at a unit start with a PCR, as entry points go; pictures before the
  // first sequence header cannot be decoded and say so, and nothing else may be wrong.
  const Shell decode = RunShell("ffmpeg -nostdin -v error -i '" + file + "' -f null - 2>&1");
  EXPECT_TRUE(decode.ok);
  const std::regex beforeSequenceHeader(
      "(\\[mpeg2video @ 0x[0-9a-f]+\\] Invalid frame dimensions 0x0\\.\n|"
      "    Last message repeated \\d+ times\n)*");
  EXPECT_TRUE(std::regex_match(decode.out, beforeSequenceHeader)) << decode.out;
  const Shell frames = RunShell(
      "ffprobe -v error -select_streams v -count_frames -show_entries stream=nb_read_frames "
      "-of csv=p=0 '" +
      file + "'");
  EXPECT_GT(std::atoi(frames.out.c_str()), 150) << frames.out;
}

TEST_F(StreamSimTest, Ac3RecordingIsLabelledAc3) {
  Start();
  const std::string file = dir.File("ac3.m2t");
  const auto run = Run({"record", file, "--seconds", "3", "--wait-pcr", "--ac3-pid", "0x281"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Shell probe =
      RunShell("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 '" + file + "'");
  EXPECT_NE(probe.out.find("ac3"), std::string::npos) << probe.out;
}

TEST_F(StreamSimTest, StreamFaultsShowInTheRecordersCounters) {
  Start({"--ts-fault", "cc-jump"});
  auto run = Run({"record", dir.File("cc.m2t"), "--seconds", "3"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_GT(Counter(run.out, "continuity errors"), 0u) << run.out;
  sim.reset();
  Start({"--ts-fault", "bad-sync"});
  run = Run({"record", dir.File("sync.m2t"), "--seconds", "3"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_GT(Counter(run.out, "packets without sync"), 0u) << run.out;
}

TEST_F(StreamSimTest, VideoCaptureToElementaryStreamStartsWithASequenceHeader) {
  Start();
  const std::string file = dir.File("video.mpp");
  const auto run = Run({"capture", file, "--pid", "0x200", "--mode", "6", "--threshold", "9400",
                        "--ts2es", "--sync-video", "--seconds", "2"});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<uint8_t> bytes = testing::ReadBytes(file);
  ASSERT_GT(bytes.size(), 4u);
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 4),
            (std::vector<uint8_t>{0x00, 0x00, 0x01, 0xB3}));
  const Shell probe = RunShell(
      "ffprobe -v error -f mpegvideo -show_entries stream=codec_name "
      "-of csv=p=0 '" +
      file + "'");
  EXPECT_NE(probe.out.find("mpeg2video"), std::string::npos) << probe.out;
}

TEST_F(StreamSimTest, RefusedValuesSendNothing) {
  Start();
  const auto run = Run({"capture", dir.File("x.mpp"), "--pid", "0x2000", "--seconds", "1"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("PID 0x2000 is out of range"), std::string::npos) << run.err;
  EXPECT_EQ(sim->Log().find("stream set up"), std::string::npos);
}

}  // namespace
}  // namespace pelorus
