#include "serial/serial_ports.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace pelorus {
namespace {

namespace fs = std::filesystem;

// The first line of a small sysfs attribute, or empty.
std::string ReadAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  if (in) std::getline(in, line);
  while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
  return line;
}

// The USB device above a tty in sysfs holds the maker, product and serial number.
void DescribeUsb(const fs::path& sysTty, SerialPortInfo& port) {
  std::error_code error;
  fs::path dir = fs::canonical(sysTty / "device", error);
  for (int depth = 0; !error && depth < 6 && !dir.empty() && dir != dir.root_path(); ++depth) {
    if (fs::exists(dir / "idVendor", error)) {
      const std::string maker = ReadAttribute(dir / "manufacturer");
      const std::string product = ReadAttribute(dir / "product");
      port.description = maker.empty() ? product : product.empty() ? maker : maker + " " + product;
      port.serialNumber = ReadAttribute(dir / "serial");
      return;
    }
    dir = dir.parent_path();
  }
}

}  // namespace

std::vector<SerialPortInfo> FindSerialPorts(const std::string& root) {
  std::vector<SerialPortInfo> ports;
  const fs::path dev = fs::path(root + "/dev");
  const fs::path sysTty = fs::path(root + "/sys/class/tty");
  std::error_code error;

  // Adapters by their stable names.
  std::vector<std::string> named;
  for (fs::directory_iterator it(dev / "serial" / "by-id", error), end; !error && it != end;
       it.increment(error)) {
    std::error_code linkError;
    const fs::path target = fs::canonical(it->path(), linkError);
    if (linkError) continue;  // a link left behind by a device that is gone
    SerialPortInfo port;
    port.path = (fs::path("/dev/serial/by-id") / it->path().filename()).string();
    port.device = "/dev/" + target.filename().string();
    DescribeUsb(sysTty / target.filename(), port);
    named.push_back(port.device);
    ports.push_back(port);
  }

  // Other ttys with a device behind them: USB adapters without a by-id name, and built-in ports
  // whose UART was found (sysfs gives "type" 0 for a port that is not there).
  error.clear();
  std::vector<SerialPortInfo> others;
  for (fs::directory_iterator it(sysTty, error), end; !error && it != end; it.increment(error)) {
    const std::string name = it->path().filename().string();
    const std::string node = "/dev/" + name;
    if (std::find(named.begin(), named.end(), node) != named.end()) continue;
    const bool usb = name.starts_with("ttyUSB") || name.starts_with("ttyACM");
    const bool builtIn = name.starts_with("ttyS");
    if (!usb && !builtIn) continue;
    if (builtIn) {
      const std::string type = ReadAttribute(it->path() / "type");
      if (type.empty() || type == "0") continue;
    }
    SerialPortInfo port{node, node, "", ""};
    if (usb) DescribeUsb(it->path(), port);
    others.push_back(port);
  }
  std::sort(others.begin(), others.end(),
            [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.path < b.path; });
  std::sort(ports.begin(), ports.end(),
            [](const SerialPortInfo& a, const SerialPortInfo& b) { return a.path < b.path; });
  ports.insert(ports.end(), others.begin(), others.end());
  return ports;
}

std::string DescribeSerialPort(const SerialPortInfo& port) {
  std::string text = port.path;
  std::string detail = port.description;
  if (!port.serialNumber.empty()) {
    detail += (detail.empty() ? "" : ", ") + std::string("S/N ") + port.serialNumber;
  }
  if (port.device != port.path) detail += (detail.empty() ? "" : ", ") + port.device;
  if (!detail.empty()) text += " (" + detail + ")";
  return text;
}

std::vector<SerialPortChoice> SerialPortChoices(const std::vector<SerialPortInfo>& found,
                                                const std::string& stored) {
  std::vector<SerialPortChoice> choices;
  bool storedFound = stored.empty();
  for (const SerialPortInfo& port : found) {
    choices.push_back({port.path, DescribeSerialPort(port), false});
    if (port.path == stored || port.device == stored) storedFound = true;
  }
  if (!storedFound) choices.insert(choices.begin(), {stored, stored + " (missing)", true});
  return choices;
}

}  // namespace pelorus
