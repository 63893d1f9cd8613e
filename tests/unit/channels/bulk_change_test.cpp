// The list popup's bulk parameters, the value dialog and the frequency converter.
#include "channels/bulk_change.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "channels/frequency_converter.h"
#include "channels/list_popup.h"
#include "support/fake_ui.h"
#include "support/records.h"

namespace pelorus {
namespace {

using testing::FakeUi;
using testing::MakeChannel;
using Calls = std::vector<std::string>;

ChannelRecord Changed(int command, ChannelRecord record, int value = 0) {
  EXPECT_TRUE(ApplyParameterToRecord(command, value, record)) << command;
  return record;
}

TEST(BulkParameterTest, EachCommandChangesOnlyItsBits) {
  ChannelRecord base = MakeChannel("X", 11000);
  base.modeFlags = 0xA4;  // audio mode 2, an unnamed bit 2 and bit 5 set
  base.lnbSelect = 0xF1;  // high bits set, port 1, inversion Auto
  base.autoFlags = 0x80;
  EXPECT_EQ(Changed(40019, base).modeFlags, 0xA7);
  EXPECT_EQ(Changed(40020, Changed(40019, base)).modeFlags, 0xA4);
  EXPECT_EQ(Changed(40022, base).modeFlags, 0xB4);
  EXPECT_EQ(Changed(40021, Changed(40022, base)).modeFlags, 0xA4);
  EXPECT_EQ(Changed(40032, base).lnbSelect, 0xF5);  // Off
  EXPECT_EQ(Changed(40033, base).lnbSelect, 0xF9);  // On
  EXPECT_EQ(Changed(40034, Changed(40033, base)).lnbSelect, 0xF1);
  base.lnbSelect = 0x0D;
  EXPECT_EQ(Changed(40037, base).lnbSelect, 0x0E);  // "Ingresso LNB 3" keeps the inversion
  EXPECT_EQ(Changed(40035, base).lnbSelect, 0x0C);
  EXPECT_EQ(Changed(40038, base).lnbSelect, 0x0F);
  EXPECT_EQ(Changed(40042, base).polarity, 1);
  EXPECT_EQ(Changed(40041, Changed(40042, base)).polarity, 0);
  EXPECT_EQ(Changed(40068, base).serviceType, 1);
  EXPECT_EQ(Changed(40077, base).serviceType, 10);
  const std::pair<int, int> fecs[] = {{40088, 0}, {40094, 1}, {40089, 2}, {40090, 3},
                                      {40091, 4}, {40092, 6}, {40093, 7}};
  for (auto [command, code] : fecs) EXPECT_EQ(Changed(command, base).fecCode, code);
  EXPECT_EQ(Changed(40095, base).autoFlags, 0x81);
  EXPECT_EQ(Changed(40097, base).autoFlags, 0x82);
  EXPECT_EQ(Changed(40096, Changed(40095, Changed(40097, base))).autoFlags, 0x82);
  EXPECT_EQ(Changed(40098, Changed(40097, base)).autoFlags, 0x80);
  EXPECT_EQ(Changed(40085, base, 70000).symbolRate, 4464);
  EXPECT_EQ(Changed(40087, base, 300).acqBandwidth, 44);
  ChannelRecord untouched = base;
  EXPECT_FALSE(ApplyParameterToRecord(40027, 0, untouched));
  EXPECT_FALSE(ApplyParameterToRecord(40062, 0, untouched));
}

// Every command of the popup but the converter and the scan is a bulk parameter.
void CollectCommands(std::span<const MenuEntry> entries, std::set<int>& commands) {
  for (const MenuEntry& entry : entries) {
    if (entry.command != 0) commands.insert(entry.command);
    CollectCommands(entry.submenu, commands);
  }
}

TEST(BulkParameterTest, PopupHoldsEveryBulkCommandOnce) {
  std::set<int> commands;
  CollectCommands(ChannelListPopup(), commands);
  int bulk = 0;
  for (int command : commands) bulk += IsBulkParameterCommand(command) ? 1 : 0;
  EXPECT_EQ(bulk, 2 + 2 + 3 + 4 + 2 + 10 + 2 + 7 + 2 + 2);
  EXPECT_TRUE(commands.count(40027));
  EXPECT_TRUE(commands.count(40062));
  EXPECT_EQ(ChannelListPopup().back().command, 40062);
}

TEST(ValueDialogTest, ReadsTheLeadingNumber) {
  EXPECT_EQ(ParseParameterText("27500"), 27500);
  EXPECT_EQ(ParseParameterText("  300 MHz"), 300);
  EXPECT_EQ(ParseParameterText("-1"), -1);
  EXPECT_EQ(ParseParameterText(""), std::nullopt);
  EXPECT_EQ(ParseParameterText("abc"), std::nullopt);
  EXPECT_EQ(ParseParameterText("-"), std::nullopt);
}

class BulkCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    state.settingsImage =
        std::vector<ChannelRecord>{MakeChannel("A", 1200), MakeChannel("B", 0),
                                   MakeChannel("C", 11778), MakeChannel("D", 1028)};
  }
  ParameterAsker Answering(std::optional<int> answer) {
    return [this, answer](std::string_view prompt) {
      prompts.emplace_back(prompt);
      return answer;
    };
  }
  EditorState state;
  FakeUi ui;
  SelectionAfter after;
  std::vector<std::string> prompts;
};

