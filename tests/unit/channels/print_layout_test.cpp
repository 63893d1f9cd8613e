// The printout's layout with fixed font metrics: rows, headings, page breaks.
#include "channels/print_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/records.h"

namespace pelorus {
namespace {

using testing::MakeChannel;

// Rows 10 pixels high, headers 12, titles 20; each character is 5 pixels wide, 10 in a title.
PrintMetrics FixedMetrics(int width, int height) {
  PrintMetrics metrics;
  metrics.width = width;
  metrics.height = height;
  metrics.lineHeight = [](PrintFont font) {
    return font == PrintFont::kRow ? 10 : font == PrintFont::kHeader ? 12 : 20;
  };
  metrics.textWidth = [](PrintFont font, std::string_view text) {
    return static_cast<int>(text.size()) * (font == PrintFont::kTitle ? 10 : 5);
  };
  return metrics;
}

std::vector<ChannelRecord> Rows(int count, int firstFrequency = 10000) {
  std::vector<ChannelRecord> records;
  for (int i = 0; i < count; ++i) {
    records.push_back(
        MakeChannel("Ch" + std::to_string(i + 1), static_cast<uint16_t>(firstFrequency + i)));
  }
  return records;
}

std::vector<PrintOp> LayOut(const std::vector<ChannelRecord>& records, int height = 520) {
  return LayOutChannelList(records, PidMode::kHexadecimal, false, nullptr,
                           FixedMetrics(1000, height));
}

// The ops of each page.
std::vector<std::vector<PrintOp>> Pages(const std::vector<PrintOp>& ops) {
  std::vector<std::vector<PrintOp>> pages(1);
  for (const PrintOp& op : ops) {
    if (op.kind == PrintOpKind::kNewPage) {
      pages.emplace_back();
    } else {
      pages.back().push_back(op);
    }
  }
  return pages;
}

const PrintOp* FindText(const std::vector<PrintOp>& ops, const std::string& text) {
  const auto it = std::find_if(ops.begin(), ops.end(), [&](const PrintOp& op) {
    return op.kind == PrintOpKind::kText && op.text == text;
  });
  return it == ops.end() ? nullptr : &*it;
}

TEST(PrintLayoutTest, RowCellsArePlacedInTheirColumns) {
  std::vector<ChannelRecord> records = Rows(1, 10714);
  records[0].fecCode = 3;
  records[0].lnbSelect = 2;
  const std::vector<PrintOp> ops = LayOut(records);
  // No., Channel and nine right-aligned cells; DiSEqC ("3") is not printed.
  ASSERT_EQ(ops.size(), 11u);
  EXPECT_EQ(ops[0].text, "1");
  EXPECT_EQ(ops[0].x, 50);
  EXPECT_EQ(ops[0].y, 13);
  EXPECT_EQ(ops[1].text, "Ch1");
  EXPECT_EQ(ops[1].x, 100);
  const PrintOp* frequency = FindText(ops, "10714");
  ASSERT_NE(frequency, nullptr);
  EXPECT_TRUE(frequency->rightAligned);
  EXPECT_EQ(frequency->anchor, 450);
  EXPECT_EQ(frequency->x, 450 - 25);
  const int edges[] = {450, 550, 600, 650, 700, 750, 800, 870, 910};
  for (int c = 0; c < 9; ++c) EXPECT_EQ(ops[static_cast<size_t>(c) + 2].anchor, edges[c]) << c;
  EXPECT_EQ(ops[4].text, "2/3");
  EXPECT_EQ(FindText(ops, "3"), nullptr);
}

TEST(PrintLayoutTest, SixtyRowsBreakAfterFiftyAndTheNextPageHasHeadersOnly) {
  const std::vector<std::vector<PrintOp>> pages = Pages(LayOut(Rows(60)));
  ASSERT_EQ(pages.size(), 2u);
  // The first row is not a marker: no title and no column headers on the first page.
  EXPECT_EQ(FindText(pages[0], "No."), nullptr);
  EXPECT_NE(FindText(pages[0], "Ch50"), nullptr);
  EXPECT_EQ(FindText(pages[0], "Ch51"), nullptr);
  EXPECT_EQ(FindText(pages[0], "Ch50")->y, 13 + 49 * 10);
  const PrintOp* header = FindText(pages[1], "No.");
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->y, 13);
  EXPECT_EQ(header->font, PrintFont::kHeader);
  EXPECT_EQ(FindText(pages[1], "Frequency")->x, 450 - 45);
  // Headers take 12, then one more row height before the next row.
  EXPECT_EQ(FindText(pages[1], "Ch51")->y, 13 + 12 + 10);
  EXPECT_TRUE(std::none_of(pages[1].begin(), pages[1].end(),
                           [](const PrintOp& op) { return op.kind == PrintOpKind::kLine; }));
}

TEST(PrintLayoutTest, MarkerHeadingWithTitleAndRule) {
  std::vector<ChannelRecord> records = Rows(2);
  records.insert(records.begin() + 1, MakeChannel("Astra", 0));
  const std::vector<PrintOp> ops = LayOut(records);
  const PrintOp* title = FindText(ops, "Astra");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->font, PrintFont::kTitle);
  // Not at the top of the page: half a title height first, then the title ends at the edge.
  EXPECT_EQ(title->y, 23 + 10);
  EXPECT_EQ(title->x, 1000 - 50);
  const auto line = std::find_if(ops.begin(), ops.end(),
                                 [](const PrintOp& op) { return op.kind == PrintOpKind::kLine; });
  ASSERT_NE(line, ops.end());
  EXPECT_EQ(line->y, 33 + 10);
  EXPECT_EQ(line->x, 0);
  EXPECT_EQ(line->x2, 1000 - 50 - 6);
  EXPECT_EQ(FindText(ops, "No.")->y, 33 + 30);
  EXPECT_EQ(FindText(ops, "Ch2")->y, 33 + 30 + 12 + 10);
}

