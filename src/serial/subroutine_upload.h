#pragma once

#include <string>

#include "common/editor_state.h"
#include "serial/serial_link.h"
#include "serial/serial_port.h"

namespace pelorus {

// Sends a subroutine file for the receiver to run: "D%08X", the bytes in blocks of 1024 and
// the checksum. With `keepOpen` the port stays open (held) for the caller to talk to the
// running subroutine. True when it was sent.
bool UploadSubroutine(SerialLink& link, const EditorState& state, const std::string& file,
                      bool keepOpen, BusyCursor& busy);

// "Carica Subroutine...": the file from the command line or the open dialog, uploaded with
// keep-open set when serial debugging is on. True when a subroutine was sent.
bool UploadSubroutineCommand(EditorState& state, SerialLink& link);

}  // namespace pelorus
