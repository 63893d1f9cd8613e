#include "channels/text_transfer.h"

#include <algorithm>
#include <vector>

#include "channels/channel_line.h"
#include "channels/messages.h"
#include "channels/selection.h"
#include "common/file_dialogs.h"
#include "common/file_io.h"
#include "common/strfmt.h"
#include "common/text_lines.h"

namespace pelorus {
namespace {

FileRequest TextFileRequest(const char* title, bool save) {
  FileRequest request;
  request.title = title;
  request.filterName = msg::kTextFilterName;
  request.filterPattern = msg::kTextFilterPattern;
  request.defaultExtension = msg::kTextExtension;
  request.overwritePrompt = save;
  request.path = msg::kTextFileNameStart;
  return request;
}

}  // namespace

std::string FormatChannelLines(const std::vector<ChannelRecord>& records,
                               const std::vector<int>* rows) {
  std::string text;
  // Lines are 139 bytes unless a value is wider than its column.
  text.reserve((rows ? rows->size() : records.size()) * 140);
  if (rows == nullptr) {
    for (const ChannelRecord& record : records) text += FormatChannelLine(record);
    return text;
  }
  for (int row : *rows) {
    if (row >= 0 && static_cast<size_t>(row) < records.size()) {
      text += FormatChannelLine(records[static_cast<size_t>(row)]);
    }
  }
  return text;
}

int AppendChannelLines(EditorState& state, std::span<const uint8_t> text) {
  const auto* bytes = reinterpret_cast<const char*>(text.data());
  int added = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    if (end == start) break;  // an empty line ends the file's channels
    ChannelRecord record{};
    if (ParseChannelLine(std::span(bytes + start, end - start), record)) {
      if (!state.settingsImage) state.settingsImage.emplace();
      state.settingsImage->push_back(record);
      state.settingsModified = true;
      ++added;
    }
    start = end;
    if (start < text.size() && bytes[start] == '\r') ++start;
    if (start < text.size() && bytes[start] == '\n') ++start;
  }
  return added;
}

bool WriteChannelTextFile(const EditorState& state, Ui& ui, const std::string& path,
                          const std::vector<int>* rows) {
  const std::string text =
      state.settingsImage ? FormatChannelLines(*state.settingsImage, rows) : std::string();
  WriteFailure failure;
  const WriteResult result = WriteFileAtomically(
      path, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), &failure);
  if (result == WriteResult::kCannotCreate) {
    ui.ShowDetailedMessage(msg::kUnableToOpenForOutput, WriteFailureText(failure),
                           Icon::kInformation);
    return false;
  }
  if (result == WriteResult::kWriteFailed) {
    ui.ShowDetailedMessage(Format(msg::kUnableToWriteFile, path.c_str()), WriteFailureText(failure),
                           Icon::kInformation);
    return false;
  }
  return true;
}

int ReadChannelTextFile(EditorState& state, Ui& ui, const std::string& path) {
  // Read in pieces and kept apart until the whole file was read, so that a file that fails
  // part-way adds nothing.
  std::vector<ChannelRecord> records;
  const FileContents status = ReadTextLines(path, [&](std::string_view line) {
    if (line.empty()) return false;  // an empty line ends the file's channels
    ChannelRecord record{};
    if (ParseChannelLine(std::span(line.data(), line.size()), record)) records.push_back(record);
    return true;
  });
  if (!status.opened) {
    ui.ShowDetailedMessage(msg::kImportUnableToOpen, FileProblemText(path, status),
                           Icon::kInformation);
    return -1;
  }
  if (status.readFailed) {
    ui.ShowDetailedMessage(Format(msg::kUnableToReadFile, path.c_str()),
                           FileProblemText(path, status), Icon::kInformation);
    return -1;
  }
  if (records.empty()) return 0;
  if (!state.settingsImage) state.settingsImage.emplace();
  state.settingsImage->insert(state.settingsImage->end(), records.begin(), records.end());
  state.settingsModified = true;
  return static_cast<int>(records.size());
}

bool ExportChannels(EditorState& state, Ui& ui, std::span<const int> selection,
                    bool& exportSelected, const ExportModeChooser& choose) {
  if (choose) choose(exportSelected);
  FileRequest request = TextFileRequest(msg::kExportTitle, true);
  if (!AskSaveFile(ui, request, state.options.txtInitialDir)) return false;
  BusyScope busy(ui);
  if (!exportSelected) return WriteChannelTextFile(state, ui, request.path, nullptr);
  std::vector<int> rows = ValidRows(selection, state.ChannelCount());
  return WriteChannelTextFile(state, ui, request.path, &rows);
}

int ImportChannels(EditorState& state, Ui& ui) {
  FileRequest request = TextFileRequest(msg::kImportTitle, false);
  if (!AskOpenFile(ui, request, state.options.txtInitialDir)) return -1;
  BusyScope busy(ui);
  const int added = ReadChannelTextFile(state, ui, request.path);
  if (added > 0) ui.RefillChannelList();
  return added;
}

}  // namespace pelorus
