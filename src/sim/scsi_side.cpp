#include "scsi_side.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stop_token>

#include "scsi_commands.h"
#include "scsi_faults.h"
#include "scsi_memory.h"

namespace sim {
namespace {

constexpr int kPollMs = 100;
// No request of the command set carries more than a piece; anything far larger is garbage.
constexpr uint32_t kMaxRequestData = 1u << 20;

// Waits until the socket has something, checking now and then whether to stop.
bool WaitReadable(int fd, std::stop_token stop) {
  while (!stop.stop_requested()) {
    pollfd entry{fd, POLLIN, 0};
    const int ready = ::poll(&entry, 1, kPollMs);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
  return false;
}

bool ReadExactly(int fd, uint8_t* out, size_t count, std::stop_token stop) {
  while (count > 0) {
    if (!WaitReadable(fd, stop)) return false;
    const ssize_t got = ::recv(fd, out, count, 0);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out += got;
    count -= static_cast<size_t>(got);
  }
  return true;
}

bool WriteExactly(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    done += static_cast<size_t>(sent);
  }
  return true;
}

bool ReadRequest(int fd, ScsiRequest& request, std::stop_token stop) {
  uint8_t head[3];
  if (!ReadExactly(fd, head, sizeof head, stop)) return false;
  request.adapter = head[0];
  request.target = head[1];
  request.cdb.resize(head[2]);
  uint8_t tail[5];
  if (!ReadExactly(fd, request.cdb.data(), request.cdb.size(), stop) ||
      !ReadExactly(fd, tail, sizeof tail, stop)) {
    return false;
  }
  request.direction = tail[0];
  request.length =
      (uint32_t{tail[1]} << 24) | (uint32_t{tail[2]} << 16) | (uint32_t{tail[3]} << 8) | tail[4];
  if (request.direction > 2 || request.length > kMaxRequestData) return false;
  request.data.resize(request.direction == 2 ? request.length : 0);
  return ReadExactly(fd, request.data.data(), request.data.size(), stop);
}

void Serve(int fd, ScsiCommands& commands, std::stop_token stop) {
  ScsiRequest request;
  while (ReadRequest(fd, request, stop)) {
    const ScsiReply reply = commands.Handle(request);
    if (reply.action == ScsiReply::Action::kHangUp) break;
    if (reply.action == ScsiReply::Action::kSilence) continue;
    const bool withData = request.direction == 1;
    const uint32_t length = withData ? static_cast<uint32_t>(reply.data.size()) : 0;
    std::vector<uint8_t> response = {
        reply.status, static_cast<uint8_t>(length >> 24), static_cast<uint8_t>(length >> 16),
        static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)};
    if (withData) response.insert(response.end(), reply.data.begin(), reply.data.end());
    if (!WriteExactly(fd, response)) break;
  }
  ::close(fd);
}

// The socket is bound under a temporary name and renamed once it listens, so a client that
// sees the path never connects before the simulator accepts connections.
int Listen(const std::string& path) {
  const std::string binding = path + ".binding";
  sockaddr_un address{};
  if (binding.size() >= sizeof address.sun_path) return -1;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, binding.c_str(), binding.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  ::unlink(binding.c_str());
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 8) != 0 || ::rename(binding.c_str(), path.c_str()) != 0) {
    ::unlink(binding.c_str());
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

bool StartScsiSide(SimState& state, std::vector<std::jthread>& threads) {
  const std::string path = state.options.scsiSocket;
  const int listener = Listen(path);
  if (listener < 0) {
    std::fprintf(stderr, "pelorus-receiver-sim: cannot listen on %s: %s\n", path.c_str(),
                 std::strerror(errno));
    return false;
  }
  threads.emplace_back([&state, listener, path](std::stop_token stop) {
    ScsiMemory memory(state);
    FaultCounter faults(ParseScsiFault(state.options.fault));
    ScsiCommands commands(state, memory, faults);
    {
      // Declared after the shared objects so that the connections end before them.
      std::vector<std::jthread> connections;
      while (WaitReadable(listener, stop)) {
        const int fd = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        connections.emplace_back([fd, &commands](std::stop_token connectionStop) {
          Serve(fd, commands, connectionStop);
        });
      }
    }
    ::close(listener);
    ::unlink(path.c_str());
  });
  return true;
}

}  // namespace sim
