#include "service_scan/search_sources.h"

#include "common/file_io.h"
#include "common/strfmt.h"
#include "service_scan/carrier_sources.h"
#include "service_scan/messages.h"
#include "service_scan/transponder_table.h"

namespace pelorus {
namespace {

constexpr uint64_t kMaxSourceFileBytes = uint64_t{4} << 20;

bool ReadSource(const std::string& path, const char* unreadable, Ui& ui, FileContents& file) {
  file = ReadWholeFile(path, kMaxSourceFileBytes);
  if (file.opened && !file.readFailed) return true;
  ui.ShowDetailedMessage(Format(unreadable, path.c_str()), FileProblemText(path, file),
                         Icon::kInformation);
  return false;
}

bool ReadTable(const SearchSources& sources, Ui& ui, ChannelSearchRequest& request) {
  const std::optional<std::string> path = FindTransponderTable(sources.table, sources.tablesFolder);
  if (!path) {
    ui.ShowMessage(
        Format(msg::search::kTableNotFound, sources.table.c_str(), sources.tablesFolder.c_str()),
        Icon::kInformation);
    return false;
  }
  FileContents file;
  if (!ReadSource(*path, msg::search::kTableUnreadable, ui, file)) return false;
  const TransponderTable table = ParseTransponderTable(file.bytes);
  if (table.transponders.empty()) {
    ui.ShowMessage(Format(msg::search::kTableEmpty, path->c_str()), Icon::kInformation);
    return false;
  }
  const std::optional<int> position = TablePosition(*path);
  for (SearchTransponder transponder : table.transponders) {
    // The user's position, when given, is the one used where the NIT says nothing.
    if (!request.orbital) transponder.orbital = position;
    request.transponders.push_back(transponder);
  }
  request.dvbS2Skipped += table.dvbS2;
  return true;
}

bool ReadLocks(const std::string& path, Ui& ui, ChannelSearchRequest& request) {
  FileContents file;
  if (!ReadSource(path, msg::search::kLockFileUnreadable, ui, file)) return false;
  const LockSearchText text = ParseLockSearchText(file.bytes);
  if (text.carriers.empty()) {
    ui.ShowMessage(Format(msg::search::kLockFileEmpty, path.c_str()), Icon::kInformation);
    return false;
  }
  for (const SearchTransponder& transponder : TranspondersFromLocks(text.carriers)) {
    request.transponders.push_back(transponder);
  }
  return true;
}

}  // namespace

bool ReadSearchSources(const SearchSources& sources, std::span<const ChannelRecord> list, Ui& ui,
                       ChannelSearchRequest& request) {
  request.network = sources.network;
  if (!sources.table.empty() && !ReadTable(sources, ui, request)) return false;
  if (!sources.lockResults.empty() && !ReadLocks(sources.lockResults, ui, request)) return false;
  for (const SearchTransponder& transponder : TranspondersFromRows(list, sources.rows)) {
    request.transponders.push_back(transponder);
  }
  return true;
}

}  // namespace pelorus
