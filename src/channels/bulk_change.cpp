#include "channels/bulk_change.h"

#include <algorithm>
#include <vector>

#include "channels/messages.h"

namespace pelorus {
namespace {

constexpr int kNtsc = 40019;
constexpr int kPal = 40020;
constexpr int k12vOff = 40021;
constexpr int k12vOn = 40022;
constexpr int kInversionOff = 40032;
constexpr int kInversionOn = 40033;
constexpr int kInversionAuto = 40034;
constexpr int kDiseqc1 = 40035;
constexpr int kDiseqc4 = 40038;
constexpr int kHorizontal = 40041;
constexpr int kVertical = 40042;
constexpr int kServiceTypeFirst = 40068;
constexpr int kServiceTypeLast = 40077;
constexpr int kSymbolRate = 40085;
constexpr int kBandwidth = 40087;
constexpr int kFecAuto = 40088;
constexpr int kFec12 = 40089;
constexpr int kFec23 = 40090;
constexpr int kFec34 = 40091;
constexpr int kFec56 = 40092;
constexpr int kFec78 = 40093;
constexpr int kFec11 = 40094;
constexpr int kAutoPmtOn = 40095;
constexpr int kAutoPmtOff = 40096;
constexpr int kAutoPidOn = 40097;
constexpr int kAutoPidOff = 40098;

uint8_t WithBits(uint8_t byte, uint8_t mask, uint8_t bits) {
  return static_cast<uint8_t>((byte & ~mask) | (bits & mask));
}

}  // namespace

bool IsBulkParameterCommand(int command) {
  ChannelRecord scratch{};
  return ApplyParameterToRecord(command, 0, scratch);
}

const char* ParameterPrompt(int command) {
  if (command == kSymbolRate) return msg::kSymbolRatePrompt;
  if (command == kBandwidth) return msg::kBandwidthPrompt;
  return nullptr;
}

bool ApplyParameterToRecord(int command, int value, ChannelRecord& record) {
  if (command >= kDiseqc1 && command <= kDiseqc4) {
    record.lnbSelect = WithBits(record.lnbSelect, 0x03, static_cast<uint8_t>(command - kDiseqc1));
    return true;
  }
  if (command >= kServiceTypeFirst && command <= kServiceTypeLast) {
    record.serviceType = static_cast<uint8_t>(command - kServiceTypeFirst + 1);
    return true;
  }
  switch (command) {
    case kNtsc:
      record.modeFlags |= 0x03;
      return true;
    case kPal:
      record.modeFlags &= static_cast<uint8_t>(~0x03);
      return true;
    case k12vOff:
      record.modeFlags &= static_cast<uint8_t>(~0x10);
      return true;
    case k12vOn:
      record.modeFlags |= 0x10;
      return true;
    case kInversionAuto:
      record.lnbSelect = WithBits(record.lnbSelect, 0x0C, 0x00);
      return true;
    case kInversionOff:
      record.lnbSelect = WithBits(record.lnbSelect, 0x0C, 0x04);
      return true;
    case kInversionOn:
      record.lnbSelect = WithBits(record.lnbSelect, 0x0C, 0x08);
      return true;
    case kHorizontal:
      record.polarity = 0;
      return true;
    case kVertical:
      record.polarity = 1;
      return true;
    case kSymbolRate:
      record.symbolRate = static_cast<uint16_t>(value);
      return true;
    case kBandwidth:
      record.acqBandwidth = static_cast<uint8_t>(value);
      return true;
    case kFecAuto:
      record.fecCode = 0;
      return true;
    case kFec11:
      record.fecCode = 1;
      return true;
    case kFec12:
      record.fecCode = 2;
      return true;
    case kFec23:
      record.fecCode = 3;
      return true;
    case kFec34:
      record.fecCode = 4;
      return true;
    case kFec56:
      record.fecCode = 6;
      return true;
    case kFec78:
      record.fecCode = 7;
      return true;
    case kAutoPmtOn:
      record.autoFlags |= 0x01;
      return true;
    case kAutoPmtOff:
      record.autoFlags &= static_cast<uint8_t>(~0x01);
      return true;
    case kAutoPidOn:
      record.autoFlags |= 0x02;
      return true;
    case kAutoPidOff:
      record.autoFlags &= static_cast<uint8_t>(~0x02);
      return true;
    default:
      return false;
  }
}

std::optional<int> ParseParameterText(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  const size_t digits = i;
  // Unsigned wrap keeps the low bits that the fields store, without overflow.
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  }
  if (i == digits) return std::nullopt;
  return static_cast<int>(negative ? 0u - value : value);
}

int ApplyBulkParameter(EditorState& state, Ui& ui, int command, std::span<const int> selection,
                       const ParameterAsker& ask, SelectionAfter& after) {
  if (!state.HasSettings() || !IsBulkParameterCommand(command)) return 0;
  int value = 0;
  if (const char* prompt = ParameterPrompt(command)) {
    const std::optional<int> asked = ask(prompt);
    // A typed -1 cancels as well: that is how the dialog has always reported its close box.
    if (!asked || *asked == -1) return 0;
    value = *asked;
  }
  std::vector<int> rows(selection.begin(), selection.end());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  BusyScope busy(ui);
  std::vector<ChannelRecord>& records = *state.settingsImage;
  after.rows.clear();
  for (int row : rows) {
    if (row < 0 || row >= state.ChannelCount()) continue;
    ApplyParameterToRecord(command, value, records[static_cast<size_t>(row)]);
    after.rows.push_back(row);
    after.focusRow = row;
    state.settingsModified = true;
  }
  if (!after.rows.empty()) ui.RefillChannelList();
  return static_cast<int>(after.rows.size());
}

}  // namespace pelorus