TEST(PrintLayoutTest, MarkerNearTheBottomMovesToTheNextPageAndTitlesRepeat) {
  // 44 rows end at y = 453; 453 + 70 >= 520 sends the marker to a new page.
  std::vector<ChannelRecord> records = Rows(44);
  records.push_back(MakeChannel("Hot Bird", 0));
  const std::vector<ChannelRecord> more = Rows(80, 20000);
  records.insert(records.end(), more.begin(), more.end());
  const std::vector<std::vector<PrintOp>> pages = Pages(LayOut(records));
  ASSERT_GE(pages.size(), 3u);
  EXPECT_EQ(FindText(pages[0], "Hot Bird"), nullptr);
  const PrintOp* title = FindText(pages[1], "Hot Bird");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->y, 13);  // at the top: no half-height gap
  // The continuation page repeats the title and the headers before its first row.
  const PrintOp* again = FindText(pages[2], "Hot Bird");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->y, 13);
  EXPECT_NE(FindText(pages[2], "No."), nullptr);
  EXPECT_EQ(pages[2][0].text, "Hot Bird");
}

TEST(PrintLayoutTest, BreakBeforeAMarkerLeavesTheHeadingToTheMarker) {
  std::vector<ChannelRecord> records = Rows(50);
  records.push_back(MakeChannel("Next", 0));
  records.push_back(MakeChannel("After", 11000));
  const std::vector<std::vector<PrintOp>> pages = Pages(LayOut(records));
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[1][0].text, "Next");
  EXPECT_EQ(std::count_if(pages[1].begin(), pages[1].end(),
                          [](const PrintOp& op) { return op.text == "No."; }),
            1);
}

TEST(PrintLayoutTest, AFullLastPageIsNotFollowedByAnEmptyOne) {
  const std::vector<PrintOp> ops = LayOut(Rows(50));
  EXPECT_TRUE(std::none_of(ops.begin(), ops.end(),
                           [](const PrintOp& op) { return op.kind == PrintOpKind::kNewPage; }));
}

TEST(PrintLayoutTest, SelectionPrintsOnlySelectedRows) {
  std::vector<ChannelRecord> records = Rows(5);
  records[1] = MakeChannel("Skipped title", 0);
  const auto selected = [](int row) { return row == 2 || row == 4; };
  const std::vector<PrintOp> ops =
      LayOutChannelList(records, PidMode::kDecimal, true, selected, FixedMetrics(1000, 520));
  EXPECT_EQ(FindText(ops, "Skipped title"), nullptr);
  EXPECT_EQ(FindText(ops, "Ch3")->y, 13);
  EXPECT_EQ(FindText(ops, "Ch5")->y, 23);
  EXPECT_NE(FindText(ops, "512"), nullptr);  // the video PID in decimal, as the list shows it
  EXPECT_EQ(FindText(ops, "Ch1"), nullptr);

  const std::vector<PrintOp> none = LayOutChannelList(
      records, PidMode::kDecimal, true, [](int) { return false; }, FixedMetrics(1000, 520));
  EXPECT_TRUE(none.empty());  // one empty page
}

TEST(PrintLayoutTest, FontsAndPixelSizes) {
  EXPECT_EQ(PointsToPixels(10, 600), 83);  // 83.33
  EXPECT_EQ(PointsToPixels(18, 300), 75);
  EXPECT_EQ(PointsToPixels(10, 96), 13);  // 13.33
  EXPECT_EQ(FontStyleOf(PrintFont::kRow).weight, 400);
  EXPECT_EQ(FontStyleOf(PrintFont::kHeader).weight, 900);
  EXPECT_EQ(FontStyleOf(PrintFont::kTitle).points, 18);
}

}  // namespace
}  // namespace pelorus
