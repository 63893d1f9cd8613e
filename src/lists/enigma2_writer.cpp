#include <functional>
#include <unordered_map>
#include <unordered_set>
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

uint8_t ServiceType(const ChannelRecord& record) {
  if (record.serviceType != 0) return record.serviceType;
  return record.videoPid != kNoPid ? 1 : 2;  // a type left at 0 would read as a data service
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

void Append(std::string& key, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) key += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The channels that would share one service entry's ids: the same transponder parameters,
// transport stream, network and service id.
std::string GroupKey(const TransponderParameters& parameters, const ChannelRecord& record) {
  std::string key;
  Append(key, static_cast<uint32_t>(parameters.orbital), 4);
  Append(key, parameters.frequency, 2);
  Append(key, parameters.symbolRate, 2);
  Append(key, parameters.polarity, 1);
  Append(key, parameters.fec, 1);
  Append(key, parameters.inversion, 1);
  Append(key, record.tsId, 2);
  Append(key, record.networkId, 2);
  Append(key, record.serviceId, 2);
  return key;
}

// What the database keeps of a service besides its ids: a channel named twice is one service.
std::string ContentKey(const ChannelRecord& record) {
  std::string key(reinterpret_cast<const char*>(record.name.data()), kChannelNameSize);
  Append(key, ServiceType(record), 1);
  for (const uint16_t pid : {record.videoPid, record.audioPid, record.pcrPid, record.textPid}) {
    Append(key, pid, 2);
  }
  return key;
}

// A service id on a transponder.
struct SlotHash {
  size_t operator()(const std::pair<uint64_t, uint16_t>& slot) const {
    return std::hash<uint64_t>()(slot.first * 0x9E3779B97F4A7C15ull + slot.second);
  }
};

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
    const std::string group = GroupKey(parameters, record);
    const std::string identity = group + ContentKey(record);
    const auto same = services_.find(identity);
    const uint32_t dvbNamespace =
        same != services_.end() ? same->second : Place(group, parameters, record);
    if (same == services_.end()) services_.emplace(identity, dvbNamespace);
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

  // A new service entry: on the first namespace whose transponder has these parameters (or is
  // still free) and where no service has this id yet. The variants already found taken for this
  // group stay taken, so the search goes on from where the last one ended.
  uint32_t Place(const std::string& group, const TransponderParameters& parameters,
                 const ChannelRecord& record) {
    const int position = parameters.orbital >= 0 ? parameters.orbital : 3600 + parameters.orbital;
    const uint32_t base = static_cast<uint32_t>(position) << 16;
    uint32_t& variant = nextVariant_[group];
    uint32_t dvbNamespace = base;
    for (; variant < kVariantLimit; ++variant) {
      dvbNamespace = base | Variant(variant, parameters);
      const uint64_t key = Packed(dvbNamespace, record.tsId, record.networkId);
      const auto transponder = transponders_.find(key);
      if (transponder == transponders_.end()) {
        AddTransponder(key, dvbNamespace, record, parameters);
        break;
      }
      if (transponder->second == parameters && taken_.insert({key, record.serviceId}).second) {
        break;
      }
    }
    ++variant;
    AddService(record, dvbNamespace);
    return dvbNamespace;
  }

  void AddTransponder(uint64_t key, uint32_t dvbNamespace, const ChannelRecord& record,
                      const TransponderParameters& parameters) {
    transponders_.emplace(key, parameters);
    taken_.insert({key, record.serviceId});
    const int position = parameters.orbital >= 0 ? parameters.orbital : 3600 + parameters.orbital;
    transponderText_ +=
        Format("%08x:%04x:%04x\n\ts %u:%u:%d:%d:%d:%d:0\n/\n", dvbNamespace, record.tsId,
               record.networkId, parameters.frequency * 1000u, parameters.symbolRate * 1000u,
               parameters.polarity, parameters.fec, position, parameters.inversion);
  }

  void AddService(const ChannelRecord& record, uint32_t dvbNamespace) {
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
  std::unordered_set<std::pair<uint64_t, uint16_t>, SlotHash> taken_;  // service ids in use
  std::unordered_map<std::string, uint32_t> services_;     // a service's namespace, by identity
  std::unordered_map<std::string, uint32_t> nextVariant_;  // by group
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
