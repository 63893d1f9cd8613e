#include "serial/serial_link.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <set>

#include "common/device_access.h"
#include "serial/debug_echo.h"
#include "serial/messages.h"
#include "serial/serial_timing.h"

namespace pelorus {
namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting transfer lets the user interface run.
constexpr auto kKeepAliveInterval = std::chrono::milliseconds(10);
constexpr int kSlowSendPauseMs = 100;

// The ports the links of this process hold open. A terminal's exclusive mode does not keep out
// the superuser, and never keeps out a second opener in the same process.
std::mutex openPortsMutex;
std::set<std::string>& OpenPorts() {
  static std::set<std::string> ports;
  return ports;
}

bool ClaimPort(const std::string& path) {
  std::lock_guard lock(openPortsMutex);
  return OpenPorts().insert(path).second;
}

void ReleasePort(const std::string& path) {
  std::lock_guard lock(openPortsMutex);
  OpenPorts().erase(path);
}

}  // namespace

bool SerialLink::Open(const std::string& path, int baud) {
  timeoutTicks = 8;
  // A port still held by the debug terminal is in use, as it would be by another program.
  const bool alreadyOpen = IsOpen();
  const bool claimed = !alreadyOpen && !path.empty() && ClaimPort(path);
  bool opened = claimed && device_.Open(path, baud);
  if (opened && ::pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    device_.Close();
    opened = false;
  }
  if (!opened) {
    const int error = errno;
    if (claimed) ReleasePort(path);
    std::string detail;
    if (path.empty()) {
      detail = "no serial port was named";
    } else if (alreadyOpen) {
      detail = path + ": the port is already open";
    } else if (!claimed) {
      detail = path + ": the port is in use by another command of Pelorus";
    } else {
      detail = path + ": " + std::strerror(error);
      // "Permission denied" alone leaves a new user guessing; the group that may open the port
      // is what they need to know.
      const std::string advice = DeviceAccessAdvice(path, error);
      if (!advice.empty()) detail += "\n" + advice;
    }
    ui_->ShowDetailedMessage(msg::kUnableToOpenSerialPort, detail, Icon::kStop);
    return false;
  }
  if (SerialDebugSink* sink = sink_.load()) sink->PortOpened(serialDebug);
  path_ = path;
  {
    // Anything left from an earlier open is discarded, in the ring and in the driver.
    std::lock_guard lock(mutex_);
    ring_.Clear();
    readerEnded_ = false;
    lostReason_.clear();
  }
  overrunPending_ = false;
  device_.Purge();
  reader_ = std::jthread([this](std::stop_token stop) { ReaderLoop(stop); });
  return true;
}

void SerialLink::Close() {
  held = false;
  if (reader_.joinable()) {
    reader_.request_stop();
    const uint8_t wake = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(wakePipe_[1], &wake, 1);
    reader_.join();
  }
  for (int& fd : wakePipe_) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  if (device_.IsOpen()) ReleasePort(path_);
  device_.Close();
  ReportOverrun();
}

void SerialLink::ReaderLoop(std::stop_token stop) {
  std::array<uint8_t, 4096> chunk;
  std::string lost;
  while (!stop.stop_requested()) {
    std::array<pollfd, 2> fds{{{device_.Descriptor(), POLLIN, 0}, {wakePipe_[0], POLLIN, 0}}};
    if (::poll(fds.data(), fds.size(), -1) < 0) continue;
    if (stop.stop_requested()) break;
    size_t count = 0;
    errno = 0;
    const auto result = device_.ReadAvailable(chunk, count);
    if (result == SerialDevice::ReadResult::kClosed) {
      lost = path_ + ": the serial line hung up";
      if (errno != 0) lost += std::string(" (") + std::strerror(errno) + ")";
      break;
    }
    if (count == 0) {
      // The other end went away (a pseudo-terminal whose master closed, an unplugged adapter):
      // nothing more will come, and polling on would only spin.
      if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) {
        lost = path_ + ": the serial line hung up";
        break;
      }
      continue;
    }
    SerialDebugSink* sink = sink_.load();
    if (sink && sink->WindowShown()) {
      std::string text;
      for (size_t i = 0; i < count; ++i) text += DebugEchoText(chunk[i]);
      sink->Echo(text);
    }
    std::unique_lock lock(mutex_);
    for (size_t i = 0; i < count; ++i) {
      if (ring_.Free() == 0) {
        // A reader that is merely late (the machine is busy) gets one tick to make room; a
        // full ring after that is an overrun. What the ring holds stays readable.
        dataArrived_.notify_all();
        spaceFreed_.wait_for(lock, SerialTick(),
                             [&] { return ring_.Free() > 0 || stop.stop_requested(); });
        if (stop.stop_requested()) break;
        if (ring_.Free() == 0) {
          readerEnded_ = true;
          overrunPending_ = true;
          dataArrived_.notify_all();
          return;
        }
      }
      ring_.Push(chunk[i]);
    }
    dataArrived_.notify_all();
  }
  std::lock_guard lock(mutex_);
  readerEnded_ = true;
  lostReason_ = lost;
  dataArrived_.notify_all();
}

