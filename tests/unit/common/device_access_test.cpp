// A port or SCSI node the user may not open: the detail says which group may, and how to join.
#include "common/device_access.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <optional>

#include "scsi/sg_io_transport.h"
#include "serial/serial_link.h"
#include "support/fake_ui.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

TEST(DeviceAccess, EachSituationGetsItsOwnAdvice) {
  DeviceAccess access;
  access.path = "/dev/ttyUSB0";
  access.user = "anna";
  access.group = "dialout";
  EXPECT_EQ(DeviceAccessAdvice(access),
            "Only members of the group \"dialout\" may open /dev/ttyUSB0, and you (anna) are not "
            "one. Add yourself with\n  sudo usermod -aG dialout anna\nthen log out and back in.");

  access.userListedInGroup = true;
  EXPECT_EQ(DeviceAccessAdvice(access),
            "You (anna) were added to the group \"dialout\" that may open /dev/ttyUSB0 after this "
            "session began: log out and back in (or start the program from \"newgrp dialout\").");

  access.sessionHasGroup = true;
  EXPECT_EQ(DeviceAccessAdvice(access),
            "/dev/ttyUSB0 does not let its group \"dialout\" read and write it (see ls -l "
            "/dev/ttyUSB0).");

  DeviceAccess sg;
  sg.path = "/dev/sg2";
  sg.user = "anna";
  sg.group = "root";
  sg.rootOnly = true;
  EXPECT_EQ(DeviceAccessAdvice(sg),
            "Only root may open /dev/sg2: a udev rule can give it to a group such as \"disk\", "
            "whose members may then open it.");
}

TEST(DeviceAccess, OnlyARefusalGetsAdviceAndTheUsualGroupFollowsTheNode) {
  EXPECT_EQ(DeviceAccessAdvice("/dev/ttyS0", ENOENT), "");
  EXPECT_EQ(DeviceAccessAdvice("/dev/ttyS0", EBUSY), "");
  EXPECT_EQ(UsualDeviceGroup("/dev/sg0"), "disk");
  EXPECT_EQ(UsualDeviceGroup("/dev/ttyUSB0"), "dialout");
  EXPECT_EQ(UsualDeviceGroup("ttyS1"), "dialout");
}

// Runs `probe` as a user who may not open what the test made: as "nobody" in a child process
// when the tests run as root (root opens everything), else in this process.
std::optional<std::string> AsUnprivilegedUser(const std::function<std::string()>& probe) {
  if (::geteuid() != 0) return probe();
  const passwd* nobody = ::getpwnam("nobody");
  if (nobody == nullptr) return std::nullopt;
  const uid_t uid = nobody->pw_uid;
  const gid_t gid = nobody->pw_gid;
  int fds[2];
  if (::pipe(fds) != 0) return std::nullopt;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(fds[0]);
    if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) ::_exit(2);
    const std::string text = probe();
    [[maybe_unused]] const ssize_t written = ::write(fds[1], text.data(), text.size());
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string text;
  char buffer[512];
  ssize_t n;
  while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) text.append(buffer, size_t(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return text;
}

// A node that only its owner and, when the machine has one, the "dialout" group may open.
std::string GuardedNode(const testing::TempDir& dir, const std::string& name) {
  const std::string path = dir.File(name);
  testing::WriteBytes(path, {0});
  if (::geteuid() == 0) {
    ::chmod(dir.path().c_str(), 0755);
    const group* dialout = ::getgrnam("dialout");
    [[maybe_unused]] const int owned = ::chown(path.c_str(), 0, dialout ? dialout->gr_gid : 0);
    ::chmod(path.c_str(), 0660);
  } else {
    ::chmod(path.c_str(), 0);
  }
  return path;
}

TEST(DeviceAccess, ARefusedSerialPortNamesTheGroupBesideTheMessage) {
  testing::TempDir dir;
  const std::string port = GuardedNode(dir, "ttyUSB7");
  const std::optional<std::string> detail = AsUnprivilegedUser([&port] {
    testing::FakeUi ui;
    SerialLink link(ui);
    if (link.Open(port, 9600) || ui.details.size() != 1) return std::string("opened");
    return ui.calls.front() + "\n" + ui.details.front();
  });
  if (!detail) GTEST_SKIP() << "no unprivileged user to run as";
  EXPECT_EQ(detail->rfind(
                "message stop: Unable to open serial port\n" + port + ": Permission denied\n", 0),
            0u)
      << *detail;
  if (::geteuid() == 0 && ::getgrnam("dialout") != nullptr) {
    EXPECT_NE(detail->find("Only members of the group \"dialout\" may open " + port +
                           ", and you (nobody) are not one"),
              std::string::npos)
        << *detail;
  } else {
    EXPECT_GT(detail->size(), port.size() + 60) << *detail;
  }
}

TEST(DeviceAccess, SgNodesNoneOfWhichOpenSayWhichGroupMay) {
  testing::TempDir dir;
  std::filesystem::create_directories(dir.path() / "dev");
  testing::TempDir hosts;
  const std::string node = GuardedNode(dir, "dev/sg0");
  ::chmod((dir.path() / "dev").c_str(), 0755);
  const std::optional<std::string> failure = AsUnprivilegedUser([&] {
    SgIoTransport transport((dir.path() / "dev").string(), hosts.path().string());
    std::vector<ScsiAdapter> adapters;
    if (transport.QueryBus(adapters)) return std::string("opened");
    return transport.LastFailure();
  });
  if (!failure) GTEST_SKIP() << "no unprivileged user to run as";
  EXPECT_NE(failure->find("no SCSI generic device (sg*) could be opened\n" + node +
                          ": Permission denied\n"),
            std::string::npos)
      << *failure;
}

}  // namespace
}  // namespace pelorus
