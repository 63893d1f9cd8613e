// Grabs against the stand-in receiver over both links. The pictures are checked against the
// simulator's own frames, untiled and converted here by a reference written apart from the
// product's conversion.
#include <gtest/gtest.h>

#include <QImage>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "cli.h"
#include "common/editor_state.h"
#include "common/file_io.h"
#include "grabber/frame_grab.h"
#include "grabber/messages.h"
#include "grabber/qt/qt_picture_tools.h"
#include "scsi/scsi_scan.h"
#include "serial/serial_timing.h"
#include "support/cli_run.h"
#include "support/fake_ui.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;
using testing::FakeUi;
using testing::ScsiSimProcess;
using testing::SimProcess;
using testing::TempDir;

struct Planes {
  std::vector<uint8_t> y = std::vector<uint8_t>(720 * 576);
  std::vector<uint8_t> cr = std::vector<uint8_t>(360 * 288);
  std::vector<uint8_t> cb = std::vector<uint8_t>(360 * 288);
};

// Walks the dump in storage order and puts every byte where it belongs.
Planes ReferenceUntile(const std::vector<uint8_t>& dump) {
  Planes planes;
  size_t at = 0;
  for (int band = 0; band < 36; ++band) {
    for (int tile = 0; tile < 180; ++tile) {
      for (int line = 0; line < 16; ++line) {
        for (int col = 0; col < 4; ++col) {
          planes.y[size_t(band * 16 + line) * 720 + size_t(tile * 4 + col)] = dump.at(at++);
        }
      }
    }
  }
  for (int band = 0; band < 18; ++band) {
    for (int tile = 0; tile < 180; ++tile) {
      for (int line = 0; line < 16; ++line) {
        const size_t row = size_t(band * 16 + line) * 360;
        planes.cr[row + size_t(2 * tile)] = dump.at(at++);
        planes.cr[row + size_t(2 * tile + 1)] = dump.at(at++);
        planes.cb[row + size_t(2 * tile)] = dump.at(at++);
        planes.cb[row + size_t(2 * tile + 1)] = dump.at(at++);
      }
    }
  }
  return planes;
}

int ReferenceChannel(double value) {
  return static_cast<int>(value < 1.0 ? 1.0 : value > 254.0 ? 254.0 : value);
}

// The expected colour picture, as QImage rows of red, green, blue.
QImage ReferencePicture(const std::vector<uint8_t>& dump, int height) {
  const Planes p = ReferenceUntile(dump);
  QImage image(720, height, QImage::Format_RGB888);
  image.fill(Qt::black);
  for (int y = 0; y < height; ++y) {
    for (int x = 1; x < 719; ++x) {
      const double luma = p.y[size_t(y) * 720 + size_t(x)];
      const double cr = p.cr[size_t(y / 2) * 360 + size_t(x / 2)] - 128.0;
      const double cb = p.cb[size_t(y / 2) * 360 + size_t(x / 2)] - 128.0;
      const int r = ReferenceChannel((10000 * luma + 13707 * cr) * 0.0001);
      const int g = ReferenceChannel((10000 * luma - 3365 * cb - 6982 * cr) * 0.0001);
      const int b = ReferenceChannel((10000 * luma + 17324 * cb) * 0.0001);
      image.setPixel(x, y, qRgb(r, g, b));
    }
  }
  return image;
}

// The simulator writes its frames beside its log.
std::vector<uint8_t> SimFrame(const TempDir& dir, int frame) {
  return ReadWholeFile(dir.File("receiver.log.frame" + std::to_string(frame))).bytes;
}

// Every pixel of `picture` is either the reference's or black; returns how many are black, -1
// when one is neither.
int BlackOrAsReference(const QImage& picture, const QImage& reference) {
  if (picture.size() != reference.size()) return -1;
  const QImage x = picture.convertToFormat(QImage::Format_RGB888);
  const QImage y = reference.convertToFormat(QImage::Format_RGB888);
  int black = 0;
  for (int row = 0; row < x.height(); ++row) {
    // Columns 0 and 719 are black in any colour picture.
    for (int col = 1; col < x.width() - 1; ++col) {
      if (x.pixel(col, row) == qRgb(0, 0, 0)) {
        ++black;
      } else if (x.pixel(col, row) != y.pixel(col, row)) {
        return -1;
      }
    }
  }
  return black;
}

