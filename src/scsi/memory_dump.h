#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/editor_state.h"
#include "common/ui.h"

namespace pelorus {

// What the memory dialog shows and hands back: the save dialog's request and the two range
// fields below it ("Metti Indirizzo:", "Lunghezza:").
struct MemoryDialogRequest {
  FileRequest file;
  std::string addressText;
  std::string lengthText;
};

// Shows the save dialog with the range fields. Returns true when confirmed; the field texts are
// handed back either way, since the dialog keeps them on Cancel too.
using MemoryDialog = std::function<bool(MemoryDialogRequest& request)>;

// "Leggi Memoria...": asks for a file and a range, then dumps it. True when the whole range was
// written to the file.
bool SaveReceiverMemory(EditorState& state, Ui& ui, const MemoryDialog& dialog);

// A stretch of a dump that did not arrive: its offset from the dump's start and its length.
struct MemoryGap {
  uint64_t offset = 0;
  uint64_t length = 0;
  bool operator==(const MemoryGap&) const = default;
};

// Dumps ReadLength bytes from ReadStartAddress (the options) into `path`, replacing it. Pieces
// that fail are left out; the file appears only once it is complete, so a dump that cannot be
// written leaves any old file as it was. True when every piece was read and written.
// With `gaps`, a piece that fails keeps its place instead, as zeros, and is listed there, so
// that what follows it lies where it belongs (the frame grabber's dump); a dump that could not
// be written leaves `gaps` empty.
bool ReadMemoryToFile(EditorState& state, Ui& ui, const std::string& path,
                      std::vector<MemoryGap>* gaps = nullptr);

}  // namespace pelorus
