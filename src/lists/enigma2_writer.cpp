#include <array>
#include <functional>
#include <unordered_map>
#include <vector>

#include "channels/record_name_text.h"
#include "common/strfmt.h"
#include "lists/list_writers.h"

namespace pelorus {
namespace {

// The database's FEC codes for the record's (Auto for 1/1 and the unnamed 5).
constexpr int kLamedbFec[8] = {0, 0, 1, 2, 3, 0, 4, 5};
constexpr uint32_t kVariantLimit = 0x10000;

struct TransponderParameters {
  int orbital = 0;
  uint16_t frequency = 0;
  uint16_t symbolRate = 0;
  uint8_t polarity = 0;
  uint8_t fec = 0;
  uint8_t inversion = 0;
  bool operator==(const TransponderParameters&) const = default;
};

// What the database keeps of a service, to tell one service named twice from two services that
// share their ids.
struct ServiceContent {
  std::array<uint8_t, kChannelNameSize> name{};
  uint8_t type = 0;
  uint16_t video = 0;
  uint16_t audio = 0;
  uint16_t pcr = 0;
  uint16_t text = 0;
  bool operator==(const ServiceContent&) const = default;
};

uint8_t ServiceType(const ChannelRecord& record) {
  if (record.serviceType != 0) return record.serviceType;
  return record.videoPid != kNoPid ? 1 : 2;  // a type left at 0 would read as a data service
}

ServiceContent ContentOf(const ChannelRecord& record) {
  return {record.name,     ServiceType(record), record.videoPid,
          record.audioPid, record.pcrPid,       record.textPid};
}

// A name on one line of its own: control characters would break the file.
std::string NameLine(const ChannelRecord& record) {
  std::string name = RecordNameToUtf8(record);
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = ' ';
  }
  return name;
}

uint64_t Packed(uint32_t dvbNamespace, uint16_t tsId, uint16_t originalNetworkId) {
  return (uint64_t{dvbNamespace} << 32) | (uint64_t{tsId} << 16) | originalNetworkId;
}

class Enigma2Builder {
 public:
  explicit Enigma2Builder(const DiseqcPorts& ports) : ports_(ports) {}

  // The reference of the record's service, adding its transponder and service as needed.
  std::string Add(const ChannelRecord& record) {
    TransponderParameters parameters;
    parameters.orbital = ExportOrbital(record, ports_);
    parameters.frequency = record.frequency;
    parameters.symbolRate = record.symbolRate;
    parameters.polarity = record.polarity & 1;
    parameters.fec = static_cast<uint8_t>(kLamedbFec[record.fecCode & 7]);
    const int inversion = (record.lnbSelect >> 2) & 3;
    parameters.inversion = static_cast<uint8_t>(inversion == 1 ? 0 : inversion == 2 ? 1 : 2);
    const int position = parameters.orbital >= 0 ? parameters.orbital : 3600 + parameters.orbital;
    const uint32_t base = static_cast<uint32_t>(position) << 16;
    const ServiceContent content = ContentOf(record);
    uint32_t dvbNamespace = base;
    for (uint32_t variant = 0; variant < kVariantLimit; ++variant) {
      dvbNamespace = base | Variant(variant, parameters);
      const uint64_t key = Packed(dvbNamespace, record.tsId, record.networkId);
      const auto transponder = transponders_.find(key);
      if (transponder == transponders_.end()) {
        AddTransponder(key, dvbNamespace, record, parameters);
        AddService(record, dvbNamespace, content);
        break;
      }
      if (!(transponder->second == parameters)) continue;
      const auto service = services_.find(ServiceKey(record.serviceId, key));
      if (service == services_.end()) {
        AddService(record, dvbNamespace, content);
        break;
      }
      if (service->second == content) break;  // the same service, named again
    }
    return Format("#SERVICE 1:0:%X:%X:%X:%X:%X:0:0:0:\n", ServiceType(record), record.serviceId,
                  record.tsId, record.networkId, dvbNamespace);
  }

