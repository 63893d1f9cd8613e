#include "channels/channel_rows.h"

#include <charconv>

#include "channels/channel_name.h"
#include "common/strfmt.h"

namespace pelorus {
namespace {

std::string Decimal(int value) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

const std::array<ChannelColumn, kChannelColumnCount> kChannelColumns = {{
    {"No.", CellAlignment::kRight, 48},
    {"Channel", CellAlignment::kLeft, 110},
    {"Frequency", CellAlignment::kRight, 65},
    {"SR", CellAlignment::kRight, 50},
    {"FEC", CellAlignment::kLeft, 35},
    {"BW", CellAlignment::kRight, 32},
    {"Pol", CellAlignment::kCenter, 32},
    {"VPID", CellAlignment::kRight, 45},
    {"APID", CellAlignment::kRight, 45},
    {"Video", CellAlignment::kLeft, 42},
    {"12v", CellAlignment::kLeft, 36},
    {"DiSEqC", CellAlignment::kCenter, 52},
}};

std::string FormatPidForDisplay(uint16_t pid, PidMode mode) {
  if (mode == PidMode::kDecimal) return Decimal(pid);
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text(4, '0');
  for (int i = 3; i >= 0; --i) {
    text[static_cast<size_t>(i)] = kDigits[pid & 0xF];
    pid = static_cast<uint16_t>(pid >> 4);
  }
  return text;
}

std::string FecText(uint8_t fecCode) {
  switch (fecCode) {
    case 0:
      return "Auto";
    case 1:
      return "1/1";
    case 2:
      return "1/2";
    case 3:
      return "2/3";
    case 4:
      return "3/4";
    case 6:
      return "5/6";
    case 7:
      return "7/8";
    default:
      return Format("?%1d", fecCode);
  }
}

RowIcon ChooseRowIcon(const ChannelRecord& record) {
  if (record.IsMarker()) return RowIcon::kMarker;
  if (record.videoPid == kNoPid) {
    return record.audioPid == kNoPid ? RowIcon::kData : RowIcon::kRadio;
  }
  return RowIcon::kTelevision;
}

ChannelRow BuildChannelRow(const ChannelRecord& record, int recordIndex, PidMode mode) {
  ChannelRow row;
  row.icon = ChooseRowIcon(record);
  row.marker = record.IsMarker();
  auto& cells = row.cells;
  cells[0] = Decimal(recordIndex + 1);
  cells[1] = DecodeChannelName(record);
  if (row.marker) return row;

  cells[2] = Decimal(record.frequency);
  cells[3] = Decimal(record.symbolRate);
  cells[4] = FecText(record.fecCode);
  cells[5] = Decimal(record.acqBandwidth);
  // Built as new strings and moved in: GCC 12 warns falsely about copying a literal into one.
  cells[6] = std::string(1, record.polarity == 0 ? 'H' : 'V');
  cells[7] = FormatPidForDisplay(record.videoPid, mode);
  cells[8] = FormatPidForDisplay(record.audioPid, mode);
  cells[9] = std::string((record.modeFlags & 0x03) == 0x03 ? "NTSC" : "PAL");
  cells[10] = std::string((record.modeFlags & 0x10) != 0 ? "12v" : "0v");
  cells[11] = Decimal((record.lnbSelect & 0x03) + 1);
  return row;
}

}  // namespace pelorus
