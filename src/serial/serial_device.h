#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace pelorus {

// A serial device on POSIX termios: real ports, USB adapters and pseudo-terminals alike.
// Opened raw, 8N1, with DTR and RTS raised and no flow control on sending, for this process
// alone.
class SerialDevice {
 public:
  SerialDevice() = default;
  ~SerialDevice() { Close(); }
  SerialDevice(const SerialDevice&) = delete;
  SerialDevice& operator=(const SerialDevice&) = delete;

  // `baud` is 9600, 19200 or 38400. False when the device cannot be opened or configured.
  bool Open(const std::string& path, int baud);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  int Descriptor() const { return fd_; }

  // Drops whatever the driver holds in both directions.
  void Purge();

  // Writes all bytes unless the device fails or accepts nothing for `stall`; returns how many
  // were written.
  size_t Write(std::span<const uint8_t> bytes, std::chrono::milliseconds stall);

  // Waits until the driver has sent every byte written (at most `limit`), then watches the line
  // for `settle`: false when the device hung up or failed meanwhile, or never drained.
  bool DrainAndCheck(std::chrono::milliseconds limit, std::chrono::milliseconds settle);

  enum class ReadResult { kData, kNothing, kClosed };
  // Reads what is there without waiting; kClosed when the device has gone (hang-up, error).
  ReadResult ReadAvailable(std::span<uint8_t> buffer, size_t& count);

 private:
  int fd_ = -1;
};

}  // namespace pelorus
