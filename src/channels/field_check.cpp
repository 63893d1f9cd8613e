#include "channels/field_check.h"

namespace pelorus {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

bool IsDigit(char c, bool hexadecimal) {
  if (c >= '0' && c <= '9') return true;
  return hexadecimal && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

}  // namespace

bool IsWholeNumber(std::string_view text, bool hexadecimal) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  // As the scan, "0x" is a prefix only when a hexadecimal digit follows it.
  if (hexadecimal && i + 2 < text.size() && text[i] == '0' &&
      (text[i + 1] == 'x' || text[i + 1] == 'X') && IsDigit(text[i + 2], true)) {
    i += 2;
  }
  const size_t digits = i;
  while (i < text.size() && IsDigit(text[i], hexadecimal)) ++i;
  if (i == digits) return false;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return i == text.size();
}

std::vector<std::string> UnreadableChannelFields(const ChannelDialogFields& fields, PidMode mode) {
  const bool pidHex = mode != PidMode::kDecimal;
  const struct {
    const char* name;
    const std::string& text;
    bool hexadecimal;
  } kNumbers[] = {
      {"serviceId", fields.serviceId, false},
      {"lockCode", fields.lockCode, false},
      {"frequency", fields.frequency, false},
      {"acqBandwidth", fields.acqBandwidth, false},
      {"symbolRate", fields.symbolRate, false},
      {"videoPid", fields.videoPid, pidHex},
      {"audioPid", fields.audioPid, pidHex},
      {"pmtPid", fields.pmtPid, pidHex},
      {"textPid", fields.textPid, pidHex},
      {"pcrPid", fields.pcrPid, pidHex},
      {"pmc", fields.pmc, pidHex},
      {"tsId", fields.tsId, pidHex},
      {"networkId", fields.networkId, pidHex},
      {"scrambling", fields.scrambling, pidHex},
  };
  std::vector<std::string> unreadable;
  for (const auto& field : kNumbers) {
    if (!IsWholeNumber(field.text, field.hexadecimal)) unreadable.emplace_back(field.name);
  }
  return unreadable;
}

}  // namespace pelorus
