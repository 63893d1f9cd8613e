#pragma once

#include <string>

namespace pelorus {

// What decides whether this user may open a device node.
struct DeviceAccess {
  std::string path;
  std::string user;                // the user's login name
  std::string group;               // the group the node belongs to
  bool rootOnly = false;           // it belongs to the root group
  bool sessionHasGroup = false;    // this process already runs with the group
  bool userListedInGroup = false;  // the group database names the user (a new login has it)
};

// The group a device is usually given to when its own cannot be read: "disk" for the SCSI
// generic nodes, "dialout" for serial ports.
std::string UsualDeviceGroup(const std::string& path);

// Why an open of `path` was refused, and how to change it, for the detail beside "Unable to
// open serial port" and its SCSI counterpart. Empty unless `error` is EACCES or EPERM.
std::string DeviceAccessAdvice(const std::string& path, int error);
// The same from facts already gathered.
std::string DeviceAccessAdvice(const DeviceAccess& access);

}  // namespace pelorus
