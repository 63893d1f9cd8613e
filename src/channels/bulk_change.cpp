#include "channels/bulk_change.h"

#include <algorithm>
#include <vector>

#include "channels/messages.h"
#include "channels/selection.h"
#include "common/command_ids.h"

namespace pelorus {
namespace {

using namespace cmd;

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
  const std::vector<int> rows = ValidRows(selection, state.ChannelCount());
  BusyScope busy(ui);
  std::vector<ChannelRecord>& records = *state.settingsImage;
  after.rows.clear();
  for (const int row : rows) {
    ApplyParameterToRecord(command, value, records[static_cast<size_t>(row)]);
    after.rows.push_back(row);
    after.focusRow = row;
    state.settingsModified = true;
  }
  if (!after.rows.empty()) ui.RefillChannelList();
  return static_cast<int>(after.rows.size());
}

}  // namespace pelorus
