#include "lists/lamedb.h"

#include <string_view>

#include "channels/record_name_text.h"
#include "lists/text_fields.h"

namespace pelorus {
namespace {

constexpr std::string_view kHeader = "eDVB services /";
constexpr char kNotATransponder[] = "not a transponder";
constexpr char kNotAService[] = "not a service";
constexpr char kTooLong[] = "line too long";

uint64_t ServiceIdKey(uint16_t serviceId, uint16_t tsId, uint16_t originalNetworkId) {
  return (uint64_t{serviceId} << 32) | (uint64_t{tsId} << 16) | originalNetworkId;
}

bool ParseKeyFields(std::string_view nsText, std::string_view tsText, std::string_view onText,
                    LamedbTransponderKey& key) {
  uint64_t ns = 0;
  uint64_t tsId = 0;
  uint64_t onId = 0;
  if (!ParseHex(nsText, ns) || !ParseHex(tsText, tsId) || !ParseHex(onText, onId) ||
      ns > 0xFFFFFFFF || tsId > 0xFFFF || onId > 0xFFFF) {
    return false;
  }
  key = {static_cast<uint32_t>(ns), static_cast<uint16_t>(tsId), static_cast<uint16_t>(onId)};
  return true;
}

// "dvbnamespace:tsid:onid", hexadecimal.
bool ParseTransponderKey(std::string_view text, LamedbTransponderKey& key) {
  const std::vector<std::string_view> fields = SplitFields(text, ':');
  return fields.size() == 3 && ParseKeyFields(fields[0], fields[1], fields[2], key);
}

bool ParseInt(std::string_view text, int64_t low, int64_t high, int& value) {
  int64_t parsed = 0;
  if (!ParseSignedDecimal(text, parsed) || parsed < low || parsed > high) return false;
  value = static_cast<int>(parsed);
  return true;
}

bool ParseUnsigned32(std::string_view text, uint32_t& value) {
  uint64_t parsed = 0;
  if (!ParseDecimal(text, parsed) || parsed > 0xFFFFFFFF) return false;
  value = static_cast<uint32_t>(parsed);
  return true;
}

// The delivery parameters: "s freq:rate:pol:fec:orbital:inversion[:flags[:system:...]]" (a blank
// or, in version 5, a colon after the letter), "c freq:rate:..." or "t freq:...". Whatever
// follows a comma (multistream and similar) is not needed here.
bool ParseDeliveryParameters(std::string_view text, LamedbTransponder& transponder) {
  text = TrimBlanks(text);
  if (text.size() < 3 || (text[1] != ' ' && text[1] != ':')) return false;
  const char kind = text[0];
  std::string_view values = text.substr(2);
  values = values.substr(0, values.find(','));
  const std::vector<std::string_view> fields = SplitFields(values, ':');
  if (kind == 's') {
    if (fields.size() < 6) return false;
    int orbital = 0;
    if (!ParseUnsigned32(fields[0], transponder.frequencyKhz) ||
        !ParseUnsigned32(fields[1], transponder.symbolRate) ||
        !ParseInt(fields[2], 0, 3, transponder.polarisation) ||
        !ParseInt(fields[3], 0, 15, transponder.fec) ||
        !ParseInt(fields[4], -1800, 3600, orbital) ||
        !ParseInt(fields[5], 0, 2, transponder.inversion)) {
      return false;
    }
    // Western positions are written either negative or as 3600 less the position.
    transponder.orbital = orbital > 1800 ? orbital - 3600 : orbital;
    int system = 0;
    if (fields.size() >= 8 && !ParseInt(fields[7], 0, 1, system)) return false;
    transponder.dvbS2 = system == 1;
    transponder.delivery = DeliverySystem::kSatellite;
    return true;
  }
  if (kind == 'c') {
    if (fields.size() < 2) return false;
    transponder.delivery = DeliverySystem::kCable;
    return ParseUnsigned32(fields[0], transponder.frequencyKhz) &&
           ParseUnsigned32(fields[1], transponder.symbolRate);
  }
  if (kind == 't') {
    uint32_t hertz = 0;
    if (fields.empty() || !ParseUnsigned32(fields[0], hertz)) return false;
    transponder.delivery = DeliverySystem::kTerrestrial;
    transponder.frequencyKhz = (hertz + 500) / 1000;
    return true;
  }
  // ATSC and whatever comes later: known to be there, nothing this list can hold.
  if (kind >= 'a' && kind <= 'z') {
    transponder.delivery = DeliverySystem::kOther;
    return true;
  }
  return false;
}

// "sid:namespace:tsid:onid:type:number[:...]": the ids in hexadecimal, type and number decimal.
bool ParseServiceKey(std::string_view text, LamedbService& service) {
  const std::vector<std::string_view> fields = SplitFields(text, ':');
  uint64_t sid = 0;
  uint64_t number = 0;
  if (fields.size() < 6 || !ParseHex(fields[0], sid) || sid > 0xFFFF ||
      !ParseKeyFields(fields[1], fields[2], fields[3], service.transponder)) {
    return false;
  }
  if (!ParseInt(fields[4], 0, 0xFFFF, service.serviceType) || !ParseDecimal(fields[5], number)) {
    return false;
  }
  service.serviceId = static_cast<uint16_t>(sid);
  return true;
}

// "p:provider,c:TTVVVV,...,C:caid,f:flags": only the remembered PIDs are needed. The provider
// may itself hold commas; its pieces are not "c:" parts and are passed over like it.
void ParseServiceData(std::string_view text, LamedbCachedPids& pids) {
  for (const std::string_view part : SplitFields(text, ',')) {
    if (part.size() < 2 || part[1] != ':' || part[0] != 'c') continue;
    const std::string_view value = part.substr(2);
    uint64_t type = 0;
    uint64_t number = 0;
    if (value.size() < 3 || !ParseHex(value.substr(0, 2), type) ||
        !ParseHex(value.substr(2), number)) {
      continue;  // a cache entry that cannot be read is simply not known
    }
    const auto pid = static_cast<uint16_t>(number & kPidMask);
    switch (type) {
      case 0:
        pids.video = pid;
        break;
      case 1:
        pids.mpegAudio = pid;
        break;
      case 2:
        pids.teletext = pid;
        break;
      case 3:
        pids.pcr = pid;
        break;
      case 4:
        pids.ac3 = pid;
        break;
      case 5:
        pids.videoType = static_cast<int>(number & 0xFF);
        break;
      default:
        break;
    }
  }
}

class Parser {
 public:
  Parser(std::span<const uint8_t> bytes, LamedbDatabase& database)
      : cursor_(bytes),
        database_(database),
        utf8_(IsValidUtf8(
            std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {}

  void Run() {
    std::string_view line;
    if (!cursor_.Next(line)) return;  // the header, checked by the caller
    if (database_.version == 5) {
      while (cursor_.Next(line)) VersionFiveLine(line);
    } else {
      VersionFour();
    }
  }

 private:
  std::string Name(std::string_view bytes) const {
    return utf8_ ? RecordNameFromUtf8(bytes) : RecordNameFromLatin1(bytes);
  }
  void Bad(const char* reason) { database_.badLines.push_back({0, cursor_.LineNumber(), reason}); }
  void AddTransponder(const LamedbTransponderKey& key, const LamedbTransponder& transponder) {
    database_.transponders.emplace(key.Packed(), transponder);  // the first one counts
  }
  void AddService(LamedbService service) { database_.services.push_back(std::move(service)); }

  void VersionFiveLine(std::string_view line) {
    if (line.size() > kMaxListLine) return Bad(kTooLong);
    if (TrimBlanks(line).empty() || line.starts_with('#')) return;
    if (line.starts_with("t:")) {
      const size_t comma = line.find(',');
      LamedbTransponderKey key;
      LamedbTransponder transponder;
      if (comma == std::string_view::npos || !ParseTransponderKey(line.substr(2, comma - 2), key) ||
          !ParseDeliveryParameters(line.substr(comma + 1), transponder)) {
        return Bad(kNotATransponder);
      }
      return AddTransponder(key, transponder);
    }
    if (line.starts_with("s:")) {
      // s:sid:ns:tsid:onid:type:number[:...],"name"[,p:...,c:...]
      const size_t comma = line.find(',');
      LamedbService service;
      service.line = cursor_.LineNumber();
      if (comma == std::string_view::npos || !ParseServiceKey(line.substr(2, comma - 2), service)) {
        return Bad(kNotAService);
      }
      std::string_view rest = line.substr(comma + 1);
      if (!rest.starts_with('"')) return Bad(kNotAService);
      rest.remove_prefix(1);
      // The name ends at the last quote that is followed by the end or by a comma and a key.
      size_t close = std::string_view::npos;
      for (size_t i = rest.size(); i-- > 0;) {
        if (rest[i] != '"') continue;
        const std::string_view after = rest.substr(i + 1);
        if (after.empty() || (after.size() >= 3 && after[0] == ',' && after[2] == ':')) {
          close = i;
          break;
        }
      }
      if (close == std::string_view::npos) return Bad(kNotAService);
      service.name = Name(rest.substr(0, close));
      if (close + 2 < rest.size()) ParseServiceData(rest.substr(close + 2), service.pids);
      return AddService(std::move(service));
    }
    Bad(kNotAService);
  }

  void VersionFour() {
    std::string_view line;
    // Transponders, then services; each section ends with "end".
    while (cursor_.Next(line) && TrimBlanks(line) != "transponders") {
      if (!TrimBlanks(line).empty()) Bad(kNotATransponder);
    }
    Transponders();
    while (cursor_.Next(line) && TrimBlanks(line) != "services") {
      if (!TrimBlanks(line).empty()) Bad(kNotAService);
    }
    Services();
  }

  void Transponders() {
    std::string_view line;
    while (cursor_.Next(line)) {
      const std::string_view text = TrimBlanks(line);
      if (text == "end") return;
      if (text.empty() || text == "/") continue;
      LamedbTransponderKey key;
      if (line.size() > kMaxListLine || !ParseTransponderKey(text, key)) {
        Bad(kNotATransponder);
        if (!SkipToSlash()) return;
        continue;
      }
      if (!cursor_.Next(line)) return;
      LamedbTransponder transponder;
      if (line.size() > kMaxListLine || !ParseDeliveryParameters(line, transponder)) {
        Bad(kNotATransponder);
        if (TrimBlanks(line) == "end") return;
        if (TrimBlanks(line) != "/" && !SkipToSlash()) return;
        continue;
      }
      AddTransponder(key, transponder);
    }
  }

  // Skips the rest of a damaged transponder block; false when the section ended.
  bool SkipToSlash() {
    std::string_view line;
    while (cursor_.Next(line)) {
      const std::string_view text = TrimBlanks(line);
      if (text == "/") return true;
      if (text == "end") return false;
    }
    return false;
  }

  void Services() {
    std::string_view line;
    bool pending = false;   // `line` holds a line read ahead and not yet looked at
    bool skipping = false;  // inside an entry whose first line could not be read
    while (pending || cursor_.Next(line)) {
      pending = false;
      if (TrimBlanks(line) == "end") return;
      LamedbService service;
      service.line = cursor_.LineNumber();
      if (line.size() > kMaxListLine || !ParseServiceKey(TrimBlanks(line), service)) {
        // The entry's name and data lines belong to the line that was damaged.
        if (!skipping) Bad(kNotAService);
        skipping = true;
        continue;
      }
      skipping = false;
      // The line after the first is the name, whatever it says (a channel may be named "end").
      std::string_view name;
      if (!cursor_.Next(name)) return AddService(std::move(service));
      service.name = Name(name.substr(0, kMaxListLine));
      std::string_view data;
      if (cursor_.Next(data)) {
        LamedbService next;
        if (ParseServiceKey(TrimBlanks(data), next) || TrimBlanks(data) == "end") {
          line = data;  // the data line is missing: this is the next entry
          pending = true;
        } else if (data.size() <= kMaxListLine) {
          ParseServiceData(data, service.pids);
        }
      }
      AddService(std::move(service));
    }
  }

  LineCursor cursor_;
  LamedbDatabase& database_;
  bool utf8_;
};

}  // namespace

int OrbitalOfNamespace(uint32_t dvbNamespace) {
  const int upper = static_cast<int>(dvbNamespace >> 16);
  return upper > 1800 && upper <= 3600 ? upper - 3600 : upper;
}

const LamedbTransponder* LamedbDatabase::FindTransponder(const LamedbTransponderKey& key) const {
  const auto found = transponders.find(key.Packed());
  return found == transponders.end() ? nullptr : &found->second;
}

int LamedbDatabase::FindService(uint16_t serviceId, const LamedbTransponderKey& key) const {
  const auto found = servicesById.find(ServiceIdKey(serviceId, key.tsId, key.originalNetworkId));
  if (found == servicesById.end()) return -1;
  for (const int index : found->second) {
    if (services[static_cast<size_t>(index)].transponder.dvbNamespace == key.dvbNamespace) {
      return index;
    }
  }
  for (const int index : found->second) {
    if ((services[static_cast<size_t>(index)].transponder.dvbNamespace >> 16) ==
        (key.dvbNamespace >> 16)) {
      return index;
    }
  }
  return -1;
}

int LamedbVersion(std::span<const uint8_t> bytes) {
  LineCursor cursor(bytes);
  std::string_view first;
  if (!cursor.Next(first)) return 0;
  first = TrimBlanks(first);
  if (!first.starts_with(kHeader)) return 0;
  const std::string_view rest = first.substr(kHeader.size());
  if (rest == "4/") return 4;
  if (rest == "5/") return 5;
  return 0;
}

LamedbDatabase ParseLamedb(std::span<const uint8_t> bytes) {
  LamedbDatabase database;
  database.version = LamedbVersion(bytes);
  if (database.version == 0) return database;
  Parser(bytes, database).Run();
  for (size_t i = 0; i < database.services.size(); ++i) {
    const LamedbService& service = database.services[i];
    database
        .servicesById[ServiceIdKey(service.serviceId, service.transponder.tsId,
                                   service.transponder.originalNetworkId)]
        .push_back(static_cast<int>(i));
  }
  return database;
}

bool LamedbChannel(const LamedbDatabase& database, const LamedbService& service,
                   ForeignChannel& channel) {
  const LamedbTransponder* transponder = database.FindTransponder(service.transponder);
  if (transponder == nullptr) return false;
  channel = ForeignChannel{};
  channel.name = service.name;
  channel.delivery = transponder->delivery;
  channel.dvbS2 = transponder->dvbS2;
  if (transponder->delivery == DeliverySystem::kSatellite) channel.orbital = transponder->orbital;
  channel.frequencyKhz = transponder->frequencyKhz;
  channel.symbolRate = transponder->symbolRate;
  channel.polarity = transponder->polarisation == 1 || transponder->polarisation == 3 ? 1 : 0;
  // The database's codes run 1/2, 2/3, 3/4, 5/6, 7/8 from 1; the record's leave out 4/5 at 5.
  static constexpr uint8_t kRecordFec[] = {0, 2, 3, 4, 6, 7};
  channel.fecCode =
      transponder->fec >= 0 && transponder->fec <= 5 ? kRecordFec[transponder->fec] : 0;
  channel.inversion = transponder->inversion == 0 ? 1 : transponder->inversion == 1 ? 2 : 0;
  channel.serviceId = service.serviceId;
  channel.tsId = service.transponder.tsId;
  channel.originalNetworkId = service.transponder.originalNetworkId;
  channel.videoPid = service.pids.video;
  channel.audioPid = service.pids.mpegAudio;
  channel.ac3Pid = service.pids.ac3;
  channel.pcrPid = service.pids.pcr;
  channel.textPid = service.pids.teletext;
  channel.serviceType = service.serviceType;
  channel.advancedVideo = service.pids.videoType == 1 || service.pids.videoType == 7;
  channel.line = service.line;
  return true;
}

}  // namespace pelorus
