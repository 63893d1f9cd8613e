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

void LoadDecodedImage(EditorState& state, Ui& ui, std::vector<ChannelRecord> records,
                      const FileContents& file) {
  BusyScope busy(ui);
  state.settingsImage = std::move(records);
  ui.RefillChannelList();
  ui.SetWindowTitle(FileWindowTitle(state.currentFileName));
  // The list stays empty as the file says, but the user learns it was no settings file.
  if (state.settingsImage->empty() && file.size > 0) {
    ui.SetStatusText(Format(msg::kNoChannelRecordFound, state.currentFileName.c_str()));
  }
}

// Records still in the receiver's order become host order, masked; untagged ones are dropped
// and the rest close up. The block's length is the number kept.
void DecodeRecordsInPlace(std::vector<ChannelRecord>& records) {
  size_t kept = 0;
  for (size_t i = 0; i < records.size(); ++i) {
    ChannelRecord& record = records[i];
    if (!record.HasTag()) continue;
    SwapRecordByteOrder(record);
    MaskRecordFields(record);
    if (kept != i) records[kept] = record;
    ++kept;
  }
  records.resize(kept);
}

}  // namespace

std::vector<ChannelRecord> DecodeSettingsBytes(std::span<const uint8_t> bytes) {
  std::vector<ChannelRecord> records(bytes.size() / kChannelRecordSize);
  if (!records.empty())
    std::memcpy(records.data(), bytes.data(), records.size() * kChannelRecordSize);
  DecodeRecordsInPlace(records);
  return records;
}

FileContents ReadSettingsRecords(const std::string& path, std::vector<ChannelRecord>& records) {
  // The file is read straight into the records' own storage (with room for a partial last
  // record, which is then ignored): a full list is 4 MiB, and a copy of it costs as much as
  // decoding it.
  records.clear();
  FileContents file = ReadWholeFileInto(path, kMaxSettingsFileBytes, [&records](uint64_t size) {
    records.resize(static_cast<size_t>((size + kChannelRecordSize - 1) / kChannelRecordSize));
    return std::span(reinterpret_cast<uint8_t*>(records.data()),
                     records.size() * kChannelRecordSize);
  });
  if (!file.opened || file.readFailed) {
    records.clear();
    return file;
  }
  records.resize(static_cast<size_t>(file.size / kChannelRecordSize));
  DecodeRecordsInPlace(records);
  return file;
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

  std::vector<ChannelRecord> records;
  const FileContents file = ReadSettingsRecords(state.currentFileName, records);
  if (!ShowReadProblem(ui, state.currentFileName, file)) return false;
  LoadDecodedImage(state, ui, std::move(records), file);
  return true;
}

bool LoadSettingsToAddTo(EditorState& state, Ui& ui, const std::string& path) {
  std::vector<ChannelRecord> records;
  const FileContents file = ReadSettingsRecords(path, records);
  if (!file.opened && file.problem == FileProblem::kMissing) {
    // Only a file that is not there at all starts a new list.
    state.settingsImage.emplace();
    state.currentFileName = path;
    return true;
  }
  if (!ShowReadProblem(ui, path, file)) return false;
  // Bytes without a single channel are some other file named by mistake; saving the list into
  // it would destroy it.
  if (records.empty() && file.size > 0) {
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
