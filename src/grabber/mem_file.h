#pragma once

#include <optional>
#include <set>
#include <string>

namespace pelorus {

// The frame dump's name: beside the picture, the picture's file name up to its first "." (the
// whole name when it has none), then ".mem". Only the file name is cut, never the folders.
std::string MemFileName(const std::string& picturePath);

enum class PictureFormat { kJpeg, kBitmap };

// The ending of the picture's file name, in either case, picks the format: ".jpg" and ".jpeg"
// a JPEG, ".bmp" a bitmap. No value for any other name: the file would not be what it says.
std::optional<PictureFormat> PictureFormatFor(const std::string& picturePath);

// True when `path` may be replaced without asking: it does not exist, or a grab of this run of
// the program wrote it. Any other file is the user's, whatever its size.
bool MemFileReplaceable(const std::string& path, const std::set<std::string>& writtenByGrab);

}  // namespace pelorus
