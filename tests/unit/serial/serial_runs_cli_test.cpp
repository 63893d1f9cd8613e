// The serial long runs as a user meets them from the console, against the stand-in receiver at
// the real pace: a receiver that answers garbage, one killed part-way, Ctrl-C, failed reads.
#include <gtest/gtest.h>

#include <QImage>
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/cli_background.h"
#include "support/cli_process.h"
#include "support/records.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;
using testing::BackgroundCli;
using testing::SimProcess;
using testing::TempDir;

std::string Text(const std::string& path) {
  const std::vector<uint8_t> bytes = testing::ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class SerialRunsCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(Work());
    std::vector<ChannelRecord> channels = {testing::MakeChannel("Uno", 11000),
                                           testing::MakeChannel("Due", 12300)};
    testing::WriteBytes(dir.File("receiver.dvb"), testing::FileBytes(channels));
  }

  void StartReceiver(std::vector<std::string> extra = {}) {
    extra.insert(extra.begin(), {"--channels", dir.File("receiver.dvb")});
    sim = std::make_unique<SimProcess>(dir, extra);
    ASSERT_TRUE(sim->Running());
  }

  // The command's own folder: what it writes, and nothing else, lands there.
  std::string Work() const { return dir.File("work"); }
  std::vector<std::string> Link() const {
    return {"--port", sim->Port(), "--speed", "38400", "--options", dir.File("options.ini")};
  }
  std::vector<std::string> With(std::vector<std::string> words) const {
    const std::vector<std::string> link = Link();
    words.insert(words.end(), link.begin(), link.end());
    return words;
  }
  std::vector<std::string> Environment() const {
    return {"XDG_DATA_HOME=" + dir.File("data"), "XDG_CONFIG_HOME=" + dir.File("config")};
  }

  TempDir dir;
  std::unique_ptr<SimProcess> sim;
};

TEST_F(SerialRunsCliTest, AScanThatGetsNoAnswerFailsAndKeepsTheOldScan) {
  StartReceiver({"--fault", "garbage"});
  const std::string scan = Work() + "/old.scn";
  testing::WriteBytes(scan, {'o', 'l', 'd'});
  BackgroundCli cli(dir.File("."),
                    With({"serial", "scan", scan, "--lnb", "l", "--from", "950", "--to", "1000"}),
                    Environment());
  EXPECT_EQ(cli.Wait(60s), 1) << cli.Err();
  EXPECT_NE(cli.Err().find("Mediamaster didn't respond on the serial port"), std::string::npos)
      << cli.Err();
  EXPECT_EQ(Text(scan), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Work()), {}), 1);
}

TEST_F(SerialRunsCliTest, AReceiverKilledDuringAFullBandScanEndsItAtOnce) {
  StartReceiver({"--throttle"});
  const std::string scan = Work() + "/band.scn";
  BackgroundCli cli(
      dir.File("."),
      With({"serial", "scan", scan, "--lnb", "universal", "--from", "10700", "--to", "12750"}),
      Environment());
  ASSERT_TRUE(sim->WaitForLog("sweep signal 14 950 1950"));
  std::this_thread::sleep_for(1s);
  sim->Stop();
  const auto killed = std::chrono::steady_clock::now();
  EXPECT_EQ(cli.Wait(30s), 1) << cli.Err();
  // The sweep's time-out is 20 s: the lost line was noticed, not waited out.
  EXPECT_LT(std::chrono::steady_clock::now() - killed, 3s);
  EXPECT_NE(cli.Err().find("The Mediamaster stopped answering during the scan"), std::string::npos)
      << cli.Err();
  EXPECT_NE(cli.Err().find("the serial line hung up"), std::string::npos) << cli.Err();
  const std::string text = Text(scan);
  EXPECT_TRUE(text.starts_with("10700\r\n12750\r\n1055\r\n1044\r\n950,")) << text.substr(0, 40);
  EXPECT_TRUE(text.ends_with("\r\n"));
}

TEST_F(SerialRunsCliTest, CtrlCEndsALockSearchAsItsAbortAndTheNextOneWorksAtOnce) {
  StartReceiver();
  BackgroundCli search(dir.File("."),
                       With({"serial", "lock-search", "--lnb", "universal", "--from", "10990",
                             "--to", "11010", "--pol", "h"}),
                       Environment());
  ASSERT_TRUE(sim->WaitForLog("signal lock 10990"));
  search.Signal(SIGINT);
  EXPECT_EQ(search.Wait(30s), 0) << search.Err();
  EXPECT_NE(search.Out().find("Scan aborted"), std::string::npos) << search.Out();
  ASSERT_TRUE(sim->WaitForLog("signal end"));

  const auto again =
      testing::RunCliProcess(Work(),
                             With({"serial", "lock-search", "--lnb", "universal", "--from", "11000",
                                   "--to", "11000", "--pol", "h"}),
                             30s);
  EXPECT_EQ(again.status, 0) << again.err;
  // The upload, the pauses and one frequency take some 8 s; a receiver still busy with the
  // interrupted search would cost five failed handshakes on top.
  EXPECT_LT(again.took, 15s);
}

TEST_F(SerialRunsCliTest, AReceiverKilledDuringALockSearchEndsItAtOnce) {
  StartReceiver();
  BackgroundCli search(
      dir.File("."),
      With({"serial", "lock-search", "--lnb", "universal", "--from", "10990", "--to", "11010"}),
      Environment());
  ASSERT_TRUE(sim->WaitForLog("signal lock 10991"));
  sim->Stop();
  const auto killed = std::chrono::steady_clock::now();
  EXPECT_EQ(search.Wait(30s), 1) << search.Err();
  EXPECT_LT(std::chrono::steady_clock::now() - killed, 3s);
  EXPECT_NE(search.Err().find("The Mediamaster stopped answering during the QPSK Scan"),
            std::string::npos)
      << search.Err();
}

TEST_F(SerialRunsCliTest, AGrabWithFailedReadsWritesWhatArrivedAndExitsOne) {
  sim = std::make_unique<testing::ScsiSimProcess>(
      dir, std::vector<std::string>{"--fault", "scsi-fail:6"});
  ASSERT_TRUE(sim->Running());
  const std::string picture = Work() + "/old.jpg";
  testing::WriteBytes(picture, {'o', 'l', 'd'});
  const auto run = testing::RunCliProcess(Work(), {"grab", picture, "--scsi", sim->Link()}, 30s);
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_NE(run.err.find("One or more \"Read Memory\" commands (0x3c 0x00) failed"),
            std::string::npos)
      << run.err;
  // The partial picture replaced the old one: what did not arrive is black.
  const QImage image(QString::fromStdString(picture), "jpeg");
  ASSERT_EQ(image.size(), QSize(720, 576));
  int dark = 0;
  for (int y = 0; y < 576; y += 8) dark += qGray(image.pixel(360, y)) < 8;
  EXPECT_GT(dark, 3);
  EXPECT_FALSE(std::filesystem::exists(Work() + "/old.mem"));
  // A name that is no picture type is refused before the receiver is asked for anything.
  const auto png = testing::RunCliProcess(Work(), {"grab", "x.png", "--scsi", sim->Link()}, 30s);
  EXPECT_EQ(png.status, 1);
  EXPECT_NE(png.err.find("must end in .jpg, .jpeg or .bmp"), std::string::npos) << png.err;
}

}  // namespace
}  // namespace pelorus
