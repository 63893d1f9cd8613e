#pragma once

#include <set>
#include <string>

namespace pelorus {

// The frame dump's name: beside the picture, the picture's file name up to its first "." (the
// whole name when it has none), then ".mem". Only the file name is cut, never the folders.
std::string MemFileName(const std::string& picturePath);

// JPEG when the picture's file name, lower-cased, contains ".jpg"; a bitmap otherwise. The
// name on disk keeps its case.
bool WantsJpeg(const std::string& picturePath);

// True when `path` may be replaced without asking: it does not exist, the grabber wrote it
// during this run, or it has exactly the size of a frame dump.
bool MemFileReplaceable(const std::string& path, const std::set<std::string>& writtenByGrab);

}  // namespace pelorus