bool SerialLink::LinkLost() const {
  std::lock_guard lock(mutex_);
  return !lostReason_.empty();
}

std::string SerialLink::LostReason() const {
  std::lock_guard lock(mutex_);
  return lostReason_;
}

void SerialLink::ReportOverrun() {
  if (overrunPending_.exchange(false)) ui_->ShowMessage(msg::kSerialReceiveOverrun, Icon::kStop);
}

void SerialLink::KeepAliveNow() {
  lastKeepAlive_ = Clock::now();
  ui_->KeepAlive();
  ReportOverrun();
}

size_t SerialLink::Write(std::span<const uint8_t> bytes) {
  if (bytes.empty() || !IsOpen()) return 0;
  const auto stall = std::chrono::duration_cast<std::chrono::milliseconds>(
      SerialTick() * std::max(timeoutTicks, 1));
  if (!slowSend) return device_.Write(bytes, stall);
  size_t written = 0;
  for (const uint8_t byte : bytes) {
    const size_t n = device_.Write(std::span(&byte, 1), stall);
    written += n;
    if (n == 0) break;
    Pause(SerialPause(kSlowSendPauseMs));
  }
  return written;
}

size_t SerialLink::Write(std::string_view text) {
  return Write(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

size_t SerialLink::WriteLong(uint32_t value) {
  const std::array<uint8_t, 4> bytes = {
      static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
      static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  return Write(bytes);
}

size_t SerialLink::Read(std::span<uint8_t> buffer) {
  if (buffer.empty()) return 0;
  const auto silence = SerialTick() * std::max(timeoutTicks, 0);
  auto deadline = Clock::now() + silence;
  size_t received = 0;
  std::unique_lock lock(mutex_);
  while (true) {
    const size_t taken = ring_.Pop(buffer.subspan(received));
    if (taken > 0) {
      received += taken;
      spaceFreed_.notify_all();
      if (received == buffer.size()) return received;
      deadline = Clock::now() + silence;  // every byte restarts the time-out
    }
    // A line that hung up sends nothing more: waiting out the time-out would only delay the news.
    if (!lostReason_.empty()) return received;
    if (Interrupted()) return received;
    const auto now = Clock::now();
    if (now >= deadline) return received;
    if (now - lastKeepAlive_ >= kKeepAliveInterval) {
      lock.unlock();
      KeepAliveNow();
      lock.lock();
      continue;
    }
    dataArrived_.wait_until(lock, std::min(deadline, lastKeepAlive_ + kKeepAliveInterval));
  }
}

size_t SerialLink::ReadLine(std::span<char> buffer) {
  if (buffer.empty()) return 0;
  size_t length = 0;
  while (true) {
    uint8_t byte = 0;
    if (Read(std::span(&byte, 1)) == 0) {
      buffer[length] = '\0';
      return 0;
    }
    if (byte == 13) break;
    if (byte == 10) continue;
    if (length + 1 < buffer.size()) buffer[length++] = static_cast<char>(byte);
  }
  buffer[length] = '\0';
  return length;
}

void SerialLink::Drain() {
  std::array<uint8_t, 4096> sink;
  while (Read(sink) == sink.size()) {
  }
}

std::vector<uint8_t> SerialLink::TakeWaiting() {
  std::lock_guard lock(mutex_);
  std::vector<uint8_t> bytes(ring_.Size());
  ring_.Pop(bytes);
  spaceFreed_.notify_all();
  return bytes;
}

bool SerialLink::FinishSending() {
  if (!IsOpen()) return false;
  // Whatever the driver still holds goes out at the line's pace; ten bits a byte at the slowest
  // speed, with a generous second on top.
  int queued = 0;
  if (::ioctl(device_.Descriptor(), TIOCOUTQ, &queued) != 0) queued = 0;
  const auto limit = std::chrono::milliseconds(1000 + std::max(queued, 0) * 10 * 1000 / 9600);
  // One tick is long enough for the other end to drop a line it gave up on.
  const bool connected = device_.DrainAndCheck(limit, SerialTick());
  std::lock_guard lock(mutex_);
  return connected && !readerEnded_;
}

void SerialLink::Pause(std::chrono::microseconds duration) {
  const auto end = Clock::now() + duration;
  while (true) {
    const auto now = Clock::now();
    if (now >= end || Interrupted()) return;
    if (now - lastKeepAlive_ >= kKeepAliveInterval) KeepAliveNow();
    std::this_thread::sleep_for(
        std::min<Clock::duration>(end - now, lastKeepAlive_ + kKeepAliveInterval - now));
  }
}

}  // namespace pelorus
