// The band scanner against the stand-in receiver: calibration, sweeps, the plot, lock searches.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cstdlib>

#include "common/user_folders.h"
#include "scanner/band_scan.h"
#include "scanner/messages.h"
#include "scanner/qt/signal_plot_painter.h"
#include "serial/serial_timing.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;
using testing::FakeUi;
using testing::FileBytes;
using testing::MakeChannel;
using testing::SimProcess;
using testing::TempDir;
using testing::WriteBytes;

constexpr char kSignalSubroutine[] = PELORUS_SOURCE_DIR "/resources/signal.sbr";

void EnsureGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "pelorus_tests";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

int32_t LevelAt(const std::vector<ScanPoint>& points, int ifMhz, bool secondRun) {
  bool seen = false;
  for (const ScanPoint& point : points) {
    if (point.frequency != ifMhz) continue;
    if (!secondRun || seen) return point.level;
    seen = true;
  }
  return INT32_MIN;
}

// The sweep as both front ends run it: on a worker, the test's thread only waiting.
RunResult Sweep(SignalSession& session, const ScanRequest& request, ScanData& data,
                const std::string& folder, FakeUi& ui) {
  DirectFrontEnd frontEnd(ui);
  Worker worker;
  worker.Start([&](RunControl& control) {
    return RunBandScan(session, request, data, folder, control, frontEnd);
  });
  return worker.Join();
}

class ScannerSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSerialTickForTesting(10ms);
    ::setenv("XDG_DATA_HOME", dir.File("data").c_str(), 1);
    std::vector<ChannelRecord> channels = {MakeChannel("Uno", 11000), MakeChannel("Due", 11500),
                                           MakeChannel("Tre", 12300, 22000)};
    channels[1].polarity = 1;
    channels[0].fecCode = 4;
    WriteBytes(dir.File("receiver.dvb"), FileBytes(channels));
  }
  void TearDown() override { SetSerialTickForTesting(250ms); }

  std::unique_ptr<SimProcess> StartReceiver(bool covered) {
    std::vector<std::string> args = {"--channels", dir.File("receiver.dvb")};
    if (covered) args.push_back("--covered-feed");
    auto sim = std::make_unique<SimProcess>(dir, args);
    state.links.serialPort = sim->Port();
    return sim;
  }

  TempDir dir;
  EditorState state;
  FakeUi ui;
  SerialLink link{ui};
};

TEST_F(ScannerSimTest, CalibratedUniversalSweepShowsTheCarriersAboveTheFloor) {
  const std::string folder = UserDataFolder();
  ASSERT_EQ(folder, dir.File("data") + "/pelorus");
  ScanRequest request;
  request.settings = {10700, 12750, LnbType::kUniversal, PolarityMode::kBoth};
  ASSERT_EQ(ConfirmScanStart(request.settings, ui, folder), ScanChoice::kScan);  // answered No
  ui.answers.push_back(Answer::kYes);
  ASSERT_EQ(ConfirmScanStart(request.settings, ui, folder), ScanChoice::kCalibrate);
  EXPECT_EQ(request.settings.mode, PolarityMode::kHorizontal);
  request.calibrate = true;
  ScanData data;
  {
    auto sim = StartReceiver(true);
    SignalSession session(link, state, kSignalSubroutine);
    ASSERT_EQ(Sweep(session, request, data, folder, ui).outcome, RunOutcome::kDone);
    EXPECT_FALSE(session.Running());
    ASSERT_TRUE(sim->WaitForLog("signal end"));
    EXPECT_NE(sim->Log().find("sweep signal 14 950 1950 0 9750"), std::string::npos);
    EXPECT_NE(sim->Log().find("sweep signal 14 1100 2150 1 10600"), std::string::npos);
  }
  EXPECT_EQ(ui.calls.back(),
            "message information: Calibration file created.\n\nIf you change LNBs, delete the "
            "file cal01044.scc\nin the folder " +
                folder);
  EXPECT_EQ(data.horizontal.size(), 2052u);
  // With the file there, no more questions.
  ScanSettings again{10700, 12750, LnbType::kUniversal, PolarityMode::kBoth};
  EXPECT_EQ(ConfirmScanStart(again, ui, folder), ScanChoice::kScan);

  auto sim = StartReceiver(false);
  SignalSession session(link, state, kSignalSubroutine);
  request = ScanRequest{again, false, dir.File("scan.scn")};
  ASSERT_EQ(Sweep(session, request, data, folder, ui).outcome, RunOutcome::kDone);
  EXPECT_TRUE(session.Running());  // kept for lock searches
  ASSERT_EQ(data.horizontal.size(), 2052u);
  ASSERT_EQ(data.vertical.size(), 2052u);
  // Carriers: 11000 H (low band IF 1250), 11500 V (IF 1750), 12300 H (high band IF 1700).
  EXPECT_GT(LevelAt(data.horizontal, 1250, false), 2000);
  EXPECT_GT(LevelAt(data.vertical, 1750, false), 2000);
  EXPECT_GT(LevelAt(data.horizontal, 1700, true), 2000);
  EXPECT_LT(LevelAt(data.vertical, 1250, false), 400);
  // Off the carriers the calibration leaves only the noise.
  std::vector<int32_t> levels;
  for (const ScanPoint& p : data.horizontal) levels.push_back(p.level);
  std::nth_element(levels.begin(), levels.begin() + levels.size() / 2, levels.end());
  EXPECT_LT(levels[levels.size() / 2], 300);
  ScanData loaded;
  ASSERT_TRUE(LoadScanFile(dir.File("scan.scn"), loaded, ui));
  EXPECT_EQ(loaded.horizontal, data.horizontal);
  EXPECT_EQ(loaded.vertical, data.vertical);

  EnsureGuiApplication();
  const QImage image = RenderSignalPlot(data, 1200, 600);
  image.save(QString::fromStdString(dir.File("plot.png")));
  if (const char* keep = std::getenv("PELORUS_KEEP_PLOT")) image.save(QString::fromUtf8(keep));
  ScanData plotted = data;
  const LevelRange levelRange = NormaliseLevels(plotted);
  const PlotLayout layout = LayoutFor(1200, 600);
  const PlotTraces traces = BuildTraces(plotted, layout, levelRange.maximum);
  // The topmost green pixel over the 11000 MHz carrier is far above the one over empty sky.
  const auto topGreen = [&image, &layout](int x) {
    for (int y = layout.top; y < layout.bottom; ++y)
      if (image.pixelColor(x, y) == QColor(0, 255, 0)) return y;
    return layout.bottom;
  };
  const int carrierX = XAtFrequency(11000, data.settings, layout.left, traces.lastX);
  const int emptyX = XAtFrequency(11300, data.settings, layout.left, traces.lastX);
  EXPECT_LT(topGreen(carrierX), layout.top + layout.PlotHeight() / 2);
  EXPECT_GT(topGreen(emptyX), layout.bottom - layout.PlotHeight() / 5);
  EXPECT_EQ(image.pixelColor(5, 5), QColor(0, 0, 0));
}

