#include "service_scan/service_records.h"

#include <algorithm>

#include "channels/record_name_text.h"
#include "common/strfmt.h"
#include "common/ts_numbers.h"
#include "service_scan/messages.h"
#include "si/dvb_text.h"

namespace pelorus {
namespace {

namespace st = ts::stream_type;

constexpr uint8_t kDigitalTelevision = 0x01;
constexpr uint8_t kDigitalRadio = 0x02;
constexpr uint8_t kDataBroadcast = 0x0C;

bool IsMpegVideo(uint8_t type) { return type == st::kMpeg1Video || type == st::kMpeg2Video; }
bool IsMpegAudio(uint8_t type) { return type == st::kMpeg1Audio || type == st::kMpeg2Audio; }
bool IsAc3(const PmtStream& stream) {
  return stream.streamType == st::kAc3 || (stream.streamType == st::kPrivatePes && stream.ac3);
}

SkipKind VideoKind(uint8_t type) {
  if (type == st::kH264) return SkipKind::kH264;
  if (type == st::kH265) return SkipKind::kHevc;
  if (type == st::kMpeg4Video) return SkipKind::kMpeg4;
  return SkipKind::kNone;
}

const SdtService* FindService(const std::optional<Sdt>& sdt, uint16_t serviceId) {
  if (!sdt) return nullptr;
  for (const SdtService& service : sdt->services) {
    if (service.serviceId == serviceId) return &service;
  }
  return nullptr;
}

bool HasName(const SdtService* sdt) {
  return sdt != nullptr && sdt->hasServiceDescriptor && !sdt->name.empty();
}

// The original network of a transport stream whose SDT did not come: its NIT entry's, if any.
uint16_t NetworkOf(const TransponderTables& tables, uint16_t transportStreamId) {
  if (tables.sdt) return tables.sdt->originalNetworkId;
  if (tables.nitActual) {
    for (const NitTransportStream& stream : tables.nitActual->transportStreams) {
      if (stream.transportStreamId == transportStreamId) return stream.originalNetworkId;
    }
  }
  return 0;
}

}  // namespace

const char* SkipKindText(SkipKind kind) {
  switch (kind) {
    case SkipKind::kH264:
      return msg::search::kSkipH264;
    case SkipKind::kHevc:
      return msg::search::kSkipHevc;
    case SkipKind::kMpeg4:
      return msg::search::kSkipMpeg4;
    case SkipKind::kAac:
      return msg::search::kSkipAac;
    case SkipKind::kData:
      return msg::search::kSkipData;
    case SkipKind::kNoStreams:
      return msg::search::kSkipNoStreams;
    case SkipKind::kNoPmt:
      return msg::search::kSkipNoPmt;
    case SkipKind::kNone:
      break;
  }
  return "";
}

void SkipCounts::Add(const SkipCounts& other) {
  for (size_t i = 0; i < kSkipKindCount; ++i) counts[i] += other.counts[i];
}

int SkipCounts::Total() const {
  int total = 0;
  for (size_t i = 1; i < kSkipKindCount; ++i) total += counts[i];
  return total;
}

std::string SkipCounts::KindsText() const {
  std::string text;
  for (size_t i = 1; i < kSkipKindCount; ++i) {
    if (counts[i] == 0) continue;
    if (!text.empty()) text += ", ";
    text += SkipKindText(static_cast<SkipKind>(i));
  }
  return text;
}

std::string SkipCounts::CountsText() const {
  std::string text;
  for (size_t i = 1; i < kSkipKindCount; ++i) {
    if (counts[i] == 0) continue;
    if (!text.empty()) text += ", ";
    text += Format(msg::search::kSkippedCount, counts[i], SkipKindText(static_cast<SkipKind>(i)));
  }
  return text;
}

SkipKind ServiceSkipKind(const Pmt& pmt) {
  SkipKind video = SkipKind::kNone;
  bool sound = false;
  bool aac = false;
  for (const PmtStream& stream : pmt.streams) {
    if (IsMpegVideo(stream.streamType)) return SkipKind::kNone;
    if (video == SkipKind::kNone) video = VideoKind(stream.streamType);
    sound |= IsMpegAudio(stream.streamType) || IsAc3(stream);
    aac |= stream.streamType == st::kAdtsAac || stream.streamType == st::kLatmAac;
  }
  if (video != SkipKind::kNone) return video;
  if (sound) return SkipKind::kNone;
  if (aac) return SkipKind::kAac;
  return pmt.streams.empty() ? SkipKind::kNoStreams : SkipKind::kData;
}

RecordStreams StreamsOf(const Pmt& pmt) {
  RecordStreams streams;
  uint16_t ac3 = kNoPid;
  for (const PmtStream& stream : pmt.streams) {
    const uint16_t pid = stream.pid & kPidMask;
    if (streams.video == kNoPid && IsMpegVideo(stream.streamType)) streams.video = pid;
    if (streams.audio == kNoPid && IsMpegAudio(stream.streamType)) streams.audio = pid;
    if (ac3 == kNoPid && IsAc3(stream)) ac3 = pid;
    if (streams.text == kNoPid && stream.teletext) streams.text = pid;
  }
  if (streams.audio == kNoPid) streams.audio = ac3;
  streams.pcr = pmt.pcrPid & kPidMask;
  return streams;
}

ChannelRecord ServiceRecord(const ChannelTuning& tuning, const PatProgram& program,
                            uint16_t transportStreamId, uint16_t originalNetworkId, const Pmt& pmt,
                            const SdtService* sdt) {
  const SearchTransponder& transponder = tuning.transponder;
  ChannelRecord record{};
  record.tag = kChannelTag;
  std::string name;
  if (HasName(sdt)) {
    const std::string decoded = DecodeDvbText(sdt->name, DvbTextControls::kKept);
    name = RecordNameFromUnicode(DecodeUtf8OrLatin1(decoded));
  }
  if (name.empty()) name = Format(msg::search::kUnnamedService, program.programNumber);
  StoreRecordName(record, name);
  record.serviceId = program.programNumber;
  record.pmtPid = program.pmtPid & kPidMask;
  record.frequency = static_cast<uint16_t>(std::clamp(transponder.frequencyMhz, 0, 0xFFFF));
  record.symbolRate = static_cast<uint16_t>(std::clamp(transponder.symbolRateKs, 0, 0xFFFF));
  record.fecCode = transponder.fecCode;
  // The band scanner's rule for a channel it adds: the symbol rate in MS/s, rounded.
  record.acqBandwidth = static_cast<uint8_t>(std::min((record.symbolRate + 500) / 1000, 0xFF));
  record.polarity = transponder.vertical ? 1 : 0;
  // DiSEqC port in bits 0-1, inversion (bits 2-3) Auto.
  record.lnbSelect = static_cast<uint8_t>((std::clamp(tuning.diseqcPort, 1, 4) - 1) & 0x03);
  const RecordStreams streams = StreamsOf(pmt);
  record.videoPid = streams.video;
  record.audioPid = streams.audio;
  record.pcrPid = streams.pcr;
  record.textPid = streams.text;
  record.tsId = transportStreamId;
  record.networkId = originalNetworkId;
  if (sdt != nullptr && sdt->hasServiceDescriptor) {
    record.serviceType = sdt->serviceType;
  } else {
    record.serviceType = streams.video != kNoPid   ? kDigitalTelevision
                         : streams.audio != kNoPid ? kDigitalRadio
                                                   : kDataBroadcast;
  }
  record.modeFlags = 0;  // PAL, normal audio, 12 V off
  record.autoFlags = 0;
  return record;
}

std::vector<FoundService> ServicesOf(const TransponderTables& tables, const ChannelTuning& tuning,
                                     std::optional<int> orbital, bool all) {
  std::vector<FoundService> found;
  if (!tables.pat) return found;
  const uint16_t transportStreamId = tables.pat->transportStreamId;
  const uint16_t network = NetworkOf(tables, transportStreamId);
  for (const PatProgram& program : tables.pat->programs) {
    FoundService service;
    service.serviceId = program.programNumber;
    service.orbital = orbital;
    const SdtService* sdt = FindService(tables.sdt, program.programNumber);
    service.name = HasName(sdt) ? DecodeDvbText(sdt->name)
                                : Format(msg::search::kUnnamedService, program.programNumber);
    const auto pmt = tables.pmts.find(program.programNumber);
    if (pmt == tables.pmts.end()) {
      service.skipped = SkipKind::kNoPmt;
    } else {
      service.skipped = all ? SkipKind::kNone : ServiceSkipKind(pmt->second);
      if (service.skipped == SkipKind::kNone) {
        service.record =
            ServiceRecord(tuning, program, transportStreamId, network, pmt->second, sdt);
      }
    }
    found.push_back(std::move(service));
  }
  return found;
}

}  // namespace pelorus
