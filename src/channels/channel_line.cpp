#include "channels/channel_line.h"

#include <array>
#include <cstdint>
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

// Builds a line the way the two printf formats of the line do ("%-Ns", "%Nd", "%0NX"), without
// a printf call per line: exporting a full list formats 65,536 of them.
class LineWriter {
 public:
  // "%-Ns": the text, then blanks up to the width; a longer text is written whole.
  void Left(std::string_view text, size_t width) {
    Put(text);
    for (size_t n = text.size(); n < width; ++n) Put(' ');
  }
  // "%Nd" of a value that is never negative.
  void Right(unsigned value, size_t width) {
    char digits[12];
    size_t count = 0;
    do {
      digits[count++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value != 0);
    for (size_t n = count; n < width; ++n) Put(' ');
    while (count > 0) Put(digits[--count]);
  }
  // "%0NX" of a value that fits N hexadecimal digits.
  void Hex(unsigned value, int digits) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) Put(kDigits[(value >> shift) & 15]);
  }
  void Put(char c) {
    if (length_ < sizeof buffer_) buffer_[length_++] = c;
  }
  void Put(std::string_view text) {
    for (char c : text) Put(c);
  }
  std::string Text() const { return std::string(buffer_, length_); }

 private:
  // The widest line (a name of 24, a FEC text of 4, a bandwidth of 3) is 141 bytes.
  char buffer_[192];
  size_t length_ = 0;
};

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

// The line is the two formats
//   "%-24s %5d %5d %-3s %2d %1s %-4s %-4s %-4s %-4s %-4s %-4s %04X %-4s %-1s %-3s %-1s %-4s
//    %02X %04X %04X %04X"
//   " %1d %1d %04X %02X %02X %02X %02X\r\n"
// applied one after the other, with every PID as a "%04X" text.
std::string FormatChannelLine(const ChannelRecord& record) {
  std::string name = DecodeChannelName(record);
  // A line break inside a name would split the line, and the second half could be read back as
  // a channel of its own; the name is written with blanks there instead.
  for (char& c : name) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  LineWriter out;
  out.Left(name, 24);
  out.Put(' ');
  out.Right(record.frequency, 5);
  out.Put(' ');
  out.Right(record.symbolRate, 5);
  out.Put(' ');
  if (record.fecCode < kFecTexts.size() && kFecTexts[record.fecCode] != nullptr) {
    out.Left(kFecTexts[record.fecCode], 3);
  } else {
    out.Put('?');  // "?" and the decimal code, as one "%-3s" text
    LineWriter code;
    code.Right(record.fecCode, 1);
    out.Left(code.Text(), 2);
  }
  out.Put(' ');
  out.Right(record.acqBandwidth, 2);
  out.Put(' ');
  out.Put(record.polarity == 0 ? 'H' : 'V');
  for (const uint16_t value : {record.videoPid, record.audioPid, record.pmtPid, record.pcrPid,
                               record.textPid, record.pmc, record.scrambling}) {
    out.Put(' ');
    out.Hex(value, 4);
  }
  out.Put(' ');
  out.Left((record.modeFlags & 3) == 3 ? "NTSC" : "PAL", 4);
  out.Put(' ');
  out.Put(kAudioModeTexts[(record.modeFlags >> 6) & 3]);
  out.Put(' ');
  out.Left((record.modeFlags & 0x10) != 0 ? "12v" : "0v", 3);
  out.Put(' ');
  out.Put(static_cast<char>('0' + (record.lnbSelect & 3)));
  out.Put(' ');
  out.Left(kInversionTexts[(record.lnbSelect >> 2) & 3], 4);
  out.Put(' ');
  out.Hex(record.serviceType, 2);
  for (const uint16_t value : {record.tsId, record.serviceId, record.networkId}) {
    out.Put(' ');
    out.Hex(value, 4);
  }
  out.Put(' ');
  out.Put(static_cast<char>('0' + (record.autoFlags & 1)));
  out.Put(' ');
  out.Put(static_cast<char>('0' + ((record.autoFlags >> 1) & 1)));
  out.Put(' ');
  out.Hex(record.reserved1, 4);
  for (const uint8_t value :
       {record.lockCode, record.reserved2, record.reserved3, record.reserved4}) {
    out.Put(' ');
    out.Hex(value, 2);
  }
  out.Put("\r\n");
  return out.Text();
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
