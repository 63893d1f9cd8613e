#include "grabber/mem_file.h"

#include <algorithm>
#include <filesystem>

#include "grabber/frame_format.h"

namespace pelorus {
namespace {

// What a grab leaves: a SCSI dump of one frame, or the ten whole chunks of a serial one.
constexpr uintmax_t kSerialDumpBytes = 10 * 65536;

size_t FileNameStart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string MemFileName(const std::string& picturePath) {
  const size_t start = FileNameStart(picturePath);
  const size_t dot = picturePath.find('.', start);
  return picturePath.substr(0, dot == std::string::npos ? picturePath.size() : dot) + ".mem";
}

bool WantsJpeg(const std::string& picturePath) {
  std::string name = picturePath.substr(FileNameStart(picturePath));
  std::transform(name.begin(), name.end(), name.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return name.find(".jpg") != std::string::npos;
}

bool MemFileReplaceable(const std::string& path, const std::set<std::string>& writtenByGrab) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return true;
  if (writtenByGrab.contains(path)) return true;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  const uintmax_t size = std::filesystem::file_size(path, error);
  return !error && (size == kFrameBytes || size == kSerialDumpBytes);
}

}  // namespace pelorus
