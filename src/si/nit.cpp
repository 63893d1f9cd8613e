#include "si/nit.h"

#include "common/byte_reader.h"
#include "common/ts_numbers.h"

namespace pelorus {

bool Nit::Actual() const { return tableId == ts::table::kNitActual; }

std::vector<DeliveryEntry> Nit::Deliveries() const {
  std::vector<DeliveryEntry> all;
  for (const NitTransportStream& stream : transportStreams) {
    all.insert(all.end(), stream.satellite.begin(), stream.satellite.end());
  }
  return all;
}

std::optional<Nit> Nit::Parse(const Section& section) {
  if ((section.tableId != ts::table::kNitActual && section.tableId != ts::table::kNitOther) ||
      !section.syntax) {
    return std::nullopt;
  }
  Nit nit;
  nit.tableId = section.tableId;
  nit.networkId = section.extension;
  nit.version = section.version;
  ByteReader reader(section.payload);
  ByteReader network = reader.Loop12();
  if (!network.Ok()) return std::nullopt;
  ForEachDescriptor(network.Rest(), [&](uint8_t tag, std::span<const uint8_t> body) {
    if (tag != ts::tag::kNetworkName) return;
    nit.networkName.assign(body.begin(), body.end());
    nit.hasName = true;
  });
  ByteReader streams = reader.Loop12();
  while (streams.Ok() && streams.Remaining() >= 6) {
    NitTransportStream stream;
    stream.transportStreamId = streams.U16();
    stream.originalNetworkId = streams.U16();
    const std::span<const uint8_t> descriptors = streams.Loop12().Rest();
    ForEachDescriptor(descriptors, [&](uint8_t tag, std::span<const uint8_t> body) {
      if (tag == ts::tag::kSatelliteDelivery) {
        stream.satellite.push_back(ParseDeliveryDescriptor(body));
      } else if (tag == ts::tag::kServiceList) {
        ParseServiceList(body, stream.services);
      }
    });
    nit.transportStreams.push_back(std::move(stream));
  }
  return nit;
}

void Nit::Append(const Nit& later) {
  if (later.hasName) {
    networkName = later.networkName;
    hasName = true;
  }
  transportStreams.insert(transportStreams.end(), later.transportStreams.begin(),
                          later.transportStreams.end());
}

}  // namespace pelorus
