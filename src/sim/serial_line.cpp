#include "serial_line.h"

#include <errno.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <thread>

namespace sim {
namespace {

using Clock = std::chrono::steady_clock;
// Waits are cut into slices so that a stop request is seen promptly.
constexpr auto kSlice = std::chrono::milliseconds(50);

}  // namespace

SerialLine::SerialLine(int master, int slaveKeeper, bool throttle)
    : master_(master), slaveKeeper_(slaveKeeper), throttle_(throttle) {}

SerialLine::~SerialLine() { Disconnect(); }

void SerialLine::Disconnect() {
  if (master_ >= 0) ::close(master_);
  if (slaveKeeper_ >= 0) ::close(slaveKeeper_);
  master_ = slaveKeeper_ = -1;
  pending_.clear();
}

std::optional<uint8_t> SerialLine::ReadByte(std::chrono::milliseconds timeout,
                                            std::stop_token stop) {
  const auto deadline = Clock::now() + timeout;
  while (pending_.empty()) {
    if (master_ < 0 || stop.stop_requested()) return std::nullopt;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd pfd{master_, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, static_cast<int>(std::min(left, kSlice).count()));
    if (ready <= 0) continue;
    std::array<uint8_t, 4096> chunk;
    const ssize_t n = ::read(master_, chunk.data(), chunk.size());
    if (n > 0) {
      pending_.insert(pending_.end(), chunk.begin(), chunk.begin() + n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      // EIO: no editor has the terminal open right now; wait for the next one.
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  const uint8_t byte = pending_.front();
  pending_.pop_front();
  return byte;
}

size_t SerialLine::ReadExact(std::span<uint8_t> bytes, std::chrono::milliseconds timeout,
                             std::stop_token stop) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    // Take what is already buffered in one go; the 640 KB settings block comes this way.
    const size_t buffered = std::min(pending_.size(), bytes.size() - i);
    if (buffered > 0) {
      std::copy_n(pending_.begin(), buffered, bytes.begin() + static_cast<ptrdiff_t>(i));
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(buffered));
      i += buffered - 1;
      continue;
    }
    const auto byte = ReadByte(timeout, stop);
    if (!byte) return i;
    bytes[i] = *byte;
  }
  return bytes.size();
}

int SerialLine::BitsPerSecond() const {
  termios tio{};
  if (slaveKeeper_ < 0 || ::tcgetattr(slaveKeeper_, &tio) != 0) return 9600;
  switch (::cfgetospeed(&tio)) {
    case B19200:
      return 19200;
    case B38400:
      return 38400;
    default:
      return 9600;
  }
}

void SerialLine::Send(std::span<const uint8_t> bytes, std::stop_token stop) {
  // With --throttle the bytes leave no faster than the line speed: 10 bits a byte (8N1).
  const int bytesPerSecond = BitsPerSecond() / 10;
  const auto start = Clock::now();
  size_t sent = 0;
  auto lastProgress = Clock::now();
  while (sent < bytes.size() && master_ >= 0 && !stop.stop_requested()) {
    size_t chunk = bytes.size() - sent;
    if (throttle_) {
      const auto due = start + std::chrono::microseconds(static_cast<long long>(sent) * 1000000 /
                                                         bytesPerSecond);
      std::this_thread::sleep_until(due);
      chunk = std::min<size_t>(chunk, 16);
    }
    const ssize_t n = ::write(master_, bytes.data() + sent, chunk);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      lastProgress = Clock::now();
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return;
    // Nobody reads the terminal (the editor closed it): give up on this answer after a while.
    if (Clock::now() - lastProgress > std::chrono::seconds(5)) return;
    pollfd pfd{master_, POLLOUT, 0};
    ::poll(&pfd, 1, static_cast<int>(kSlice.count()));
  }
}

void SerialLine::Send(std::string_view text, std::stop_token stop) {
  Send(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), stop);
}

}  // namespace sim
