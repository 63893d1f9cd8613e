#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "channels/bulk_change.h"
#include "channels/channel_name.h"
#include "channels/editing.h"
#include "channels/settings_file.h"
#include "channels/sorting.h"
#include "channels/undo_edits.h"
#include "common/command_ids.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

using testing::FakeUi;
using testing::MakeChannel;

std::vector<ChannelRecord> NumberedList(int count) {
  std::vector<ChannelRecord> records;
  std::mt19937 random(7);
  for (int i = 0; i < count; ++i) {
    ChannelRecord record = MakeChannel("Ch" + std::to_string(random() % 100000),
                                       static_cast<uint16_t>(10700 + random() % 2000));
    record.serviceId = static_cast<uint16_t>(i);
    if (i % 50 == 0) record.frequency = 0;  // a marker now and then
    records.push_back(record);
  }
  return records;
}

std::vector<int> AllRows(int count) {
  std::vector<int> rows(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) rows[static_cast<size_t>(i)] = i;
  return rows;
}

bool SameImage(const SettingsImage& a, const SettingsImage& b) {
  if (a.has_value() != b.has_value()) return false;
  if (!a) return true;
  return a->size() == b->size() &&
         std::memcmp(a->data(), b->data(), a->size() * sizeof(ChannelRecord)) == 0;
}

class UndoTest : public ::testing::Test {
 protected:
  void Load(std::vector<ChannelRecord> records) {
    state.settingsImage = std::move(records);
    state.history.Clear();
  }

  // Runs one edit as a recorded menu command, then checks that undo gives back the image and
  // the selection it started from, and redo the image and selection the edit left.
  template <typename Edit>
  void CheckRoundTrip(int command, std::vector<int> selection, Edit edit) {
    SCOPED_TRACE(command);
    const SettingsImage before = state.settingsImage;
    UndoSelection after;
    {
      RecordCommand recording(state, command, {selection, selection.empty() ? -1 : selection[0]});
      after = edit(selection);
      recording.Finish(after);
    }
    const SettingsImage edited = state.settingsImage;
    ASSERT_FALSE(SameImage(before, edited)) << "the edit changed nothing";
    ASSERT_TRUE(state.history.CanUndo());

    UndoSelection shown;
    ASSERT_TRUE(UndoLastEdit(state, ui, shown));
    EXPECT_TRUE(SameImage(state.settingsImage, before));
    EXPECT_EQ(shown.rows, selection);
    ASSERT_TRUE(RedoLastEdit(state, ui, shown));
    EXPECT_TRUE(SameImage(state.settingsImage, edited));
    EXPECT_EQ(shown.rows, after.rows);
    EXPECT_EQ(shown.focusRow, after.focusRow);
  }

  EditorState state;
  FakeUi ui;
};

UndoSelection FromRowSelection(const RowSelection& selection) {
  return {selection.rows, selection.focusRow};
}
UndoSelection FromSelectionAfter(const SelectionAfter& selection) {
  return {selection.rows, selection.focusRow};
}

