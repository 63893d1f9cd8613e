#include "channels/channel_line.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "channels/channel_name.h"

namespace pelorus {
namespace {

// fecCode -> text; index is the code. Codes without a text are written "?<code>".
constexpr std::array<const char*, 8> kFecTexts = {"AUT", "1/1",   "1/2", "2/3",
                                                  "3/4", nullptr, "5/6", "7/8"};
constexpr std::array<const char*, 4> kAudioModeTexts = {"N", "V", "L", "R"};
// Inversion 3 has no word; "?3" keeps the column four wide and reads back as 3.
constexpr std::array<const char*, 4> kInversionTexts = {"Auto", "Off", "On", "?3"};

// A short zero-terminated text held by value, so that formatting a line allocates only once.
struct SmallText {
  char text[8];
};

SmallText FecText(uint8_t code) {
  SmallText result{};
  if (code < kFecTexts.size() && kFecTexts[code] != nullptr) {
    std::memcpy(result.text, kFecTexts[code], 4);
  } else {
    std::snprintf(result.text, sizeof result.text, "?%d", code);
  }
  return result;
}

// "%04X" without the cost of a printf call.
SmallText Hex4(uint16_t value) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  return SmallText{{kDigits[value >> 12], kDigits[(value >> 8) & 15], kDigits[(value >> 4) & 15],
                    kDigits[value & 15], '\0'}};
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Reads columns the way the scanf conversions "%d", "%x" and "%s" do, but never past the end of
// the line, and with unsigned wrap-around instead of undefined overflow. Only the low bits of a
// number are kept by its field, so the wrap gives the same field values.
class LineReader {
 public:
  explicit LineReader(std::span<const char> line) : line_(line) {}

  // The number starting at `column` in base 10 or 16; 0 when there is none.
  uint32_t Number(size_t column, int base) const {
    size_t i = SkipBlanks(column);
    bool negative = false;
    if (i < line_.size() && (line_[i] == '+' || line_[i] == '-')) {
      negative = line_[i] == '-';
      ++i;
    }
    if (base == 16 && i + 2 < line_.size() && line_[i] == '0' &&
        (line_[i + 1] == 'x' || line_[i + 1] == 'X') && HexDigit(line_[i + 2]) >= 0) {
      i += 2;
    }
    uint32_t value = 0;
    for (; i < line_.size(); ++i) {
      const int digit = HexDigit(line_[i]);
      if (digit < 0 || digit >= base) break;
      value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
    }
    return negative ? 0u - value : value;
  }

  // The blank-delimited word starting at `column` (leading blanks skipped); empty at the end.
  std::string_view Word(size_t column) const {
    const size_t start = SkipBlanks(column);
    size_t end = start;
    while (end < line_.size() && !IsBlank(line_[end])) ++end;
    return std::string_view(line_.data() + start, end - start);
  }

  bool BlankAt(size_t column) const { return column >= line_.size() || IsBlank(line_[column]); }

 private:
  size_t SkipBlanks(size_t column) const {
    size_t i = column;
    while (i < line_.size() && IsBlank(line_[i])) ++i;
    return i < line_.size() ? i : line_.size();
  }

