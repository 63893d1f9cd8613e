#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "receiver/channel_record.h"

namespace pelorus {

using SettingsImage = std::optional<std::vector<ChannelRecord>>;

// The list's selection before or after a step: the rows and the row with the focus (-1: none).
struct UndoSelection {
  std::vector<int> rows;
  int focusRow = -1;
};

// One change of the settings image that can be taken back and done again: the command object
// of the history. RecordEdit (channels/undo_edits.h) makes them; other kinds may be pushed too.
class UndoStep {
 public:
  virtual ~UndoStep() = default;
  // False when the step does not fit the image it is given; the image is then untouched.
  virtual bool Undo(SettingsImage& image) const = 0;
  virtual bool Redo(SettingsImage& image) const = 0;
  virtual size_t MemoryBytes() const = 0;
};

// The steps of the list since it was loaded, made or read from the receiver, without a limit on
// their number: each step keeps only what its change touched. It also knows which step matches
// the file last saved, so that undoing back to it clears the modified flag.
class UndoHistory {
 public:
  // Starts a fresh history whose current state is the saved one when `saved` is true.
  void Clear(bool saved = true);

  // Adds a step after the current one, dropping the steps that were undone. The fingerprints
  // (see Fingerprint) of the image before and after the step let the history notice a change
  // made behind its back before it applies a step to an image the step does not fit.
  void Push(std::unique_ptr<UndoStep> step, UndoSelection before, UndoSelection after,
            uint64_t fingerprintBefore, uint64_t fingerprintAfter);

  bool CanUndo() const { return index_ > 0; }
  bool CanRedo() const { return index_ < steps_.size(); }

  // Undoes or redoes one step on `image`. On success `selection` is the selection to show and
  // `modified` whether the image now differs from the saved file. False when there is nothing to
  // do, or when the image was changed without the history knowing; the history is then cleared
  // rather than applying a step to an image it does not fit.
  bool Undo(SettingsImage& image, UndoSelection& selection, bool& modified);
  bool Redo(SettingsImage& image, UndoSelection& selection, bool& modified);

  // The current state is what the file holds now (after a save).
  void MarkSaved();
  bool IsAtSavedState() const { return savedIndex_ && *savedIndex_ == index_; }

  // RecordEdit opens and closes an edit here, so that an edit made inside another one (a core
  // function that records itself, run by a menu command that is recorded) adds no step of its
  // own. True when this is the outermost edit.
  bool OpenEdit() { return openEdits_++ == 0; }
  void CloseEdit() {
    if (openEdits_ > 0) --openEdits_;
  }

  size_t StepCount() const { return steps_.size(); }
  size_t CurrentIndex() const { return index_; }
  // The heap bytes the steps hold.
  size_t MemoryBytes() const;

  // A fingerprint of an image's bytes and size, cheap enough to take on every step.
  static uint64_t Fingerprint(const SettingsImage& image);

 private:
  struct Entry {
    std::unique_ptr<UndoStep> step;
    UndoSelection before;
    UndoSelection after;
    uint64_t fingerprintBefore = 0;
    uint64_t fingerprintAfter = 0;
  };

  std::vector<Entry> steps_;
  size_t openEdits_ = 0;
  size_t index_ = 0;                      // steps_[0, index_) are done
  std::optional<size_t> savedIndex_ = 0;  // none: the saved state was dropped with a redo branch
};

}  // namespace pelorus
