#pragma once

#include <string>
#include <vector>

namespace pelorus {

// A serial device for the preferences' port list.
struct SerialPortInfo {
  std::string path;         // what to open: the /dev/serial/by-id name when there is one, which
                            // survives replugging, else the device node
  std::string device;       // the node it leads to, e.g. /dev/ttyUSB0
  std::string description;  // maker and product of a USB adapter; empty for a built-in port
  std::string serialNumber;
};

// The serial devices that exist now: USB adapters (by their /dev/serial/by-id names, with the
// maker, product and serial number the kernel reports) and built-in /dev/ttyS* ports whose UART
// the kernel found. Read from `root` + "/dev" and `root` + "/sys", so tests can give a tree of
// their own; nothing is opened.
std::vector<SerialPortInfo> FindSerialPorts(const std::string& root = "");

// How the preferences show a device: the path, then what is known about it.
std::string DescribeSerialPort(const SerialPortInfo& port);

// The items of the preferences' device list: every device found, and the stored choice when it
// is not among them, marked missing rather than silently replaced by another device.
struct SerialPortChoice {
  std::string path;
  std::string label;
  bool missing = false;
};
std::vector<SerialPortChoice> SerialPortChoices(const std::vector<SerialPortInfo>& found,
                                                const std::string& stored);

}  // namespace pelorus
