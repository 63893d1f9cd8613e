#pragma once

#include <QIcon>

#include "channels/channel_rows.h"

namespace pelorus {

// The toolbar's pictures by image number: 0 and 16 a new page, 1 an open folder, 2 a diskette,
// 3 scissors, 4 two pages, 5 a clipboard, 6 a cross, 7 a page with a downward arrow, 8 a page
// with an upward arrow, 9 lines numbered 1-2-3, 10 lines lettered A-B-C, 11 a printer, 12 a
// signal graph, 13 a loudspeaker, 14 a connector, 15 a picture.
QIcon ToolbarPicture(int image);

// The list's row pictures: data, radio, television, satellite marker.
QIcon RowPicture(RowIcon icon);

// The program's own picture: a compass rose over a dish.
QIcon ProgramPicture();

}  // namespace pelorus
