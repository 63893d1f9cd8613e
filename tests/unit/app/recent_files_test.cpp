#include "app/recent_files.h"

#include <gtest/gtest.h>

#include "support/fake_ui.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

TEST(RecentFiles, NewestFirstOnceAndAtMostEight) {
  MemoryOptionsStore store;
  store.SetExists(true);
  std::vector<std::string> files;
  for (int i = 0; i < 10; ++i) AddRecentFile(files, "/f" + std::to_string(i));
  AddRecentFile(files, "/f5");
  AddRecentFile(files, "");
  ASSERT_EQ(files.size(), 8u);
  EXPECT_EQ(files.front(), "/f5");
  EXPECT_EQ(files[1], "/f9");
  EXPECT_EQ(files.back(), "/f2");
  WriteRecentFiles(store, files);
  EXPECT_EQ(ReadRecentFiles(store), files);
  RemoveRecentFile(files, "/f9");
  WriteRecentFiles(store, files);
  EXPECT_EQ(ReadRecentFiles(store).size(), 7u);
  // Hand-edited options with a repeated entry show it once.
  store.WriteText("RecentFile2", "/f5");
  EXPECT_EQ(ReadRecentFiles(store).size(), 6u);
}

TEST(RecentFiles, OpeningAMissingFileKeepsTheListAndItsNameAndDropsTheEntry) {
  testing::TempDir dir;
  const std::string good = dir.File("good.dvb");
  testing::WriteBytes(good, testing::FileBytes({testing::MakeChannel("A", 11000)}));
  EditorState state;
  testing::FakeUi ui;
  std::vector<std::string> files = {dir.File("gone.dvb"), good};
  ASSERT_TRUE(OpenRecentFile(state, ui, good, files));
  EXPECT_EQ(files.front(), good);
  EXPECT_EQ(state.currentFileName, good);

  ui.answers.push_back(Answer::kYes);  // "Settings already loaded. OK to discard?"
  EXPECT_FALSE(OpenRecentFile(state, ui, dir.File("gone.dvb"), files));
  EXPECT_EQ(ui.calls.back(), "message information: Unable to open file " + dir.File("gone.dvb"));
  EXPECT_EQ(files, std::vector<std::string>{good});
  EXPECT_EQ(state.currentFileName, good);
  EXPECT_EQ(state.ChannelCount(), 1);

  // Answering No leaves everything alone.
  EXPECT_FALSE(OpenRecentFile(state, ui, good, files));
  EXPECT_EQ(files.size(), 1u);
}

TEST(WindowStateValues, RoundTripAndRejectWhatNoWindowCouldBe) {
  MemoryOptionsStore store;
  store.SetExists(true);
  EXPECT_FALSE(ReadWindowState(store, 3));
  WriteWindowState(store, {-10, 20, 800, 600, {30, 200, 45}});
  const auto read = ReadWindowState(store, 3);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->x, -10);
  EXPECT_EQ(read->height, 600);
  EXPECT_EQ(read->columnWidths, (std::vector<int>{30, 200, 45}));
  EXPECT_FALSE(ReadWindowState(store, 4));  // a different number of columns
  for (const char* bad : {"1,2,3", "1,2,800,x", "1,2,800,600,", "0,0,5,600", "0,0,800,600000"}) {
    store.WriteText("WindowGeometry", bad);
    EXPECT_FALSE(ReadWindowState(store, 3)) << bad;
  }
  store.WriteText("WindowGeometry", "0,0,800,600");
  store.WriteText("ColumnWidths", "30,-1,45");
  EXPECT_FALSE(ReadWindowState(store, 3));
}

}  // namespace
}  // namespace pelorus
