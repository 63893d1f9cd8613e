#pragma once

#include <memory>
#include <string>

#include "common/editor_state.h"
#include "common/ui.h"
#include "scsi/scsi_transport.h"

namespace pelorus {

// The link text in use: `link` itself, or PELORUS_SCSI when `link` is empty.
std::string ChosenScsiLink(const std::string& link);

// The transport a link text names: "sim:PATH" is the stand-in receiver's socket; an empty text
// falls back to the PELORUS_SCSI environment variable and then to the SCSI generic devices.
// Null for a text that names no transport.
std::shared_ptr<ScsiTransport> OpenScsiTransport(const std::string& link);

// Sends INQUIRY to targets 0-7 of every adapter (never to the adapter's own id) and keeps the
// first target that answers as the receiver in `transport.receiverAddress`.
bool FindReceiver(ScsiTransport& transport);

// The start-up scan: `state.aspiModule` becomes the transport when the receiver was found
// (with the status text saying where), and null otherwise, without a message; `whyNotFound`
// (when given) then says what failed, for the detail beside a later message.
void ScsiScan(EditorState& state, Ui& ui, std::string* whyNotFound);
void ScsiScan(EditorState& state, Ui& ui);

}  // namespace pelorus
