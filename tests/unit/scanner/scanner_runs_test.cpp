// How the band scanner's long runs end when things go wrong: a receiver that does not answer,
// one that goes away part-way, a disk that fills up, a user who stops the run.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <thread>

#include "scanner/band_scan.h"
#include "scanner/messages.h"
#include "serial/messages.h"
#include "serial/serial_timing.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;
using testing::FakeUi;
using testing::SimProcess;
using testing::TempDir;

constexpr char kSubroutine[] = PELORUS_SOURCE_DIR "/resources/signal.sbr";
const std::vector<uint8_t> kOldScan = {'o', 'l', 'd', '\r', '\n'};

std::string FileText(const std::string& path) {
  const std::vector<uint8_t> bytes = testing::ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// Every file of the folder: a run leaves no temporary behind.
std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ScannerRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Long enough that a time-out (80 ticks: 4 s) is told apart from a lost line (at once).
    SetSerialTickForTesting(50ms);
    std::filesystem::create_directories(dir.File("out"));
    std::filesystem::create_directories(dir.File("data"));
    std::vector<ChannelRecord> channels = {testing::MakeChannel("Uno", 1200)};
    testing::WriteBytes(dir.File("receiver.dvb"), testing::FileBytes(channels));
    state.options.speed = 3;
  }
  void TearDown() override { SetSerialTickForTesting(250ms); }

  void StartReceiver(std::vector<std::string> extra = {}) {
    extra.insert(extra.begin(), {"--channels", dir.File("receiver.dvb")});
    sim = std::make_unique<SimProcess>(dir, extra);
    ASSERT_TRUE(sim->Running());
    state.links.serialPort = sim->Port();
    session = std::make_unique<SignalSession>(link, state, kSubroutine);
  }

  // Starts the sweep of the L band on the worker; `request` and `data` stay the test's.
  void StartSweep(PolarityMode mode = PolarityMode::kHorizontal, bool calibrate = false) {
    request.settings = {950, 2150, LnbType::kLBand, mode};
    request.calibrate = calibrate;
    if (!calibrate) request.saveFile = Out();
    worker.Start([this](RunControl& control) {
      return RunBandScan(*session, request, data, dir.File("data"), control, frontEnd);
    });
  }

  std::string Out() const { return dir.File("out/band.scn"); }

  TempDir dir;
  EditorState state;
  FakeUi ui;
  SerialLink link{ui};
  std::unique_ptr<SignalSession> session;
  DirectFrontEnd frontEnd{ui};
  std::unique_ptr<SimProcess> sim;
  ScanRequest request;
  ScanData data;
  Worker worker;
};

TEST_F(ScannerRunTest, AReceiverThatDoesNotAnswerLeavesTheOldScanAsItWas) {
  testing::WriteBytes(Out(), kOldScan);
  StartReceiver({"--fault", "garbage"});
  StartSweep();
  const RunResult result = worker.Join();
  EXPECT_TRUE(result.Failed());
  EXPECT_EQ(testing::ReadBytes(Out()), kOldScan);
  EXPECT_EQ(FilesIn(dir.File("out")), std::vector<std::string>{"band.scn"});
  EXPECT_EQ(testing::Matching(ui.calls, "message").back(),
            std::string("message stop: ") + msg::kNoAnswerOnSerialPort);
}

TEST_F(ScannerRunTest, AReceiverLostDuringTheSweepEndsTheRunAtOnceKeepingWholeLines) {
  StartReceiver({"--throttle"});
  StartSweep();
  ASSERT_TRUE(sim->WaitForLog("sweep signal 14 950 2150"));
  std::this_thread::sleep_for(1s);
  sim->Stop();
  const auto lostAt = std::chrono::steady_clock::now();
  ASSERT_TRUE(worker.WaitFor(10s));
  const auto took = std::chrono::steady_clock::now() - lostAt;
  // The sweep's time-out is 4 s here: the lost line was noticed, not waited out.
  EXPECT_LT(took, 2s);
  const RunResult result = worker.Join();
  ASSERT_TRUE(result.Failed());
  EXPECT_EQ(result.message, msg::scanner::kScanLost);
  EXPECT_NE(result.detail.find("the serial line hung up"), std::string::npos) << result.detail;
  EXPECT_NE(result.detail.find("points kept in " + Out()), std::string::npos) << result.detail;
  const std::string text = FileText(Out());
  ASSERT_TRUE(text.starts_with("950\r\n2150\r\n1053\r\n1058\r\n950,")) << text.substr(0, 40);
  EXPECT_TRUE(text.ends_with("\r\n"));
  EXPECT_GT(data.horizontal.size(), 10u);
  EXPECT_LT(data.horizontal.size(), 1201u);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4 + std::ssize(data.horizontal));
}

