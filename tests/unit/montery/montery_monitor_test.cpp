// The Montery 140 window's tick: what it reads over SCSI, what it sends on the serial port and
// when it keeps quiet.
#include <gtest/gtest.h>
#include <termios.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/messages.h"
#include "serial/messages.h"
#include "serial/montery_interface.h"
#include "serial/serial_timing.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "unit/scsi/scripted_transport.h"
#include "unit/serial/pty_pair.h"

namespace pelorus {
namespace {

using namespace std::chrono_literals;
using testing::FakeUi;
using testing::MakeChannel;
using testing::PtyPair;
using testing::ScriptedTransport;

ChannelRecord Channel(const std::string& name, uint16_t frequency, bool vertical) {
  ChannelRecord record = MakeChannel(name, frequency);
  record.polarity = vertical ? 1 : 0;
  return record;
}

std::string Text(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

class MonteryMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The pauses around a sending shrink to a tenth with the tick.
    SetSerialTickForTesting(25ms);
    state.settingsImage = std::vector<ChannelRecord>{
        MakeChannel("== COLDSAT", 0),    Channel("Cold One", 11000, false),
        MakeChannel("== HOTSAT-1", 0),   Channel("Hot One", 11778, true),
        Channel("Hot Two", 12000, true), Channel("Hot Three", 12100, false),
        MakeChannel("== WARMSAT*C", 0),  Channel("Warm One", 3840, true),
    };
    state.links.serialPort = pty.slave;
    state.options.speed = 3;  // the editor's 38400 must not reach the Montery 140
    scsi->handler = [this](const ScriptedTransport::Command&, std::span<uint8_t> in) {
      if (failRead) return ScriptedTransport::Reply{kScsiError, 0};
      in[0] = static_cast<uint8_t>(current >> 8);
      in[1] = static_cast<uint8_t>(current);
      return ScriptedTransport::Reply{kScsiSuccess, 2};
    };
    state.aspiModule = scsi;
  }
  void TearDown() override { SetSerialTickForTesting(250ms); }

