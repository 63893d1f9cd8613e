#include "ts_file_writer.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "multiplex.h"

namespace sim {

bool WriteTransportStreamFile(const SimOptions& options, const StreamAssets& assets) {
  TsFault fault = TsFault::kNone;
  ParseTsFault(options.tsFault, fault);
  Multiplex multiplex(assets, options.transponder, options.rate,
                      static_cast<int64_t>(std::time(nullptr)), 0, fault);
  std::FILE* file = std::fopen(options.writeTs.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "pelorus-receiver-sim: cannot write %s: %s\n", options.writeTs.c_str(),
                 std::strerror(errno));
    return false;
  }
  std::vector<uint8_t> buffer;
  buffer.reserve(1 << 20);
  bool ok = true;
  const Multiplex::Sink sink = [&](const Packet& packet) {
    buffer.insert(buffer.end(), packet.begin(), packet.end());
    if (buffer.size() >= (1 << 20)) {
      ok = ok && std::fwrite(buffer.data(), 1, buffer.size(), file) == buffer.size();
      buffer.clear();
    }
  };
  const auto packets = static_cast<uint64_t>(options.seconds * static_cast<double>(options.rate) /
                                             (kPacketSize * 8));
  multiplex.Generate(packets, sink, true);
  multiplex.Flush(sink);
  ok = ok && std::fwrite(buffer.data(), 1, buffer.size(), file) == buffer.size();
  ok = (std::fclose(file) == 0) && ok;
  if (!ok) {
    std::fprintf(stderr, "pelorus-receiver-sim: writing %s failed\n", options.writeTs.c_str());
  }
  return ok;
}

}  // namespace sim