// Counts the pixels of two pictures that differ.
int DifferentPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return -1;
  const QImage x = a.convertToFormat(QImage::Format_RGB888);
  const QImage y = b.convertToFormat(QImage::Format_RGB888);
  int count = 0;
  for (int row = 0; row < x.height(); ++row) {
    for (int col = 0; col < x.width(); ++col) count += x.pixel(col, row) != y.pixel(col, row);
  }
  return count;
}

class GrabSimTest : public ::testing::Test {
 protected:
  void TearDown() override { SetSerialTickForTesting(250ms); }

  void StartScsi(std::vector<std::string> extra = {}) {
    sim = std::make_unique<ScsiSimProcess>(dir, std::move(extra));
    ASSERT_TRUE(sim->Running());
    state.links.scsi = sim->Link();
    ScsiScan(state, ui);
    ASSERT_TRUE(state.aspiModule);
  }

  void StartSerial(std::vector<std::string> extra = {}) {
    SetSerialTickForTesting(25ms);
    sim = std::make_unique<SimProcess>(dir, std::move(extra));
    ASSERT_TRUE(sim->Running());
    state.links.serialPort = sim->Port();
  }

  bool Grab(const std::string& name, bool viaScsi) { return GrabWith(name, viaScsi).Succeeded(); }

  GrabOutcome GrabWith(const std::string& name, bool viaScsi) {
    session.options.showPicture = false;
    return GrabFrame(
        state, session, link, viaScsi,
        [&](GrabDialogRequest& request, GrabOptions&) {
          requests.push_back(request);
          request.file.path = dir.File(name);
          return true;
        },
        tools);
  }

  bool Called(const std::string& call) const {
    return std::find(ui.calls.begin(), ui.calls.end(), call) != ui.calls.end();
  }

  TempDir dir;
  std::unique_ptr<SimProcess> sim;
  FakeUi ui;
  EditorState state;
  GrabSession session;
  SerialLink link{ui};
  QtPictureTools tools;
  std::vector<GrabDialogRequest> requests;
};

TEST_F(GrabSimTest, ScsiBitmapIsTheExactConversionOfTheChosenFrame) {
  StartScsi();
  session.options.frameNumber = 3;
  ASSERT_TRUE(Grab("frame.3.bmp", true));
  EXPECT_EQ(requests.at(0).file.title, msg::grab::kScsiTitle);
  const QImage picture(QString::fromStdString(dir.File("frame.3.bmp")));
  ASSERT_FALSE(picture.isNull());
  EXPECT_EQ(picture.size(), QSize(720, 576));
  EXPECT_EQ(DifferentPixels(picture, ReferencePicture(SimFrame(dir, 3), 576)), 0);
  EXPECT_NE(DifferentPixels(picture, ReferencePicture(SimFrame(dir, 1), 576)), 0);
  // The frame was read from the decoder's memory; the dump was deleted afterwards.
  EXPECT_NE(sim->Log().find("scsi 0:3 3c0010168200"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.File("frame.mem")));
  EXPECT_EQ(state.options.readStartAddress, 0x10168200u);
  EXPECT_EQ(state.options.readLength, 0x97E00u);
  EXPECT_EQ(session.pictureSize, (PictureSize{720, 576}));

  // Luminance of frame 1 as a JPEG that keeps its dump.
  session.options.frameNumber = 1;
  session.options.displayMode = GrabDisplayMode::kLuminance;
  session.options.deleteMem = false;
  ASSERT_TRUE(Grab("Luma.JPG", true));
  const QImage jpeg(QString::fromStdString(dir.File("Luma.JPG")), "jpeg");
  EXPECT_EQ(jpeg.size(), QSize(720, 576));
  EXPECT_EQ(ReadWholeFile(dir.File("Luma.mem")).bytes, SimFrame(dir, 1));
}

