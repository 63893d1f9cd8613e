#include "scsi/sim_transport.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

#include "common/byte_reader.h"
#include "common/byte_writer.h"

namespace pelorus {
namespace {

// Room for the count and an id for each of up to 255 adapters.
constexpr size_t kBusAnswerCapacity = 256;

int RemainingMs(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return left.count() <= 0 ? 0 : static_cast<int>(left.count());
}

bool WaitFor(int socket, short events, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    pollfd entry{socket, events, 0};
    const int ready = ::poll(&entry, 1, RemainingMs(deadline));
    if (ready > 0) return true;
    if (ready == 0) return false;
    if (errno != EINTR) return false;
  }
}

}  // namespace

std::vector<uint8_t> EncodeSimRequest(ScsiAddress address, std::span<const uint8_t> cdb,
                                      ScsiDirection direction, std::span<const uint8_t> buffer) {
  ByteWriter writer;
  writer.U8(address.adapter).U8(address.target).U8(static_cast<uint32_t>(cdb.size())).Bytes(cdb);
  writer.U8(static_cast<uint32_t>(direction));
  writer.U32(direction == ScsiDirection::kNone ? 0 : static_cast<uint32_t>(buffer.size()));
  if (direction == ScsiDirection::kOut) writer.Bytes(buffer);
  return writer.Take();
}

std::optional<SimResponseHeader> ParseSimResponseHeader(std::span<const uint8_t> bytes) {
  ByteReader reader(bytes);
  SimResponseHeader header;
  header.status = reader.U8();
  header.length = reader.U32();
  if (!reader.Ok()) return std::nullopt;
  return header;
}

std::optional<std::vector<ScsiAdapter>> ParseBusAnswer(std::span<const uint8_t> answer) {
  ByteReader reader(answer);
  const uint8_t count = reader.U8();
  std::vector<ScsiAdapter> adapters;
  for (int i = 0; i < count; ++i) adapters.push_back({i, reader.U8()});
  if (!reader.Ok()) return std::nullopt;
  return adapters;
}

SimTransport::SimTransport(std::string socketPath) : socketPath_(std::move(socketPath)) {}

SimTransport::~SimTransport() { Disconnect(); }

void SimTransport::Failed(const char* reason, LinkProblem problem) {
  lastFailure_ = socketPath_ + ": " + reason;
  lastProblem_ = problem;
}

bool SimTransport::Connect() {
  if (socket_ >= 0) return true;
  sockaddr_un address{};
  if (socketPath_.size() >= sizeof address.sun_path) {
    Failed("the socket's path is too long");
    return false;
  }
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, socketPath_.c_str(), socketPath_.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    Failed(std::strerror(errno));
    return false;
  }
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    // ENOENT: no socket; ECONNREFUSED: a socket nobody listens on; ENOTSOCK-like errors for
    // a regular file.
    Failed(std::strerror(errno));
    ::close(fd);
    return false;
  }
  socket_ = fd;
  return true;
}

void SimTransport::Disconnect() {
  if (socket_ >= 0) ::close(socket_);
  socket_ = -1;
}

bool SimTransport::SendAll(std::span<const uint8_t> bytes, Deadline deadline) {
  while (!bytes.empty()) {
    const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (sent > 0) {
      bytes = bytes.subspan(static_cast<size_t>(sent));
    } else if (sent < 0 && errno == EINTR) {
      continue;
    } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(socket_, POLLOUT, deadline)) {
        Failed("the receiver took no request within the time-out", LinkProblem::kSilent);
        return false;
      }
    } else {
      Failed(std::strerror(errno));
      return false;
    }
  }
  return true;
}

bool SimTransport::ReceiveAll(std::span<uint8_t> bytes, Deadline deadline) {
  while (!bytes.empty()) {
    const ssize_t got = ::recv(socket_, bytes.data(), bytes.size(), MSG_DONTWAIT);
    if (got > 0) {
      bytes = bytes.subspan(static_cast<size_t>(got));
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!WaitFor(socket_, POLLIN, deadline)) {
        Failed("the receiver did not answer within the time-out", LinkProblem::kSilent);
        return false;
      }
    } else {
      // Closed by the other side, or broken.
      Failed(got == 0 ? "the receiver closed the connection" : std::strerror(errno));
      return false;
    }
  }
  return true;
}

int SimTransport::Execute(ScsiAddress address, std::span<const uint8_t> cdb,
                          ScsiDirection direction, std::span<uint8_t> buffer, size_t& received) {
  lastFailure_.clear();
  const Deadline deadline = std::chrono::steady_clock::now() + Timeout();
  if (!Connect()) return kScsiError;
  std::array<uint8_t, kSimResponseHeaderSize> headerBytes{};
  if (!SendAll(EncodeSimRequest(address, cdb, direction, buffer), deadline) ||
      !ReceiveAll(headerBytes, deadline)) {
    Disconnect();
    return kScsiError;
  }
  const std::optional<SimResponseHeader> header = ParseSimResponseHeader(headerBytes);
  const size_t asked = direction == ScsiDirection::kIn ? buffer.size() : 0;
  // More data than asked for, or data that was not asked for, means the two sides disagree on
  // where the exchange ends; nothing after it can be trusted.
  if (!header || header->length > asked) {
    lastFailure_ = kMalformedAnswer;
    lastProblem_ = LinkProblem::kLost;
    Disconnect();
    return kScsiError;
  }
  if (!ReceiveAll(buffer.first(header->length), deadline)) {
    Disconnect();
    return kScsiError;
  }
  received = header->length;
  return header->status;
}

bool SimTransport::ListAdapters(std::vector<ScsiAdapter>& adapters) {
  std::array<uint8_t, kBusAnswerCapacity> answer{};
  size_t received = 0;
  const int status = Execute({}, {}, ScsiDirection::kIn, answer, received);
  if (status != kScsiSuccess) {
    if (lastFailure_.empty()) Failed("the receiver refused the bus query", LinkProblem::kRefused);
    return false;
  }
  const auto parsed = ParseBusAnswer(std::span(answer).first(received));
  if (!parsed) {
    lastFailure_ = kMalformedAnswer;
    return false;
  }
  adapters = *parsed;
  return true;
}

}  // namespace pelorus