TEST_F(BulkCommandTest, ChangesTheSelectedRecordsOnly) {
  const std::vector<int> selection = {2, 0};
  EXPECT_EQ(ApplyBulkParameter(state, ui, 40042, selection, Answering(std::nullopt), after), 2);
  const auto& records = *state.settingsImage;
  EXPECT_EQ(records[0].polarity, 1);
  EXPECT_EQ(records[1].polarity, 0);
  EXPECT_EQ(records[2].polarity, 1);
  EXPECT_EQ(records[3].polarity, 0);
  EXPECT_EQ(after.rows, (std::vector<int>{0, 2}));
  EXPECT_EQ(after.focusRow, 2);
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(ui.calls, (Calls{"busy", "refill", "idle"}));
  EXPECT_TRUE(prompts.empty());
}

TEST_F(BulkCommandTest, NoSelectionOrCancelChangesNothing) {
  EXPECT_EQ(ApplyBulkParameter(state, ui, 40042, {}, Answering(std::nullopt), after), 0);
  EXPECT_FALSE(state.settingsModified);
  const std::vector<int> selection = {1};
  EXPECT_EQ(ApplyBulkParameter(state, ui, 40085, selection, Answering(std::nullopt), after), 0);
  EXPECT_EQ(ApplyBulkParameter(state, ui, 40087, selection, Answering(-1), after), 0);
  EXPECT_EQ(prompts,
            (std::vector<std::string>{"Symbol rate to apply to selected channels:",
                                      "Acquision bandwidth to apply to selected channels:"}));
  EXPECT_FALSE(state.settingsModified);
  EXPECT_EQ((*state.settingsImage)[1].symbolRate, 27500);
}

TEST_F(BulkCommandTest, AskedValuesKeepTheirLowBits) {
  const std::vector<int> selection = {1, 3};
  EXPECT_EQ(ApplyBulkParameter(state, ui, 40085, selection, Answering(70000), after), 2);
  EXPECT_EQ((*state.settingsImage)[1].symbolRate, 4464);
  EXPECT_EQ((*state.settingsImage)[3].symbolRate, 4464);
  EXPECT_EQ((*state.settingsImage)[0].symbolRate, 27500);
}

TEST(ConverterTest, ArithmeticAndWrap) {
  using enum ConversionMode;
  EXPECT_EQ(ConvertFrequency(1200, kLBandToFrequency, 9750), 10950);
  EXPECT_EQ(ConvertFrequency(11778, kFrequencyToLBand, 10750), 1028);
  EXPECT_EQ(ConvertFrequency(1100, kLBandToFrequency, 5150), 4050);
  EXPECT_EQ(ConvertFrequency(4050, kFrequencyToLBand, 5150), 1100);
  EXPECT_EQ(ConvertFrequency(1028, kFrequencyToLBand, 10750), 55814);
  EXPECT_EQ(ConvertFrequency(60000, kLBandToFrequency, 10750), (60000 + 10750) - 65536);
  EXPECT_EQ(ConvertFrequency(6000, kLBandToFrequency, 5150), 65536 - 850);
}

TEST(ConverterTest, FormRulesAndWarnings) {
  FakeUi ui;
  ConverterForm form;
  EXPECT_FALSE(form.ManualFieldEnabled());
  EXPECT_FALSE(form.Confirm(ui, ""));
  form.ChooseMode(ConversionMode::kFrequencyToLBand);
  EXPECT_FALSE(form.Confirm(ui, ""));
  form.ChooseOscillator(OscillatorButton::kManual);
  EXPECT_TRUE(form.ManualFieldEnabled());
  EXPECT_FALSE(form.Confirm(ui, "abc"));
  EXPECT_EQ(ui.calls, (Calls{"message warning: Please select a conversion mode",
                             "message warning: Please select a Local Oscillator frequency",
                             "message warning: Please select a Local Oscillator frequency"}));
  EXPECT_TRUE(form.Confirm(ui, "5150"));
  EXPECT_EQ(form.Oscillator(), 5150);

  // Ku low, then the manual button with an empty field: the oscillator stays 9750.
  ConverterForm second;
  second.ChooseMode(ConversionMode::kLBandToFrequency);
  second.ChooseOscillator(OscillatorButton::kKuLow);
  second.ChooseOscillator(OscillatorButton::kManual);
  EXPECT_TRUE(second.Confirm(ui, ""));
  EXPECT_EQ(second.Oscillator(), 9750);
  second.ChooseOscillator(OscillatorButton::kCBand);
  EXPECT_FALSE(second.ManualFieldEnabled());
  EXPECT_TRUE(second.Confirm(ui, "1234"));  // the field is not read while another LO is chosen
  EXPECT_EQ(second.Oscillator(), 5150);
}

TEST_F(BulkCommandTest, ConvertsSelectedChannelsButNotMarkers) {
  const auto dialog = [](ConverterForm& form) {
    form.ChooseMode(ConversionMode::kLBandToFrequency);
    form.ChooseOscillator(OscillatorButton::kKuHigh);
    return true;
  };
  const std::vector<int> selection = {0, 1, 3};
  EXPECT_EQ(ConvertFrequencies(state, ui, selection, dialog, after), 2);
  const auto& records = *state.settingsImage;
  EXPECT_EQ(records[0].frequency, 1200 + 10750);
  EXPECT_EQ(records[1].frequency, 0);  // the title row stays a title row
  EXPECT_EQ(records[2].frequency, 11778);
  EXPECT_EQ(records[3].frequency, 1028 + 10750);
  EXPECT_EQ(after.rows, (std::vector<int>{0, 1, 3}));
  EXPECT_TRUE(state.settingsModified);

  state.settingsModified = false;
  EXPECT_EQ(ConvertFrequencies(
                state, ui, selection, [](ConverterForm&) { return false; }, after),
            0);
  EXPECT_EQ(records[0].frequency, 1200 + 10750);
  EXPECT_FALSE(state.settingsModified);
}

}  // namespace
}  // namespace pelorus