  std::string Lamedb() const {
    return "eDVB services /4/\ntransponders\n" + transponderText_ + "end\nservices\n" +
           serviceText_ + "end\n";
  }

 private:
  // The lower half of the namespace tells apart transponders that share their ids: 0 first,
  // then frequency and polarisation, then the numbers after those.
  static uint32_t Variant(uint32_t variant, const TransponderParameters& parameters) {
    if (variant == 0) return 0;
    const uint32_t mark = (parameters.frequency & 0x7FFFu) | (uint32_t{parameters.polarity} << 15);
    return (mark + variant - 1) & 0xFFFFu;
  }
  static std::pair<uint16_t, uint64_t> ServiceKey(uint16_t serviceId, uint64_t transponder) {
    return {serviceId, transponder};
  }
  struct PairHash {
    size_t operator()(const std::pair<uint16_t, uint64_t>& key) const {
      return std::hash<uint64_t>()(key.second * 0x9E3779B97F4A7C15ull ^ key.first);
    }
  };

  void AddTransponder(uint64_t key, uint32_t dvbNamespace, const ChannelRecord& record,
                      const TransponderParameters& parameters) {
    transponders_.emplace(key, parameters);
    const int position = parameters.orbital >= 0 ? parameters.orbital : 3600 + parameters.orbital;
    transponderText_ +=
        Format("%08x:%04x:%04x\n\ts %u:%u:%d:%d:%d:%d:0\n/\n", dvbNamespace, record.tsId,
               record.networkId, parameters.frequency * 1000u, parameters.symbolRate * 1000u,
               parameters.polarity, parameters.fec, position, parameters.inversion);
  }

  void AddService(const ChannelRecord& record, uint32_t dvbNamespace,
                  const ServiceContent& content) {
    services_.emplace(
        ServiceKey(record.serviceId, Packed(dvbNamespace, record.tsId, record.networkId)), content);
    std::string data = "p:";
    const std::pair<int, uint16_t> cached[] = {
        {0, record.videoPid}, {1, record.audioPid}, {2, record.textPid}, {3, record.pcrPid}};
    for (const auto& [type, pid] : cached) {
      if (pid != kNoPid) data += Format(",c:%02d%04x", type, pid);
    }
    serviceText_ += Format("%04x:%08x:%04x:%04x:%d:0\n", record.serviceId, dvbNamespace,
                           record.tsId, record.networkId, ServiceType(record));
    serviceText_ += NameLine(record) + "\n" + data + "\n";
  }

  const DiseqcPorts& ports_;
  std::unordered_map<uint64_t, TransponderParameters> transponders_;
  std::unordered_map<std::pair<uint16_t, uint64_t>, ServiceContent, PairHash> services_;
  std::string transponderText_;
  std::string serviceText_;
};

}  // namespace

int ExportOrbital(const ChannelRecord& record, const DiseqcPorts& ports) {
  return ports.OrbitalOf((record.lnbSelect & 0x03) + 1).value_or(kDefaultExportOrbital);
}

Enigma2Files MakeEnigma2Files(std::span<const ChannelRecord> records, const DiseqcPorts& ports) {
  Enigma2Files files;
  Enigma2Builder builder(ports);
  files.bouquet = Format("#NAME %s\n", kBouquetName);
  int markers = 0;
  for (const ChannelRecord& record : records) {
    if (record.IsMarker()) {
      const std::string name = NameLine(record);
      files.bouquet += Format("#SERVICE 1:64:%X:0:0:0:0:0:0:0::%s\n#DESCRIPTION %s\n", ++markers,
                              name.c_str(), name.c_str());
      continue;
    }
    files.bouquet += builder.Add(record);
    ++files.channels;
  }
  files.lamedb = builder.Lamedb();
  files.bouquetIndex = Format(
      "#NAME User - bouquets (TV)\n#SERVICE 1:7:1:0:0:0:0:0:0:0:FROM BOUQUET \"%s\" ORDER "
      "BY bouquet\n",
      kBouquetFileName);
  return files;
}

}  // namespace pelorus
