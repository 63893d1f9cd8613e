#include "channels/settings_file.h"

#include <algorithm>
#include <cstring>

#include "channels/messages.h"
#include "common/file_dialogs.h"
#include "common/file_io.h"
#include "common/program.h"
#include "common/strfmt.h"

namespace pelorus {
namespace {

FileRequest SettingsFileRequest(const char* title, const std::string& fileName) {
  FileRequest request;
  request.title = title;
  request.filterName = msg::kSettingsFilterName;
  request.filterPattern = msg::kSettingsFilterPattern;
  request.defaultExtension = msg::kSettingsExtension;
  request.path = fileName;
  return request;
}

// Shows why a file cannot be loaded; true when it can.
bool ShowReadProblem(Ui& ui, const std::string& path, const FileContents& file) {
  if (!file.opened) {
    ui.ShowDetailedMessage(Format(msg::kUnableToOpenFile, path.c_str()),
                           FileProblemText(path, file), Icon::kInformation);
    return false;
  }
  // A file that cannot be read to its end would load as damaged records; refuse it instead.
  if (file.readFailed) {
    ui.ShowDetailedMessage(Format(msg::kUnableToReadFile, path.c_str()),
                           FileProblemText(path, file), Icon::kStop);
    return false;
  }
  return true;
}

void LoadDecodedImage(EditorState& state, Ui& ui, const FileContents& file) {
  BusyScope busy(ui);
  state.settingsImage = DecodeSettingsBytes(file.bytes);
  ui.RefillChannelList();
  ui.SetWindowTitle(FileWindowTitle(state.currentFileName));
  // The list stays empty as the file says, but the user learns it was no settings file.
  if (state.settingsImage->empty() && !file.bytes.empty()) {
    ui.SetStatusText(Format(msg::kNoChannelRecordFound, state.currentFileName.c_str()));
  }
}

}  // namespace

std::vector<ChannelRecord> DecodeSettingsBytes(std::span<const uint8_t> bytes) {
  const size_t count = bytes.size() / kChannelRecordSize;
  std::vector<ChannelRecord> records;
  records.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    ChannelRecord record = RecordFromReceiverBytes(bytes.data() + i * kChannelRecordSize);
    if (!record.HasTag()) continue;
    MaskRecordFields(record);
    records.push_back(record);
  }
  return records;
}

std::vector<uint8_t> EncodeSettingsBytes(const std::vector<ChannelRecord>& records) {
  std::vector<uint8_t> bytes(records.size() * kChannelRecordSize);
  uint8_t* out = bytes.data();
  for (ChannelRecord record : records) {
    SwapRecordByteOrder(record);
    std::memcpy(out, &record, kChannelRecordSize);
    out += kChannelRecordSize;
  }
  return bytes;
}

void AppendRecord(const ChannelRecord& record, std::vector<ChannelRecord>& block) {
  block.push_back(record);
}

std::string FileWindowTitle(const std::string& fileName) {
  return Format("%s - %s", fileName.c_str(), kProgramTitle);
}

bool OpenSettingsFile(EditorState& state, Ui& ui) {
  if (!state.commandLineFile.empty()) {
    state.currentFileName = state.commandLineFile;
    state.commandLineFile.clear();
  } else {
    if (state.settingsImage) {
      if (ui.Ask(msg::kSettingsAlreadyLoaded, Buttons::kYesNo, Icon::kQuestion, Answer::kNo) !=
          Answer::kYes) {
        return false;
      }
      state.settingsImage.reset();
      ui.RefillChannelList();
      ui.SetStatusText("");
      ui.SetWindowTitle(kProgramTitle);
    }
    FileRequest request = SettingsFileRequest(msg::kOpenSettingsTitle, state.currentFileName);
    if (!AskOpenFile(ui, request, state.options.dvbInitialDir)) return false;
    state.currentFileName = request.path;
  }

  const FileContents file = ReadWholeFile(state.currentFileName);
  if (!ShowReadProblem(ui, state.currentFileName, file)) return false;
  LoadDecodedImage(state, ui, file);
  return true;
}

bool LoadSettingsToAddTo(EditorState& state, Ui& ui, const std::string& path) {
  const FileContents file = ReadWholeFile(path);
  if (!file.opened && file.problem == FileProblem::kMissing) {
    // Only a file that is not there at all starts a new list.
    state.settingsImage.emplace();
    state.currentFileName = path;
    return true;
  }
  if (!ShowReadProblem(ui, path, file)) return false;
  std::vector<ChannelRecord> records = DecodeSettingsBytes(file.bytes);
  // Bytes without a single channel are some other file named by mistake; saving the list into
  // it would destroy it.
  if (records.empty() && !file.bytes.empty()) {
    ui.ShowMessage(Format(msg::kNotASettingsFile, path.c_str()), Icon::kStop);
    return false;
  }
  state.currentFileName = path;
  state.settingsImage = std::move(records);
  ui.RefillChannelList();
  ui.SetWindowTitle(FileWindowTitle(path));
  return true;
}

bool SaveSettingsFile(EditorState& state, Ui& ui, bool saveAs) {
  if (!state.settingsImage) {
    ui.ShowMessage(msg::kNoSettingsLoaded, Icon::kWarning);
    return false;
  }
  if (saveAs || state.currentFileName.empty()) {
    FileRequest request = SettingsFileRequest(msg::kSaveSettingsTitle, state.currentFileName);
    request.overwritePrompt = true;
    if (!AskSaveFile(ui, request, state.options.dvbInitialDir)) return false;
    state.currentFileName = request.path;
  }

  WriteFailure failure;
  switch (WriteFileAtomically(state.currentFileName, EncodeSettingsBytes(*state.settingsImage),
                              &failure)) {
    case WriteResult::kCannotCreate:
      ui.ShowDetailedMessage(msg::kUnableToOpenForOutput, WriteFailureText(failure),
                             Icon::kInformation);
      return false;
    case WriteResult::kWriteFailed:
      // The old file is untouched and the list stays marked as modified.
      ui.ShowDetailedMessage(Format(msg::kUnableToWriteFile, state.currentFileName.c_str()),
                             WriteFailureText(failure), Icon::kStop);
      return false;
    case WriteResult::kDone:
      break;
  }
  state.settingsModified = false;
  ui.SetWindowTitle(FileWindowTitle(state.currentFileName));
  return true;
}

bool OfferToSaveChanges(EditorState& state, Ui& ui) {
  if (!state.settingsModified) return true;
  switch (ui.Ask(msg::kSaveChanges, Buttons::kYesNoCancel, Icon::kQuestion, Answer::kYes)) {
    case Answer::kYes:
      return SaveSettingsFile(state, ui, false);
    case Answer::kNo:
      return true;
    default:
      return false;
  }
}

void NewSettings(EditorState& state, Ui& ui) {
  if (!OfferToSaveChanges(state, ui)) return;
  state.settingsModified = false;
  state.settingsImage.reset();
  ui.RefillChannelList();
}

}  // namespace pelorus
