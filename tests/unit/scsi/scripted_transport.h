#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "scsi/scsi_transport.h"

namespace pelorus::testing {

// A transport for unit tests: records every command and answers from a function the test
// gives, so a test can check each block byte for byte and script failures. Integration tests
// use the real simulator instead.
class ScriptedTransport : public ScsiTransport {
 public:
  struct Command {
    ScsiAddress address;
    std::vector<uint8_t> cdb;
    ScsiDirection direction;
    std::vector<uint8_t> data;  // what was sent (out) or the size asked for, zeroed (in)
  };
  // Fills `in` for kIn (its size is what was asked for) and returns the status and the number
  // of bytes it answered with.
  struct Reply {
    int status = kScsiSuccess;
    size_t length = 0;
  };
  using Handler = std::function<Reply(const Command& command, std::span<uint8_t> in)>;

  std::vector<Command> commands;
  Handler handler = [](const Command&, std::span<uint8_t> in) {
    return Reply{kScsiSuccess, in.size()};
  };
  std::vector<ScsiAdapter> adapters = {{0, 7}};

 protected:
  int Execute(ScsiAddress address, std::span<const uint8_t> cdb, ScsiDirection direction,
              std::span<uint8_t> buffer, size_t& received) override {
    Command command{address, {cdb.begin(), cdb.end()}, direction, {}};
    if (direction == ScsiDirection::kOut) command.data.assign(buffer.begin(), buffer.end());
    if (direction == ScsiDirection::kIn) command.data.assign(buffer.size(), 0);
    commands.push_back(command);
    const Reply reply =
        handler(commands.back(), direction == ScsiDirection::kIn ? buffer : std::span<uint8_t>());
    received = reply.length;
    return reply.status;
  }
  bool ListAdapters(std::vector<ScsiAdapter>& out) override {
    out = adapters;
    return true;
  }
};

// The commands' blocks as text, one "3c00..." per command, for compact expectations.
inline std::string BlockHex(std::span<const uint8_t> bytes) {
  std::string text;
  static constexpr char kDigits[] = "0123456789abcdef";
  for (uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

}  // namespace pelorus::testing