TEST_F(ScannerSimTest, LockSearchFindsTheCarriersAndAddsThem) {
  auto sim = StartReceiver(false);
  state.settingsImage.emplace(std::vector<ChannelRecord>{MakeChannel("Old", 10800)});
  SignalSession session(link, state, kSignalSubroutine);
  const ScanSettings settings{10700, 12750, LnbType::kUniversal, PolarityMode::kBoth};
  LockSearchRequest request;
  // With the tuner parked (width 0) a 27.5 MS/s carrier locks within a quarter of its symbol
  // rate, 6.875 MHz, either side.
  request.ranges = {{10990, 11009}, {11490, 11509}};
  request.stepMhz = 6;
  request.widthMhz = 0;
  request.autoAdd = true;
  std::vector<std::string> lines;
  std::vector<int> searched;
  int added = 0;
  LockSearchEvents events;
  events.line = [&lines](const std::string& line) { lines.push_back(line); };
  events.searching = [&searched](int mhz) { searched.push_back(mhz); };
  events.addRecord = [&](const ChannelRecord& record) {
    AppendFoundChannel(state, record);
    ++added;
  };
  DirectFrontEnd frontEnd(ui);
  Worker worker;
  worker.Start([&](RunControl& control) {
    return RunLockSearch(session, settings, request, control, frontEnd, events);
  });
  ASSERT_EQ(worker.Join().outcome, RunOutcome::kDone);
  EXPECT_EQ(searched, (std::vector<int>{10990, 10996, 11002, 11008, 11490, 11496, 11502, 11508,
                                        10990, 10996, 11002, 11008, 11490, 11496, 11502, 11508}));
  const std::vector<std::string> expected = {
      "Scanning horizontal plane",
      "10990 MHz - no lock",
      "10996 MHz - lock at 11000 MHz 27500 3/4 (40) Inversion off",
      "11002 MHz - lock at 11000 MHz 27500 3/4 (40) Inversion off",
      "11008 MHz - no lock",
      "11490 MHz - no lock",
      "11496 MHz - no lock",
      "11502 MHz - no lock",
      "11508 MHz - no lock",
      "Scanning vertical plane",
      "10990 MHz - no lock",
      "10996 MHz - no lock",
      "11002 MHz - no lock",
      "11008 MHz - no lock",
      "11490 MHz - no lock",
      "11496 MHz - lock at 11500 MHz 27500 3/4 (40) Inversion off",
      "11502 MHz - lock at 11500 MHz 27500 3/4 (40) Inversion off",
      "11508 MHz - no lock",
      "Scan completed"};
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(added, 4);
  ASSERT_EQ(state.ChannelCount(), 5);
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ((*state.settingsImage)[1].frequency, 11000);
  EXPECT_EQ((*state.settingsImage)[1].polarity, 0);
  const ChannelRecord& found = (*state.settingsImage)[3];
  EXPECT_EQ(found.frequency, 11500);
  EXPECT_EQ(found.symbolRate, 27500);
  EXPECT_EQ(found.polarity, 1);
  EXPECT_EQ(found.acqBandwidth, 28);
  EXPECT_NE(sim->Log().find("lock signal 14 1246 0 0 9750"), std::string::npos);
  session.End();
  EXPECT_TRUE(sim->WaitForLog("signal end"));
}

}  // namespace
}  // namespace pelorus
