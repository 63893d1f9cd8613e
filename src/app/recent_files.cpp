#include "app/recent_files.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

#include "channels/messages.h"
#include "channels/settings_file.h"
#include "common/strfmt.h"

namespace pelorus {
namespace {

constexpr char kGeometryValue[] = "WindowGeometry";
constexpr char kColumnsValue[] = "ColumnWidths";

std::string RecentName(size_t index) { return Format("RecentFile%zu", index + 1); }

// "a,b,c" as numbers; no value when any part is not a whole number.
std::optional<std::vector<int>> ParseNumbers(const std::string& text) {
  std::vector<int> numbers;
  const char* position = text.data();
  const char* end = text.data() + text.size();
  while (position < end) {
    int value = 0;
    const auto [next, error] = std::from_chars(position, end, value);
    if (error != std::errc()) return std::nullopt;
    numbers.push_back(value);
    if (next == end) break;
    if (*next != ',') return std::nullopt;
    position = next + 1;
    if (position == end) return std::nullopt;
  }
  return numbers;
}

std::string JoinNumbers(const std::vector<int>& numbers) {
  std::string text;
  for (const int number : numbers) {
    if (!text.empty()) text += ',';
    text += std::to_string(number);
  }
  return text;
}

}  // namespace

std::vector<std::string> ReadRecentFiles(OptionsStore& store) {
  std::vector<std::string> files;
  for (size_t i = 0; i < kRecentFileLimit; ++i) {
    const std::optional<std::string> path = store.ReadText(RecentName(i));
    if (path && !path->empty() && std::find(files.begin(), files.end(), *path) == files.end()) {
      files.push_back(*path);
    }
  }
  return files;
}

void WriteRecentFiles(OptionsStore& store, const std::vector<std::string>& files) {
  for (size_t i = 0; i < kRecentFileLimit; ++i) {
    store.WriteText(RecentName(i), i < files.size() ? files[i] : std::string());
  }
  store.Flush();
}

void AddRecentFile(std::vector<std::string>& files, const std::string& path) {
  if (path.empty()) return;
  RemoveRecentFile(files, path);
  files.insert(files.begin(), path);
  if (files.size() > kRecentFileLimit) files.resize(kRecentFileLimit);
}

void RemoveRecentFile(std::vector<std::string>& files, const std::string& path) {
  files.erase(std::remove(files.begin(), files.end(), path), files.end());
}

bool OpenRecentFile(EditorState& state, Ui& ui, const std::string& path,
                    std::vector<std::string>& files) {
  if (state.settingsImage && ui.Ask(msg::kSettingsAlreadyLoaded, Buttons::kYesNo, Icon::kQuestion,
                                    Answer::kNo) != Answer::kYes) {
    return false;
  }
  // The list on screen stays until the new file has been read, so a failure loses nothing; nor
  // does it keep the failed name, which a later Save would otherwise write the list to.
  const std::string previousName = state.currentFileName;
  state.commandLineFile = path;
  if (OpenSettingsFile(state, ui)) {
    state.settingsModified = false;
    AddRecentFile(files, path);
    return true;
  }
  state.commandLineFile.clear();
  state.currentFileName = previousName;
  std::error_code error;
  if (!std::filesystem::exists(path, error)) RemoveRecentFile(files, path);
  return false;
}

std::optional<WindowState> ReadWindowState(OptionsStore& store, size_t columnCount) {
  const std::optional<std::string> geometry = store.ReadText(kGeometryValue);
  const std::optional<std::string> columns = store.ReadText(kColumnsValue);
  if (!geometry || !columns) return std::nullopt;
  const auto place = ParseNumbers(*geometry);
  auto widths = ParseNumbers(*columns);
  if (!place || place->size() != 4 || !widths || widths->size() != columnCount) {
    return std::nullopt;
  }
  constexpr int kLargest = 100000;
  const auto fits = [](int value, int low, int high) { return value >= low && value <= high; };
  WindowState state{(*place)[0], (*place)[1], (*place)[2], (*place)[3], std::move(*widths)};
  if (!fits(state.x, -kLargest, kLargest) || !fits(state.y, -kLargest, kLargest) ||
      !fits(state.width, 100, kLargest) || !fits(state.height, 100, kLargest)) {
    return std::nullopt;
  }
  for (const int width : state.columnWidths) {
    if (!fits(width, 0, 5000)) return std::nullopt;
  }
  return state;
}

void WriteWindowState(OptionsStore& store, const WindowState& state) {
  store.WriteText(kGeometryValue, JoinNumbers({state.x, state.y, state.width, state.height}));
  store.WriteText(kColumnsValue, JoinNumbers(state.columnWidths));
  store.Flush();
}

}  // namespace pelorus
