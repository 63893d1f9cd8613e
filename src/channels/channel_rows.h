#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

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

// Room for a row's twelve texts: a number of up to 11 characters, a name of 24, and the short
// fields (at most 35 characters together).
inline constexpr size_t kRowTextCapacity = 72;

// The twelve texts of a row in one block of characters. A list of tens of thousands of rows is
// then built without an allocation per cell, and a row is copied as plain bytes.
class RowCells {
 public:
  // The cell's text; empty for a cell that was never appended.
  std::string_view operator[](size_t column) const {
    if (column >= count_) return {};
    const size_t start = column == 0 ? 0 : ends_[column - 1];
    return {reinterpret_cast<const char*>(text_.data()) + start, size_t{ends_[column]} - start};
  }
  static constexpr size_t size() { return kChannelColumnCount; }

  // Appends the next column's text, cut at the room that is left (which a row never needs).
  void Append(std::string_view cell) { Writer(*this).Append(cell); }
  // Appends the next column's text as `write(room)` puts it at the start of the room left,
  // returning its length: numbers and names are written in place, never copied.
  template <typename Write>
  void AppendWritten(Write write) {
    Writer writer(*this);
    writer.AppendWritten(write);
  }

  // Appends cells one after another, keeping its place in locals and storing the cell ends when
  // it goes out of scope. Every character written may alias the row's own counters, so writing
  // them back after each cell would make each cell wait on the one before: a list builds a row
  // per record.
  class Writer {
   public:
    explicit Writer(RowCells& cells) : cells_(cells), count_(cells.count_), ends_(cells.ends_) {
      end_ = count_ == 0 ? 0 : ends_[count_ - 1];
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
    ~Writer() {
      cells_.ends_ = ends_;
      cells_.count_ = count_;
    }

    void Append(std::string_view cell) {
      AppendWritten([cell](std::span<char> room) {
        const size_t length = std::min(cell.size(), room.size());
        // The fixed texts ("H", "PAL", "3/4") are copied in place, not by a call per cell.
        constexpr size_t kShortText = 4;
        if (length <= kShortText) {
          for (size_t i = 0; i < kShortText; ++i) {
            if (i < length) room[i] = cell[i];
          }
          return length;
        }
        std::copy_n(cell.data(), length, room.data());
        return length;
      });
    }
    template <typename Write>
    void AppendWritten(Write write) {
      if (count_ >= kChannelColumnCount) return;
      const std::span<char> room(reinterpret_cast<char*>(cells_.text_.data()) + end_,
                                 kRowTextCapacity - end_);
      end_ += std::min<size_t>(write(room), room.size());
      ends_[count_++] = static_cast<uint8_t>(end_);
    }

   private:
    RowCells& cells_;
    uint8_t count_;
    size_t end_;
    std::array<uint8_t, kChannelColumnCount> ends_;
  };

 private:
  // Left unset past the cells written: a row is built for every record of a list, and only
  // what was written is ever read. Unsigned, so that copying a row copies those bytes soundly.
  std::array<unsigned char, kRowTextCapacity> text_;
  std::array<uint8_t, kChannelColumnCount> ends_{};
  uint8_t count_ = 0;
};

// The texts of one list row, built once when the row is built, never at paint time. A marker
// row has only its number and name; its other cells are empty.
struct ChannelRow {
  RowCells cells;
  RowIcon icon = RowIcon::kTelevision;
  bool marker = false;
};

ChannelRow BuildChannelRow(const ChannelRecord& record, int recordIndex, PidMode mode);
RowIcon ChooseRowIcon(const ChannelRecord& record);

// "Auto", "1/2", ... or "?%1d" for a code without a name.
std::string FecText(uint8_t fecCode);

}  // namespace pelorus