  FakeUi ui;
  PtyPair pty;
  SerialLink link{ui};
  EditorState state;
  std::shared_ptr<ScriptedTransport> scsi = std::make_shared<ScriptedTransport>();
  uint16_t current = 3;
  bool failRead = false;
  MonteryProfile profile;
  MonterySent sent;
};

TEST_F(MonteryMonitorTest, SendsEachChangeOnceAt9600) {
  MonteryMonitor monitor(state, link, profile, sent);
  int shown = 0;
  monitor.onViewChanged = [&](const MonteryView&) { ++shown; };

  EXPECT_EQ(monitor.Tick(),
            (std::vector<std::string>{"#70 \"HOTSAT\"\r", "#71 \"HOTSAT V MPE\",99\r"}));
  EXPECT_EQ(Text(pty.Received()), "#70 \"HOTSAT\"\r#71 \"HOTSAT V MPE\",99\r");
  const termios line = pty.Settings();
  EXPECT_EQ(::cfgetospeed(&line), B9600);
  EXPECT_FALSE(link.IsOpen());
  EXPECT_EQ(testing::BlockHex(scsi->commands.at(0).cdb), "3c0001000b0e00000200");
  EXPECT_EQ(monitor.view().receiverChannel, "4 - Hot One");
  EXPECT_EQ(monitor.view().satellite, "HOTSAT");
  EXPECT_EQ(monitor.view().channelText, "HOTSAT V MPEG2");
  EXPECT_EQ(monitor.view().commands, "#70 \"HOTSAT\"\r\n#71 \"HOTSAT V MPE\",99\r");
  EXPECT_GE(shown, 3);  // the channel, then each command as it goes out

  // Unchanged, and another channel of the same satellite and polarity: nothing is sent.
  EXPECT_TRUE(monitor.Tick().empty());
  current = 4;
  EXPECT_TRUE(monitor.Tick().empty());
  EXPECT_EQ(monitor.view().receiverChannel, "5 - Hot Two");
  EXPECT_TRUE(pty.Received(50ms).empty());

  // The other polarity sends both again; a marker row sends nothing but shows its satellite.
  current = 5;
  EXPECT_EQ(monitor.Tick(),
            (std::vector<std::string>{"#70 \"HOTSAT\"\r", "#71 \"HOTSAT H MPE\",98\r"}));
  current = 6;
  EXPECT_TRUE(monitor.Tick().empty());
  EXPECT_EQ(monitor.view().satellite, "WARMSAT");
  EXPECT_EQ(monitor.view().channelText, "HOTSAT H MPEG2");
  current = 7;
  EXPECT_EQ(monitor.Tick(),
            (std::vector<std::string>{"#70 \"WARMSAT\"\r", "#71 \"WARMSAT V MP\",99\r"}));
  EXPECT_TRUE(ui.calls.empty());
}

TEST_F(MonteryMonitorTest, LastSentOutlivesTheWindowAndTranslationOnlyNamesTheSatellite) {
  const std::string_view ini = "[name translation]\nhotsat=Hot Bird\n";
  const MonteryProfile translated(
      ProfileIni::Parse(std::span(reinterpret_cast<const uint8_t*>(ini.data()), ini.size())));
  {
    MonteryMonitor monitor(state, link, translated, sent);
    EXPECT_EQ(monitor.Tick(),
              (std::vector<std::string>{"#70 \"Hot Bird\"\r", "#71 \"HOTSAT V MPE\",99\r"}));
  }
  // A window opened again on the same channel has nothing to send.
  MonteryMonitor reopened(state, link, translated, sent);
  EXPECT_TRUE(reopened.Tick().empty());
  EXPECT_EQ(reopened.view().channelText, "HOTSAT V MPEG2");
}

TEST_F(MonteryMonitorTest, AnEmptySatelliteSaysWhy) {
  // Channels above the first marker row, and under a marker that names nothing.
  state.settingsImage =
      std::vector<ChannelRecord>{Channel("Loose One", 11000, false), MakeChannel("== ", 0),
                                 Channel("Under Nothing", 11100, true), MakeChannel("== HOTSAT", 0),
                                 Channel("Hot One", 11778, true)};
  MonteryMonitor monitor(state, link, profile, sent);
  std::vector<std::string> notes;
  monitor.onViewChanged = [&](const MonteryView& view) { notes.push_back(view.note); };
  current = 0;
  EXPECT_TRUE(monitor.Tick().empty());
  EXPECT_EQ(monitor.view().satellite, "");
  EXPECT_EQ(monitor.view().note,
            "No marker row stands above channel 1: the satellite is taken from the nearest marker "
            "row (a row with frequency 0, such as \"== HOTSAT\") above the channel");
  current = 2;
  monitor.Tick();
  EXPECT_EQ(monitor.view().note,
            "The marker row above channel 3 names no satellite after its first three characters");
  // A satellite found clears the note, and the change is shown.
  current = 4;
  EXPECT_EQ(monitor.Tick().size(), 2u);
  EXPECT_EQ(monitor.view().satellite, "HOTSAT");
  EXPECT_EQ(monitor.view().note, "");
  ASSERT_FALSE(notes.empty());
  EXPECT_EQ(notes.back(), "");
}

TEST_F(MonteryMonitorTest, FailedReadsAndUnknownChannelsSkipTheTick) {
  MonteryMonitor monitor(state, link, profile, sent);
  failRead = true;
  EXPECT_TRUE(monitor.Tick().empty());
  failRead = false;
  current = 8;  // one past the list
  EXPECT_TRUE(monitor.Tick().empty());
  current = 0xFFFF;
  EXPECT_TRUE(monitor.Tick().empty());
  EXPECT_EQ(monitor.view().receiverChannel, "");
  EXPECT_TRUE(pty.Received(50ms).empty());
  // A short answer is a failed read too.
  scsi->handler = [](const ScriptedTransport::Command&, std::span<uint8_t>) {
    return ScriptedTransport::Reply{kScsiSuccess, 1};
  };
  EXPECT_TRUE(monitor.Tick().empty());
  EXPECT_TRUE(ui.calls.empty());
}

TEST_F(MonteryMonitorTest, PortThatWillNotOpenIsReportedOncePerChange) {
  state.links.serialPort = "/nonexistent/montery-tty";
  MonteryMonitor monitor(state, link, profile, sent);
  const std::string refused = std::string("message stop: ") + msg::kUnableToOpenSerialPort;
  EXPECT_TRUE(monitor.Tick().empty());
  EXPECT_TRUE(monitor.Tick().empty());
  EXPECT_EQ(ui.calls, (std::vector<std::string>{refused}));
  EXPECT_EQ(sent.satellite, "HOTSAT");
  EXPECT_EQ(sent.channelText, "HOTSAT V MPE");
  current = 1;
  EXPECT_TRUE(monitor.Tick().empty());
  EXPECT_EQ(ui.calls, (std::vector<std::string>{refused, refused}));
}

TEST(MonteryInterface, NeedsScsiThenSettings) {
  FakeUi ui;
  EditorState state;
  state.settingsImage = std::vector<ChannelRecord>{};
  EXPECT_FALSE(MonteryInterfaceAllowed(state, ui));
  state.aspiModule = std::make_shared<ScriptedTransport>();
  state.settingsImage.reset();
  EXPECT_FALSE(MonteryInterfaceAllowed(state, ui));
  state.settingsImage = std::vector<ChannelRecord>{};
  EXPECT_TRUE(MonteryInterfaceAllowed(state, ui));
  EXPECT_EQ(ui.calls,
            (std::vector<std::string>{std::string("message stop: ") + msg::kNoScsiInterface,
                                      std::string("message stop: ") + msg::kLoadSettingsFirst}));
}

}  // namespace
}  // namespace pelorus
