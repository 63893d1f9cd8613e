#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "scripted_transport.h"

namespace pelorus::testing {

// A receiver in the test's own words, behind a ScriptedTransport: a channel count, a channel
// table, and writes collected by address. Commands numbered in `failing` (from 1) fail.
struct TestReceiver {
  uint32_t count = 0;
  std::vector<uint8_t> table;
  std::map<uint32_t, std::vector<uint8_t>> writes;
  std::set<int> failing;
  bool shortAnswers = false;
  int number = 0;

  static uint32_t Big(const std::vector<uint8_t>& bytes, size_t at, size_t count) {
    uint32_t value = 0;
    for (size_t i = 0; i < count; ++i) value = (value << 8) | bytes[at + i];
    return value;
  }

  ScriptedTransport::Reply Answer(const ScriptedTransport::Command& command,
                                  std::span<uint8_t> in) {
    if (failing.count(++number) != 0) return {kScsiError, 0};
    const auto& cdb = command.cdb;
    if (cdb[0] == 0x3C && cdb[1] == 0x01) {
      const uint8_t bytes[] = {static_cast<uint8_t>(count >> 24), static_cast<uint8_t>(count >> 16),
                               static_cast<uint8_t>(count >> 8), static_cast<uint8_t>(count)};
      std::copy(std::begin(bytes), std::end(bytes), in.begin());
      return {kScsiSuccess, 4};
    }
    if (cdb[0] == 0x3C && cdb[1] == 0x00) {
      const uint32_t address = Big(cdb, 2, 4);
      for (size_t i = 0; i < in.size(); ++i) {
        const size_t at = address - 0xD0000 + i;
        in[i] = at < table.size() ? table[at] : static_cast<uint8_t>(address + i);
      }
      return {kScsiSuccess, shortAnswers ? in.size() / 2 : in.size()};
    }
    if (cdb[0] == 0x3B) writes[Big(cdb, 2, 4)] = command.data;
    return {kScsiSuccess, 0};
  }

  // A transport answered by this receiver; the receiver must outlive it.
  std::shared_ptr<ScriptedTransport> Transport() {
    auto transport = std::make_shared<ScriptedTransport>();
    transport->handler = [this](const ScriptedTransport::Command& command, std::span<uint8_t> in) {
      return Answer(command, in);
    };
    return transport;
  }
};

}  // namespace pelorus::testing
