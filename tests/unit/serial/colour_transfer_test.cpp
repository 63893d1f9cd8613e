// The colour table both ways: the command-line forms the colour-editing program uses, the
// colour file, and a round trip through the stand-in receiver's colour subroutine.
#include "serial/colour_transfer.h"

#include <gtest/gtest.h>

#include "serial/messages.h"
#include "support/cli_run.h"
#include "support/fake_ui.h"
#include "support/sim_process.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::FakeUi;

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(ColourFile, FiveHexChunksReadAsPercentXAndWrittenUpperCase) {
  const auto colours = ParseColourText(Bytes("00112233aabbccdd0000000F 0xABCD1234567zz"));
  ASSERT_TRUE(colours);
  // " 0xABCD1" skips the blank and the 0x; "234567zz" stops at the first non-digit.
  EXPECT_EQ(*colours, (ColourTable{0x00112233, 0xAABBCCDD, 0x0000000F, 0xABCD1, 0x234567}));
  EXPECT_EQ(FormatColourFile(*colours), "00112233AABBCCDD0000000F000ABCD100234567");
  EXPECT_FALSE(ParseColourText(Bytes("00112233")));  // fewer than five values
}

TEST(ColourCommandLine, UploadAndDownloadSplits) {
  EXPECT_EQ(ColourUploadFile("/CU my colours.col"), "my colours.col");
  EXPECT_EQ(ColourUploadFile("/CU"), "");
  const ColourDownloadRequest full = ParseColourDownloadLine("/CD out.col 1A2B extra");
  EXPECT_TRUE(full.hasLine);
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
  };
  const std::vector<Case> cases = {
      {"/CU", true, "message stop: Color filename not specified"},
      {"/CU " + dir.File("missing.col"), true,
       "message information: Unable to open color file " + dir.File("missing.col")},
      {"/CD", false, "message stop: No command line specified for color download"},
      {"/CD  12", false, "message stop: Can't figure out the filename in color download"},
      {"/CD out.col", false, "message stop: Can't figure out the handle of Corvin's program"},
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
    EXPECT_FALSE(link.IsOpen());
  }
}

TEST(ColourCommands, RoundTripThroughTheReceiversColourSubroutine) {
  testing::TempDir dir;
  testing::SimProcess sim(dir, {});
  ASSERT_TRUE(sim.Running());
  const std::string up = dir.File("up.col");
  testing::WriteBytes(up, Bytes("00112233AABBCCDD0000000F12345678deadbeef"));
  const auto sent = testing::RunCommandLine(
      {"serial", "colours-up", up, "--port", sim.Port(), "--options", dir.File("o.ini")});
  ASSERT_EQ(sent.status, 0) << sent.err;
  EXPECT_NE(sent.err.find("Sending colors..."), std::string::npos);
  ASSERT_TRUE(sim.WaitForLog("colours written 00112233AABBCCDD0000000F12345678DEADBEEF"));

  const std::string down = dir.File("down.col");
  const auto read = testing::RunCommandLine(
      {"serial", "colours-down", down, "--port", sim.Port(), "--options", dir.File("o.ini")});
  ASSERT_EQ(read.status, 0) << read.err;
  EXPECT_EQ(testing::ReadBytes(down), Bytes("00112233AABBCCDD0000000F12345678DEADBEEF"));
}

}  // namespace
}  // namespace pelorus
