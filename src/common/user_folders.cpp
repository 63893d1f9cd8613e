#include "common/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace pelorus {
namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
    return entry->pw_dir;
  return "/tmp";
}

// The XDG rule: the variable when it holds an absolute path, else the default below home.
std::string XdgFolder(const char* variable, const char* defaultBelowHome) {
  std::filesystem::path base;
  if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
    base = value;
  } else {
    base = std::filesystem::path(HomeFolder()) / defaultBelowHome;
  }
  const std::filesystem::path folder = base / "pelorus";
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return folder.string();
}

}  // namespace

std::string UserDataFolder() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }

std::string UserCacheFolder() { return XdgFolder("XDG_CACHE_HOME", ".cache"); }

std::string UserConfigFolder() {
  std::filesystem::path base;
  if (const char* value = std::getenv("XDG_CONFIG_HOME"); value != nullptr && value[0] == '/') {
    base = value;
  } else {
    base = std::filesystem::path(HomeFolder()) / ".config";
  }
  return (base / "Haldane").string();
}

}  // namespace pelorus
