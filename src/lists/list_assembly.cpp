#include "lists/list_assembly.h"

#include <map>

#include "channels/record_name_text.h"
#include "lists/messages.h"
#include "lists/satellite_position.h"

namespace pelorus {
namespace {

ForeignEntry Marker(std::string name, bool fromFile) {
  ForeignEntry entry;
  entry.marker = true;
  entry.fromFile = fromFile;
  entry.markerName = std::move(name);
  return entry;
}

// A bouquet without a name of its own is known by its file's name.
std::string NameOfFile(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return RecordNameFromUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
}

void MoveBadLines(std::vector<BadLine> lines, int file, ForeignList& list) {
  for (BadLine& line : lines) {
    line.file = file;
    list.badLines.push_back(std::move(line));
  }
}

// The channel of a service, or a bad line at the service when its transponder is missing.
bool ServiceChannel(const LamedbDatabase& database, const LamedbService& service, int file,
                    ForeignList& list, ForeignChannel& channel) {
  if (!LamedbChannel(database, service, channel)) {
    list.badLines.push_back({file, service.line, msg::kUnknownTransponder});
    return false;
  }
  channel.file = file;
  return true;
}

void AddInBouquetOrder(const LamedbDatabase& database, int databaseFile,
                       const std::vector<BouquetFile>& bouquets, ForeignList& list) {
  for (const BouquetFile& file : bouquets) {
    const Bouquet& bouquet = file.bouquet;
    list.entries.push_back(Marker(bouquet.name.empty()
                                      ? NameOfFile(list.files[static_cast<size_t>(file.file)])
                                      : bouquet.name,
                                  false));
    for (const BouquetEntry& item : bouquet.entries) {
      switch (item.kind) {
        case BouquetEntry::Kind::kMarker:
          list.entries.push_back(Marker(item.name, true));
          break;
        case BouquetEntry::Kind::kOther:
          ++list.streams;
          break;
        case BouquetEntry::Kind::kBouquet:
          break;  // bouquets inside bouquets are not followed
        case BouquetEntry::Kind::kService: {
          const int index = database.FindService(item.serviceId, item.transponder);
          if (index < 0) {
            list.badLines.push_back({file.file, item.line, msg::kServiceNotInLamedb});
            break;
          }
          ForeignEntry entry;
          if (!ServiceChannel(database, database.services[static_cast<size_t>(index)], databaseFile,
                              list, entry.channel)) {
            break;
          }
          // A name given in the bouquet is the one the user sees there.
          if (!item.name.empty()) entry.channel.name = item.name;
          list.entries.push_back(std::move(entry));
          break;
        }
      }
    }
  }
}

// Groups in the order they first appear: satellites by position, then cable, terrestrial and
// the rest.
void AddByPosition(const LamedbDatabase& database, int databaseFile, ForeignList& list) {
  std::vector<std::string> groupNames;
  std::map<std::string, std::vector<ForeignEntry>> groups;
  for (const LamedbService& service : database.services) {
    ForeignEntry entry;
    if (!ServiceChannel(database, service, databaseFile, list, entry.channel)) continue;
    const ForeignChannel& channel = entry.channel;
    std::string group = channel.delivery == DeliverySystem::kSatellite
                            ? SatellitePositionText(channel.orbital.value_or(0))
                        : channel.delivery == DeliverySystem::kCable       ? kCableGroup
                        : channel.delivery == DeliverySystem::kTerrestrial ? kTerrestrialGroup
                                                                           : kOtherGroup;
    auto [place, added] = groups.try_emplace(group);
    if (added) groupNames.push_back(group);
    place->second.push_back(std::move(entry));
  }
  for (const std::string& name : groupNames) {
    list.entries.push_back(Marker(name, false));
    for (ForeignEntry& entry : groups[name]) list.entries.push_back(std::move(entry));
  }
}

}  // namespace

void AddLamedbChannels(const LamedbDatabase& database, int databaseFile,
                       const std::vector<BouquetFile>& bouquets, ForeignList& list) {
  MoveBadLines(database.badLines, databaseFile, list);
  for (const BouquetFile& file : bouquets) MoveBadLines(file.bouquet.badLines, file.file, list);
  if (bouquets.empty()) {
    AddByPosition(database, databaseFile, list);
  } else {
    AddInBouquetOrder(database, databaseFile, bouquets, list);
  }
}

void AddVdrChannels(VdrChannels channels, int file, ForeignList& list) {
  MoveBadLines(std::move(channels.badLines), file, list);
  for (ForeignEntry& entry : channels.entries) {
    entry.channel.file = file;
    list.entries.push_back(std::move(entry));
  }
}

}  // namespace pelorus
