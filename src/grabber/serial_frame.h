#pragma once

#include <string>

#include "common/editor_state.h"
#include "grabber/grab_session.h"
#include "serial/serial_link.h"
#include "serial/serial_port.h"

namespace pelorus {

// Pauses the receiver's video, reads ReadLength bytes from ReadStartAddress (the options) in
// chunks of 64 KiB into `memPath`, and resumes the video. True when the whole frame was read;
// the port is left open for the size query. On failure the user has been told and no dump is
// left under `memPath`.
bool ReadFrameSerial(EditorState& state, SerialLink& link, const std::string& memPath);

// Asks the receiver for the picture size ("K") and keeps it in the session. A missing answer
// leaves the size as it was (720 x 576 when none was ever known); a zero switches
// interpolation off.
void QueryPictureSizeSerial(SerialLink& link, GrabSession& session);

// Applies a reported size to the session, telling the user when it cannot be used as it is.
void TakePictureSize(Ui& ui, GrabSession& session, std::optional<PictureSize> reported);

}  // namespace pelorus
