// The console's captures and recordings against the stand-in receiver when things go wrong: a
// refused command, a receiver that is killed or stops answering, a disk that fills up, a second
// program on the receiver's stream, options that are no numbers, and Ctrl-C. Each run is a real
// pelorus-cli process, so that signals and file size limits reach it as they would a user's.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;

// pelorus-cli as a child process with its output kept in files, which can be signalled while it
// runs and given a file size limit (a disk that fills up) before it starts.
class CliChild {
 public:
  CliChild(const testing::TempDir& dir, std::vector<std::string> args, rlim_t fileLimit = 0)
      : out_(dir.File("cli.out")), err_(dir.File("cli.err")) {
    args.insert(args.begin(), PELORUS_BINARY_DIR "/src/cli/pelorus-cli");
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    start_ = std::chrono::steady_clock::now();
    pid_ = ::fork();
    if (pid_ == 0) {
      const int in = ::open("/dev/null", O_RDONLY);
      const int out = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      const int err = ::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
          ::dup2(err, 2) < 0) {
        ::_exit(120);
      }
      if (fileLimit > 0) {
        // A write past the limit then fails with EFBIG instead of killing the process.
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{fileLimit, fileLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
      }
      ::execv(argv[0], argv.data());
      ::_exit(122);
    }
  }
  ~CliChild() {
    if (pid_ > 0 && status_ == -2) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  void Signal(int signal) const { ::kill(pid_, signal); }
  // The exit status; -1 when it was killed by a signal or outlived `limit` (then it is killed).
  int Wait(std::chrono::milliseconds limit = 20s) {
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() - start_ > limit) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        status_ = -1;
        return status_;
      }
      std::this_thread::sleep_for(5ms);
    }
    ended_ = std::chrono::steady_clock::now();
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return status_;
  }
  std::string Out() const { return testing::ReadText(out_); }
  std::string Err() const { return testing::ReadText(err_); }
  std::chrono::steady_clock::time_point Ended() const { return ended_; }

 private:
  std::string out_;
  std::string err_;
  pid_t pid_ = -1;
  int status_ = -2;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point ended_;
};

// The number printed before `what`, as in "218080 bytes written".
uint64_t Counted(const std::string& text, const std::string& what) {
  std::smatch match;
  if (!std::regex_search(text, match, std::regex("(\\d+) " + what))) return UINT64_MAX;
  return std::stoull(match[1]);
}

// The files a run left beside its target under a temporary name.
size_t TemporariesIn(const testing::TempDir& dir) {
  size_t count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    if (entry.path().filename().string().find(".pelorus-") != std::string::npos) ++count;
  }
  return count;
}

// The PIDs a file of whole packets holds.
std::set<uint16_t> PidsIn(const std::vector<uint8_t>& file) {
  std::set<uint16_t> pids;
  for (size_t at = 0; at + 188 <= file.size(); at += 188) {
    pids.insert(static_cast<uint16_t>(((file[at + 1] & 0x1F) << 8) | file[at + 2]));
  }
  return pids;
}

const std::vector<uint8_t> kOldRunFile = {'o', 'l', 'd', '\n'};

class StreamRunsSimTest : public ::testing::Test {
 protected:
  void Start(std::vector<std::string> extra = {}) {
    sim = std::make_unique<testing::ScsiSimProcess>(dir, extra);
    ASSERT_TRUE(sim->Running());
  }
  std::vector<std::string> Scsi(std::vector<std::string> words) const {
    words.insert(words.begin(), "scsi");
    words.push_back("--scsi");
    words.push_back(sim->Link());
    return words;
  }
  std::string Out(const char* name = "out.m2t") const { return dir.File(name); }
  std::vector<uint8_t> File(const char* name = "out.m2t") const {
    return testing::ReadBytes(Out(name));
  }

  testing::TempDir dir;
  std::unique_ptr<testing::ScsiSimProcess> sim;
};

TEST_F(StreamRunsSimTest, ARefusedSetUpLeavesTheOldFileUntouched) {
  // Command 3 of a recording is the slotted set-up (after the current service and busy word).
  Start({"--fault", "scsi-fail:3"});
  testing::WriteBytes(Out(), kOldRunFile);
  CliChild record(dir, Scsi({"record", Out(), "--seconds", "3"}));
  EXPECT_EQ(record.Wait(), 1);
  EXPECT_NE(record.Err().find("Setup PID stream command failed"), std::string::npos)
      << record.Err();
  EXPECT_EQ(File(), kOldRunFile);
  EXPECT_EQ(TemporariesIn(dir), 0u);

  // A capture's first command is its set-up.
  sim.reset();
  Start({"--fault", "scsi-fail:1"});
  testing::WriteBytes(Out("out.mpp"), kOldRunFile);
  CliChild capture(dir, Scsi({"capture", Out("out.mpp"), "--pid", "0x200", "--seconds", "3"}));
  EXPECT_EQ(capture.Wait(), 1);
  EXPECT_NE(capture.Err().find("Setup PID stream command failed"), std::string::npos);
  EXPECT_EQ(File("out.mpp"), kOldRunFile);
  EXPECT_EQ(TemporariesIn(dir), 0u);
}

