#pragma once

#include <span>
#include <vector>

#include "common/editor_state.h"
#include "common/image_delta.h"
#include "common/ui.h"

namespace pelorus {

// The one way into the undo history. Any code that changes `state.settingsImage` as an edit the
// user may take back wraps the change in a RecordEdit:
//
//   RecordEdit edit(state, {selectedRows, focusRow});
//   ... change state.settingsImage (any way at all) ...
//   edit.Commit({rowsToSelect, focusRow});
//
// Edits may nest: only the outermost one stores a step. Commit compares the image with the one the
// edit started from and stores only the difference as one step; nothing is stored when the image is
// the same. An edit dropped without Commit commits with the selection it started with, so a change
// is never left out of the history (later steps could not be undone on top of an unrecorded
// change). Menu commands are wrapped by RecordCommand below; code that changes the list outside a
// menu command (a worker's results, a drop on the list) uses RecordEdit itself.
class RecordEdit {
 public:
  RecordEdit(EditorState& state, UndoSelection before);
  ~RecordEdit();
  RecordEdit(const RecordEdit&) = delete;
  RecordEdit& operator=(const RecordEdit&) = delete;

  // Stores the step. True when the image changed.
  bool Commit(UndoSelection after);
  // Whether the image differs from the one the edit started from.
  bool Changed() const;
  // Ends the edit without a step, for a change that starts a fresh history anyway.
  void Discard();

 private:
  EditorState& state_;
  SettingsImage before_;
  UndoSelection selectionBefore_;
  bool outermost_;
  bool committed_ = false;
};

// A menu command seen by the history: what the command did decides what the history does.
// Commands that replace the list (New, Open, reading from the receiver, an entry of the recent
// files) start a fresh history when they changed the image or the file; a save (the image
// unchanged, the modified flag cleared) marks the saved state; any other change of the image
// is one step. Undo and Redo themselves are not recorded.
class RecordCommand {
 public:
  RecordCommand(EditorState& state, int command, UndoSelection before);
  RecordCommand(const RecordCommand&) = delete;
  RecordCommand& operator=(const RecordCommand&) = delete;
  void Finish(UndoSelection after);

 private:
  EditorState& state_;
  int command_;
  bool wasModified_;
  std::string fileName_;
  std::optional<RecordEdit> edit_;
};

// Whether a command replaces the whole list (and so starts a fresh history).
bool ReplacesList(int command);

// Undo and Redo of the Modifica menu. False (with a beep) when there is nothing to undo or redo.
// `after` is the selection the step restores.
bool UndoLastEdit(EditorState& state, Ui& ui, UndoSelection& after);
bool RedoLastEdit(EditorState& state, Ui& ui, UndoSelection& after);

// Moves the selected rows, in their order, so that they stand before the row `destination`
// had (`destination` == ChannelCount: to the end). Rows may be anywhere; the moved rows are
// selected afterwards. False when nothing moved.
bool MoveRows(EditorState& state, Ui& ui, std::span<const int> selection, int destination,
              UndoSelection& after);

// Alt+Up / Alt+Down: each selected row changes place with the unselected row above or below the
// block it belongs to. False when the selection already touches that end of the list.
bool MoveRowsByOne(EditorState& state, Ui& ui, std::span<const int> selection, bool up,
                   UndoSelection& after);

}  // namespace pelorus
