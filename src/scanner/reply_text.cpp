#include "scanner/reply_text.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "common/byte_reader.h"
#include "common/strfmt.h"
#include "scanner/messages.h"

namespace pelorus {
namespace {

bool IsDigit(uint8_t byte) { return byte >= '0' && byte <= '9'; }

}  // namespace

std::vector<int32_t> ParseIntegerList(std::span<const uint8_t> text, size_t maxCount) {
  std::vector<int32_t> values;
  ByteReader reader(text);
  // The next byte without taking it; 0 at the end.
  const auto peek = [&reader, text] {
    return reader.Remaining() > 0 ? text[reader.Position()] : uint8_t{0};
  };
  while (values.size() < maxCount) {
    if (!values.empty()) {
      if (peek() != ',') break;
      reader.Skip(1);
    }
    while (peek() == ' ' || peek() == '\t') reader.Skip(1);
    bool negative = false;
    if (peek() == '-' || peek() == '+') negative = reader.U8() == '-';
    if (!IsDigit(peek())) break;
    int64_t value = 0;
    bool overflow = false;
    while (IsDigit(peek())) {
      value = value * 10 + (reader.U8() - '0');
      if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) {
        overflow = true;
        value = 0;
      }
    }
    if (negative) value = -value;
    if (overflow || value > std::numeric_limits<int32_t>::max()) break;
    values.push_back(static_cast<int32_t>(value));
  }
  return values;
}

std::vector<int32_t> ParseIntegerList(std::string_view text, size_t maxCount) {
  return ParseIntegerList(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
                          maxCount);
}

std::optional<ScanPoint> ParseSweepLine(std::string_view line) {
  const std::vector<int32_t> values = ParseIntegerList(line, 2);
  if (values.size() != 2) return std::nullopt;
  return ScanPoint{values[0], values[1]};
}

std::optional<LockReply> ParseLockReply(std::string_view line) {
  const std::vector<int32_t> values = ParseIntegerList(line, 6);
  if (values.size() < 5) return std::nullopt;
  LockReply reply;
  reply.lockIf = values[0];
  reply.wholeMsps = values[1];
  reply.fraction = values[2];
  reply.fecCode = values[3];
  reply.signal = values[4];
  reply.inversion = values.size() > 5 ? values[5] : 0;
  return reply;
}

int SymbolRateKsps(const LockReply& reply) {
  const double ksps = (reply.wholeMsps + reply.fraction / 65535.0) * 1000.0;
  // A receiver's nonsense must not overflow the conversion.
  return static_cast<int>(std::clamp(ksps, -1.0e9, 1.0e9));
}

std::string FecText(int fecCode) {
  switch (fecCode) {
    case 2:
      return "1/2";
    case 3:
      return "2/3";
    case 4:
      return "3/4";
    case 5:
      return "4/5";
    case 6:
      return "5/6";
    case 7:
      return "7/8";
    default:
      return Format(msg::scanner::kUnknownFec, fecCode);
  }
}

std::string InversionText(int inversion) {
  if (inversion == 1) return msg::scanner::kInversionOff;
  if (inversion == 2) return msg::scanner::kInversionOn;
  return msg::scanner::kAutoInversion;
}

std::string LockResult::Line() const {
  if (!locked) return Format(msg::scanner::kNoLock, searchedMhz);
  return Format(msg::scanner::kLockLine, searchedMhz, lockMhz, symbolRateKsps,
                FecText(fecCode).c_str(), signal, InversionText(inversion).c_str());
}

LockResult LockResultFor(LnbType type, int searchedMhz, int oscillator,
                         const std::optional<LockReply>& reply) {
  LockResult result;
  result.searchedMhz = searchedMhz;
  if (!reply) return result;
  result.locked = true;
  result.lockMhz = LockFrequency(type, oscillator, reply->lockIf);
  result.symbolRateKsps = SymbolRateKsps(*reply);
  result.fecCode = reply->fecCode;
  result.signal = reply->signal;
  result.inversion = reply->inversion;
  return result;
}

ChannelRecord AutoSearchRecord(const LockResult& result, bool vertical) {
  ChannelRecord record;
  std::memset(&record, 0, sizeof record);
  record.tag = kChannelTag;
  // The record's fields are narrower than what a confused receiver may report: saturate
  // rather than wrap to some other frequency or rate.
  const auto fit16 = [](int value) { return static_cast<uint16_t>(std::clamp(value, 0, 65535)); };
  const auto fit8 = [](int value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); };
  record.frequency = fit16(result.lockMhz);
  record.symbolRate = fit16(result.symbolRateKsps);
  record.fecCode = fit8(result.fecCode);
  record.acqBandwidth = fit8((record.symbolRate + 500) / 1000);
  record.polarity = vertical ? 1 : 0;
  record.pmtPid = kNoPid;
  record.videoPid = kNoPid;
  record.audioPid = kNoPid;
  record.pcrPid = kNoPid;
  record.textPid = kNoPid;
  // "Auto-search", ten spaces, and zero bytes to the end of the name.
  std::string name = msg::scanner::kAutoSearchName;
  name.append(10, ' ');
  std::memcpy(record.name.data(), name.data(), std::min(name.size(), record.name.size()));
  return record;
}

}  // namespace pelorus