TEST_F(StreamRunsSimTest, AKilledReceiverEndsTheRunAtOnceAndWholePacketsAreKept) {
  for (const char* action : {"record", "capture"}) {
    Start();
    const bool record = std::string(action) == "record";
    std::vector<std::string> words = {action, Out(), "--seconds", "6"};
    if (!record) words.insert(words.end(), {"--pid", "0x200", "--mode", "6"});
    CliChild run(dir, Scsi(words));
    std::this_thread::sleep_for(2s);
    sim.reset();  // the receiver goes away mid-run
    const auto killed = std::chrono::steady_clock::now();
    EXPECT_EQ(run.Wait(), 1) << action;
    EXPECT_LT(run.Ended() - killed, 1500ms) << action;
    const std::string err = run.Err();
    EXPECT_NE(err.find("The receiver stopped sending the stream\n"), std::string::npos) << err;
    EXPECT_NE(err.find(" kept in " + Out()), std::string::npos) << err;
    const std::vector<uint8_t> file = File();
    EXPECT_GT(file.size(), 376u) << action;
    EXPECT_EQ(file.size() % 188, 0u) << action;
    EXPECT_EQ(Counted(run.Out(), "bytes written"), file.size()) << action;
    if (record) {
      // The message counts the packets that arrived: the file less its PAT and PMT pairs.
      std::smatch kept;
      ASSERT_TRUE(std::regex_search(err, kept, std::regex("(\\d+) packets \\(")));
      size_t tables = 0;
      for (size_t at = 0; at < file.size(); at += 188) {
        tables += (file[at + 1] & 0x1F) == 0 && file[at + 2] == 0x00;
      }
      EXPECT_EQ(std::stoull(kept[1]), file.size() / 188 - 2 * tables);
    }
    EXPECT_EQ(TemporariesIn(dir), 0u);
  }
}

TEST_F(StreamRunsSimTest, ASilentReceiverEndsTheRecording) {
  // Commands 4 to 9 are slot reads that arrive; the tenth is never answered.
  Start({"--fault", "scsi-silent:10"});
  CliChild run(dir, Scsi({"record", Out(), "--seconds", "30"}));
  EXPECT_EQ(run.Wait(), 1);
  const std::string err = run.Err();
  EXPECT_NE(err.find("The receiver stopped sending the stream\n"), std::string::npos) << err;
  EXPECT_NE(err.find(" kept in " + Out()), std::string::npos) << err;
  EXPECT_EQ(File().size(), Counted(run.Out(), "bytes written"));
  EXPECT_EQ(File().size() % 188, 0u);
}

TEST_F(StreamRunsSimTest, FilesHoldWholePacketsAndTheCountIsTheFile) {
  Start();
  // Reads of 1000 bytes end inside packets: the part packet at the end is not written.
  CliChild capture(dir, Scsi({"capture", Out("odd.mpp"), "--pid", "0x200", "--mode", "6",
                              "--threshold", "1000", "--seconds", "2"}));
  EXPECT_EQ(capture.Wait(), 0) << capture.Err();
  EXPECT_GT(File("odd.mpp").size(), 0u);
  EXPECT_EQ(File("odd.mpp").size() % 188, 0u);
  EXPECT_EQ(Counted(capture.Out(), "bytes written"), File("odd.mpp").size());

  // A disk that fills up: whole packets stay, the run fails, and the count is still the file.
  for (const char* action : {"capture", "record"}) {
    std::vector<std::string> words = {action, Out(), "--seconds", "5"};
    if (std::string(action) == "capture") {
      words.insert(words.end(), {"--pid", "0x200", "--mode", "6", "--threshold", "9400"});
    }
    CliChild full(dir, Scsi(words), 151552);
    EXPECT_EQ(full.Wait(), 1) << action;
    EXPECT_NE(full.Err().find("Unable to write file " + Out()), std::string::npos) << full.Err();
    EXPECT_NE(full.Err().find("File too large"), std::string::npos) << full.Err();
    const std::vector<uint8_t> file = File();
    EXPECT_GT(file.size(), 0u) << action;
    EXPECT_LE(file.size(), 151552u) << action;
    EXPECT_EQ(file.size() % 188, 0u) << action;
    EXPECT_EQ(Counted(full.Out(), "bytes written"), file.size()) << action;
    EXPECT_EQ(TemporariesIn(dir), 0u);
  }
}