TEST_F(ScannerRunTest, AStoppedSweepKeepsWhatArrivedAndTheSessionGoesOn) {
  StartReceiver({"--throttle"});
  StartSweep();
  ASSERT_TRUE(sim->WaitForLog("sweep signal 14 950 2150"));
  std::this_thread::sleep_for(1s);
  worker.RequestStop();
  ASSERT_TRUE(worker.WaitFor(10s));
  const RunResult result = worker.Join();
  EXPECT_EQ(result.outcome, RunOutcome::kStopped);
  ASSERT_GT(data.horizontal.size(), 0u);
  EXPECT_LT(data.horizontal.size(), 1201u);
  const std::string text = FileText(Out());
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4 + std::ssize(data.horizontal));
  // The rest of the receiver's reply was swallowed: a lock search right after is understood.
  ASSERT_TRUE(session->Running());
  LockSearchRequest search;
  search.ranges = {{1200, 1200}};
  std::vector<std::string> lines;
  LockSearchEvents events;
  events.line = [&lines](const std::string& line) { lines.push_back(line); };
  worker.Start([&](RunControl& control) {
    return RunLockSearch(*session, request.settings, search, control, frontEnd, events);
  });
  EXPECT_EQ(worker.Join().outcome, RunOutcome::kDone);
  EXPECT_EQ(lines,
            (std::vector<std::string>{"Scanning horizontal plane",
                                      "1200 MHz - lock at 1200 MHz 27500 3/4 (40) Inversion off",
                                      "Scan completed"}));
}

TEST_F(ScannerRunTest, AFullDiskFailsTheScanAndTheFileHoldsWholeLines) {
  testing::WriteBytes(Out(), kOldScan);
  StartReceiver();
  const pid_t child = ::fork();
  if (child == 0) {
    // A file size limit stands in for a disk that fills up, in a child so nothing else feels it.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    StartSweep();
    const RunResult result = worker.Join();
    const bool said = result.Failed() && result.message == msg::scanner::kUnableToOpenForOutput &&
                      result.detail.starts_with(Out() + ".pelorus-") &&
                      result.detail.find(" points kept in " + Out()) != std::string::npos;
    ::_exit(said && data.horizontal.size() == 1201 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string text = FileText(Out());
  EXPECT_LE(text.size(), 1000u);
  EXPECT_TRUE(text.starts_with("950\r\n2150\r\n")) << text;
  EXPECT_TRUE(text.ends_with("\r\n"));
  EXPECT_EQ(FilesIn(dir.File("out")), std::vector<std::string>{"band.scn"});
}

TEST_F(ScannerRunTest, ACalibrationThatCannotBeWrittenWritesNothingAndClaimsNothing) {
  StartReceiver({"--covered-feed"});
  const std::string calibration = CalibrationFilePath(dir.File("data"), LnbType::kLBand);
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{300, 300};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    StartSweep(PolarityMode::kHorizontal, true);
    const RunResult result = worker.Join();
    bool claimed = false;
    for (const std::string& call : ui.calls) claimed |= call.find("created") != std::string::npos;
    const bool said = result.Failed() &&
                      result.message == "Unable to write the calibration file " + calibration &&
                      !claimed;
    ::_exit(said && !session->Running() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  // Nothing at all: a header-only profile would stop the question from being asked again.
  EXPECT_TRUE(FilesIn(dir.File("data")).empty());
}

TEST_F(ScannerRunTest, AStoppedCalibrationWritesNothing) {
  StartReceiver({"--covered-feed", "--throttle"});
  StartSweep(PolarityMode::kHorizontal, true);
  ASSERT_TRUE(sim->WaitForLog("sweep signal 14 950 2150"));
  std::this_thread::sleep_for(500ms);
  worker.RequestStop();
  const RunResult result = worker.Join();
  EXPECT_TRUE(result.Failed());
  EXPECT_EQ(result.message, msg::scanner::kCalibrationStopped);
  EXPECT_FALSE(std::filesystem::exists(CalibrationFilePath(dir.File("data"), LnbType::kLBand)));
  EXPECT_TRUE(testing::Matching(ui.calls, "message information: Calibration file").empty());
  EXPECT_TRUE(sim->WaitForLog("signal end"));
}

TEST_F(ScannerRunTest, AReceiverLostDuringALockSearchEndsItAtOnce) {
  StartReceiver();
  LockSearchRequest search;
  search.ranges = {{1190, 1210}};
  std::vector<std::string> lines;
  std::mutex linesMutex;
  LockSearchEvents events;
  events.line = [&](const std::string& line) {
    std::lock_guard lock(linesMutex);
    lines.push_back(line);
  };
  const ScanSettings settings{950, 2150, LnbType::kLBand, PolarityMode::kBoth};
  worker.Start([&](RunControl& control) {
    return RunLockSearch(*session, settings, search, control, frontEnd, events);
  });
  ASSERT_TRUE(sim->WaitForLog("signal lock 1191"));
  sim->Stop();
  const auto lostAt = std::chrono::steady_clock::now();
  ASSERT_TRUE(worker.WaitFor(30s));
  // After the upload every step may wait 720 ticks (36 s here) for a silent receiver.
  EXPECT_LT(std::chrono::steady_clock::now() - lostAt, 3s);
  const RunResult result = worker.Join();
  ASSERT_TRUE(result.Failed());
  EXPECT_EQ(result.message, msg::scanner::kLockSearchLost);
  EXPECT_NE(result.detail.find("the serial line hung up"), std::string::npos) << result.detail;
  std::lock_guard lock(linesMutex);
  EXPECT_LT(lines.size(), 10u);
  EXPECT_FALSE(session->Running());
}

}  // namespace
}  // namespace pelorus
