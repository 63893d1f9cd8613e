#include "channels/compare_file.h"

#include "channels/messages.h"
#include "channels/settings_file.h"
#include "common/file_dialogs.h"
#include "common/file_io.h"
#include "common/require.h"
#include "common/strfmt.h"

namespace pelorus {

std::optional<FileComparison> CompareWithFile(EditorState& state, Ui& ui) {
  if (!RequireSettings(state, ui)) return std::nullopt;
  FileRequest request;
  request.title = msg::kCompareTitle;
  request.filterName = msg::kSettingsFilterName;
  request.filterPattern = msg::kSettingsFilterPattern;
  request.defaultExtension = msg::kSettingsExtension;
  if (!AskOpenFile(ui, request, state.options.dvbInitialDir)) return std::nullopt;

  const FileContents file = ReadWholeFile(request.path);
  if (!file.opened) {
    ui.ShowMessage(Format(msg::kUnableToOpenFile, request.path.c_str()), Icon::kInformation);
    return std::nullopt;
  }
  if (file.readFailed) {
    ui.ShowMessage(Format(msg::kUnableToReadFile, request.path.c_str()), Icon::kStop);
    return std::nullopt;
  }
  FileComparison comparison;
  comparison.path = request.path;
  comparison.fileRecords = DecodeSettingsBytes(file.bytes);
  comparison.diff = CompareLists(comparison.fileRecords, *state.settingsImage);
  comparison.lines = DescribeDiff(comparison.diff, comparison.fileRecords, *state.settingsImage);
  return comparison;
}

}  // namespace pelorus
