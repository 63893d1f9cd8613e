#include "si/sdt.h"

#include "common/byte_reader.h"
#include "common/ts_numbers.h"

namespace pelorus {
namespace {

void ParseServiceDescriptor(std::span<const uint8_t> body, SdtService& service) {
  ByteReader reader(body);
  service.serviceType = reader.U8();
  const std::span<const uint8_t> provider = reader.Loop8().Rest();
  const std::span<const uint8_t> name = reader.Loop8().Rest();
  service.provider.assign(provider.begin(), provider.end());
  service.name.assign(name.begin(), name.end());
  service.hasServiceDescriptor = true;
}

SdtService ParseService(ByteReader& loop) {
  SdtService service;
  service.serviceId = loop.U16();
  loop.ReadBits(6);  // reserved_future_use
  service.eitSchedule = loop.Flag();
  service.eitPresentFollowing = loop.Flag();
  service.runningStatus = static_cast<uint8_t>(loop.ReadBits(3));
  service.freeCaMode = loop.Flag();
  const std::span<const uint8_t> descriptors = loop.Sub(loop.ReadBits(12)).Rest();
  ForEachDescriptor(descriptors, [&](uint8_t tag, std::span<const uint8_t> body) {
    if (tag == ts::tag::kService) {
      ParseServiceDescriptor(body, service);
    } else if (tag == ts::tag::kCaIdentifier) {
      ByteReader systems(body);
      while (systems.Remaining() >= 2) service.caSystems.push_back(systems.U16());
    }
  });
  return service;
}

}  // namespace

bool Sdt::Actual() const { return tableId == ts::table::kSdtActual; }

std::optional<Sdt> Sdt::Parse(const Section& section) {
  if ((section.tableId != ts::table::kSdtActual && section.tableId != ts::table::kSdtOther) ||
      !section.syntax) {
    return std::nullopt;
  }
  Sdt sdt;
  sdt.tableId = section.tableId;
  sdt.transportStreamId = section.extension;
  sdt.version = section.version;
  ByteReader reader(section.payload);
  sdt.originalNetworkId = reader.U16();
  reader.Skip(1);  // reserved_future_use
  if (!reader.Ok()) return std::nullopt;
  while (reader.Ok() && reader.Remaining() >= 5) sdt.services.push_back(ParseService(reader));
  return sdt;
}

void Sdt::Append(const Sdt& later) {
  services.insert(services.end(), later.services.begin(), later.services.end());
}

std::optional<Bat> Bat::Parse(const Section& section) {
  if (section.tableId != ts::table::kBat || !section.syntax) return std::nullopt;
  Bat bat;
  bat.bouquetId = section.extension;
  bat.version = section.version;
  ByteReader reader(section.payload);
  ByteReader bouquet = reader.Loop12();
  if (!bouquet.Ok()) return std::nullopt;
  ForEachDescriptor(bouquet.Rest(), [&](uint8_t tag, std::span<const uint8_t> body) {
    if (tag != ts::tag::kBouquetName) return;
    bat.bouquetName.assign(body.begin(), body.end());
    bat.hasName = true;
  });
  ByteReader streams = reader.Loop12();
  while (streams.Ok() && streams.Remaining() >= 6) {
    BatTransportStream stream;
    stream.transportStreamId = streams.U16();
    stream.originalNetworkId = streams.U16();
    ForEachDescriptor(streams.Loop12().Rest(), [&](uint8_t tag, std::span<const uint8_t> body) {
      if (tag == ts::tag::kServiceList) ParseServiceList(body, stream.services);
    });
    bat.transportStreams.push_back(std::move(stream));
  }
  return bat;
}

void Bat::Append(const Bat& later) {
  if (later.hasName) {
    bouquetName = later.bouquetName;
    hasName = true;
  }
  transportStreams.insert(transportStreams.end(), later.transportStreams.begin(),
                          later.transportStreams.end());
}

}  // namespace pelorus
