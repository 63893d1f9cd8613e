#include "si/ts_file_listing.h"

#include "common/strfmt.h"

namespace pelorus {

std::vector<PidTexts> DescribePids(const TsFileAnalysis& analysis) {
  std::vector<PidTexts> rows;
  rows.reserve(analysis.pids.size());
  for (const auto& [pid, usage] : analysis.pids) {
    PidTexts texts;
    texts.pid = Format("%04x", pid);
    texts.packets = Format("%llu", static_cast<unsigned long long>(usage.packets));
    const std::optional<double> kbps = analysis.PidKbps(pid);
    texts.kbps = kbps ? Format("%.1f", *kbps) : "-";
    texts.content = analysis.PidContent(pid);
    texts.pcr = usage.pcr;
    texts.scrambled = usage.scrambled;
    rows.push_back(std::move(texts));
  }
  return rows;
}

std::vector<ServiceTexts> DescribeServices(const TsFileAnalysis& analysis) {
  std::vector<ServiceTexts> services;
  if (!analysis.sdt) return services;
  for (const SdtService& service : analysis.sdt->services) {
    ServiceTexts texts = DescribeService(service);
    texts.scrambled = analysis.ServiceScrambled(service);
    services.push_back(std::move(texts));
  }
  return services;
}

SiListing ListSi(const TsFileAnalysis& analysis) {
  SiListing listing;
  std::vector<std::string>& lines = listing.lines;
  if (analysis.nit) {
    const NetworkTexts network = DescribeNetwork(*analysis.nit);
    lines.push_back(Format("network\t%s\t%s", network.networkId.c_str(), network.name.c_str()));
    for (const DeliveryTexts& texts : network.deliveries) {
      lines.push_back(Format("delivery\t%s\t%s\t%s\t%s\t%s\t%s", texts.list.c_str(),
                             texts.frequency.c_str(), texts.orbit.c_str(),
                             texts.polarisation.c_str(), texts.symbolRate.c_str(),
                             texts.fec.c_str()));
    }
  } else {
    listing.nitMissing = true;
  }
  if (analysis.pat) {
    const TransportStreamTexts multiplex = DescribeTransportStream(*analysis.pat);
    lines.push_back(Format("transport_stream\t%s", multiplex.transportStreamId.c_str()));
    for (size_t i = 0; i < analysis.pat->programs.size(); ++i) {
      const ProgramTexts& program = multiplex.programs[i];
      lines.push_back(Format("program\t%s\t%s", program.number.c_str(), program.pmtPid.c_str()));
      const Pmt* pmt = analysis.ProgramMap(analysis.pat->programs[i].programNumber);
      if (pmt == nullptr) {
        ++listing.pmtsMissing;
        continue;
      }
      const ProgramMapTexts map = DescribeProgramMap(*pmt);
      lines.push_back(Format("pcr\t%s", map.pcrPid.c_str()));
      for (const StreamTexts& stream : map.streams) {
        lines.push_back(Format("stream\t%s\t%s", stream.type.c_str(), stream.pid.c_str()));
      }
    }
  } else {
    listing.patMissing = true;
  }
  for (const ServiceTexts& service : DescribeServices(analysis)) {
    std::string line = Format("service\t%s\t%s\t%s\t%s", service.serviceId.c_str(),
                              service.type.c_str(), service.provider.c_str(), service.name.c_str());
    if (service.scrambled) line += "\tscrambled";
    lines.push_back(std::move(line));
  }
  return listing;
}

std::string PidLine(const PidTexts& texts) {
  std::string line =
      Format("%s\t%s\t%s\t%s", texts.pid.c_str(), texts.packets.c_str(), texts.kbps.c_str(),
             texts.content.empty() ? "-" : texts.content.c_str());
  if (texts.scrambled) line += "\tscrambled";
  return line;
}

}  // namespace pelorus
