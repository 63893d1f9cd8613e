#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "channels/pid_format.h"
#include "receiver/channel_record.h"

namespace pelorus {

// The three fonts of a printout, all Arial: rows 10 point normal, column headers 10 point bold
// and section titles 18 point bold (bold is weight 900).
enum class PrintFont { kRow, kHeader, kTitle };

struct PrintFontStyle {
  int points;
  int weight;
};
PrintFontStyle FontStyleOf(PrintFont font);

// The pixel height of a font of `points` on a device of `dotsPerInchY`, rounded to the nearest
// pixel, as the printer's fonts are made.
int PointsToPixels(int points, int dotsPerInchY);

// What the layout needs to know about the printer: its printable area in device pixels and the
// sizes of text in each font.
struct PrintMetrics {
  int width = 0;
  int height = 0;
  // The height of one line of the font (the height of a blank).
  std::function<int(PrintFont font)> lineHeight;
  std::function<int(PrintFont font, std::string_view text)> textWidth;
};

enum class PrintOpKind { kText, kLine, kNewPage };

// One drawing step. Texts are placed by their top-left corner at (x, y), the alignment already
// applied; `anchor` is the x that the alignment refers to. Lines run from (x, y) to (x2, y).
struct PrintOp {
  PrintOpKind kind = PrintOpKind::kText;
  int x = 0;
  int y = 0;
  int x2 = 0;
  int anchor = 0;
  bool rightAligned = false;
  PrintFont font = PrintFont::kRow;
  std::string text;
};

// The printout of the list, page after page (pages are separated by kNewPage; the first page
// is begun by the caller). With `selectedOnly` only the rows for which `isSelected` is true are
// printed. The cells are the list's, so PIDs follow `mode`; the DiSEqC column is not printed.
std::vector<PrintOp> LayOutChannelList(const std::vector<ChannelRecord>& records, PidMode mode,
                                       bool selectedOnly,
                                       const std::function<bool(int row)>& isSelected,
                                       const PrintMetrics& metrics);

}  // namespace pelorus
