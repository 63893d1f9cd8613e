#include "channels/undo_edits.h"

#include <algorithm>
#include <cstring>

#include "channels/selection.h"
#include "common/command_ids.h"

namespace pelorus {
namespace {

// A step that keeps what one edit changed.
class ImageDeltaStep : public UndoStep {
 public:
  explicit ImageDeltaStep(ImageDelta delta) : delta_(std::move(delta)) {}
  bool Undo(SettingsImage& image) const override { return delta_.ApplyBackward(image); }
  bool Redo(SettingsImage& image) const override { return delta_.ApplyForward(image); }
  size_t MemoryBytes() const override { return sizeof *this + delta_.MemoryBytes(); }

 private:
  ImageDelta delta_;
};

bool FinishUndoRedo(Ui& ui, bool done) {
  if (!done) {
    ui.Beep();
    return false;
  }
  ui.RefillChannelList();
  return true;
}

}  // namespace

RecordEdit::RecordEdit(EditorState& state, UndoSelection before)
    : state_(state), selectionBefore_(std::move(before)), outermost_(state.history.OpenEdit()) {
  if (outermost_) before_ = state.settingsImage;
}

RecordEdit::~RecordEdit() {
  if (!committed_) Commit(selectionBefore_);
  state_.history.CloseEdit();
}

bool RecordEdit::Commit(UndoSelection after) {
  if (committed_ || !outermost_) return false;
  committed_ = true;
  ImageDelta delta = ImageDelta::Between(before_, state_.settingsImage);
  if (delta.IsEmpty()) return false;
  const uint64_t fingerprintBefore = UndoHistory::Fingerprint(before_);
  before_.reset();  // the copy is not needed any more; only the difference is kept
  state_.history.Push(std::make_unique<ImageDeltaStep>(std::move(delta)),
                      std::move(selectionBefore_), std::move(after), fingerprintBefore,
                      UndoHistory::Fingerprint(state_.settingsImage));
  return true;
}

bool RecordEdit::Changed() const {
  if (!outermost_ || committed_) return false;
  const auto& now = state_.settingsImage;
  if (before_.has_value() != now.has_value()) return true;
  if (!now) return false;
  return before_->size() != now->size() ||
         std::memcmp(before_->data(), now->data(), now->size() * sizeof(ChannelRecord)) != 0;
}

void RecordEdit::Discard() {
  committed_ = true;
  before_.reset();
}

bool ReplacesList(int command) {
  return command == cmd::kNew || command == cmd::kOpen || command == cmd::kSerialRead ||
         command == cmd::kScsiRead ||
         (command >= cmd::kRecentFileFirst &&
          command < cmd::kRecentFileFirst + cmd::kRecentFileCount);
}

RecordCommand::RecordCommand(EditorState& state, int command, UndoSelection before)
    : state_(state),
      command_(command),
      wasModified_(state.settingsModified),
      fileName_(state.currentFileName) {
  if (command != cmd::kUndo && command != cmd::kRedo) edit_.emplace(state, std::move(before));
}

void RecordCommand::Finish(UndoSelection after) {
  if (!edit_) return;
  if (ReplacesList(command_) && (edit_->Changed() || state_.currentFileName != fileName_)) {
    edit_->Discard();
    state_.history.Clear(!state_.settingsModified);
    return;
  }
  const bool changed = edit_->Commit(std::move(after));
  // A save leaves the image as it was and clears the modified flag.
  if (!changed && wasModified_ && !state_.settingsModified) state_.history.MarkSaved();
}

bool MoveRows(EditorState& state, Ui& ui, std::span<const int> selection, int destination,
              UndoSelection& after) {
  const int count = state.ChannelCount();
  const std::vector<int> rows = ValidRows(selection, count);
  if (rows.empty()) return false;
  destination = std::clamp(destination, 0, count);
  const auto& image = *state.settingsImage;
  std::vector<ChannelRecord> moved;
  moved.reserve(image.size());
  std::vector<bool> selected(image.size(), false);
  for (const int row : rows) selected[static_cast<size_t>(row)] = true;
  for (int i = 0; i < destination; ++i) {
    if (!selected[static_cast<size_t>(i)]) moved.push_back(image[static_cast<size_t>(i)]);
  }
  const int first = static_cast<int>(moved.size());
  for (const int row : rows) moved.push_back(image[static_cast<size_t>(row)]);
  for (int i = destination; i < count; ++i) {
    if (!selected[static_cast<size_t>(i)]) moved.push_back(image[static_cast<size_t>(i)]);
  }
  after.rows.clear();
  for (size_t i = 0; i < rows.size(); ++i) after.rows.push_back(first + static_cast<int>(i));
  after.focusRow = first;
  if (std::memcmp(moved.data(), image.data(), image.size() * sizeof(ChannelRecord)) == 0) {
    return false;
  }
  state.settingsImage = std::move(moved);
  state.settingsModified = true;
  ui.RefillChannelList();
  return true;
}

bool MoveRowsByOne(EditorState& state, Ui& ui, std::span<const int> selection, bool up,
                   UndoSelection& after) {
  const int count = state.ChannelCount();
  const std::vector<int> rows = ValidRows(selection, count);
  if (rows.empty() || (up && rows.front() == 0) || (!up && rows.back() == count - 1)) {
    return false;
  }
  auto& image = *state.settingsImage;
  // Swapping each selected row with its neighbour, nearest the moving edge first, carries the
  // one unselected row past each block.
  after.rows.clear();
  if (up) {
    for (const int row : rows) {
      std::swap(image[static_cast<size_t>(row - 1)], image[static_cast<size_t>(row)]);
      after.rows.push_back(row - 1);
    }
  } else {
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
      std::swap(image[static_cast<size_t>(*it)], image[static_cast<size_t>(*it + 1)]);
    }
    for (const int row : rows) after.rows.push_back(row + 1);
  }
  after.focusRow = up ? after.rows.front() : after.rows.back();
  state.settingsModified = true;
  ui.RefillChannelList();
  return true;
}

bool UndoLastEdit(EditorState& state, Ui& ui, UndoSelection& after) {
  bool modified = state.settingsModified;
  const bool done = state.history.Undo(state.settingsImage, after, modified);
  if (done) state.settingsModified = modified;
  return FinishUndoRedo(ui, done);
}

bool RedoLastEdit(EditorState& state, Ui& ui, UndoSelection& after) {
  bool modified = state.settingsModified;
  const bool done = state.history.Redo(state.settingsImage, after, modified);
  if (done) state.settingsModified = modified;
  return FinishUndoRedo(ui, done);
}

}  // namespace pelorus
