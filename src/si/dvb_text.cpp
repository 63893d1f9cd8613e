#include "si/dvb_text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "common/strfmt.h"

namespace pelorus {
namespace {

constexpr uint32_t kReplacement = 0xFFFD;
constexpr uint8_t kEmphasisOn = 0x86;
constexpr uint8_t kEmphasisOff = 0x87;
constexpr uint8_t kLineBreak = 0x8A;
constexpr uint8_t kEuroInTable00 = 0xA4;
constexpr uint32_t kEuro = 0x20AC;
// Where the two-byte tables keep the control codes.
constexpr uint32_t kTwoByteControls = 0xE000;

enum class Coding {
  kTable00,    // ISO/IEC 6937 with the euro sign
  kSingle,     // an ISO 8859 part through iconv
  kDoubleEuc,  // KS X 1001 or GB 2312 in their EUC form, through iconv
  kUcs2,
  kUtf8,
  kUndefined,
};

struct Table {
  Coding coding = Coding::kUndefined;
  std::string iconvName;
  size_t selectorSize = 0;
};

Table SelectTable(std::span<const uint8_t> text) {
  if (text.empty() || text[0] >= 0x20) return {Coding::kTable00, "ISO_6937", 0};
  const uint8_t selector = text[0];
  static constexpr int kParts[] = {0, 5, 6, 7, 8, 9, 10, 11, 0, 13, 14, 15};
  if (selector < std::size(kParts)) {
    if (kParts[selector] == 0) return {Coding::kUndefined, "", 1};
    return {Coding::kSingle, Format("ISO-8859-%d", kParts[selector]), 1};
  }
  switch (selector) {
    case 0x10: {
      // 0x10 0x00 nn: ISO 8859 part nn (there is no part 12).
      const size_t size = std::min<size_t>(3, text.size());
      if (text.size() < 3 || text[1] != 0x00 || text[2] < 1 || text[2] > 15 || text[2] == 12) {
        return {Coding::kUndefined, "", size};
      }
      return {Coding::kSingle, Format("ISO-8859-%d", text[2]), 3};
    }
    case 0x11:
    case 0x14:  // the Big5 subset of ISO/IEC 10646: the same two-byte code
      return {Coding::kUcs2, "", 1};
    case 0x12:
      return {Coding::kDoubleEuc, "EUC-KR", 1};
    case 0x13:
      return {Coding::kDoubleEuc, "GB2312", 1};
    case 0x15:
      return {Coding::kUtf8, "", 1};
    default:
      return {Coding::kUndefined, "", 1};
  }
}

// The converters each thread has opened, kept: opening one costs more than most texts.
class Converters {
 public:
  ~Converters() {
    for (auto& [name, converter] : open_) {
      if (Valid(converter)) iconv_close(converter);
    }
  }
  iconv_t Get(const std::string& name) {
    for (auto& [known, converter] : open_) {
      if (known == name) return converter;
    }
    open_.emplace_back(name, iconv_open("UTF-8", name.c_str()));
    return open_.back().second;
  }
  static bool Valid(iconv_t converter) { return converter != reinterpret_cast<iconv_t>(-1); }

 private:
  std::vector<std::pair<std::string, iconv_t>> open_;
};

// Decoded text under construction: the control codes are applied as they come.
class Output {
 public:
  explicit Output(DvbTextControls controls) : controls_(controls) {}
  void Add(uint32_t codePoint) { AppendUtf8(text_, codePoint); }
  void AddAscii(uint8_t byte) { text_.push_back(static_cast<char>(byte)); }
  void AddUtf8(std::string_view utf8) { text_ += utf8; }
  void Replacement() { Add(kReplacement); }
  // A control code 0x80-0x9F.
  void Control(uint32_t code) {
    if (code == kLineBreak) {
      text_.push_back('\n');
    } else if ((code == kEmphasisOn || code == kEmphasisOff) &&
               controls_ == DvbTextControls::kKept) {
      Add(code);
    }
  }
  std::string Take() { return std::move(text_); }

