#pragma once

#include "common/editor_state.h"
#include "common/ui.h"
#include "grabber/grab_session.h"
#include "serial/serial_link.h"

namespace pelorus {

// "Cattura Immagine...": asks for the picture's name (with the options panel), copies the
// chosen frame buffer out of the receiver over SCSI or the serial link into a dump beside the
// picture, converts it, writes the picture and shows it. True when the picture was written.
bool GrabFrame(EditorState& state, GrabSession& session, SerialLink& link, bool viaScsi,
               const GrabDialog& dialog, PictureTools& tools);

// The conversion half: the dump at `memPath` into the picture at `picturePath`, with the
// session's options and picture size. True when the picture was written.
bool ConvertGrabbedFrame(Ui& ui, GrabSession& session, const std::string& memPath,
                         const std::string& picturePath, PictureTools& tools);

}  // namespace pelorus