TEST_F(UndoTest, EveryKindOfEditIsUndoneByteForByteWithItsSelection) {
  Load(NumberedList(300));
  const ChannelDialogRunner rename = [](ChannelRecord& record) {
    record.frequency = 12345;
    EncodeChannelName(record, "Typed");
    return true;
  };
  CheckRoundTrip(cmd::kEditSelectedChannel, {17}, [&](std::vector<int> rows) {
    RowSelection after;
    EXPECT_TRUE(EditSelectedChannel(state, ui, rows, rename, after));
    return FromRowSelection(after);
  });
  CheckRoundTrip(cmd::kInsert, {40}, [&](std::vector<int> rows) {
    RowSelection after;
    EXPECT_TRUE(InsertChannel(state, ui, rows, rename, after));
    return FromRowSelection(after);
  });
  CheckRoundTrip(cmd::kDelete, {0, 3, 150, 299}, [&](std::vector<int> rows) {
    RowSelection after;
    EXPECT_EQ(DeleteChannels(state, ui, rows, after), 4);
    return FromRowSelection(after);
  });
  CheckRoundTrip(cmd::kCut, {5, 6, 7}, [&](std::vector<int> rows) {
    RowSelection after;
    ClipboardUpdate clipboard;
    EXPECT_TRUE(CutChannels(state, ui, rows, clipboard, after));
    return FromRowSelection(after);
  });
  CheckRoundTrip(cmd::kPaste, {10, 20}, [&](std::vector<int> rows) {
    // Several selected rows are replaced by what is pasted.
    ClipboardUpdate clipboard;
    EXPECT_TRUE(CopyChannels(state, ui, std::vector<int>{1, 2, 3}, clipboard));
    RowSelection after;
    EXPECT_EQ(PasteChannels(state, ui, rows, clipboard, false, after), 3);
    return FromRowSelection(after);
  });
  CheckRoundTrip(cmd::kSortByName, AllRows(state.ChannelCount()), [&](std::vector<int> rows) {
    SelectionAfter after;
    EXPECT_TRUE(SortChannels(state, ui, rows, SortKey::kName, after));
    return FromSelectionAfter(after);
  });
  CheckRoundTrip(cmd::kSortByFrequency, {100, 101, 102, 103, 104, 105}, [&](std::vector<int> rows) {
    SelectionAfter after;
    EXPECT_TRUE(SortChannels(state, ui, rows, SortKey::kFrequency, after));
    return FromSelectionAfter(after);
  });
  CheckRoundTrip(cmd::kFec78, {2, 90, 91, 250}, [&](std::vector<int> rows) {
    SelectionAfter after;
    EXPECT_GT(ApplyBulkParameter(state, ui, cmd::kFec78, rows, nullptr, after), 0);
    return FromSelectionAfter(after);
  });
  CheckRoundTrip(cmd::kMoveRowsDown, {1, 4, 5, 200}, [&](std::vector<int> rows) {
    UndoSelection after;
    EXPECT_TRUE(MoveRows(state, ui, rows, 120, after));
    return after;
  });
  CheckRoundTrip(cmd::kMoveRowsUp, {1, 4, 5, 200}, [&](std::vector<int> rows) {
    UndoSelection after;
    EXPECT_TRUE(MoveRowsByOne(state, ui, rows, true, after));
    return after;
  });
  CheckRoundTrip(cmd::kDelete, AllRows(state.ChannelCount()), [&](std::vector<int> rows) {
    // Deleting every row leaves no list loaded at all; undo brings the list back.
    RowSelection after;
    EXPECT_GT(DeleteChannels(state, ui, rows, after), 0);
    EXPECT_FALSE(state.HasSettings());
    return FromRowSelection(after);
  });
  // Steps go back in order, all the way to the loaded list.
  const size_t steps = state.history.CurrentIndex();
  EXPECT_EQ(steps, 11u);
  UndoSelection shown;
  while (state.history.CanUndo()) ASSERT_TRUE(UndoLastEdit(state, ui, shown));
  EXPECT_TRUE(SameImage(state.settingsImage, NumberedList(300)));
  EXPECT_FALSE(UndoLastEdit(state, ui, shown));
  EXPECT_EQ(ui.calls.back(), "beep");
}

TEST_F(UndoTest, MovesKeepTheOrderOfNonContiguousRowsAndSelectThem) {
  std::vector<ChannelRecord> list;
  for (const char* name : {"A", "B", "C", "D", "E", "F"}) list.push_back(MakeChannel(name, 11000));
  Load(list);
  UndoSelection after;
  ASSERT_TRUE(MoveRows(state, ui, std::vector<int>{0, 2, 4}, 6, after));
  std::string order;
  for (const ChannelRecord& record : *state.settingsImage)
    order += static_cast<char>(record.name[0]);
  EXPECT_EQ(order, "BDFACE");
  EXPECT_EQ(after.rows, (std::vector<int>{3, 4, 5}));
  // Dropping rows where they already stand changes nothing.
  EXPECT_FALSE(MoveRows(state, ui, std::vector<int>{3, 4, 5}, 4, after));
  EXPECT_FALSE(MoveRowsByOne(state, ui, std::vector<int>{5}, false, after));
  ASSERT_TRUE(MoveRowsByOne(state, ui, std::vector<int>{1, 4, 5}, true, after));
  order.clear();
  for (const ChannelRecord& record : *state.settingsImage)
    order += static_cast<char>(record.name[0]);
  EXPECT_EQ(order, "DBFCEA");  // the block of E and F passes A
  EXPECT_EQ(after.rows, (std::vector<int>{0, 3, 4}));
  // Rows out of range from a stale selection are ignored, never touched.
  EXPECT_FALSE(MoveRows(state, ui, std::vector<int>{-1, 99}, 0, after));
}

