// The program and network tables of the stand-in receiver's transport streams.
#include <algorithm>

#include "si_tables.h"

namespace sim {
namespace {

constexpr uint8_t kRunning = 4;
constexpr uint8_t kCaDescriptor = 0x09;

// Writes `digits` decimal digits of value as packed BCD, most significant first.
void PutBcd(std::vector<uint8_t>& out, int64_t value, int digits) {
  std::vector<uint8_t> nibbles(static_cast<size_t>(digits));
  for (int i = digits - 1; i >= 0; --i, value /= 10) nibbles[static_cast<size_t>(i)] = value % 10;
  for (size_t i = 0; i + 1 < nibbles.size(); i += 2) {
    out.push_back(static_cast<uint8_t>(nibbles[i] << 4 | nibbles[i + 1]));
  }
  if (digits % 2) out.push_back(static_cast<uint8_t>(nibbles.back() << 4));
}

std::vector<uint8_t> CaDescriptor(uint16_t pid) {
  std::vector<uint8_t> loop;
  PutDescriptor(loop, kCaDescriptor,
                {static_cast<uint8_t>(kCaSystemId >> 8), static_cast<uint8_t>(kCaSystemId),
                 static_cast<uint8_t>(0xE0 | pid >> 8), static_cast<uint8_t>(pid)});
  return loop;
}

uint16_t TsIdOf(int transponder) {
  return kTransponders[static_cast<size_t>(transponder)].transportStreamId;
}

}  // namespace

Section BuildPat(int transponder) {
  std::vector<uint8_t> body;
  Put16(body, 0);
  Put16(body, 0xE000 | kNitPid);
  for (int s = 0; s < ServiceCount(transponder); ++s) {
    const ServiceLayout service = ServiceAt(transponder, s);
    Put16(body, service.serviceId);
    Put16(body, 0xE000u | service.pids.pmt);
  }
  return LongSection(0x00, TsIdOf(transponder), 0, 0, 0, body);
}

Section BuildPmt(int transponder, int serviceIndex) {
  const ServiceLayout service = ServiceAt(transponder, serviceIndex);
  std::vector<uint8_t> body;
  Put16(body, 0xE000u | service.pids.pcr);
  PutLoop(body, service.pids.ecm != 0 ? CaDescriptor(service.pids.ecm) : std::vector<uint8_t>{});
  auto stream = [&](uint8_t type, uint16_t pid, const std::vector<uint8_t>& descriptors) {
    body.push_back(type);
    Put16(body, 0xE000u | pid);
    PutLoop(body, descriptors);
  };
  if (service.pids.video != 0) stream(service.videoStreamType, service.pids.video, {});
  if (service.pids.audio != 0) {
    std::vector<uint8_t> language;
    PutDescriptor(language, 0x0A, {'i', 't', 'a', 0});
    stream(0x03, service.pids.audio, language);
  }
  if (service.pids.ac3 != 0) {
    std::vector<uint8_t> ac3;
    PutDescriptor(ac3, 0x6A, {0x00});  // AC-3 descriptor, no optional fields
    PutDescriptor(ac3, 0x0A, {'e', 'n', 'g', 0});
    stream(0x06, service.pids.ac3, ac3);
  }
  if (service.pids.data != 0) {
    // Private sections; the stream identifier descriptor names the component.
    std::vector<uint8_t> data;
    PutDescriptor(data, 0x52, {0x01});
    stream(0x05, service.pids.data, data);
  }
  return LongSection(0x02, service.serviceId, 0, 0, 0, body);
}

bool HasConditionalAccess(int transponder) {
  for (int s = 0; s < ServiceCount(transponder); ++s) {
    if (ServiceAt(transponder, s).scrambled) return true;
  }
  return false;
}

Section BuildCat(int transponder) {
  (void)transponder;  // one CA system on the whole satellite
  return LongSection(0x01, 0xFFFF, 0, 0, 0, CaDescriptor(kEmmPid));
}

Section BuildNit(int network, bool actual) {
  const Network& net = kNetworks[static_cast<size_t>(network)];
  std::vector<uint8_t> body;
  std::vector<uint8_t> networkDescriptors;
  PutDescriptor(networkDescriptors, 0x40, {net.name.begin(), net.name.end()});
  PutLoop(body, networkDescriptors);
  std::vector<uint8_t> streams;
  for (size_t t = 0; t < kTransponders.size(); ++t) {
    const Transponder& ts = kTransponders[t];
    if (ts.network != network) continue;
    Put16(streams, ts.transportStreamId);
    Put16(streams, net.networkId);
    std::vector<uint8_t> descriptors;
    std::vector<uint8_t> delivery;
    PutBcd(delivery, int64_t{ts.frequencyMhz} * 100, 8);  // units of 10 kHz
    PutBcd(delivery, ts.orbitalTenths, 4);
    // west_east, polarisation, roll-off 0, DVB-S, QPSK.
    delivery.push_back(static_cast<uint8_t>((ts.east ? 0x80 : 0) | (ts.vertical ? 0x20 : 0) | 1));
    PutBcd(delivery, int64_t{ts.symbolRateKs} * 10, 7);  // units of 100 symbols/s
    delivery.back() = static_cast<uint8_t>(delivery.back() | ts.fecInner);
    PutDescriptor(descriptors, 0x43, delivery);
    std::vector<uint8_t> services;
    for (int s = 0; s < ServiceCount(static_cast<int>(t)); ++s) {
      const ServiceLayout service = ServiceAt(static_cast<int>(t), s);
      Put16(services, service.serviceId);
      services.push_back(service.serviceType);
    }
    PutDescriptor(descriptors, 0x41, services);
    PutLoop(streams, descriptors);
  }
  PutLoop(body, streams);
  return LongSection(actual ? 0x40 : 0x41, net.networkId, 0, 0, 0, body);
}

std::vector<Section> BuildSdt(int transponder) {
  const int count = ServiceCount(transponder);
  const int split = SdtSplit(transponder);
  const uint8_t last = split < count ? 1 : 0;
  std::vector<Section> sections;
  for (uint8_t number = 0; number <= last; ++number) {
    std::vector<uint8_t> body;
    Put16(body, NetworkOf(transponder).networkId);
    body.push_back(0xFF);
    for (int s = number == 0 ? 0 : split; s < (number == 0 ? split : count); ++s) {
      const ServiceLayout service = ServiceAt(transponder, s);
      Put16(body, service.serviceId);
      // EIT schedule and present/following flags.
      body.push_back(service.hasEvents ? 0xFF : 0xFC);
      std::vector<uint8_t> descriptor = {service.serviceType,
                                         static_cast<uint8_t>(service.provider.size())};
      PutText(descriptor, service.provider);
      descriptor.push_back(static_cast<uint8_t>(service.name.size()));
      PutText(descriptor, service.name);
      std::vector<uint8_t> loop;
      PutDescriptor(loop, 0x48, descriptor);
      if (service.scrambled) {
        // CA identifier: the system a receiver needs to show it.
        PutDescriptor(loop, 0x53,
                      {static_cast<uint8_t>(kCaSystemId >> 8), static_cast<uint8_t>(kCaSystemId)});
      }
      Put16(body, static_cast<uint32_t>(kRunning) << 13 | (service.scrambled ? 0x1000u : 0u) |
                      static_cast<uint32_t>(loop.size()));
      body.insert(body.end(), loop.begin(), loop.end());
    }
    sections.push_back(LongSection(0x42, TsIdOf(transponder), 0, number, last, body));
  }
  return sections;
}

}  // namespace sim
