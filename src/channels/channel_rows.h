#pragma once

#include <array>
#include <string>

#include "channels/pid_format.h"
#include "receiver/channel_record.h"

namespace pelorus {

enum class CellAlignment { kLeft, kRight, kCenter };

struct ChannelColumn {
  const char* header;
  CellAlignment alignment;
  int width;  // pixels
};

inline constexpr int kChannelColumnCount = 12;
extern const std::array<ChannelColumn, kChannelColumnCount> kChannelColumns;

// The row pictures, in the order of the list's image list.
enum class RowIcon { kData = 0, kRadio = 1, kTelevision = 2, kMarker = 3 };

// The texts of one list row, built once when the row is built, never at paint time. A marker
// row has only its number and name; its other cells are empty.
struct ChannelRow {
  std::array<std::string, kChannelColumnCount> cells;
  RowIcon icon = RowIcon::kTelevision;
  bool marker = false;
};

ChannelRow BuildChannelRow(const ChannelRecord& record, int recordIndex, PidMode mode);
RowIcon ChooseRowIcon(const ChannelRecord& record);

// "Auto", "1/2", ... or "?%1d" for a code without a name.
std::string FecText(uint8_t fecCode);

}  // namespace pelorus
