#include "channels/channel_dialog_model.h"

#include "channels/channel_name.h"
#include "channels/number_scan.h"
#include "common/strfmt.h"

namespace pelorus {
namespace {

constexpr uint8_t kNtscBits = 0x03;
constexpr uint8_t kTwelveVoltBit = 0x10;
constexpr int kAudioModeShift = 6;
constexpr uint8_t kAutoPmtBit = 0x01;
constexpr uint8_t kAutoPidBit = 0x02;

std::string Decimal(int value) { return Format("%d", value); }

// Low 16 bits of a decimal field; the field keeps its value when the text holds no number.
void ReadDecimal16(const std::string& text, uint16_t& field) {
  int32_t value = 0;
  if (ScanDecimal(text, value)) field = static_cast<uint16_t>(value);
}

void ReadDecimal8(const std::string& text, uint8_t& field) {
  int32_t value = 0;
  if (ScanDecimal(text, value)) field = static_cast<uint8_t>(value);
}

void ReadPid(const std::string& text, PidMode mode, uint16_t& field) {
  int32_t value = 0;
  if (ScanPid(text, mode == PidMode::kDecimal, value)) field = static_cast<uint16_t>(value);
}

}  // namespace

int ServiceTypeIndex(uint8_t serviceType) {
  if (serviceType >= 1 && serviceType <= 11) return serviceType;
  if (serviceType == 177) return 12;
  if (serviceType == 178) return 13;
  return 0;
}

uint8_t ServiceTypeOfIndex(int index) {
  if (index == 12) return 177;
  if (index == 13) return 178;
  // A list without a selection stores "Reserved" rather than whatever the index's bits say.
  return index >= 1 && index <= 11 ? static_cast<uint8_t>(index) : 0;
}

ChannelDialogFields ShowChannelFields(const ChannelRecord& record, PidMode mode) {
  ChannelDialogFields fields;
  fields.name = DecodeChannelName(record);
  fields.serviceId = Decimal(record.serviceId);
  fields.lockCode = Decimal(record.lockCode);
  fields.ntsc = (record.modeFlags & kNtscBits) != 0;
  fields.twelveVolt = (record.modeFlags & kTwelveVoltBit) != 0;
  fields.audioMode = record.modeFlags >> kAudioModeShift;
  fields.frequency = Decimal(record.frequency);
  fields.acqBandwidth = Decimal(record.acqBandwidth);
  fields.symbolRate = Decimal(record.symbolRate);
  for (const FecButton& button : kFecButtons) {
    if (button.code == record.fecCode) fields.fecCode = button.code;
  }
  fields.horizontal = record.polarity == 0;
  fields.videoPid = FormatPidForDisplay(record.videoPid, mode);
  fields.audioPid = FormatPidForDisplay(record.audioPid, mode);
  fields.pmtPid = FormatPidForDisplay(record.pmtPid, mode);
  fields.textPid = FormatPidForDisplay(record.textPid, mode);
  fields.pcrPid = FormatPidForDisplay(record.pcrPid, mode);
  fields.pmc = FormatPidForDisplay(record.pmc, mode);
  fields.tsId = FormatPidForDisplay(record.tsId, mode);
  fields.networkId = FormatPidForDisplay(record.networkId, mode);
  fields.scrambling = FormatPidForDisplay(record.scrambling, mode);
  fields.autoPmt = (record.autoFlags & kAutoPmtBit) != 0;
  fields.autoPid = (record.autoFlags & kAutoPidBit) != 0;
  fields.diseqcIndex = record.lnbSelect & 3;
  const int inversion = (record.lnbSelect >> 2) & 3;
  fields.inversionIndex = inversion < static_cast<int>(kInversionItems.size()) ? inversion : -1;
  fields.serviceTypeIndex = ServiceTypeIndex(record.serviceType);
  return fields;
}

void ReadChannelFields(const ChannelDialogFields& fields, PidMode mode, ChannelRecord& record) {
  EncodeChannelName(record, std::string_view(fields.name).substr(0, kChannelNameInputLimit));
  ReadDecimal16(fields.serviceId, record.serviceId);
  ReadDecimal8(fields.lockCode, record.lockCode);

  uint8_t modeFlags = fields.ntsc ? kNtscBits : 0;
  modeFlags |= static_cast<uint8_t>((fields.audioMode & 3) << kAudioModeShift);
  if (fields.twelveVolt) modeFlags |= kTwelveVoltBit;
  record.modeFlags = modeFlags;

  ReadDecimal16(fields.frequency, record.frequency);
  ReadDecimal8(fields.acqBandwidth, record.acqBandwidth);
  ReadDecimal16(fields.symbolRate, record.symbolRate);
  if (fields.fecCode) record.fecCode = *fields.fecCode;
  record.polarity = fields.horizontal ? 0 : 1;

  ReadPid(fields.videoPid, mode, record.videoPid);
  ReadPid(fields.audioPid, mode, record.audioPid);
  ReadPid(fields.pmtPid, mode, record.pmtPid);
  ReadPid(fields.textPid, mode, record.textPid);
  ReadPid(fields.pcrPid, mode, record.pcrPid);
  ReadPid(fields.pmc, mode, record.pmc);

  record.lnbSelect =
      static_cast<uint8_t>((fields.diseqcIndex & 3) | ((fields.inversionIndex & 3) << 2));
  record.serviceType = ServiceTypeOfIndex(fields.serviceTypeIndex);

  ReadPid(fields.tsId, mode, record.tsId);
  ReadPid(fields.networkId, mode, record.networkId);
  ReadPid(fields.scrambling, mode, record.scrambling);

  uint8_t autoFlags = record.autoFlags & static_cast<uint8_t>(~(kAutoPmtBit | kAutoPidBit));
  if (fields.autoPmt) autoFlags |= kAutoPmtBit;
  if (fields.autoPid) autoFlags |= kAutoPidBit;
  record.autoFlags = autoFlags;
  record.tag = kChannelTag;
}

}  // namespace pelorus
