#include "common/device_access.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "common/messages.h"
#include "common/strfmt.h"

namespace pelorus {
namespace {

std::string UserName() {
  std::vector<char> buffer(4096);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
    return found->pw_name;
  }
  return Format("uid %u", static_cast<unsigned>(::geteuid()));
}

bool SessionHasGroup(gid_t group) {
  if (::getegid() == group) return true;
  const int count = ::getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<size_t>(count));
  const int filled = ::getgroups(count, groups.data());
  return filled > 0 &&
         std::find(groups.begin(), groups.begin() + filled, group) != groups.begin() + filled;
}

DeviceAccess Gather(const std::string& path) {
  DeviceAccess access;
  access.path = path;
  access.user = UserName();
  access.group = UsualDeviceGroup(path);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return access;
  access.rootOnly = info.st_gid == 0;
  access.sessionHasGroup = SessionHasGroup(info.st_gid);
  std::vector<char> buffer(16384);
  group entry{};
  group* found = nullptr;
  if (::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
    access.group = Format("%u", static_cast<unsigned>(info.st_gid));
    return access;
  }
  access.group = found->gr_name;
  for (char** member = found->gr_mem; member != nullptr && *member != nullptr; ++member) {
    if (access.user == *member) access.userListedInGroup = true;
  }
  return access;
}

}  // namespace

std::string UsualDeviceGroup(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return name.starts_with("sg") ? "disk" : "dialout";
}

std::string DeviceAccessAdvice(const DeviceAccess& access) {
  const char* path = access.path.c_str();
  const char* group = access.group.c_str();
  const char* user = access.user.c_str();
  if (access.rootOnly) {
    return Format(msg::kDeviceForRootOnly, path, UsualDeviceGroup(access.path).c_str());
  }
  if (access.sessionHasGroup) return Format(msg::kDeviceGroupMayNotOpen, path, group, path);
  if (access.userListedInGroup) {
    return Format(msg::kDeviceGroupNotYetActive, user, group, path, group);
  }
  return Format(msg::kNotInDeviceGroup, group, path, user, group, user);
}

std::string DeviceAccessAdvice(const std::string& path, int error) {
  if (error != EACCES && error != EPERM) return {};
  return DeviceAccessAdvice(Gather(path));
}

}  // namespace pelorus
