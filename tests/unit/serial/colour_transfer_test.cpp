// The colour table both ways: the command-line forms the colour-editing program uses, the
// colour file, and a round trip through the stand-in receiver's colour subroutine.
#include "serial/colour_transfer.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "serial/messages.h"
#include "support/cli_run.h"
#include "support/fake_ui.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::FakeUi;

TEST(ColourFile, FortyHexDigitsAreFiveColoursAndNothingElseIs) {
  const auto colours =
      ParseColourText(testing::BytesOf("00112233aabbccdd0000000F12345678DeadBeef"));
  ASSERT_TRUE(colours);
  EXPECT_EQ(*colours, (ColourTable{0x00112233, 0xAABBCCDD, 0x0000000F, 0x12345678, 0xDEADBEEF}));
  EXPECT_EQ(FormatColourFile(*colours), "00112233AABBCCDD0000000F12345678DEADBEEF");
  // A line end an editor added is no reason to refuse the file.
  EXPECT_TRUE(ParseColourText(testing::BytesOf("00112233aabbccdd0000000F12345678DeadBeef\r\n")));
  for (const std::string& bad : {std::string(40, 'z'), std::string("00112233"),
                                 std::string("00112233aabbccdd0000000F 0xABCD1234567"),
                                 std::string("00112233aabbccdd0000000F12345678DeadBeef0"),
                                 std::string("00112233\naabbccdd\n0000000F\n12345678\nDeadBeef"),
                                 std::string("-0112233aabbccdd0000000F12345678DeadBeef")}) {
    EXPECT_FALSE(ParseColourText(testing::BytesOf(bad))) << bad;
  }
}

TEST(ColourCommandLine, UploadAndDownloadSplits) {
  EXPECT_EQ(ColourUploadFile("/CU my colours.col"), "my colours.col");
  EXPECT_EQ(ColourUploadFile("/CU"), "");
  const ColourDownloadRequest full = ParseColourDownloadLine("/CD out.col 1A2B extra");
  EXPECT_TRUE(full.hasLine);
  EXPECT_FALSE(full.fileTooLong);
  EXPECT_TRUE(ParseColourDownloadLine("/CD " + std::string(261, 'a') + " 1").fileTooLong);
  EXPECT_FALSE(ParseColourDownloadLine("/CD " + std::string(260, 'a') + " 1").fileTooLong);
  EXPECT_EQ(full.file, "out.col");
  EXPECT_EQ(full.handleWord, "1A2B");
  EXPECT_EQ(full.handle, 0x1A2Bu);
  EXPECT_FALSE(ParseColourDownloadLine("/CD").hasLine);
  EXPECT_EQ(ParseColourDownloadLine("/CD out.col").handleWord, "");
  EXPECT_EQ(ParseColourDownloadLine("/CD  1A2B").file, "");
}

TEST(ColourCommands, RefusalsComeWithTheirMessagesBeforeThePortOpens) {
  testing::TempDir dir;
  struct Case {
    std::string line;
    bool upload;
    std::string message;
    std::string detail;  // beside the message, when there is one
  };
  // A file that cannot be read says why: missing, or not a file at all.
  const std::vector<Case> cases = {
      {"/CU", true, "message stop: Color filename not specified", ""},
      {"/CU " + dir.File("missing.col"), true,
       "message information: Unable to open color file " + dir.File("missing.col"),
       dir.File("missing.col") + ": No such file or directory"},
      {"/CU " + dir.path().string(), true,
       "message information: Unable to open color file " + dir.path().string(),
       dir.path().string() + ": not a regular file"},
      {"/CD", false, "message stop: No command line specified for color download", ""},
      {"/CD  12", false, "message stop: Can't figure out the filename in color download", ""},
      {"/CD out.col", false, "message stop: Can't figure out the handle of Corvin's program", ""},
  };
  for (const Case& c : cases) {
    FakeUi ui;
    SerialLink link(ui);
    EditorState state;
    state.commandLineFile = c.line;
    if (c.upload) {
      EXPECT_FALSE(UploadColours(state, link, dir.path().string()));
    } else {
      EXPECT_EQ(DownloadColours(state, link, dir.path().string()), 0u);
    }
    ASSERT_EQ(ui.calls.size(), 1u) << c.line;
    EXPECT_EQ(ui.calls[0], c.message);
    EXPECT_EQ(ui.details,
              c.detail.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.detail})
        << c.line;
    EXPECT_FALSE(link.IsOpen());
  }
}

TEST(ColourCommands, WhatCannotBeUsedIsRefusedBeforeTheReceiverHearsOfIt) {
  testing::TempDir dir;
  testing::SimProcess sim(dir, {});
  ASSERT_TRUE(sim.Running());
  const std::string up = dir.File("zz.col");
  testing::WriteBytes(up, testing::BytesOf(std::string(40, 'z')));
  const auto sent = testing::RunCommandLine(
      {"serial", "colours-up", up, "--port", sim.Port(), "--options", dir.File("o.ini")});
  EXPECT_EQ(sent.status, 1);
  EXPECT_NE(sent.err.find("Unable to open color file " + up), std::string::npos) << sent.err;
  // A name longer than the command line can carry would be written cut: it is refused whole.
  const std::string folder = dir.File(std::string(200, 'd'));
  std::filesystem::create_directories(folder);
  const std::string down = folder + "/" + std::string(120, 'c') + ".col";
  const auto read = testing::RunCommandLine(
      {"serial", "colours-down", down, "--port", sim.Port(), "--options", dir.File("o.ini")});
  EXPECT_EQ(read.status, 1);
  EXPECT_NE(read.err.find("longer than 260 characters"), std::string::npos) << read.err;
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  EXPECT_FALSE(std::filesystem::exists(down.substr(0, 260)));
  const std::string log = sim.Log();
  EXPECT_EQ(log.find("colours written"), std::string::npos) << log;
  EXPECT_EQ(log.find("attention"), std::string::npos) << log;
}

TEST(ColourCommands, RoundTripThroughTheReceiversColourSubroutine) {
  testing::TempDir dir;
  testing::SimProcess sim(dir, {});
  ASSERT_TRUE(sim.Running());
  const std::string up = dir.File("up.col");
  testing::WriteBytes(up, testing::BytesOf("00112233AABBCCDD0000000F12345678deadbeef"));
  const auto sent = testing::RunCommandLine(
      {"serial", "colours-up", up, "--port", sim.Port(), "--options", dir.File("o.ini")});
  ASSERT_EQ(sent.status, 0) << sent.err;
  EXPECT_NE(sent.err.find("Sending colors..."), std::string::npos);
  ASSERT_TRUE(sim.WaitForLog("colours written 00112233AABBCCDD0000000F12345678DEADBEEF"));

  const std::string down = dir.File("down.col");
  const auto read = testing::RunCommandLine(
      {"serial", "colours-down", down, "--port", sim.Port(), "--options", dir.File("o.ini")});
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(testing::ReadBytes(down), testing::BytesOf("00112233AABBCCDD0000000F12345678DEADBEEF"));

  // Colours read but not written: the message, then where and why.
  const std::string nowhere = dir.File("no-such-folder/down.col");
  const auto lost = testing::RunCommandLine(
      {"serial", "colours-down", nowhere, "--port", sim.Port(), "--options", dir.File("o.ini")});
  EXPECT_EQ(lost.status, 1);
  EXPECT_NE(lost.err.find("Unable to open color file " + nowhere), std::string::npos) << lost.err;
  EXPECT_NE(lost.err.find("No such file or directory"), std::string::npos) << lost.err;
}

}  // namespace
}  // namespace pelorus
