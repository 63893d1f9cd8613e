// Subroutine upload and the firmware upgrade against the simulator process.
#include "serial/firmware_serial.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "serial/messages.h"
#include "serial/serial_timing.h"
#include "serial/subroutine_upload.h"
#include "support/fake_ui.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;
using testing::FakeUi;
using testing::Matching;
using testing::ReadBytes;
using testing::SimProcess;
using testing::TempDir;
using testing::WriteBytes;

// Code-like bytes with repeats, so that the steps really compress.
std::vector<uint8_t> FirmwareBytes(size_t size) {
  std::vector<uint8_t> bytes(size);
  uint32_t seed = 12345;
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245 + 12345;
    bytes[i] = (i % 7 < 3) ? static_cast<uint8_t>(i >> 4) : static_cast<uint8_t>(seed >> 16);
  }
  return bytes;
}

class FirmwareSerialTest : public ::testing::Test {
 protected:
  void SetUp() override { SetSerialTickForTesting(20ms); }
  void TearDown() override { SetSerialTickForTesting(250ms); }

  std::unique_ptr<SimProcess> StartReceiver(const std::string& fault = "") {
    std::vector<std::string> args;
    if (!fault.empty()) args = {"--fault", fault};
    auto sim = std::make_unique<SimProcess>(dir, args);
    state.links.serialPort = sim->Port();
    return sim;
  }

  // Runs the upgrade of a firmware file of `size` bytes.
  bool Upgrade(size_t size) {
    firmware = FirmwareBytes(size);
    WriteBytes(dir.File("new.bin"), firmware);
    state.commandLineFile = dir.File("new.bin");
    return FirmwareUpgradeSerial(state, link, files);
  }

  TempDir dir;
  EditorState state;
  FakeUi ui;
  SerialLink link{ui};
  std::vector<uint8_t> firmware;
  FirmwareUpgradeFiles files{PELORUS_BINARY_DIR "/src/cli", dir.File("step.tmp")};
};

TEST_F(FirmwareSerialTest, SubroutineGoesOutInBlocksWithItsChecksum) {
  auto sim = StartReceiver();
  WriteBytes(dir.File("user.sbr"), FirmwareBytes(2500));
  state.commandLineFile = dir.File("user.sbr");
  ASSERT_TRUE(UploadSubroutineCommand(state, link));
  EXPECT_EQ(
      Matching(ui.calls, "status: "),
      (std::vector<std::string>{
          "status: Sending subroutine file", "status: Getting Mediamaster's attention",
          "status: 1476 bytes of subroutine remaining", "status: 452 bytes of subroutine remaining",
          "status: 0 bytes of subroutine remaining", "status: "}));
  EXPECT_TRUE(state.commandLineFile.empty());
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_TRUE(sim->WaitForLog("subroutine 2500 checksum ok unknown"));
}

TEST_F(FirmwareSerialTest, EmptySubroutineIsTheCommandAndTheBareChecksum) {
  auto sim = StartReceiver();
  WriteBytes(dir.File("empty.sbr"), {});
  state.commandLineFile = dir.File("empty.sbr");
  link.serialDebug = true;  // keep-open: the port stays held for the debug terminal
  ASSERT_TRUE(UploadSubroutineCommand(state, link));
  EXPECT_TRUE(link.IsOpen());
  EXPECT_TRUE(link.held);
  EXPECT_EQ(Matching(ui.calls, "status: 0 bytes").size(), 1u);
  link.Close();
  EXPECT_TRUE(sim->WaitForLog("subroutine 0 checksum ok"));
}

TEST_F(FirmwareSerialTest, MissingSubroutineIsRefusedBeforeTheReceiverIsTouched) {
  auto sim = StartReceiver();
  state.commandLineFile = dir.File("absent.sbr");
  EXPECT_FALSE(UploadSubroutineCommand(state, link));
  EXPECT_EQ(Matching(ui.calls, "message"),
            std::vector<std::string>{"message stop: Unable to open subroutine file: " +
                                     dir.File("absent.sbr")});
  EXPECT_EQ(sim->Log().find("attention"), std::string::npos);
}

TEST_F(FirmwareSerialTest, FlashesFilesOfZeroAndTwoStepsExactly) {
  for (const size_t size : {size_t{0}, size_t{65537}}) {
    SCOPED_TRACE(size);
    ui = FakeUi();
    auto sim = StartReceiver();
    ASSERT_TRUE(Upgrade(size));
    EXPECT_EQ(
        Matching(ui.calls, "message"),
        std::vector<std::string>{std::string("message information: ") + msg::kFirmwareUpgradeDone});
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(ui.busyDepth, 0);
    EXPECT_FALSE(std::filesystem::exists(files.compressedStep));
    ASSERT_TRUE(sim->WaitForLog("flash done " + std::to_string(size)));
    sim->Stop();
    EXPECT_EQ(ReadBytes(sim->FlashPath()), firmware);
    EXPECT_NE(sim->Log().find("flash options erase-all=N bootloader=N"), std::string::npos);
    std::filesystem::remove(sim->FlashPath());
  }
  EXPECT_EQ(Matching(ui.calls, "status: Mediamaster verifying"),
            (std::vector<std::string>{"status: Mediamaster verifying serial transfer step 1/2",
                                      "status: Mediamaster verifying serial transfer step 2/2"}));
}

