#include "si/si_describe.h"

#include "common/strfmt.h"
#include "common/ts_numbers.h"
#include "si/dvb_text.h"

namespace pelorus {
namespace {

std::string Decoded(const std::string& bytes) {
  return DecodeDvbText(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace

const char* DeliveryFecText(int fec) {
  switch (fec) {
    case 1:
      return "1/2";
    case 2:
      return "2/3";
    case 3:
      return "3/4";
    case 4:
      return "5/6";
    case 5:
      return "7/8";
    case 15:
      return "None";
    default:
      return "Unknown";
  }
}

DeliveryTexts DescribeDelivery(const DeliveryEntry& entry) {
  static constexpr const char* kPolarisations[] = {"H", "V", "LHCP", "RHCP"};
  DeliveryTexts texts;
  texts.list = Format("%d", entry.frequencyMhz);
  texts.frequency = Format("%.2f MHz", entry.frequency * 0.01);
  texts.orbit = Format("%.1f", entry.orbitalPosition * 0.1) + (entry.east ? " E" : " W");
  texts.polarisation = kPolarisations[entry.polarisation & 0x03];
  texts.symbolRate = Format("%.5f MSps", entry.symbolRate * 0.0001);
  texts.fec = DeliveryFecText(entry.fec);
  return texts;
}

NetworkTexts DescribeNetwork(const Nit& nit) {
  NetworkTexts texts;
  texts.networkId = Format("%04x", nit.networkId);
  texts.name = Decoded(nit.networkName);
  for (const DeliveryEntry& entry : nit.Deliveries()) {
    texts.deliveries.push_back(DescribeDelivery(entry));
  }
  return texts;
}

TransportStreamTexts DescribeTransportStream(const Pat& pat) {
  TransportStreamTexts texts;
  texts.transportStreamId = Format("%04x", pat.transportStreamId);
  for (const PatProgram& program : pat.programs) {
    texts.programs.push_back({Format("%d", program.programNumber), Format("%04x", program.pmtPid)});
  }
  return texts;
}

ProgramMapTexts DescribeProgramMap(const Pmt& pmt) {
  ProgramMapTexts texts;
  texts.pcrPid = Format("%04x", pmt.pcrPid);
  for (const PmtStream& stream : pmt.streams) {
    texts.streams.push_back({Format("%02x", stream.streamType), Format("%04x", stream.pid)});
  }
  return texts;
}

ServiceTexts DescribeService(const SdtService& service) {
  ServiceTexts texts;
  texts.serviceId = Format("%04x", service.serviceId);
  texts.type = Format("%02x", service.serviceType);
  texts.provider = Decoded(service.provider);
  texts.name = Decoded(service.name);
  texts.scrambled = service.Scrambled();
  return texts;
}

const char* StreamTypeName(uint8_t streamType) {
  namespace type = ts::stream_type;
  switch (streamType) {
    case type::kMpeg1Video:
      return "MPEG-1 video";
    case type::kMpeg2Video:
      return "MPEG-2 video";
    case type::kMpeg1Audio:
      return "MPEG-1 audio";
    case type::kMpeg2Audio:
      return "MPEG-2 audio";
    case type::kPrivateSections:
      return "private sections";
    case type::kPrivatePes:
      return "private data";
    case type::kAdtsAac:
      return "AAC audio";
    case type::kMpeg4Video:
      return "MPEG-4 video";
    case type::kLatmAac:
      return "AAC audio (LATM)";
    case type::kH264:
      return "H.264 video";
    case type::kH265:
      return "H.265 video";
    case type::kAc3:
      return "AC-3 audio";
    default:
      return "";
  }
}

}  // namespace pelorus
