// Insert, delete, copy, cut and paste over the editor state, through the scripted Ui.
#include "channels/editing.h"

#include <gtest/gtest.h>

#include "channels/channel_dialog_model.h"
#include "channels/channel_line.h"
#include "channels/channel_name.h"
#include "support/fake_ui.h"
#include "support/records.h"

namespace pelorus {
namespace {

using Calls = std::vector<std::string>;

std::vector<std::string> Names(const EditorState& state) {
  std::vector<std::string> names;
  if (state.settingsImage) {
    for (const ChannelRecord& record : *state.settingsImage) {
      names.push_back(DecodeChannelName(record));
    }
  }
  return names;
}

// A loaded list of channels named C0, C1, ... with distinct frequencies.
EditorState ListOf(int count) {
  EditorState state;
  state.settingsImage.emplace();
  for (int i = 0; i < count; ++i) {
    state.settingsImage->push_back(
        testing::MakeChannel("C" + std::to_string(i), static_cast<uint16_t>(11000 + i)));
  }
  return state;
}

std::string LinesOf(std::initializer_list<const char*> names) {
  std::string text;
  for (const char* name : names) text += FormatChannelLine(testing::MakeChannel(name, 12000));
  return text;
}

ChannelDialogRunner Answer(const char* name, bool ok = true) {
  return [name, ok](ChannelRecord& record) {
    EncodeChannelName(record, name);
    record.tag = kChannelTag;
    return ok;
  };
}

class EditingTest : public ::testing::Test {
 protected:
  testing::FakeUi ui;
  RowSelection after;
};

TEST(ChannelDialog, OkMarksTheSettingsModifiedEvenWithoutAChange) {
  EditorState state;
  state.editRecord = testing::MakeChannel("X", 11000);
  const ChannelRecord before = state.editRecord;
  EXPECT_FALSE(RunChannelDialog(state, [](ChannelRecord&) { return false; }));
  EXPECT_FALSE(state.settingsModified);
  EXPECT_TRUE(RunChannelDialog(state, [](ChannelRecord& record) {
    ReadChannelFields(ShowChannelFields(record, PidMode::kHexadecimal), PidMode::kHexadecimal,
                      record);
    return true;
  }));
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(std::memcmp(&before, &state.editRecord, sizeof before), 0);
}

TEST_F(EditingTest, InsertNeedsExactlyOneSelectedRow) {
  EditorState state = ListOf(3);
  for (const std::vector<int>& selection : {std::vector<int>{}, std::vector<int>{0, 1}}) {
    ui.calls.clear();
    EXPECT_FALSE(InsertChannel(state, ui, selection, Answer("New"), after));
    EXPECT_EQ(ui.calls, (Calls{"message warning: Please select the channel after which you want "
                               "to insert this new channel"}));
  }
  EXPECT_EQ(state.ChannelCount(), 3);
  EXPECT_FALSE(state.settingsModified);
}

TEST_F(EditingTest, InsertPutsTheNewChannelAfterTheSelectedOne) {
  EditorState state = ListOf(3);
  ChannelRecord seen{};
  EXPECT_TRUE(InsertChannel(
      state, ui, std::vector<int>{1},
      [&seen](ChannelRecord& record) {
        seen = record;
        EncodeChannelName(record, "New");
        return true;
      },
      after));
  EXPECT_EQ(seen.fecCode, 1);  // the dialog starts from the new channel's defaults
  EXPECT_EQ(seen.pcrPid, kNoPid);
  EXPECT_EQ(seen.pmtPid, kNoPid);
  EXPECT_EQ(seen.textPid, kNoPid);
  EXPECT_EQ(seen.videoPid, 0);
  EXPECT_EQ(Names(state), (std::vector<std::string>{"C0", "C1", "New", "C2"}));
  EXPECT_EQ(after.rows, std::vector<int>{2});
  EXPECT_EQ(after.focusRow, 2);
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(ui.calls, Calls{"refill"});
}

TEST_F(EditingTest, InsertWithoutSettingsCreatesAOneChannelList) {
  EditorState state;
  EXPECT_TRUE(InsertChannel(state, ui, {}, Answer("First"), after));
  EXPECT_EQ(Names(state), std::vector<std::string>{"First"});
  EXPECT_EQ(after.rows, std::vector<int>{0});

  // A loaded list without channels has no row to select, and takes the channel the same way.
  EditorState empty;
  empty.settingsImage.emplace();
  EXPECT_TRUE(InsertChannel(empty, ui, {}, Answer("First"), after));
  EXPECT_EQ(Names(empty), std::vector<std::string>{"First"});
}

TEST_F(EditingTest, InsertCancelledOrNamelessInsertsNothing) {
  EditorState state = ListOf(2);
  EXPECT_FALSE(InsertChannel(state, ui, std::vector<int>{0}, Answer("X", false), after));
  EXPECT_FALSE(state.settingsModified);
  EXPECT_FALSE(InsertChannel(state, ui, std::vector<int>{0}, Answer(""), after));
  EXPECT_TRUE(state.settingsModified);  // the dialog's OK marked it before the name was seen
  EXPECT_EQ(state.ChannelCount(), 2);
  EditorState none;
  EXPECT_FALSE(InsertChannel(none, ui, {}, Answer(""), after));
  EXPECT_FALSE(none.HasSettings());
}

TEST_F(EditingTest, EditChangesTheFirstSelectedRowOnly) {
  EditorState state = ListOf(4);
  EXPECT_TRUE(EditSelectedChannel(state, ui, std::vector<int>{2, 1}, Answer("Edited"), after));
  EXPECT_EQ(Names(state), (std::vector<std::string>{"C0", "Edited", "C2", "C3"}));
  EXPECT_EQ(after.rows, (std::vector<int>{1, 2}));
  EXPECT_EQ(after.focusRow, 1);
  EXPECT_TRUE(state.settingsModified);

  EditorState cancelled = ListOf(2);
  EXPECT_FALSE(EditSelectedChannel(cancelled, ui, std::vector<int>{0}, Answer("Z", false), after));
  EXPECT_EQ(Names(cancelled), (std::vector<std::string>{"C0", "C1"}));
  EXPECT_FALSE(EditSelectedChannel(cancelled, ui, std::vector<int>{7}, Answer("Z"), after));
  EXPECT_FALSE(cancelled.settingsModified);
}

TEST_F(EditingTest, DeleteRemovesTheSelectedRowsAndKeepsTheOrder) {
  EditorState state = ListOf(6);
  EXPECT_EQ(DeleteChannels(state, ui, std::vector<int>{4, 1, 1, 9, -3, 2}, after), 3);
  EXPECT_EQ(Names(state), (std::vector<std::string>{"C0", "C3", "C5"}));
  EXPECT_TRUE(state.settingsModified);
  EXPECT_EQ(ui.calls, (Calls{"busy", "refill", "idle"}));
  EXPECT_EQ(after.focusRow, 1);
}

TEST_F(EditingTest, DeleteFailures) {
  EditorState none;
  EXPECT_EQ(DeleteChannels(none, ui, std::vector<int>{0}, after), 0);
  EXPECT_EQ(ui.calls, Calls{"message warning: Please load settings before using this function"});
  ui.calls.clear();
  EditorState state = ListOf(2);
  EXPECT_EQ(DeleteChannels(state, ui, {}, after), 0);
  EXPECT_EQ(ui.calls, (Calls{"busy", "refill", "idle",
                             "message warning: Please select a channel or channels to delete "
                             "first"}));
  EXPECT_FALSE(state.settingsModified);
  EXPECT_EQ(state.ChannelCount(), 2);
}

TEST_F(EditingTest, DeletingEveryChannelUnloadsTheList) {
  EditorState state = ListOf(2);
  state.settingsModified = true;
  EXPECT_EQ(DeleteChannels(state, ui, std::vector<int>{0, 1}, after), 2);
  EXPECT_FALSE(state.HasSettings());
  EXPECT_FALSE(state.settingsModified);
  ClipboardUpdate clipboard;
  ui.calls.clear();
  EXPECT_FALSE(CopyChannels(state, ui, std::vector<int>{0}, clipboard));
  EXPECT_EQ(ui.calls, Calls{"message warning: Please load settings before using this function"});
  EXPECT_FALSE(clipboard.has_value());
}

TEST_F(EditingTest, CopyPutsTheSelectedLinesInListOrder) {
  EditorState state = ListOf(5);
  ClipboardUpdate clipboard;
  ASSERT_TRUE(CopyChannels(state, ui, std::vector<int>{3, 0, 4}, clipboard));
  const auto& image = *state.settingsImage;
  EXPECT_EQ(*clipboard, FormatChannelLine(image[0]) + FormatChannelLine(image[3]) +
                            FormatChannelLine(image[4]));
  EXPECT_TRUE(ui.calls.empty());
  EXPECT_FALSE(state.settingsModified);
}

TEST_F(EditingTest, CopyFailures) {
  EditorState state = ListOf(2);
  ClipboardUpdate clipboard;
  EXPECT_FALSE(CopyChannels(state, ui, {}, clipboard));
  EXPECT_FALSE(clipboard.has_value());  // the clipboard stays as it was
  EXPECT_EQ(ui.calls, Calls{"message warning: Please select the items you wish to Copy or Cut"});

  // Every channel a marker: the clipboard is emptied and nothing copied, even from a selection.
  EditorState markers;
  markers.settingsImage.emplace(2, testing::MakeChannel("-- Sat --", 0));
  ui.calls.clear();
  EXPECT_FALSE(CopyChannels(markers, ui, std::vector<int>{0}, clipboard));
  EXPECT_EQ(clipboard, std::optional<std::string>(""));
  EXPECT_EQ(ui.calls, Calls{"message stop: Unable to get length of export item"});

  // One channel with a frequency anywhere in the list lets the markers be copied.
  markers.settingsImage->push_back(testing::MakeChannel("TV", 11000));
  ASSERT_TRUE(CopyChannels(markers, ui, std::vector<int>{0}, clipboard));
  EXPECT_EQ(*clipboard, FormatChannelLine((*markers.settingsImage)[0]));
}

TEST_F(EditingTest, CopyOfALineWiderThanTheOthersIsWhole) {
  EditorState state = ListOf(2);
  (*state.settingsImage)[1].acqBandwidth = 200;
  (*state.settingsImage)[1].fecCode = 123;
  ClipboardUpdate clipboard;
  ASSERT_TRUE(CopyChannels(state, ui, std::vector<int>{0, 1}, clipboard));
  EXPECT_EQ(*clipboard, FormatChannelLine((*state.settingsImage)[0]) +
                            FormatChannelLine((*state.settingsImage)[1]));
}

TEST_F(EditingTest, CutDeletesOnlyWhatWasCopied) {
  EditorState state = ListOf(4);
  ClipboardUpdate clipboard;
  EXPECT_TRUE(CutChannels(state, ui, std::vector<int>{1, 2}, clipboard, after));
  EXPECT_EQ(Names(state), (std::vector<std::string>{"C0", "C3"}));
  ASSERT_TRUE(clipboard.has_value());
  EXPECT_EQ(clipboard->size(), 2 * FormatChannelLine((*state.settingsImage)[0]).size());

  EditorState markers;
  markers.settingsImage.emplace(2, testing::MakeChannel("M", 0));
  EXPECT_FALSE(CutChannels(markers, ui, std::vector<int>{0}, clipboard, after));
  EXPECT_EQ(markers.ChannelCount(), 2);
}

TEST_F(EditingTest, CopiedChannelsPasteBackIdentical) {
  EditorState state = ListOf(5);
  auto& image = *state.settingsImage;
  image[1].serviceId = 0xDC3;
  image[1].modeFlags = 0xD3;
  image[1].lnbSelect = 0x0B;
  image[1].autoFlags = 3;
  image[1].lockCode = 0x42;
  image[2].textPid = 0x22A;
  ClipboardUpdate clipboard;
  ASSERT_TRUE(CopyChannels(state, ui, std::vector<int>{1, 2, 3}, clipboard));
  EXPECT_EQ(PasteChannels(state, ui, std::vector<int>{4}, clipboard, false, after), 3);
  ASSERT_EQ(state.ChannelCount(), 8);
  for (int i = 0; i < 3; ++i) {
    ChannelRecord original = image[static_cast<size_t>(1 + i)];
    ChannelRecord pasted = image[static_cast<size_t>(5 + i)];
    // The text line carries a blank-padded name.
    EXPECT_EQ(DecodeChannelName(pasted), DecodeChannelName(original));
    original.name = pasted.name;
    EXPECT_EQ(std::memcmp(&original, &pasted, sizeof original), 0) << i;
  }
}

TEST_F(EditingTest, PastePlacesAfterOrBeforeTheSelectedChannel) {
  const std::string text = LinesOf({"P1", "P2"});
  EditorState after0 = ListOf(6);
  EXPECT_EQ(PasteChannels(after0, ui, std::vector<int>{4}, text, false, after), 2);
  EXPECT_EQ(Names(after0),
            (std::vector<std::string>{"C0", "C1", "C2", "C3", "C4", "P1", "P2", "C5"}));
  EXPECT_EQ(after.rows, std::vector<int>{4});
  EXPECT_TRUE(after0.settingsModified);

  EditorState before = ListOf(6);
  before.options.pasteBefore = 1;
  EXPECT_EQ(PasteChannels(before, ui, std::vector<int>{4}, text, false, after), 2);
  EXPECT_EQ(Names(before),
            (std::vector<std::string>{"C0", "C1", "C2", "C3", "P1", "P2", "C4", "C5"}));
  EXPECT_EQ(after.rows, std::vector<int>{6});  // the selected channel moved down
  EXPECT_EQ(after.focusRow, 6);
}

TEST_F(EditingTest, PasteOverSeveralRowsReplacesThem) {
  const std::string text = LinesOf({"P1"});
  EditorState state = ListOf(7);
  EXPECT_EQ(PasteChannels(state, ui, std::vector<int>{2, 3, 4, 5}, text, false, after), 1);
  EXPECT_EQ(Names(state), (std::vector<std::string>{"C0", "C1", "P1", "C6"}));
  EXPECT_TRUE(after.rows.empty());

  EditorState before = ListOf(7);
  before.options.pasteBefore = 1;
  PasteChannels(before, ui, std::vector<int>{2, 3, 4, 5}, text, false, after);
  EXPECT_EQ(Names(before), (std::vector<std::string>{"C0", "P1", "C1", "C6"}));

  for (const uint32_t pasteBefore : {0u, 1u}) {
    EditorState top = ListOf(4);
    top.options.pasteBefore = pasteBefore;
    PasteChannels(top, ui, std::vector<int>{0, 1}, text, false, after);
    EXPECT_EQ(Names(top), (std::vector<std::string>{"P1", "C2", "C3"}));
  }
}

TEST_F(EditingTest, PasteOverEveryRowLeavesThePastedList) {
  EditorState state = ListOf(3);
  PasteChannels(state, ui, std::vector<int>{0, 1, 2}, LinesOf({"P1", "P2"}), false, after);
  EXPECT_EQ(Names(state), (std::vector<std::string>{"P1", "P2"}));
  EXPECT_TRUE(state.settingsModified);
}

TEST_F(EditingTest, PasteWithoutClipboardTextStillDeletesTheSelection) {
  EditorState state = ListOf(5);
  EXPECT_EQ(PasteChannels(state, ui, std::vector<int>{1, 2}, std::nullopt, false, after), 0);
  EXPECT_EQ(Names(state), (std::vector<std::string>{"C0", "C3", "C4"}));
  EXPECT_EQ(ui.calls, (Calls{"busy", "refill", "idle"}));
}

TEST_F(EditingTest, PasteNeedsASelectedRow) {
  EditorState state = ListOf(2);
  EXPECT_EQ(PasteChannels(state, ui, {}, LinesOf({"P"}), false, after), 0);
  EXPECT_EQ(ui.calls, Calls{"message warning: Please select the channel after which you want to "
                            "paste these channel(s)"});
  EXPECT_EQ(state.ChannelCount(), 2);
  EXPECT_FALSE(state.settingsModified);
}

TEST_F(EditingTest, PasteWithoutSettingsMakesTheList) {
  EditorState state;
  EXPECT_EQ(PasteChannels(state, ui, {}, LinesOf({"P1", "P2"}), false, after), 2);
  EXPECT_EQ(Names(state), (std::vector<std::string>{"P1", "P2"}));
  EXPECT_TRUE(state.settingsModified);

  // Nothing accepted and nothing loaded: there is still no list, and nothing to save.
  EditorState nothing;
  EXPECT_EQ(PasteChannels(nothing, ui, {}, std::string("junk\r\n"), false, after), 0);
  EXPECT_FALSE(nothing.HasSettings());
  EXPECT_FALSE(nothing.settingsModified);
}

TEST_F(EditingTest, PasteOfNoAcceptedLineStillMarksTheListModified) {
  EditorState state = ListOf(2);
  EXPECT_EQ(PasteChannels(state, ui, std::vector<int>{0}, std::string("short\r\n"), false, after),
            0);
  EXPECT_EQ(state.ChannelCount(), 2);
  EXPECT_TRUE(state.settingsModified);
}

TEST_F(EditingTest, LinesEndAtCarriageReturnsOnly) {
  const Options options;
  const std::string line = FormatChannelLine(testing::MakeChannel("A", 11000));
  const std::string bare = line.substr(0, line.size() - 2);
  EXPECT_EQ(ParsePastedText(line + bare, false, options).size(), 1u);  // last line has no CR
  EXPECT_EQ(ParsePastedText(bare + "\n" + bare + "\n", false, options).size(), 0u);
  EXPECT_EQ(ParsePastedText(bare + "\r" + bare + "\r", false, options).size(), 2u);
  EXPECT_EQ(ParsePastedText(bare + "\n\r", false, options).size(), 1u);
  // A line far longer than any channel line is read whole, not cut or overrun.
  const std::string longLine = bare + std::string(5000, 'x') + "\r\n";
  ASSERT_EQ(ParsePastedText(longLine, false, options).size(), 1u);
  EXPECT_EQ(DecodeChannelName(ParsePastedText(longLine, false, options)[0]), "A");
}

TEST(LineEnds, LoneLineFeedsBecomeCrLf) {
  EXPECT_EQ(WithCrLfLineEnds("a\nb\r\nc\rd\n\n"), "a\r\nb\r\nc\rd\r\n\r\n");
  EXPECT_EQ(WithCrLfLineEnds("\nx"), "\r\nx");
  EXPECT_EQ(WithCrLfLineEnds("no end"), "no end");
}

TEST_F(EditingTest, MpegSearchPasteSkipsHeadersAndAddsMarkers) {
  EditorState state = ListOf(1);
  state.options.mpegProjectDiseqcKu = 2;
  const std::string text =
      "Source: list of the site\r\n"
      "SatA,KU,11778,V,Info Kanal (PCR=256),x,27500,3/4,255,x,x,256,\r\n"
      "SatA,KU,11800,H,Zwei,x,27500,3/4,300,x,x,301,\r\n"
      "Updated,SatB,KU,1,H,x,x,1,x,1,x,x,1,\r\n"
      "SatB,KU,12300,H,Drei,x,27500,3/4,400,x,x,401,\r\n";
  EXPECT_EQ(PasteChannels(state, ui, std::vector<int>{0}, text, true, after), 5);
  EXPECT_EQ(Names(state), (std::vector<std::string>{"C0", "-- SatA --", "Info Kanal ", "Zwei",
                                                    "-- SatB --", "Drei"}));
  EXPECT_EQ((*state.settingsImage)[2].lnbSelect, 2);
  // A plain paste of the same text reads no line: they are not channel lines.
  EXPECT_TRUE(ParsePastedText(text, false, state.options).empty());
}

TEST_F(EditingTest, AppendAddsAtTheEndOfAnyList) {
  EditorState none;
  EXPECT_EQ(AppendPastedChannels(none, LinesOf({"P1"}), false), 1);
  EXPECT_EQ(AppendPastedChannels(none, LinesOf({"P2", "P3"}), false), 2);
  EXPECT_EQ(Names(none), (std::vector<std::string>{"P1", "P2", "P3"}));
  EditorState empty;
  EXPECT_EQ(AppendPastedChannels(empty, "", false), 0);
  EXPECT_TRUE(empty.HasSettings());
}

}  // namespace
}  // namespace pelorus
