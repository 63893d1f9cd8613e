#include "grabber/mem_file.h"

#include <algorithm>
#include <filesystem>

namespace pelorus {
namespace {

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

std::optional<PictureFormat> PictureFormatFor(const std::string& picturePath) {
  std::string name = picturePath.substr(FileNameStart(picturePath));
  std::transform(name.begin(), name.end(), name.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  if (name.ends_with(".jpg") || name.ends_with(".jpeg")) return PictureFormat::kJpeg;
  if (name.ends_with(".bmp")) return PictureFormat::kBitmap;
  return std::nullopt;
}

bool MemFileReplaceable(const std::string& path, const std::set<std::string>& writtenByGrab) {
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) return true;
  return writtenByGrab.contains(path);
}

}  // namespace pelorus
