#include "service_scan/carrier_sources.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "lists/text_fields.h"
#include "scanner/messages.h"

namespace pelorus {
namespace {

constexpr std::string_view kLockAt = " - lock at ";
constexpr std::string_view kNoLockEnd = " - no lock";

// The lock search's FEC text back to its code: the rates it names, and "?%2d" for the others.
int LockFecCode(std::string_view text) {
  static constexpr std::array<std::pair<std::string_view, int>, 6> kTexts = {{
      {"1/2", 2},
      {"2/3", 3},
      {"3/4", 4},
      {"4/5", 5},
      {"5/6", 6},
      {"7/8", 7},
  }};
  for (const auto& [name, code] : kTexts) {
    if (text == name) return code;
  }
  int64_t code = 0;
  if (text.starts_with('?') && ParseSignedDecimal(TrimBlanks(text.substr(1)), code) &&
      code >= INT32_MIN && code <= INT32_MAX) {
    return static_cast<int>(code);
  }
  return 0;
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  for (std::string_view word : SplitFields(text, ' ')) {
    if (!word.empty()) words.push_back(word);
  }
  return words;
}

// "L MHz R FEC (S) INVERSION", the part after " - lock at ".
std::optional<LockedCarrier> ReadLock(std::string_view rest, bool vertical) {
  const std::vector<std::string_view> words = Words(rest);
  uint64_t frequency = 0;
  uint64_t rate = 0;
  if (words.size() < 4 || words[1] != "MHz" || !ParseDecimal(words[0], frequency) ||
      !ParseDecimal(words[2], rate) || frequency == 0 || frequency > 0xFFFF || rate > 0xFFFF) {
    return std::nullopt;
  }
  // The FEC text may hold a blank ("? 9"): it runs up to the signal figure in brackets.
  std::string fec;
  for (size_t i = 3; i < words.size() && !words[i].starts_with('('); ++i) {
    fec += words[i];
  }
  LockedCarrier carrier;
  carrier.frequencyMhz = static_cast<int>(frequency);
  carrier.symbolRateKs = static_cast<int>(rate);
  carrier.lockFecCode = LockFecCode(fec);
  carrier.vertical = vertical;
  return carrier;
}

}  // namespace

std::vector<SearchTransponder> TranspondersFromLocks(std::span<const LockedCarrier> carriers) {
  std::vector<SearchTransponder> transponders;
  for (const LockedCarrier& carrier : carriers) {
    SearchTransponder transponder;
    transponder.frequencyMhz = carrier.frequencyMhz;
    transponder.symbolRateKs = carrier.symbolRateKs;
    transponder.fecCode = FecCodeFromLock(carrier.lockFecCode);
    transponder.vertical = carrier.vertical;
    transponders.push_back(transponder);
  }
  return transponders;
}

LockSearchText ParseLockSearchText(std::span<const uint8_t> bytes) {
  LockSearchText text;
  LineCursor lines(bytes);
  std::string_view line;
  bool vertical = false;
  while (lines.Next(line)) {
    line = TrimBlanks(line);
    if (line == msg::scanner::kScanningHorizontal) {
      vertical = false;
    } else if (line == msg::scanner::kScanningVertical) {
      vertical = true;
    } else if (line.ends_with(kNoLockEnd)) {
      ++text.noLock;
    } else if (const size_t at = line.find(kLockAt); at != std::string_view::npos) {
      if (const std::optional<LockedCarrier> carrier =
              ReadLock(line.substr(at + kLockAt.size()), vertical)) {
        text.carriers.push_back(*carrier);
      }
    }
  }
  return text;
}

std::vector<SearchTransponder> TranspondersFromRows(std::span<const ChannelRecord> records,
                                                    std::span<const int> rows) {
  std::vector<SearchTransponder> transponders;
  for (const int row : rows) {
    if (row < 0 || static_cast<size_t>(row) >= records.size()) continue;
    const ChannelRecord& record = records[static_cast<size_t>(row)];
    if (record.frequency == 0) continue;  // a title row
    SearchTransponder transponder;
    transponder.frequencyMhz = record.frequency;
    transponder.symbolRateKs = record.symbolRate;
    transponder.fecCode = record.fecCode;
    transponder.vertical = (record.polarity & 1) != 0;
    transponders.push_back(transponder);
  }
  return transponders;
}

}  // namespace pelorus
