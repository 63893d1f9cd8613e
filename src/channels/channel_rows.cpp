#include "channels/channel_rows.h"

#include <algorithm>
#include <charconv>

#include "channels/channel_name.h"

namespace pelorus {
namespace {

// A number's decimal digits, written at the start of `room`; the length (0 without room).
size_t WriteDecimal(int value, std::span<char> room) {
  const auto result = std::to_chars(room.data(), room.data() + room.size(), value);
  return result.ec == std::errc() ? static_cast<size_t>(result.ptr - room.data()) : 0;
}

// The PID's display text, "%04X" or "%d", at the start of `room`.
size_t WritePid(uint16_t pid, PidMode mode, std::span<char> room) {
  if (mode == PidMode::kDecimal) return WriteDecimal(pid, room);
  static constexpr char kDigits[] = "0123456789ABCDEF";
  if (room.size() < 4) return 0;
  for (int i = 3; i >= 0; --i) {
    room[static_cast<size_t>(i)] = kDigits[pid & 0xF];
    pid = static_cast<uint16_t>(pid >> 4);
  }
  return 4;
}

// The cell writers BuildChannelRow appends.
auto Number(int value) {
  return [value](std::span<char> room) { return WriteDecimal(value, room); };
}
auto Pid(uint16_t pid, PidMode mode) {
  return [pid, mode](std::span<char> room) { return WritePid(pid, mode, room); };
}

// A FEC code's name, or "?" and the code's digits written into `spare` for one without a name.
std::string_view FecName(uint8_t fecCode, std::array<char, 4>& spare) {
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
    default: {
      spare[0] = '?';
      const auto end = std::to_chars(spare.data() + 1, spare.data() + spare.size(), fecCode).ptr;
      return {spare.data(), static_cast<size_t>(end - spare.data())};
    }
  }
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
  char buffer[12];
  return std::string(buffer, WritePid(pid, mode, buffer));
}

std::string FecText(uint8_t fecCode) {
  std::array<char, 4> spare;
  return std::string(FecName(fecCode, spare));
}

RowIcon ChooseRowIcon(const ChannelRecord& record) {
  if (record.IsMarker()) return RowIcon::kMarker;
  if (record.videoPid == kNoPid) {
    return record.audioPid == kNoPid ? RowIcon::kData : RowIcon::kRadio;
  }
  return RowIcon::kTelevision;
}

namespace {

// A row's texts, in column order: a marker row has its number and name only.
void WriteCells(const ChannelRecord& record, int recordIndex, PidMode mode, bool marker,
                RowCells& row) {
  RowCells::Writer cells(row);
  cells.AppendWritten(Number(recordIndex + 1));
  cells.AppendWritten([&record](std::span<char> room) -> size_t {
    return room.size() < kChannelNameSize
               ? 0
               : DecodeChannelName(record, room.first<kChannelNameSize>());
  });
  if (marker) return;

  cells.AppendWritten(Number(record.frequency));
  cells.AppendWritten(Number(record.symbolRate));
  std::array<char, 4> spare;
  cells.Append(FecName(record.fecCode, spare));
  cells.AppendWritten(Number(record.acqBandwidth));
  cells.Append(record.polarity == 0 ? "H" : "V");
  cells.AppendWritten(Pid(record.videoPid, mode));
  cells.AppendWritten(Pid(record.audioPid, mode));
  cells.Append((record.modeFlags & 0x03) == 0x03 ? "NTSC" : "PAL");
  cells.Append((record.modeFlags & 0x10) != 0 ? "12v" : "0v");
  cells.AppendWritten(Number((record.lnbSelect & 0x03) + 1));
}

}  // namespace

ChannelRow BuildChannelRow(const ChannelRecord& record, int recordIndex, PidMode mode) {
  // Written straight into the row: tens of thousands of rows are built at every load.
  ChannelRow row;
  row.icon = ChooseRowIcon(record);
  row.marker = record.IsMarker();
  WriteCells(record, recordIndex, mode, row.marker, row.cells);
  return row;
}

}  // namespace pelorus