 private:
  DvbTextControls controls_;
  std::string text_;
};

bool IsControl(uint32_t codePoint) {
  return (codePoint >= 0x80 && codePoint <= 0x9F) ||
         (codePoint >= kTwoByteControls + 0x80 && codePoint <= kTwoByteControls + 0x9F);
}

// Converts a run with iconv; every byte it cannot take becomes one replacement.
void Convert(const std::string& table, std::span<const uint8_t> run, Output& out) {
  if (run.empty()) return;
  bool ascii = true;
  for (const uint8_t byte : run) ascii = ascii && byte < 0x80;
  if (ascii) {
    for (const uint8_t byte : run) out.AddAscii(byte);
    return;
  }
  thread_local Converters converters;
  const iconv_t converter = converters.Get(table);
  if (!Converters::Valid(converter)) {
    for (size_t i = 0; i < run.size(); ++i) out.Replacement();
    return;
  }
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  std::vector<char> input(run.begin(), run.end());
  char* in = input.data();
  size_t inLeft = input.size();
  char buffer[1024];
  while (inLeft > 0) {
    char* outAt = buffer;
    size_t outLeft = sizeof buffer;
    const size_t done = iconv(converter, &in, &inLeft, &outAt, &outLeft);
    out.AddUtf8(std::string_view(buffer, static_cast<size_t>(outAt - buffer)));
    if (done != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // A byte the table does not know, or a sequence cut short: one replacement, then on.
    out.Replacement();
    ++in;
    --inLeft;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
}

// The one-byte tables: 0x80-0x9F are control codes, everything else goes through iconv (the
// default table's euro sign, which ISO/IEC 6937 lacks, is put in here).
void DecodeSingle(const Table& table, std::span<const uint8_t> body, Output& out) {
  size_t runStart = 0;
  for (size_t at = 0; at <= body.size(); ++at) {
    const bool end = at == body.size();
    const bool control = !end && body[at] >= 0x80 && body[at] <= 0x9F;
    const bool euro = !end && table.coding == Coding::kTable00 && body[at] == kEuroInTable00;
    if (!end && !control && !euro) continue;
    Convert(table.iconvName, body.subspan(runStart, at - runStart), out);
    if (control) out.Control(body[at]);
    if (euro) out.Add(kEuro);
    runStart = at + 1;
  }
}

// KS X 1001 and GB 2312: one byte below 0x80, two from 0x80 up; the control codes are the
// two-byte values 0xE080-0xE09F.
void DecodeDoubleEuc(const Table& table, std::span<const uint8_t> body, Output& out) {
  size_t runStart = 0;
  size_t at = 0;
  while (at < body.size()) {
    if (body[at] == 0xE0 && at + 1 < body.size() && body[at + 1] >= 0x80 && body[at + 1] <= 0x9F) {
      Convert(table.iconvName, body.subspan(runStart, at - runStart), out);
      out.Control(body[at + 1]);
      at += 2;
      runStart = at;
    } else {
      at += body[at] < 0x80 ? 1 : 2;
    }
  }
  Convert(table.iconvName, body.subspan(runStart), out);
}

void DecodeUcs2(std::span<const uint8_t> body, Output& out) {
  size_t at = 0;
  for (; at + 1 < body.size(); at += 2) {
    const uint32_t unit = (uint32_t{body[at]} << 8) | body[at + 1];
    if (IsControl(unit)) {
      out.Control(unit & 0xFF);
    } else if (unit >= 0xD800 && unit <= 0xDBFF && at + 3 < body.size()) {
      // A surrogate pair, where the text has one, is one character; a lone half is none.
      const uint32_t low = (uint32_t{body[at + 2]} << 8) | body[at + 3];
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out.Add(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        at += 2;
      } else {
        out.Replacement();
      }
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      out.Replacement();
    } else {
      out.Add(unit);
    }
  }
  if (at < body.size()) out.Replacement();  // half a code unit at the end
}

void DecodeUtf8(std::span<const uint8_t> body, Output& out) {
  const std::string_view text(reinterpret_cast<const char*>(body.data()), body.size());
  for (size_t at = 0; at < text.size();) {
    uint32_t codePoint = 0;
    const size_t length = NextCodePoint(text, at, codePoint);
    if (length == 0) {
      out.Replacement();
      ++at;
      continue;
    }
    if (IsControl(codePoint)) {
      out.Control(codePoint & 0xFF);
    } else {
      out.AddUtf8(text.substr(at, length));
    }
    at += length;
  }
}

size_t SelectorSize(std::string_view text) {
  if (text.empty() || static_cast<uint8_t>(text[0]) >= 0x20) return 0;
  return text[0] == 0x10 ? std::min<size_t>(3, text.size()) : 1;
}

}  // namespace

std::string DecodeDvbText(std::span<const uint8_t> text, DvbTextControls controls) {
  // Most texts are ASCII in the default table, which is ASCII there: nothing to convert.
  if (text.empty() || (text[0] >= 0x20 && std::all_of(text.begin(), text.end(),
                                                      [](uint8_t byte) { return byte < 0x80; }))) {
    return std::string(text.begin(), text.end());
  }
  const Table table = SelectTable(text);
  const std::span<const uint8_t> body = text.subspan(std::min(table.selectorSize, text.size()));
  Output out(controls);
  switch (table.coding) {
    case Coding::kTable00:
    case Coding::kSingle:
      DecodeSingle(table, body, out);
      break;
    case Coding::kDoubleEuc:
      DecodeDoubleEuc(table, body, out);
      break;
    case Coding::kUcs2:
      DecodeUcs2(body, out);
      break;
    case Coding::kUtf8:
      DecodeUtf8(body, out);
      break;
    case Coding::kUndefined:
      for (size_t i = 0; i < body.size(); ++i) out.Replacement();
      break;
  }
  return out.Take();
}

std::string DecodeDvbText(std::string_view text, DvbTextControls controls) {
  return DecodeDvbText(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                       controls);
}

void AppendTextPart(std::string& joined, std::string_view part) {
  const size_t selector = SelectorSize(joined);
  if (!joined.empty() && selector > 0 && part.substr(0, selector) == joined.substr(0, selector)) {
    part.remove_prefix(selector);
  }
  joined += part;
}

size_t NextCodePoint(std::string_view text, size_t at, uint32_t& codePoint) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(at);
  size_t length = 0;
  if (lead < 0x80) {
    codePoint = lead;
    return 1;
  }
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    codePoint = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (byte(at + i) & 0x3F);
  }
  static constexpr uint32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (codePoint < kShortest[length] || codePoint > 0x10FFFF ||
      (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
    return 0;
  }
  return length;
}

void AppendUtf8(std::string& out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out.push_back(static_cast<char>(codePoint));
  } else if (codePoint < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else if (codePoint < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
  }
}

}  // namespace pelorus
