#include "serial/serial_ports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/temp_dir.h"

namespace pelorus {
namespace {

namespace fs = std::filesystem;

void Write(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file) << text << "\n";
}

TEST(SerialPorts, AdaptersByStableNameWithTheirDetailsAndOnlyBuiltInPortsThatExist) {
  testing::TempDir dir;
  const fs::path root = dir.File("root");
  // A USB adapter: its node, its by-id link, and the sysfs tree up to the USB device.
  Write(root / "dev/ttyUSB0", "");
  fs::create_directories(root / "dev/serial/by-id");
  fs::create_symlink("../../ttyUSB0", root / "dev/serial/by-id/usb-Maker_Cable_A1B2-if00-port0");
  // A link left behind by an adapter that was unplugged.
  fs::create_symlink("../../ttyUSB9", root / "dev/serial/by-id/usb-Gone_Cable-if00-port0");
  const fs::path usb = root / "sys/devices/pci0/usb1/1-1";
  Write(usb / "idVendor", "0403");
  Write(usb / "manufacturer", "Maker");
  Write(usb / "product", "Cable");
  Write(usb / "serial", "A1B2");
  fs::create_directories(usb / "1-1:1.0/ttyUSB0");
  fs::create_directories(root / "sys/class/tty/ttyUSB0");
  fs::create_symlink(usb / "1-1:1.0/ttyUSB0", root / "sys/class/tty/ttyUSB0/device");
  // An adapter without a by-id name, and three built-in ports of which one has a UART.
  fs::create_directories(root / "sys/class/tty/ttyACM0");
  Write(root / "sys/class/tty/ttyS0/type", "4");
  Write(root / "sys/class/tty/ttyS1/type", "0");
  fs::create_directories(root / "sys/class/tty/ttyS2");
  fs::create_directories(root / "sys/class/tty/tty1");  // a console, not a serial port

  const std::vector<SerialPortInfo> ports = FindSerialPorts(root.string());
  ASSERT_EQ(ports.size(), 3u);
  EXPECT_EQ(ports[0].path, "/dev/serial/by-id/usb-Maker_Cable_A1B2-if00-port0");
  EXPECT_EQ(ports[0].device, "/dev/ttyUSB0");
  EXPECT_EQ(ports[0].description, "Maker Cable");
  EXPECT_EQ(ports[0].serialNumber, "A1B2");
  EXPECT_EQ(DescribeSerialPort(ports[0]),
            "/dev/serial/by-id/usb-Maker_Cable_A1B2-if00-port0 (Maker Cable, S/N A1B2, "
            "/dev/ttyUSB0)");
  EXPECT_EQ(ports[1].path, "/dev/ttyACM0");
  EXPECT_EQ(ports[2].path, "/dev/ttyS0");
  EXPECT_EQ(DescribeSerialPort(ports[2]), "/dev/ttyS0");

  // The stored device stays the choice when it is gone, marked as missing.
  auto choices = SerialPortChoices(ports, "/dev/serial/by-id/usb-Gone_Cable-if00-port0");
  ASSERT_EQ(choices.size(), 4u);
  EXPECT_TRUE(choices[0].missing);
  EXPECT_EQ(choices[0].label, "/dev/serial/by-id/usb-Gone_Cable-if00-port0 (missing)");
  EXPECT_EQ(SerialPortChoices(ports, "/dev/ttyUSB0").size(), 3u);  // found under its node name
  EXPECT_EQ(SerialPortChoices(ports, "").size(), 3u);

  // No /dev or /sys at all: nothing, and no failure.
  EXPECT_TRUE(FindSerialPorts(dir.File("empty")).empty());
}

}  // namespace
}  // namespace pelorus
