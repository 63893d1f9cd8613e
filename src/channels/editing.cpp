#include "channels/editing.h"

#include <algorithm>
#include <new>

#include "channels/channel_line.h"
#include "channels/messages.h"
#include "channels/mpeg_search.h"
#include "channels/selection.h"
#include "common/require.h"

namespace pelorus {
namespace {

// An image with records. A loaded list without any has no row to select, so insert and paste
// treat it like no list at all instead of asking for a selection that cannot be made.
bool HasRows(const EditorState& state) { return state.ChannelCount() > 0; }

ChannelRecord NewChannelTemplate() {
  ChannelRecord record{};
  record.fecCode = 1;
  record.pcrPid = kNoPid;
  record.pmtPid = kNoPid;
  record.textPid = kNoPid;
  return record;
}

void InsertRecords(std::vector<ChannelRecord>& image, int position,
                   const std::vector<ChannelRecord>& records) {
  image.insert(image.begin() + position, records.begin(), records.end());
}

}  // namespace

bool RunChannelDialog(EditorState& state, const ChannelDialogRunner& runDialog) {
  if (!runDialog(state.editRecord)) return false;
  state.settingsModified = true;
  return true;
}

bool EditSelectedChannel(EditorState& state, Ui& ui, std::span<const int> selection,
                         const ChannelDialogRunner& runDialog, RowSelection& after) {
  const std::vector<int> rows = ValidRows(selection, state.ChannelCount());
  if (rows.empty()) return false;
  const int row = rows.front();
  auto& image = *state.settingsImage;
  state.editRecord = image[static_cast<size_t>(row)];
  if (!RunChannelDialog(state, runDialog)) return false;
  image[static_cast<size_t>(row)] = state.editRecord;
  ui.RefillChannelList();
  after.rows = rows;
  after.focusRow = row;
  return true;
}

bool InsertChannel(EditorState& state, Ui& ui, std::span<const int> selection,
                   const ChannelDialogRunner& runDialog, RowSelection& after) {
  int position = 0;
  if (HasRows(state)) {
    const std::vector<int> rows = ValidRows(selection, state.ChannelCount());
    if (rows.size() != 1) {
      ui.ShowMessage(msg::kSelectInsertAnchor, Icon::kWarning);
      return false;
    }
    position = rows.front() + 1;
  }
  state.editRecord = NewChannelTemplate();
  if (!RunChannelDialog(state, runDialog)) return false;
  if (state.editRecord.name[0] == 0) return false;

  if (!state.settingsImage) state.settingsImage.emplace();
  InsertRecords(*state.settingsImage, position, {state.editRecord});
  ui.RefillChannelList();
  after.rows = {position};
  after.focusRow = position;
  return true;
}

int DeleteChannels(EditorState& state, Ui& ui, std::span<const int> selection,
                   RowSelection& after) {
  if (!RequireSettings(state, ui)) return 0;
  const std::vector<int> rows = ValidRows(selection, state.ChannelCount());
  {
    BusyScope busy(ui);
    auto& image = *state.settingsImage;
    // One pass that keeps the unselected records in their order.
    size_t kept = 0;
    size_t next = 0;
    for (size_t i = 0; i < image.size(); ++i) {
      if (next < rows.size() && static_cast<size_t>(rows[next]) == i) {
        ++next;
        continue;
      }
      image[kept++] = image[i];
    }
    image.resize(kept);
    if (image.empty()) {
      state.settingsImage.reset();
      state.settingsModified = false;
    } else if (!rows.empty()) {
      state.settingsModified = true;
    }
    ui.RefillChannelList();
  }
  after.rows.clear();
  after.focusRow = rows.empty() ? -1 : std::min(rows.front(), state.ChannelCount() - 1);
  if (rows.empty()) ui.ShowMessage(msg::kSelectToDelete, Icon::kWarning);
  return static_cast<int>(rows.size());
}

bool CopyChannels(const EditorState& state, Ui& ui, std::span<const int> selection,
                  ClipboardUpdate& clipboard) {
  if (!RequireSettings(state, ui)) return false;
  const std::vector<int> rows = ValidRows(selection, state.ChannelCount());
  if (rows.empty()) {
    ui.ShowMessage(msg::kSelectToCopy, Icon::kWarning);
    return false;
  }
  clipboard = std::string();
  const auto& image = *state.settingsImage;
  const auto probe = std::find_if(image.begin(), image.end(),
                                  [](const ChannelRecord& record) { return !record.IsMarker(); });
  if (probe == image.end() || FormatChannelLine(*probe).empty()) {
    ui.ShowMessage(msg::kExportLengthFailed, Icon::kStop);
    return false;
  }
  // The text grows with each line instead of being sized from one probe line, so a line made
  // wider by an unusual value cannot run past the end.
  std::string text;
  try {
    text.reserve(rows.size() * FormatChannelLine(*probe).size());
    for (const int row : rows) text += FormatChannelLine(image[static_cast<size_t>(row)]);
  } catch (const std::bad_alloc&) {
    ui.ShowMessage(msg::kClipboardMemoryFailed, Icon::kStop);
    return false;
  }
  clipboard = std::move(text);
  return true;
}

bool CutChannels(EditorState& state, Ui& ui, std::span<const int> selection,
                 ClipboardUpdate& clipboard, RowSelection& after) {
  if (!CopyChannels(state, ui, selection, clipboard)) return false;
  DeleteChannels(state, ui, selection, after);
  return true;
}

std::vector<ChannelRecord> ParsePastedText(std::string_view text, bool mpegSearchMode,
                                           const Options& options) {
  std::vector<ChannelRecord> records;
  MpegSearchPaste mpegSearch(MpegSearchOptionsFrom(options));
  std::string line;
  for (const char c : text) {
    if (c == '\n') continue;
    if (c != '\r') {
      line += c;
      continue;
    }
    if (!mpegSearchMode) {
      ChannelRecord record;
      if (ParseChannelLine(line, record)) records.push_back(record);
    } else if (!IsMpegSearchHeaderLine(line)) {
      mpegSearch.AddLine(line, records);
    }
    line.clear();
  }
  return records;
}

std::string WithCrLfLineEnds(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 64);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

int PasteChannels(EditorState& state, Ui& ui, std::span<const int> selection,
                  const std::optional<std::string>& clipboardText, bool mpegSearchMode,
                  RowSelection& after) {
  int anchor = 0;
  bool anchorStays = false;  // the anchor row was selected alone and is still in the list
  if (HasRows(state)) {
    const std::vector<int> rows = ValidRows(selection, state.ChannelCount());
    if (rows.empty()) {
      ui.ShowMessage(msg::kSelectPasteAnchor, Icon::kWarning);
      return 0;
    }
    anchor = rows.front();
    anchorStays = rows.size() == 1;
    if (rows.size() > 1) {
      RowSelection ignored;
      DeleteChannels(state, ui, rows, ignored);
      anchor = rows.front() - 1;
    }
  }
  if (!clipboardText) return 0;

  const std::vector<ChannelRecord> records =
      ParsePastedText(*clipboardText, mpegSearchMode, state.options);
  const int count = static_cast<int>(records.size());
  BusyScope busy(ui);
  int position = 0;
  if (HasRows(state)) {
    const bool before = state.options.pasteBefore == 1;
    position = anchor < 0 ? 0 : before ? anchor : anchor + 1;
    InsertRecords(*state.settingsImage, position, records);
  } else if (!records.empty() || state.settingsImage) {
    state.settingsImage = records;
  }
  // Without any list there is nothing to save, and a flag set anyway would make every later
  // save prompt fail with "No settings are loaded".
  if (state.settingsImage) state.settingsModified = true;
  ui.RefillChannelList();

  after.rows.clear();
  after.focusRow = count > 0 ? position : -1;
  if (anchorStays) {
    const int anchorRow = anchor >= position ? anchor + count : anchor;
    after.rows = {anchorRow};
    after.focusRow = anchorRow;
  }
  return count;
}

int AppendPastedChannels(EditorState& state, std::string_view text, bool mpegSearchMode) {
  const std::vector<ChannelRecord> records = ParsePastedText(text, mpegSearchMode, state.options);
  if (!state.settingsImage) state.settingsImage.emplace();
  state.settingsImage->insert(state.settingsImage->end(), records.begin(), records.end());
  state.settingsModified = true;
  return static_cast<int>(records.size());
}

}  // namespace pelorus