TEST_F(FirmwareSerialTest, BootloaderImageIsConfirmedAndFlaggedWithEraseAll) {
  auto sim = StartReceiver();
  state.options.flashEraseAll = 1;
  ui.answers = {Answer::kOk, Answer::kOk};
  ASSERT_TRUE(Upgrade(131072));
  EXPECT_EQ(
      Matching(ui.calls, "ask"),
      (std::vector<std::string>{std::string("ask ok/cancel warning: ") + msg::kEraseAllWarning,
                                std::string("ask ok/cancel warning: ") + msg::kBootloaderWarning}));
  ASSERT_TRUE(sim->WaitForLog("flash done 131072"));
  sim->Stop();
  EXPECT_EQ(ReadBytes(sim->FlashPath()), firmware);
  EXPECT_NE(sim->Log().find("flash options erase-all=Y bootloader=Y"), std::string::npos);
}

TEST_F(FirmwareSerialTest, CancellingAWarningSendsNothing) {
  auto sim = StartReceiver();
  state.options.flashEraseAll = 1;
  ui.answers = {Answer::kCancel};
  EXPECT_FALSE(Upgrade(1000));
  ui.answers = {Answer::kOk, Answer::kCancel};
  EXPECT_FALSE(Upgrade(131072));
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_EQ(sim->Log().find("attention"), std::string::npos);
}

TEST_F(FirmwareSerialTest, UnreadableFirmwareIsRefusedBeforeAnythingIsSent) {
  auto sim = StartReceiver();
  state.commandLineFile = dir.File("absent.bin");
  EXPECT_FALSE(FirmwareUpgradeSerial(state, link, files));
  std::filesystem::create_directory(dir.File("folder.bin"));
  state.commandLineFile = dir.File("folder.bin");
  EXPECT_FALSE(FirmwareUpgradeSerial(state, link, files));
  EXPECT_EQ(Matching(ui.calls, "message"),
            (std::vector<std::string>{
                "message stop: Unable to open firmware file: " + dir.File("absent.bin"),
                "message stop: Unable to open firmware file: " + dir.File("folder.bin")}));
  EXPECT_EQ(sim->Log().find("attention"), std::string::npos);
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(FirmwareSerialTest, AStepThatCannotBeCompressedIsNotASuccess) {
  auto sim = StartReceiver();
  files.compressedStep = dir.File("no-such-folder/step.tmp");
  EXPECT_FALSE(Upgrade(5000));
  EXPECT_EQ(Matching(ui.calls, "message"),
            std::vector<std::string>{"message stop: Pelorus was unable to compress firmware "
                                     "step 1/1"});
  sim->Stop();
  EXPECT_TRUE(ReadBytes(sim->FlashPath()).empty());
}

struct FlashFault {
  const char* fault;
  const char* message;
};

class FlashFaultTest : public FirmwareSerialTest,
                       public ::testing::WithParamInterface<FlashFault> {};

TEST_P(FlashFaultTest, EndsWithItsMessageAndNothingFlashed) {
  auto sim = StartReceiver(GetParam().fault);
  EXPECT_FALSE(Upgrade(65537));
  EXPECT_EQ(Matching(ui.calls, "message"),
            std::vector<std::string>{std::string("message stop: ") + GetParam().message});
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(ui.busyDepth, 0);
  EXPECT_FALSE(std::filesystem::exists(files.compressedStep));
  sim->Stop();
  EXPECT_TRUE(ReadBytes(sim->FlashPath()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Receiver, FlashFaultTest,
    ::testing::Values(
        FlashFault{"no-attention", msg::kNoAnswerOnSerialPort},
        FlashFault{"flash-silent", msg::kNoAnswerAfterFlashSubroutine},
        FlashFault{"crc-error:2", msg::kIncorrectCrc},
        FlashFault{"unknown-letter", "Unknown error 'Z' after compressed firmware transfer"},
        FlashFault{"unknown-decompress",
                   "Unknown error 'Q' after compressed firmware decompression"},
        FlashFault{"disconnect", "Unknown error ' ' after compressed firmware transfer"}),
    [](const ::testing::TestParamInfo<FlashFault>& param) {
      std::string name = param.param.fault;
      std::replace_if(
          name.begin(), name.end(), [](char c) { return c == '-' || c == ':'; }, '_');
      return name;
    });

}  // namespace
}  // namespace pelorus
