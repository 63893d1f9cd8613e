#include "channels/print_layout.h"

#include <array>
#include <cmath>

#include "channels/channel_name.h"
#include "channels/channel_rows.h"

namespace pelorus {
namespace {

// A right-aligned column ends at (w + p) percent of the page width.
struct PrintColumn {
  const char* header;
  int w;
  int p;
};
constexpr std::array<PrintColumn, 9> kRightColumns = {{
    {"Frequency", 8, 37},
    {"SR", 10, 45},
    {"FEC", 5, 55},
    {"BW", 5, 60},
    {"POL", 5, 65},
    {"VPID", 5, 70},
    {"APID", 5, 75},
    {"Video", 5, 82},
    {"12v", 3, 88},
}};

class PageWriter {
 public:
  PageWriter(const PrintMetrics& metrics, std::vector<PrintOp>& ops)
      : m_(metrics),
        ops_(ops),
        top_(metrics.height / 40),
        step_(metrics.width / 20),
        rowLine_(metrics.lineHeight(PrintFont::kRow)),
        y_(top_) {}

  int y() const { return y_; }
  int top() const { return top_; }
  int rowLine() const { return rowLine_; }
  void Advance(int amount) { y_ += amount; }

  void NewPage() {
    PrintOp op;
    op.kind = PrintOpKind::kNewPage;
    ops_.push_back(op);
    y_ = top_;
  }

  void Left(int x, PrintFont font, std::string_view text) { Text(x, false, font, text); }
  void Right(int edge, PrintFont font, std::string_view text) { Text(edge, true, font, text); }

  int RightEdge(const PrintColumn& column) const {
    return static_cast<int>((column.w + column.p) * (m_.width / 100.0));
  }

  // The row's cells: number and name left-aligned, the rest right-aligned in their columns.
  void Row(const ChannelRow& row) {
    Left(step_, PrintFont::kRow, row.cells[0]);
    Left(2 * step_, PrintFont::kRow, row.cells[1]);
    for (size_t c = 0; c < kRightColumns.size(); ++c) {
      Right(RightEdge(kRightColumns[c]), PrintFont::kRow, row.cells[c + 2]);
    }
  }

  // The section title (when there is one) with its rule, then the column headers.
  void Heading(const std::string& title) {
    if (!title.empty()) {
      const int titleHeight = m_.lineHeight(PrintFont::kTitle);
      const int titleWidth = m_.textWidth(PrintFont::kTitle, title);
      if (y_ != top_) y_ += titleHeight / 2;
      Right(m_.width, PrintFont::kTitle, title);
      PrintOp line;
      line.kind = PrintOpKind::kLine;
      line.x = 0;
      line.y = y_ + titleHeight / 2;
      line.x2 = m_.width - titleWidth - titleWidth / 8;
      ops_.push_back(line);
      y_ += titleHeight / 2 + titleHeight;
    }
    Left(step_, PrintFont::kHeader, "No.");
    Left(2 * step_, PrintFont::kHeader, "Channel");
    for (const PrintColumn& column : kRightColumns) {
      Right(RightEdge(column), PrintFont::kHeader, column.header);
    }
    y_ += m_.lineHeight(PrintFont::kHeader);
  }

 private:
  void Text(int anchor, bool right, PrintFont font, std::string_view text) {
    if (text.empty()) return;
    PrintOp op;
    op.kind = PrintOpKind::kText;
    op.anchor = anchor;
    op.rightAligned = right;
    op.x = right ? anchor - m_.textWidth(font, text) : anchor;
    op.y = y_;
    op.font = font;
    op.text = std::string(text);
    ops_.push_back(op);
  }

  const PrintMetrics& m_;
  std::vector<PrintOp>& ops_;
  int top_;
  int step_;
  int rowLine_;
  int y_;
};

}  // namespace

PrintFontStyle FontStyleOf(PrintFont font) {
  switch (font) {
    case PrintFont::kHeader:
      return {10, 900};
    case PrintFont::kTitle:
      return {18, 900};
    default:
      return {10, 400};
  }
}

int PointsToPixels(int points, int dotsPerInchY) {
  return static_cast<int>(std::lround(points * dotsPerInchY / 72.0));
}

std::vector<PrintOp> LayOutChannelList(const std::vector<ChannelRecord>& records, PidMode mode,
                                       bool selectedOnly,
                                       const std::function<bool(int row)>& isSelected,
                                       const PrintMetrics& metrics) {
  std::vector<PrintOp> ops;
  PageWriter page(metrics, ops);
  const int height = metrics.height;
  const int line = page.rowLine();
  const int count = static_cast<int>(records.size());
  const auto printed = [&](int row) { return !selectedOnly || (isSelected && isSelected(row)); };
  std::string title;

  for (int i = 0; i < count; ++i) {
    if (!printed(i)) continue;
    const ChannelRecord& record = records[static_cast<size_t>(i)];
    if (record.IsMarker()) {
      title = DecodeChannelName(record);
      if (page.y() + 7 * line >= height) page.NewPage();
      page.Heading(title);
    } else {
      page.Row(BuildChannelRow(record, i, mode));
    }
    page.Advance(line);
    if (page.y() + line < height) continue;
    // A full page: go on on a new one only when something is left to print, so that a list
    // which fills its last page exactly does not end with an empty sheet.
    int next = i + 1;
    while (next < count && !printed(next)) ++next;
    if (next >= count) break;
    page.NewPage();
    if (i + 1 < count && !records[static_cast<size_t>(i) + 1].IsMarker()) {
      page.Heading(title);
      page.Advance(line);
    }
  }
  return ops;
}

}  // namespace pelorus
