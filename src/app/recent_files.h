#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "app/options_store.h"
#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// The settings files opened or saved last, newest first, kept in the options store beside the
// program's own values ("RecentFile1".."RecentFile8").
inline constexpr size_t kRecentFileLimit = 8;

std::vector<std::string> ReadRecentFiles(OptionsStore& store);
void WriteRecentFiles(OptionsStore& store, const std::vector<std::string>& files);

// Puts `path` first, once, and drops what falls past the limit.
void AddRecentFile(std::vector<std::string>& files, const std::string& path);
void RemoveRecentFile(std::vector<std::string>& files, const std::string& path);

// Opens a file of the recent list as Open does, with the same question when a list is loaded and
// the same message when it cannot be opened. A file that no longer exists is removed from
// `files`. True when the file was loaded.
bool OpenRecentFile(EditorState& state, Ui& ui, const std::string& path,
                    std::vector<std::string>& files);

// The window's place and size and the list's column widths, as they were when it closed.
struct WindowState {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::vector<int> columnWidths;
};

// No value when nothing usable was stored: a missing value, text that is not a list of numbers,
// or sizes no window could have.
std::optional<WindowState> ReadWindowState(OptionsStore& store, size_t columnCount);
void WriteWindowState(OptionsStore& store, const WindowState& state);

}  // namespace pelorus
