#pragma once

#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// The status line once a read of the receiver's list ends, however it ends: cleared, as after
// every transfer, except that a read that brought a list without a single channel says "0
// channels" there, so that an empty window is not mistaken for a read that did nothing.
class ReadStatusLine {
 public:
  ReadStatusLine(const EditorState& state, Ui& ui) : state_(state), ui_(ui) {}
  ~ReadStatusLine();
  ReadStatusLine(const ReadStatusLine&) = delete;
  ReadStatusLine& operator=(const ReadStatusLine&) = delete;

  // The image now holds what the receiver sent.
  void ListRead() { listRead_ = true; }
  // Leaves the status line as the read ends it now, before the read's own messages, so that no
  // message box stands over a stale "Getting channels...".
  void Finish();

 private:
  const EditorState& state_;
  Ui& ui_;
  bool listRead_ = false;
  bool finished_ = false;
};

}  // namespace pelorus
