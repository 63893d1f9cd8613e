#include "service_scan/transponder_table.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "lists/satellite_position.h"
#include "lists/text_fields.h"

namespace pelorus {
namespace {

constexpr uint64_t kUnitBoundary = 100000;  // below it a number is in MHz or kS/s already
constexpr uint64_t kMaxRecordNumber = 0xFFFF;

std::string Upper(std::string_view text) {
  std::string upper;
  for (const char c : text) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return upper;
}

// kHz or symbols/s to MHz or kS/s, rounded; numbers below the boundary are taken as they are.
// No value when the result does not fit the record or is 0 (a title row's frequency).
std::optional<int> Thousands(std::string_view text) {
  uint64_t value = 0;
  if (!ParseDecimal(TrimBlanks(text), value) || value >= kMaxRecordNumber * 1000 + 500) {
    return std::nullopt;
  }
  if (value >= kUnitBoundary) value = (value + 500) / 1000;
  if (value == 0 || value > kMaxRecordNumber) return std::nullopt;
  return static_cast<int>(value);
}

// H, V, L and R, spelt out or not; L and R take the horizontal and the vertical voltage.
std::optional<bool> Vertical(std::string_view text) {
  const std::string word = Upper(TrimBlanks(text));
  if (word == "H" || word == "HORIZONTAL" || word == "L" || word == "LEFT") return false;
  if (word == "V" || word == "VERTICAL" || word == "R" || word == "RIGHT") return true;
  return std::nullopt;
}

enum class System { kDvbS, kDvbS2, kOther };

struct Block {
  int line = 0;
  System system = System::kDvbS;
  std::optional<int> frequency;
  std::optional<int> symbolRate;
  std::optional<bool> vertical;
  uint8_t fec = kFecAuto;
  bool bad = false;  // a value that could not be read
};

void FinishBlock(const Block& block, TransponderTable& table) {
  if (block.system == System::kDvbS2) {
    ++table.dvbS2;
  } else if (block.system == System::kOther) {
    ++table.otherSystems;
  } else if (block.bad || !block.frequency || !block.symbolRate || !block.vertical) {
    table.badLines.push_back(block.line);
  } else {
    SearchTransponder transponder;
    transponder.frequencyMhz = *block.frequency;
    transponder.symbolRateKs = *block.symbolRate;
    transponder.vertical = *block.vertical;
    transponder.fecCode = block.fec;
    table.transponders.push_back(transponder);
  }
}

void ReadKey(std::string_view key, std::string_view value, Block& block) {
  const std::string name = Upper(TrimBlanks(key));
  if (name == "DELIVERY_SYSTEM") {
    const std::string system = Upper(TrimBlanks(value));
    block.system = system == "DVBS"    ? System::kDvbS
                   : system == "DVBS2" ? System::kDvbS2
                                       : System::kOther;
  } else if (name == "FREQUENCY") {
    block.frequency = Thousands(value);
    block.bad |= !block.frequency;
  } else if (name == "SYMBOL_RATE") {
    block.symbolRate = Thousands(value);
    block.bad |= !block.symbolRate;
  } else if (name == "POLARIZATION") {
    block.vertical = Vertical(value);
    block.bad |= !block.vertical;
  } else if (name == "INNER_FEC") {
    block.fec = FecCodeFromText(TrimBlanks(value));
  }
}

TransponderTable ParseBlocks(std::span<const uint8_t> bytes) {
  TransponderTable table;
  LineCursor lines(bytes);
  std::string_view line;
  std::optional<Block> block;
  while (lines.Next(line)) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      if (block) FinishBlock(*block, table);
      block.emplace();
      block->line = lines.LineNumber();
      continue;
    }
    const size_t equals = line.find('=');
    if (!block || equals == std::string_view::npos) {
      table.badLines.push_back(lines.LineNumber());
      continue;
    }
    ReadKey(line.substr(0, equals), line.substr(equals + 1), *block);
  }
  if (block) FinishBlock(*block, table);
  // A block is judged at its end, after the stray lines inside it: the lines in file order.
  std::sort(table.badLines.begin(), table.badLines.end());
  return table;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    const size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
    if (at > start) words.push_back(line.substr(start, at - start));
  }
  return words;
}

TransponderTable ParseLines(std::span<const uint8_t> bytes) {
  TransponderTable table;
  LineCursor lines(bytes);
  std::string_view line;
  while (lines.Next(line)) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() == '#') continue;
    const std::vector<std::string_view> words = Words(line);
    const std::string kind = Upper(words.front());
    Block block;
    block.line = lines.LineNumber();
    if (kind == "S2") {
      block.system = System::kDvbS2;
    } else if (kind != "S" && kind != "S1") {
      block.system = System::kOther;
    } else if (words.size() < 4) {
      block.bad = true;
    } else {
      block.frequency = Thousands(words[1]);
      block.vertical = Vertical(words[2]);
      block.symbolRate = Thousands(words[3]);
      if (words.size() > 4) block.fec = FecCodeFromText(words[4]);
    }
    FinishBlock(block, table);
  }
  return table;
}

bool HoldsBlocks(std::span<const uint8_t> bytes) {
  LineCursor lines(bytes);
  std::string_view line;
  while (lines.Next(line)) {
    line = TrimBlanks(line);
    if (line.empty() || line.front() == '#') continue;
    return line.front() == '[';
  }
  return false;
}

std::string BaseName(std::string_view path) {
  const size_t slash = path.find_last_of('/');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

}  // namespace

TransponderTable ParseTransponderTable(std::span<const uint8_t> bytes) {
  return HoldsBlocks(bytes) ? ParseBlocks(bytes) : ParseLines(bytes);
}

std::optional<int> TablePosition(std::string_view fileName) {
  const std::string name = BaseName(fileName);
  // The position is the last part of the name: "Astra-19.2E", "S19.2E", "Thor 0.8W".
  const size_t cut = name.find_last_of("-_ ");
  return ParseSatellitePosition(cut == std::string::npos ? std::string_view(name)
                                                         : std::string_view(name).substr(cut + 1));
}

std::string ScanTablesFolder() {
  const char* folder = std::getenv("PELORUS_SCAN_TABLES");
  return folder != nullptr && *folder != '\0' ? folder : kScanTablesFolder;
}

std::vector<std::string> TableNames(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    if (it->is_regular_file(error)) names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> FindTransponderTable(const std::string& nameOrPath,
                                                const std::string& folder) {
  std::error_code error;
  if (std::filesystem::is_regular_file(nameOrPath, error)) return nameOrPath;
  if (nameOrPath.empty() || nameOrPath.find('/') != std::string::npos) return std::nullopt;
  const std::vector<std::string> names = TableNames(folder);
  const std::string wanted = Upper(nameOrPath);
  const auto inFolder = [&](const std::string& name) { return folder + "/" + name; };
  for (const std::string& name : names) {
    if (Upper(name) == wanted) return inFolder(name);
  }
  for (const std::string& name : names) {
    if (Upper(name).find(wanted) != std::string::npos) return inFolder(name);
  }
  if (const std::optional<int> position = ParseSatellitePosition(nameOrPath)) {
    for (const std::string& name : names) {
      if (TablePosition(name) == position) return inFolder(name);
    }
  }
  return std::nullopt;
}

}  // namespace pelorus