TEST_F(StreamRunsSimTest, TwoProgramsOnTheReceiverNeverMixTheirStreams) {
  Start();
  CliChild first(dir, Scsi({"record", Out("first.m2t"), "--seconds", "4"}));
  std::this_thread::sleep_for(1500ms);
  // A second program sets up a stream of another PID while the recording runs: either the
  // receiver refuses it, or the recording sees the change; no file holds the other's packets.
  testing::TempDir otherDir;
  CliChild second(otherDir, Scsi({"capture", Out("second.mpp"), "--pid", "0x240", "--mode", "6",
                                  "--threshold", "1880", "--seconds", "1"}));
  const int secondStatus = second.Wait();
  const int firstStatus = first.Wait();
  const std::set<uint16_t> recorded = PidsIn(File("first.m2t"));
  for (const uint16_t pid : recorded) {
    EXPECT_TRUE(pid == 0x0000 || pid == 0x0020 || pid == 0x0200 || pid == 0x0280) << pid;
  }
  if (firstStatus != 0) {
    EXPECT_NE(first.Err().find("The receiver's stream was changed by another program"),
              std::string::npos)
        << first.Err();
  }
  if (secondStatus == 0) {
    EXPECT_EQ(PidsIn(File("second.mpp")), std::set<uint16_t>{0x0240});
  }
  EXPECT_TRUE(firstStatus == 0 || secondStatus == 0);
}

TEST_F(StreamRunsSimTest, OptionsThatAreNoNumbersAreUsageErrorsNamingTheOption) {
  Start();
  struct Case {
    std::vector<std::string> words;
    int status;
    std::string error;
  };
  const std::vector<Case> cases = {
      {{"capture", Out(), "--pid", "abc", "--seconds", "1"}, 2, "--pid: 'abc' is not a number"},
      {{"capture", Out(), "--pid", "0x", "--seconds", "1"}, 2, "--pid: '0x' is not a number"},
      {{"capture", Out(), "--pid", "1", "--threshold", "12abc", "--seconds", "1"},
       2,
       "--threshold: '12abc' is not a number"},
      {{"capture", Out(), "--pid", "1", "--mode", "7", "--seconds", "1"},
       2,
       "--mode: 7 is out of range"},
      {{"record", Out(), "--seconds", "10000000000"}, 2, "--seconds: 10000000000 is out of range"},
      {{"record", Out(), "--seconds", "2x"}, 2, "--seconds: '2x' is not a number"},
      {{"record", Out(), "--seconds", "1", "--ac3-pid", "abc"},
       2,
       "--ac3-pid: 'abc' is not a number"},
      // Numbers the receiver cannot take are refused by the command, in the dialog's words.
      {{"capture", Out(), "--pid", "0x2000", "--seconds", "1"},
       1,
       "PID 0x2000 is out of range: PIDs run from 0 to 0x1FFF"},
      {{"record", Out(), "--seconds", "1", "--ac3-pid", "0x2000"},
       1,
       "The AC3 PID 0x2000 is out of range: PIDs run from 0 to 0x1FFF"},
  };
  for (const Case& c : cases) {
    CliChild run(dir, Scsi(c.words));
    EXPECT_EQ(run.Wait(), c.status) << c.error;
    EXPECT_NE(run.Err().find(c.error), std::string::npos) << run.Err();
  }
  EXPECT_EQ(sim->Log().find("set up"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(Out()));
}

TEST_F(StreamRunsSimTest, InterruptStopsTheRunAsTheStopButtonDoes) {
  for (const int signal : {SIGINT, SIGTERM}) {
    for (const char* action : {"record", "capture"}) {
      Start();
      std::vector<std::string> words = {action, Out(), "--seconds", "20"};
      if (std::string(action) == "capture") words.insert(words.end(), {"--pid", "0x200"});
      CliChild run(dir, Scsi(words));
      std::this_thread::sleep_for(2s);
      run.Signal(signal);
      const auto asked = std::chrono::steady_clock::now();
      // What arrived is kept and the run counts as done.
      EXPECT_EQ(run.Wait(), 0) << action << " " << signal << "\n" << run.Err();
      EXPECT_LT(run.Ended() - asked, 1500ms);
      const uint64_t written = Counted(run.Out(), "bytes written");
      EXPECT_GT(written, 376u);
      EXPECT_EQ(File().size(), written);
      if (std::string(action) == "record") {
        EXPECT_NE(run.Out().find(" bytes captured, "), std::string::npos) << run.Out();
      }
      // The receiver was told to stop its stream.
      const std::string log = sim->Log();
      const std::string stopped =
          std::string(action) == "record" ? "slots stopped" : "stream stopped";
      EXPECT_NE(log.find(stopped), std::string::npos) << action;
      EXPECT_EQ(TemporariesIn(dir), 0u);
      // The receiver is free again: the next run on it works at once.
      words[3] = "1";  // the seconds
      CliChild next(dir, Scsi(words));
      EXPECT_EQ(next.Wait(), 0) << action << " after " << signal << "\n" << next.Err();
      EXPECT_GT(Counted(next.Out(), "bytes written"), 0u) << next.Out();
      EXPECT_EQ(File().size(), Counted(next.Out(), "bytes written"));
      sim.reset();
    }
  }
}

}  // namespace
}  // namespace pelorus
