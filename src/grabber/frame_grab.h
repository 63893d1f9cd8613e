#pragma once

#include <optional>
#include <span>
#include <string>

#include "common/editor_state.h"
#include "common/ui.h"
#include "common/worker.h"
#include "grabber/grab_session.h"
#include "grabber/mem_file.h"
#include "grabber/serial_frame.h"
#include "scsi/memory_dump.h"
#include "serial/serial_link.h"

namespace pelorus {

// How a grab ended: whether the picture was written, and whether parts of the frame did not
// arrive (they are black in the picture). Only a whole picture is a success.
struct GrabOutcome {
  bool written = false;
  bool readsFailed = false;
  bool Succeeded() const { return written && !readsFailed; }
};

// One grab once the user has chosen the picture.
struct GrabPlan {
  std::string picturePath;
  std::string memPath;
  PictureFormat format = PictureFormat::kJpeg;
  bool viaScsi = false;
};

// "Cattura Immagine..." up to the reading: asks for the picture's name (with the options
// panel), refuses a name whose ending is no picture type, sets ReadStartAddress and ReadLength
// to the chosen frame, and makes sure the dump beside the picture may be written (a file there
// that no grab of this run wrote is replaced only when the user says so). Nothing when the grab
// is not to go on.
std::optional<GrabPlan> PlanGrab(EditorState& state, GrabSession& session, Ui& ui, bool viaScsi,
                                 const GrabDialog& dialog);

// The SCSI grab: the frame into the dump (pieces that fail keep their place, as zeros), the
// picture size, then the conversion.
GrabOutcome GrabOverScsi(EditorState& state, GrabSession& session, Ui& ui, const GrabPlan& plan,
                         PictureTools& tools);

// What a serial grab's worker starts from.
SerialGrab PrepareSerialGrab(const EditorState& state, const GrabSession& session,
                             const GrabPlan& plan);
// After the serial grab's worker: takes back what it learnt (the picture size, interpolation
// switched off) and, when the frame was read, converts it.
GrabOutcome FinishSerialGrab(Ui& ui, GrabSession& session, const GrabPlan& plan,
                             const SerialGrab& grab, const RunResult& result, PictureTools& tools);

// The conversion half: the dump this grab wrote into the picture, with the session's options
// and picture size. The parts listed in `missing` (and whatever a short dump lacks) are black.
GrabOutcome ConvertGrabbedFrame(Ui& ui, GrabSession& session, const GrabPlan& plan,
                                std::span<const MemoryGap> missing, PictureTools& tools);

// The whole grab for a caller that has nothing else to do meanwhile: a serial read runs on a
// worker of its own while this thread waits.
GrabOutcome GrabFrame(EditorState& state, GrabSession& session, SerialLink& link, bool viaScsi,
                      const GrabDialog& dialog, PictureTools& tools);

}  // namespace pelorus
