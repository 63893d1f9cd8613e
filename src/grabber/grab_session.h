#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "common/ui.h"
#include "grabber/frame_convert.h"
#include "grabber/picture_size.h"

namespace pelorus {

// The choices of the save dialog's options panel. They last as long as the program runs and
// are never saved.
struct GrabOptions {
  int frameNumber = 1;
  GrabDisplayMode displayMode = GrabDisplayMode::kColour;
  bool interpolate = true;
  bool showPicture = true;
  bool deleteMem = true;
};

// What one grab hands on to the next while the program runs.
struct GrabSession {
  GrabOptions options;
  PictureSize pictureSize;  // 0 x 0 until a grab learns it from the receiver
  std::string fileName;     // the picture's name chosen last time
  std::set<std::string> memFilesWritten;
};

// The save dialog: the standard request plus the second file type, and the options panel,
// whose every click changes `options` at once (so also when the dialog is then cancelled).
struct GrabDialogRequest {
  FileRequest file;
  std::string bitmapFilterName;
  std::string bitmapFilterPattern;
};
using GrabDialog = std::function<bool(GrabDialogRequest& request, GrabOptions& options)>;

// The imaging the toolkit does for the grabber. Bitmaps are 720 columns of blue, green, red,
// rows top to bottom, no padding.
class PictureTools {
 public:
  virtual ~PictureTools() = default;
  // Stretches the left `width` columns of the first `height` rows to all 720, in place.
  virtual void Stretch(std::vector<uint8_t>& bitmap, int width, int height) = 0;
  // Writes the first `height` rows as a JPEG of quality 100 or as a bitmap file. False when
  // the file could not be written, with `reason` saying why; nothing half-written is left
  // under `path` then.
  virtual bool Write(const std::string& path, bool jpeg, std::span<const uint8_t> bitmap,
                     int height, std::string& reason) = 0;
  // Shows the picture in its window until the user closes it.
  virtual void Show(std::span<const uint8_t> bitmap, int height) = 0;
};

}  // namespace pelorus
