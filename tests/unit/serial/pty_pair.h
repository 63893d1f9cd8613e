#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

namespace pelorus::testing {

// A pseudo-terminal the test holds the master side of; the link under test opens `slave`.
class PtyPair {
 public:
  PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ::grantpt(master_);
    ::unlockpt(master_);
    slave = ::ptsname(master_);
    // Held open so that the line stays up and raw between the link's opens.
    keeper_ = ::open(slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    ::tcgetattr(keeper_, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(keeper_, TCSANOW, &tio);
  }
  ~PtyPair() { CloseMaster(); }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  void Send(const std::vector<uint8_t>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
  }
  void Send(const std::string& text) { Send(std::vector<uint8_t>(text.begin(), text.end())); }

  // What the link sent, collected until `quiet` passes without a byte.
  std::vector<uint8_t> Received(std::chrono::milliseconds quiet = std::chrono::milliseconds(100)) {
    std::vector<uint8_t> bytes;
    while (true) {
      pollfd pfd{master_, POLLIN, 0};
      if (::poll(&pfd, 1, static_cast<int>(quiet.count())) <= 0) return bytes;
      uint8_t chunk[4096];
      const ssize_t n = ::read(master_, chunk, sizeof chunk);
      if (n <= 0) return bytes;
      bytes.insert(bytes.end(), chunk, chunk + n);
    }
  }

  // The line settings the last opener left on the terminal.
  termios Settings() const {
    termios tio{};
    ::tcgetattr(keeper_, &tio);
    return tio;
  }

  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    if (keeper_ >= 0) ::close(keeper_);
    master_ = keeper_ = -1;
  }

  std::string slave;

 private:
  int master_ = -1;
  int keeper_ = -1;
};

}  // namespace pelorus::testing