  std::span<const char> line_;
};

}  // namespace

std::string FormatChannelLine(const ChannelRecord& record) {
  std::string name = DecodeChannelName(record);
  // A line break inside a name would split the line, and the second half could be read back as
  // a channel of its own; the name is written with blanks there instead.
  for (char& c : name) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const SmallText fec = FecText(record.fecCode);
  const char lnbPort[2] = {static_cast<char>('0' + (record.lnbSelect & 3)), '\0'};
  // Every value is bounded, so the widest possible line is far below the buffer's size.
  char buffer[256];
  int length = std::snprintf(
      buffer, sizeof buffer,
      "%-24s %5d %5d %-3s %2d %1s %-4s %-4s %-4s %-4s %-4s %-4s %04X %-4s %-1s %-3s %-1s %-4s "
      "%02X %04X %04X %04X",
      name.c_str(), record.frequency, record.symbolRate, fec.text, record.acqBandwidth,
      record.polarity == 0 ? "H" : "V", Hex4(record.videoPid).text, Hex4(record.audioPid).text,
      Hex4(record.pmtPid).text, Hex4(record.pcrPid).text, Hex4(record.textPid).text,
      Hex4(record.pmc).text, record.scrambling, (record.modeFlags & 3) == 3 ? "NTSC" : "PAL",
      kAudioModeTexts[(record.modeFlags >> 6) & 3], (record.modeFlags & 0x10) != 0 ? "12v" : "0v",
      lnbPort, kInversionTexts[(record.lnbSelect >> 2) & 3], record.serviceType, record.tsId,
      record.serviceId, record.networkId);
  length += std::snprintf(buffer + length, sizeof buffer - static_cast<size_t>(length),
                          " %1d %1d %04X %02X %02X %02X %02X\r\n", record.autoFlags & 1,
                          (record.autoFlags >> 1) & 1, record.reserved1, record.lockCode,
                          record.reserved2, record.reserved3, record.reserved4);
  return std::string(buffer, static_cast<size_t>(length));
}

bool ParseChannelLine(std::span<const char> line, ChannelRecord& record) {
  if (line.size() < kChannelLineMinLength) return false;
  record = ChannelRecord{};
  EncodeChannelName(record, std::string_view(line.data(), kChannelNameSize));
  record.tag = kChannelTag;

  const LineReader in(line);
  record.frequency = static_cast<uint16_t>(in.Number(25, 10));
  record.symbolRate = static_cast<uint16_t>(in.Number(31, 10));
  const std::string_view fec = in.Word(37);
  for (size_t code = 0; code < kFecTexts.size(); ++code) {
    if (kFecTexts[code] != nullptr && fec == kFecTexts[code]) {
      record.fecCode = static_cast<uint8_t>(code);
    }
  }
  // A FEC code or bandwidth of 100 or more is written one character wider and pushes every later
  // column right; follow the shift so that such a line reads back as it was written.
  size_t shift = in.BlankAt(40) ? 0 : 1;
  record.acqBandwidth = static_cast<uint8_t>(in.Number(41 + shift, 10));
  if (!in.BlankAt(43 + shift)) ++shift;
  const auto at = [shift](size_t column) { return column + shift; };

  record.polarity = in.Word(at(44)) == "V" ? 1 : 0;
  record.videoPid = static_cast<uint16_t>(in.Number(at(46), 16));
  record.audioPid = static_cast<uint16_t>(in.Number(at(51), 16));
  const uint32_t pmtPid = in.Number(at(56), 16);
  record.pmtPid = static_cast<uint16_t>(pmtPid);
  record.pcrPid = static_cast<uint16_t>(in.Number(at(61), 16));
  record.textPid = static_cast<uint16_t>(in.Number(at(66), 16));
  record.pmc = static_cast<uint16_t>(in.Number(at(71), 16));
  record.scrambling = static_cast<uint16_t>(in.Number(at(76), 16));

  uint8_t mode = in.Word(at(81)) == "NTSC" ? 3 : 0;
  const std::string_view audio = in.Word(at(86));
  for (size_t i = 1; i < kAudioModeTexts.size(); ++i) {
    if (audio == kAudioModeTexts[i]) mode = static_cast<uint8_t>(mode | (i << 6));
  }
  if (in.Word(at(88)) == "12v") mode |= 0x10;
  record.modeFlags = mode;

  uint8_t lnb = static_cast<uint8_t>(in.Number(at(92), 10));
  const std::string_view inversion = in.Word(at(94));
  for (size_t i = 1; i < kInversionTexts.size(); ++i) {
    if (inversion == kInversionTexts[i]) lnb = static_cast<uint8_t>(lnb + (i << 2));
  }
  record.lnbSelect = lnb;

  record.serviceType = static_cast<uint8_t>(in.Number(at(99), 16));
  record.tsId = static_cast<uint16_t>(in.Number(at(102), 16));
  record.serviceId = static_cast<uint16_t>(in.Number(at(107), 16));
  record.networkId = static_cast<uint16_t>(in.Number(at(112), 16));
  uint8_t autoFlags = 0;
  if (in.Word(at(117)) == "1") autoFlags |= 1;
  if (in.Word(at(119)) == "1") autoFlags |= 2;
  record.autoFlags = autoFlags;
  record.reserved1 = static_cast<uint8_t>(in.Number(at(121), 16));
  record.lockCode = static_cast<uint8_t>(in.Number(at(126), 16));
  record.reserved2 = static_cast<uint8_t>(in.Number(at(129), 16));
  record.reserved3 = static_cast<uint8_t>(in.Number(at(132), 16));
  record.reserved4 = static_cast<uint8_t>(in.Number(at(135), 16));

  return pmtPid <= kPidMask;
}

}  // namespace pelorus
