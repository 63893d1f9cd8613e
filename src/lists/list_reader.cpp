#include "lists/list_reader.h"

#include <algorithm>
#include <optional>

#include "channels/messages.h"
#include "common/file_io.h"
#include "common/strfmt.h"
#include "lists/bouquet.h"
#include "lists/lamedb.h"
#include "lists/list_assembly.h"
#include "lists/messages.h"
#include "lists/text_fields.h"
#include "lists/vdr_channels.h"

namespace pelorus {
namespace {

struct LoadedFile {
  std::string path;
  FileContents contents;
  ListFormat format = ListFormat::kUnknown;
};

// Reads a file under the rules of every text input: a regular file, no larger than a text file
// may be, read to its end. False with the message shown otherwise.
bool ReadListFile(const std::string& path, Ui& ui, FileContents& file) {
  file = ReadWholeFile(path, kMaxTextFileBytes);
  if (!file.opened) {
    ui.ShowDetailedMessage(Format(msg::kUnableToOpenFile, path.c_str()),
                           FileProblemText(path, file), Icon::kInformation);
    return false;
  }
  if (file.readFailed) {
    ui.ShowDetailedMessage(Format(msg::kUnableToReadFile, path.c_str()),
                           FileProblemText(path, file), Icon::kStop);
    return false;
  }
  return true;
}

// A bouquet file, or every bouquet an index names (in the index's folder; an index named by an
// index is not followed). What cannot be read of them is a bad line of the index.
void AddBouquetFile(const std::string& path, std::span<const uint8_t> bytes, ForeignList& list,
                    std::vector<BouquetFile>& bouquets) {
  const int file = list.AddFile(path);
  Bouquet bouquet = ParseBouquet(bytes);
  const bool index = std::any_of(
      bouquet.entries.begin(), bouquet.entries.end(),
      [](const BouquetEntry& entry) { return entry.kind == BouquetEntry::Kind::kBouquet; });
  if (!index) {
    bouquets.push_back({file, std::move(bouquet)});
    return;
  }
  for (BadLine& line : bouquet.badLines) {
    line.file = file;
    list.badLines.push_back(std::move(line));
  }
  for (const BouquetEntry& entry : bouquet.entries) {
    if (entry.kind != BouquetEntry::Kind::kBouquet) continue;
    const std::string member = FolderOf(path) + entry.fileName;
    const FileContents contents = ReadWholeFile(member, kMaxTextFileBytes);
    if (!contents.opened || contents.readFailed) {
      list.badLines.push_back(
          {file, entry.line, Format(msg::kBouquetUnreadable, entry.fileName.c_str())});
      continue;
    }
    if (LooksBinary(contents.bytes) || !LooksLikeBouquet(contents.bytes)) {
      list.badLines.push_back(
          {file, entry.line, Format(msg::kNotABouquet, entry.fileName.c_str())});
      continue;
    }
    bouquets.push_back({list.AddFile(member), ParseBouquet(contents.bytes)});
  }
}

// The bouquet indexes beside a service database; false (with the message shown) when one is
// there but cannot be read.
bool BouquetsBeside(const std::string& databasePath, Ui& ui, ForeignList& list,
                    std::vector<BouquetFile>& bouquets) {
  for (const char* name : {"bouquets.tv", "bouquets.radio"}) {
    const std::string path = FolderOf(databasePath) + name;
    FileContents contents = ReadWholeFile(path, kMaxTextFileBytes);
    if (!contents.opened && contents.problem == FileProblem::kMissing) continue;
    if (!ReadListFile(path, ui, contents)) return false;
    if (LooksBinary(contents.bytes) || !LooksLikeBouquet(contents.bytes)) {
      ui.ShowMessage(Format(msg::kNotAForeignList, path.c_str()), Icon::kStop);
      return false;
    }
    AddBouquetFile(path, contents.bytes, list, bouquets);
  }
  return true;
}

// The service database beside a bouquet file.
bool DatabaseBeside(const std::string& bouquetPath, Ui& ui, LoadedFile& database) {
  for (const char* name : {"lamedb", "lamedb5"}) {
    const std::string path = FolderOf(bouquetPath) + name;
    FileContents contents = ReadWholeFile(path, kMaxTextFileBytes);
    if (!contents.opened && contents.problem == FileProblem::kMissing) continue;
    if (!ReadListFile(path, ui, contents)) return false;
    if (DetectListFormat(contents.bytes) != ListFormat::kLamedb) {
      ui.ShowMessage(Format(msg::kNotAForeignList, path.c_str()), Icon::kStop);
      return false;
    }
    database = {path, std::move(contents), ListFormat::kLamedb};
    return true;
  }
  ui.ShowMessage(Format(msg::kNoLamedbBeside, bouquetPath.c_str()), Icon::kStop);
  return false;
}

}  // namespace

ListFormat DetectListFormat(std::span<const uint8_t> bytes) {
  if (bytes.size() >= kChannelRecordSize &&
      std::equal(kChannelTag.begin(), kChannelTag.end(), bytes.begin())) {
    return ListFormat::kSettings;
  }
  if (LooksBinary(bytes)) return ListFormat::kBinary;
  if (LamedbVersion(bytes) != 0) return ListFormat::kLamedb;
  if (LooksLikeBouquet(bytes)) return ListFormat::kBouquet;
  if (LooksLikeVdrChannels(bytes)) return ListFormat::kVdr;
  return ListFormat::kUnknown;
}

bool ReadForeignLists(const std::vector<std::string>& paths, Ui& ui, ForeignList& list) {
  std::vector<LoadedFile> files;
  for (const std::string& path : paths) {
    LoadedFile file{path, {}, ListFormat::kUnknown};
    if (!ReadListFile(path, ui, file.contents)) return false;
    file.format = DetectListFormat(file.contents.bytes);
    if (file.format != ListFormat::kLamedb && file.format != ListFormat::kBouquet &&
        file.format != ListFormat::kVdr) {
      ui.ShowMessage(Format(msg::kNotAForeignList, path.c_str()), Icon::kStop);
      return false;
    }
    files.push_back(std::move(file));
  }
  const auto isFormat = [](ListFormat format) {
    return [format](const LoadedFile& file) { return file.format == format; };
  };
  const auto firstBouquet =
      std::find_if(files.begin(), files.end(), isFormat(ListFormat::kBouquet));
  const bool bouquetsGiven = firstBouquet != files.end();
  if (bouquetsGiven && std::none_of(files.begin(), files.end(), isFormat(ListFormat::kLamedb))) {
    LoadedFile database;
    if (!DatabaseBeside(firstBouquet->path, ui, database)) return false;
    files.insert(firstBouquet, std::move(database));
  }

  std::optional<std::vector<BouquetFile>> given;  // read once, for every database given
  for (const LoadedFile& file : files) {
    if (file.format == ListFormat::kVdr) {
      const int index = list.AddFile(file.path);
      AddVdrChannels(ParseVdrChannels(file.contents.bytes), index, list);
    } else if (file.format == ListFormat::kLamedb) {
      const int index = list.AddFile(file.path);
      const LamedbDatabase database = ParseLamedb(file.contents.bytes);
      std::vector<BouquetFile> bouquets;
      if (bouquetsGiven) {
        if (!given) {
          given.emplace();
          for (const LoadedFile& other : files) {
            if (other.format == ListFormat::kBouquet) {
              AddBouquetFile(other.path, other.contents.bytes, list, *given);
            }
          }
        }
        bouquets = *given;
      } else if (!BouquetsBeside(file.path, ui, list, bouquets)) {
        return false;
      }
      AddLamedbChannels(database, index, bouquets, list);
    }
  }
  return true;
}

bool ParseForeignList(std::span<const uint8_t> bytes, const std::string& label, ForeignList& list) {
  switch (DetectListFormat(bytes)) {
    case ListFormat::kLamedb:
      AddLamedbChannels(ParseLamedb(bytes), list.AddFile(label), {}, list);
      return true;
    case ListFormat::kVdr:
      AddVdrChannels(ParseVdrChannels(bytes), list.AddFile(label), list);
      return true;
    default:
      return false;
  }
}

}  // namespace pelorus
