#include "serial/serial_device.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace pelorus {
namespace {

speed_t SpeedOf(int baud) {
  switch (baud) {
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    default:
      return B9600;
  }
}

}  // namespace

bool SerialDevice::Open(const std::string& path, int baud) {
  Close();
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  termios tio{};
  if (::tcgetattr(fd, &tio) != 0) {
    const int error = errno;  // ENOTTY for a file that is no serial device
    ::close(fd);
    errno = error;
    return false;
  }
  ::cfmakeraw(&tio);
  // Sending is never held back by CTS: termios has no flow control that only paces what comes
  // in, so RTS is raised below and left up, telling the receiver that we are ready.
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CREAD | CLOCAL;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  // With VMIN 0 a terminal read without data returns 0 even on a non-blocking descriptor,
  // which would look like end of file; VMIN 1 makes it report EAGAIN instead.
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, SpeedOf(baud));
  ::cfsetospeed(&tio, SpeedOf(baud));
  if (::tcsetattr(fd, TCSANOW, &tio) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return false;
  }
  // No sharing: a second opener is refused while we hold the port. Pseudo-terminals and some
  // adapters have no modem lines, so a refused DTR or RTS request is no reason to fail.
  ::ioctl(fd, TIOCEXCL);
  int lines = TIOCM_DTR | TIOCM_RTS;
  ::ioctl(fd, TIOCMBIS, &lines);
  fd_ = fd;
  return true;
}

void SerialDevice::Close() {
  if (fd_ < 0) return;
  ::ioctl(fd_, TIOCNXCL);
  ::close(fd_);
  fd_ = -1;
}

void SerialDevice::Purge() {
  if (fd_ >= 0) ::tcflush(fd_, TCIOFLUSH);
}

size_t SerialDevice::Write(std::span<const uint8_t> bytes, std::chrono::milliseconds stall) {
  size_t written = 0;
  while (fd_ >= 0 && written < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + written, bytes.size() - written);
    if (n > 0) {
      written += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) break;
    pollfd pfd{fd_, POLLOUT, 0};
    const int ready = ::poll(&pfd, 1, static_cast<int>(stall.count()));
    if (ready <= 0 || (pfd.revents & (POLLERR | POLLHUP | POLLNVAL))) break;
  }
  return written;
}

bool SerialDevice::DrainAndCheck(std::chrono::milliseconds limit,
                                 std::chrono::milliseconds settle) {
  if (fd_ < 0) return false;
  // Polled rather than tcdrain, which could wait for ever on a line that stopped taking bytes.
  const auto drainEnd = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int queued = 0;
    if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued <= 0) break;
    if (std::chrono::steady_clock::now() >= drainEnd) return false;
    ::usleep(5000);
  }
  // A line whose other end went away reports it as a hang-up or an error.
  const auto settleEnd = std::chrono::steady_clock::now() + settle;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        settleEnd - std::chrono::steady_clock::now());
    pollfd pfd{fd_, 0, 0};
    const int ready = ::poll(&pfd, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
    if (ready > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL))) return false;
    if (ready < 0 && errno == EINTR) continue;
    if (left.count() <= 0 || ready == 0) return true;
  }
}

SerialDevice::ReadResult SerialDevice::ReadAvailable(std::span<uint8_t> buffer, size_t& count) {
  count = 0;
  if (fd_ < 0) return ReadResult::kClosed;
  const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
  if (n > 0) {
    count = static_cast<size_t>(n);
    return ReadResult::kData;
  }
  if (n == 0 || errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
    return ReadResult::kNothing;
  }
  return ReadResult::kClosed;
}

}  // namespace pelorus