TEST_F(GrabSimTest, NarrowPictureIsStretchedUnlessInterpolationIsOff) {
  StartScsi({"--picture-width", "480"});
  ASSERT_TRUE(Grab("narrow.bmp", true));
  EXPECT_EQ(session.pictureSize, (PictureSize{480, 576}));
  const QImage stretched(QString::fromStdString(dir.File("narrow.bmp")));
  session.options.interpolate = false;
  ASSERT_TRUE(Grab("plain.bmp", true));
  const QImage plain(QString::fromStdString(dir.File("plain.bmp")));
  ASSERT_EQ(stretched.size(), QSize(720, 576));
  ASSERT_EQ(plain.size(), QSize(720, 576));
  EXPECT_EQ(DifferentPixels(plain, ReferencePicture(SimFrame(dir, 1), 576)), 0);
  // Frame 1's bars: the last (black) bar starts at 7/8 of the picture's width, the white one
  // ends at 1/8; stretched, both move out to the full 720 columns.
  auto brightness = [](const QImage& image, int x) { return qGray(image.pixel(x, 100)); };
  EXPECT_GT(brightness(plain, 30), 200);
  EXPECT_LT(brightness(plain, 600), 40);  // beyond the picture
  EXPECT_GT(brightness(stretched, 80), 200);
  EXPECT_LT(brightness(stretched, 700), 40);
  EXPECT_GT(qRed(stretched.pixel(495, 100)), 150);  // the red bar, from 5/8 to 6/8 across
  EXPECT_LT(qRed(plain.pixel(495, 100)), 40);
}

TEST_F(GrabSimTest, SerialGrabPausesReadsTenChunksAndResumes) {
  StartSerial({"--picture-width", "480"});
  session.options.frameNumber = 2;
  session.options.interpolate = false;
  ASSERT_TRUE(Grab("serial.bmp", false));
  EXPECT_EQ(requests.at(0).file.title, msg::grab::kSerialTitle);
  EXPECT_FALSE(link.IsOpen());
  const std::string log = sim->Log();
  const size_t pause = log.find("pause-video");
  const size_t resume = log.find("resume-video");
  ASSERT_NE(pause, std::string::npos);
  ASSERT_NE(resume, std::string::npos);
  EXPECT_LT(pause, log.find("read-memory 000D0400"));
  EXPECT_NE(log.find("read-memory 00160400"), std::string::npos);  // the tenth chunk
  EXPECT_EQ(log.find("read-memory 00170400"), std::string::npos);
  EXPECT_LT(log.rfind("read-memory"), resume);
  EXPECT_LT(resume, log.find("picture-size 480:576"));
  EXPECT_EQ(session.pictureSize, (PictureSize{480, 576}));
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "status: Discarding extra data..."),
            ui.calls.end());
  EXPECT_NE(std::find(ui.calls.begin(), ui.calls.end(), "status: Reading 0 of 622080 bytes..."),
            ui.calls.end());

  // Without stretching the picture is exactly the simulator's frame.
  const QImage picture(QString::fromStdString(dir.File("serial.bmp")));
  EXPECT_EQ(DifferentPixels(picture, ReferencePicture(SimFrame(dir, 2), 576)), 0);
}

TEST_F(GrabSimTest, SerialChunkCutShortAsksAndAbortStillResumes) {
  StartSerial({"--fault", "short-record"});
  ui.answers.push_back(Answer::kYes);
  EXPECT_FALSE(Grab("short.bmp", false));
  EXPECT_TRUE(Called(
      "ask yes/no warning: No response from Mediamaster - only got 64 bytes\n\nAbort frame grab?"));
  EXPECT_TRUE(sim->WaitForLog("resume-video"));
  EXPECT_LT(sim->Log().find("read-memory cut short"), sim->Log().find("resume-video"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("short.bmp")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("short.mem")));
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(GrabSimTest, FailuresAreReportedAndLeaveNothingBehind) {
  StartScsi();
  // A dump name that is the user's own file: asked, and refused.
  { std::ofstream(dir.File("notes.mem")) << "keep me"; }
  ui.answers.push_back(Answer::kNo);
  EXPECT_FALSE(Grab("notes.jpg", true));
  EXPECT_TRUE(Called("ask yes/no question: " + dir.File("notes.mem") +
                     " already exists and was not written by the frame grabber.\n\nReplace it?"));
  EXPECT_EQ(ReadWholeFile(dir.File("notes.mem")).bytes.size(), 7u);
  EXPECT_FALSE(std::filesystem::exists(dir.File("notes.jpg")));

  // No folder for the dump.
  ui.calls.clear();
  EXPECT_FALSE(Grab("missing/shot.jpg", true));
  EXPECT_EQ(ui.calls.back(),
            std::string("message information: ") + msg::grab::kUnableToOpenTemporary);

  // The picture cannot be written (its name is a folder): told, and no dump is left.
  std::filesystem::create_directory(dir.File("taken.bmp"));
  ui.calls.clear();
  EXPECT_FALSE(Grab("taken.bmp", true));
  EXPECT_TRUE(Called(std::string("message information: ") + msg::grab::kUnableToOpenForOutput));
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("taken.mem")));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("taken.bmp")));
}