TEST_F(UndoTest, TheModifiedFlagFollowsTheSavedState) {
  testing::TempDir dir;
  Load(NumberedList(20));
  state.currentFileName = dir.File("a.dvb");
  auto edit = [&](int row) {
    RecordCommand recording(state, cmd::kDelete, {{row}, row});
    RowSelection after;
    DeleteChannels(state, ui, std::vector<int>{row}, after);
    recording.Finish(FromRowSelection(after));
  };
  edit(3);
  EXPECT_TRUE(state.settingsModified);
  {
    RecordCommand recording(state, cmd::kSave, {});
    ASSERT_TRUE(SaveSettingsFile(state, ui, false));
    recording.Finish({});
  }
  EXPECT_FALSE(state.settingsModified);
  EXPECT_EQ(state.history.StepCount(), 1u);  // a save is no step
  edit(4);
  UndoSelection shown;
  ASSERT_TRUE(UndoLastEdit(state, ui, shown));
  EXPECT_FALSE(state.settingsModified) << "back at what the file holds";
  ASSERT_TRUE(UndoLastEdit(state, ui, shown));
  EXPECT_TRUE(state.settingsModified) << "before the save";
  ASSERT_TRUE(RedoLastEdit(state, ui, shown));
  EXPECT_FALSE(state.settingsModified);
  ASSERT_TRUE(RedoLastEdit(state, ui, shown));
  EXPECT_TRUE(state.settingsModified);
  // A new edit after undoing past the save drops the way back to it.
  ASSERT_TRUE(UndoLastEdit(state, ui, shown));
  ASSERT_TRUE(UndoLastEdit(state, ui, shown));
  edit(0);
  ASSERT_TRUE(UndoLastEdit(state, ui, shown));
  EXPECT_TRUE(state.settingsModified);
}

TEST_F(UndoTest, ReplacingTheListStartsAFreshHistoryButACancelledOpenDoesNot) {
  testing::TempDir dir;
  Load(NumberedList(10));
  {
    RecordCommand recording(state, cmd::kDelete, {});
    RowSelection after;
    DeleteChannels(state, ui, std::vector<int>{1}, after);
    recording.Finish({});
  }
  {
    RecordCommand recording(state, cmd::kOpen, {});  // the user cancels the question
    EXPECT_FALSE(OpenSettingsFile(state, ui));
    recording.Finish({});
  }
  EXPECT_TRUE(state.history.CanUndo());
  {
    RecordCommand recording(state, cmd::kNew, {});
    ui.answers.push_back(Answer::kNo);
    NewSettings(state, ui);
    recording.Finish({});
  }
  EXPECT_FALSE(state.history.CanUndo());
  EXPECT_FALSE(state.settingsModified);
}

TEST_F(UndoTest, AChangeBehindTheHistorysBackClearsItInsteadOfCorruptingTheList) {
  Load(NumberedList(10));
  {
    RecordEdit edit(state, {});
    (*state.settingsImage)[2].frequency = 999;
  }  // dropped without Commit: still one step
  ASSERT_EQ(state.history.StepCount(), 1u);
  (*state.settingsImage)[5].frequency = 1;  // not recorded
  const SettingsImage now = state.settingsImage;
  UndoSelection shown;
  EXPECT_FALSE(UndoLastEdit(state, ui, shown));
  EXPECT_TRUE(SameImage(state.settingsImage, now));
  EXPECT_FALSE(state.history.CanUndo());
}

TEST_F(UndoTest, NestedEditsMakeOneStep) {
  Load(NumberedList(10));
  {
    RecordEdit outer(state, {});
    (*state.settingsImage)[1].frequency = 1;
    {
      RecordEdit inner(state, {});
      (*state.settingsImage)[2].frequency = 2;
      EXPECT_FALSE(inner.Commit({}));
    }
    EXPECT_TRUE(outer.Commit({}));
  }
  EXPECT_EQ(state.history.StepCount(), 1u);
  UndoSelection shown;
  ASSERT_TRUE(UndoLastEdit(state, ui, shown));
  EXPECT_TRUE(SameImage(state.settingsImage, NumberedList(10)));
}

TEST_F(UndoTest, AlternatingUndoAndRedoOnAFullListKeepsMemoryFlat) {
  Load(NumberedList(65536));
  {
    RecordCommand recording(state, cmd::kSortByName, {});
    SelectionAfter after;
    ASSERT_TRUE(SortChannels(state, ui, AllRows(65536), SortKey::kName, after));
    recording.Finish({});
  }
  {
    RecordCommand recording(state, cmd::kDelete, {});
    RowSelection after;
    ASSERT_EQ(DeleteChannels(state, ui, std::vector<int>{7, 30000, 65535}, after), 3);
    recording.Finish({});
  }
  const size_t bytes = state.history.MemoryBytes();
  // A sort keeps one index per record, far less than a copy of the list (4 MiB).
  EXPECT_LT(bytes, 65536 * sizeof(uint32_t) + 4096);
  const SettingsImage last = state.settingsImage;
  UndoSelection shown;
  // Any growth per step shows as a difference after a few hundred steps already.
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(UndoLastEdit(state, ui, shown));
    ASSERT_TRUE(RedoLastEdit(state, ui, shown));
  }
  EXPECT_EQ(state.history.MemoryBytes(), bytes);
  EXPECT_EQ(state.history.StepCount(), 2u);
  EXPECT_TRUE(SameImage(state.settingsImage, last));
  std::printf("history of a 65,536-record sort and a 3-row delete: %zu bytes (%zu per step)\n",
              bytes, bytes / state.history.StepCount());
}

}  // namespace
}  // namespace pelorus
