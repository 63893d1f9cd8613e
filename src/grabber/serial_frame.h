#pragma once

#include <string>
#include <vector>

#include "common/editor_state.h"
#include "common/worker.h"
#include "grabber/grab_session.h"
#include "scsi/memory_dump.h"
#include "serial/run_ui.h"
#include "serial/serial_link.h"
#include "serial/serial_port.h"

namespace pelorus {

// A serial grab as its worker runs it: what it reads with, and what it hands back.
struct SerialGrab {
  EditorState portState;           // the port, its speed, ReadStartAddress and ReadLength only
  GrabSession session;             // a copy: the size query changes the size and the options
  std::string memPath;             // the dump, written only when the frame was read
  std::vector<MemoryGap> missing;  // the parts of chunks cut short, zeros in the dump
  bool aborted = false;            // the user ended the grab
};

inline constexpr char kSerialGrabStopped[] = "stopped";

// The serial half of "Cattura Immagine..." as the body of a Worker: pauses the receiver's
// video, reads ReadLength bytes from ReadStartAddress in chunks of 64 KiB into the dump, resumes
// the video and asks for the picture size. A chunk cut short asks whether to abort; a stop
// request is the user's Yes to that question, taken between two reads of 1 KiB (the rest of the
// chunk under way is let go by before the video is resumed). A lost link ends the grab at once.
// Done when the dump was written; the port is closed on every path.
RunResult ReadFrameSerialRun(SerialLink& link, SerialGrab& grab, RunControl& control,
                             FrontEnd& frontEnd);

// Applies a reported size to the session, telling the user when it cannot be used as it is.
void TakePictureSize(Ui& ui, GrabSession& session, std::optional<PictureSize> reported);

}  // namespace pelorus