TEST_F(GrabSimTest, ConsoleGrabsOverScsi) {
  StartScsi();
  const std::string out = dir.File("cli.bmp");
  const auto run = testing::RunCommandLine(
      {"grab", out, "--scsi", sim->Link(), "--frame", "2", "--mode", "cb", "--keep-mem"});
  EXPECT_EQ(run.status, kExitDone) << run.err;
  const QImage picture(QString::fromStdString(out));
  ASSERT_EQ(picture.size(), QSize(720, 576));
  EXPECT_TRUE(std::filesystem::exists(dir.File("cli.mem")));
  // Cb shows as red only.
  EXPECT_EQ(qBlue(picture.pixel(300, 300)), 0);
  EXPECT_EQ(testing::RunCommandLine({"grab", out, "--frame", "4"}).status, kExitUsage);
  EXPECT_EQ(testing::RunCommandLine({"grab", "--serial", "--scsi", out}).status, kExitUsage);
}

}  // namespace
}  // namespace pelorus

namespace pelorus {
namespace {

// What did not arrive is black, everything else where it belongs; the grab is no success.
TEST_F(GrabSimTest, FailedReadsLeaveBlackWhereTheFrameDidNotArrive) {
  StartScsi({"--fault", "scsi-fail:6"});
  testing::WriteBytes(dir.File("old.bmp"), {'o', 'l', 'd'});
  const GrabOutcome scsi = GrabWith("old.bmp", true);
  EXPECT_TRUE(scsi.written);
  EXPECT_TRUE(scsi.readsFailed);
  EXPECT_TRUE(Called("message warning: One or more \"Read Memory\" commands (0x3c 0x00) failed"));
  const QImage picture(QString::fromStdString(dir.File("old.bmp")));
  const int black = BlackOrAsReference(picture, ReferencePicture(SimFrame(dir, 1), 576));
  // One piece of 64 KiB is a tenth of the frame, luminance or colour.
  EXPECT_GT(black, 720 * 576 / 20);
  EXPECT_LT(black, 720 * 576 / 4);

  sim.reset();
  StartSerial({"--fault", "short-record"});
  ui.calls.clear();
  // Each chunk stops part-way; going on each time gives a picture of what came.
  const GrabOutcome serial = GrabWith("short.bmp", false);
  EXPECT_TRUE(serial.written);
  EXPECT_TRUE(serial.readsFailed);
  EXPECT_EQ(testing::Matching(ui.calls, "ask yes/no warning: No response").size(), 10u);
  const int blackSerial = BlackOrAsReference(QImage(QString::fromStdString(dir.File("short.bmp"))),
                                             ReferencePicture(SimFrame(dir, 1), 576));
  EXPECT_GT(blackSerial, 720 * 576 / 4);
}

TEST_F(GrabSimTest, TheNamesEndingPicksTheFormatAndOthersAreRefused) {
  StartScsi();
  EXPECT_TRUE(Grab("shot.jpeg", true));
  EXPECT_TRUE(Grab("x.jpg.bmp", true));
  const std::vector<uint8_t> jpeg = ReadWholeFile(dir.File("shot.jpeg")).bytes;
  const std::vector<uint8_t> bitmap = ReadWholeFile(dir.File("x.jpg.bmp")).bytes;
  ASSERT_GE(jpeg.size(), 2u);
  ASSERT_GE(bitmap.size(), 2u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
  EXPECT_EQ(bitmap[0], 'B');
  EXPECT_EQ(bitmap[1], 'M');
  const size_t reads = sim->Log().find("3c0010038600");
  ui.calls.clear();
  EXPECT_FALSE(Grab("shot.png", true));
  EXPECT_EQ(ui.calls,
            (std::vector<std::string>{"message information: " + dir.File("shot.png") +
                                      ": the picture's name must end in .jpg, .jpeg or .bmp"}));
  EXPECT_FALSE(std::filesystem::exists(dir.File("shot.png")));
  // Nothing was read for it.
  EXPECT_EQ(sim->Log().rfind("3c0010038600"), sim->Log().rfind("3c0010038600", std::string::npos));
  EXPECT_NE(reads, std::string::npos);
}

TEST_F(GrabSimTest, OnlyADumpThisGrabWroteIsDeleted) {
  StartScsi();
  // A file of a dump's very size that the user keeps: asked about, and kept when refused.
  const std::vector<uint8_t> users(622080, 0x5A);
  testing::WriteBytes(dir.File("same.mem"), users);
  ui.answers.push_back(Answer::kNo);
  EXPECT_FALSE(Grab("same.jpg", true));
  EXPECT_EQ(ReadWholeFile(dir.File("same.mem")).bytes, users);
  // Replaced when the user agrees: the grab's own dump is then the one deleted.
  ui.answers.push_back(Answer::kYes);
  EXPECT_TRUE(Grab("same.jpg", true));
  EXPECT_FALSE(std::filesystem::exists(dir.File("same.mem")));
  // A dump this run wrote and kept is replaced without a question the next time.
  session.options.deleteMem = false;
  ui.calls.clear();
  EXPECT_TRUE(Grab("same.jpg", true));
  EXPECT_TRUE(Grab("same.jpg", true));
  EXPECT_TRUE(testing::Matching(ui.calls, "ask").empty());
}

TEST_F(GrabSimTest, ASerialGrabStopsWhenAskedAndResumesTheVideo) {
  StartSerial({"--throttle"});
  state.options.speed = 3;
  GrabPlan plan;
  plan.picturePath = dir.File("stop.bmp");
  plan.memPath = dir.File("stop.mem");
  plan.format = PictureFormat::kBitmap;
  state.options.readStartAddress = FrameAddress(1, false);
  state.options.readLength = 622080;
  SerialGrab grab = PrepareSerialGrab(state, session, plan);
  DirectFrontEnd frontEnd(ui);
  Worker worker;
  worker.Start(
      [&](RunControl& control) { return ReadFrameSerialRun(link, grab, control, frontEnd); });
  ASSERT_TRUE(sim->WaitForLog("read-memory 00038600"));
  worker.RequestStop();
  const auto askedAt = std::chrono::steady_clock::now();
  const RunResult result = worker.Join();
  // The rest of the chunk under way (at 38400 bit/s, up to 17 s) is let go by first.
  EXPECT_LT(std::chrono::steady_clock::now() - askedAt, 25s);
  EXPECT_TRUE(result.Failed());
  EXPECT_EQ(result.message, msg::grab::kGrabAborted);
  EXPECT_TRUE(grab.aborted);
  EXPECT_TRUE(sim->WaitForLog("resume-video"));
  EXPECT_EQ(sim->Log().find("read-memory 000C8600"), std::string::npos);  // no second chunk
  EXPECT_FALSE(std::filesystem::exists(plan.memPath));
  EXPECT_FALSE(link.IsOpen());
}

TEST_F(GrabSimTest, AReceiverLostDuringASerialGrabEndsItAtOnce) {
  StartSerial({"--throttle"});
  state.options.speed = 3;
  GrabPlan plan;
  plan.memPath = dir.File("lost.mem");
  state.options.readStartAddress = FrameAddress(1, false);
  state.options.readLength = 622080;
  SerialGrab grab = PrepareSerialGrab(state, session, plan);
  DirectFrontEnd frontEnd(ui);
  Worker worker;
  worker.Start(
      [&](RunControl& control) { return ReadFrameSerialRun(link, grab, control, frontEnd); });
  ASSERT_TRUE(sim->WaitForLog("read-memory 00038600"));
  sim->Stop();
  const auto lostAt = std::chrono::steady_clock::now();
  const RunResult result = worker.Join();
  EXPECT_LT(std::chrono::steady_clock::now() - lostAt, 2s);
  ASSERT_TRUE(result.Failed());
  EXPECT_EQ(result.message, msg::grab::kGrabLost);
  EXPECT_NE(result.detail.find("the serial line hung up"), std::string::npos) << result.detail;
  // No question about a receiver that is gone.
  EXPECT_TRUE(testing::Matching(ui.calls, "ask").empty());
  EXPECT_FALSE(std::filesystem::exists(plan.memPath));
}

}  // namespace
}  // namespace pelorus
