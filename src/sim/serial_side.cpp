// The receiver's serial protocol: the attention handshake, then one command per handshake.
#include "serial_side.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "current_channel.h"
#include "frame_serial.h"
#include "pseudo_terminal.h"
#include "serial_context.h"

namespace sim {

uint8_t BlockChecksum(std::span<const uint8_t> bytes) {
  uint8_t sum = 0x55;
  for (const uint8_t byte : bytes) sum ^= byte;
  return sum;
}

std::optional<uint32_t> ReadNumber(SerialContext& context, int digits, int base) {
  uint32_t value = 0;
  for (int i = 0; i < digits; ++i) {
    const auto byte = context.line.ReadByte(kByteTimeout, context.stop);
    if (!byte) return std::nullopt;
    int digit = -1;
    if (*byte >= '0' && *byte <= '9') digit = *byte - '0';
    if (base == 16 && *byte >= 'A' && *byte <= 'F') digit = *byte - 'A' + 10;
    if (base == 16 && *byte >= 'a' && *byte <= 'f') digit = *byte - 'a' + 10;
    if (digit < 0) return std::nullopt;
    value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  return value;
}

namespace {

using Kind = SerialFault::Kind;
constexpr uint32_t kTableLimit = 8u * 1024 * 1024;

char Hex(unsigned value) { return "0123456789ABCDEF"[value & 15]; }

int HexValue(uint8_t byte) {
  if (byte >= '0' && byte <= '9') return byte - '0';
  if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
  if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
  return -1;
}

// Answers "CBEG"; false when, by the fault asked for, the receiver keeps quiet.
bool AnswerAttention(SerialContext& context) {
  context.state.Log("attention");
  switch (context.fault.kind) {
    case Kind::kNoAttention:
      return false;
    case Kind::kOkOnly:
      context.line.Send("\rOK\r", context.stop);
      return false;
    case Kind::kGarbage:
      context.line.Send("\x01?!#~ok\x7f\rKO\n\x13", context.stop);
      return false;
    default:
      context.line.Send("\rOK\r\n", context.stop);
      return true;
  }
}

void AnswerSize(SerialContext& context) {
  uint32_t size = 0;
  {
    std::lock_guard lock(context.state.mutex);
    size = static_cast<uint32_t>(context.state.channelTable.size());
  }
  if (context.fault.kind == Kind::kHugeSize) size = 5u * 1024 * 1024;
  std::string answer;
  for (int shift = 28; shift >= 0; shift -= 4) answer += Hex(size >> shift);
  if (context.fault.kind != Kind::kShortSize) answer += "\r\n";
  context.state.Log("size " + answer.substr(0, 8));
  context.line.Send(answer, context.stop);
}

void SendTable(SerialContext& context) {
  std::vector<uint8_t> table;
  {
    std::lock_guard lock(context.state.mutex);
    table = context.state.channelTable;
  }
  uint8_t checksum = BlockChecksum(table);
  context.state.Log("get-settings " + std::to_string(table.size()));
  std::span<const uint8_t> sent(table);
  switch (context.fault.kind) {
    case Kind::kShortRecord:
      // The last record stops after 20 of its 64 bytes, and then nothing more comes.
      context.line.Send(sent.first(table.size() >= 64 ? table.size() - 44 : 0), context.stop);
      return;
    case Kind::kDisconnect:
      context.line.Send(sent.first(table.size() / 2 / 64 * 64 + 10), context.stop);
      // The bytes on the wire still reach the editor; closing at once would discard them.
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      context.state.Log("disconnect");
      context.line.Disconnect();
      return;
    case Kind::kBadChecksum:
      checksum ^= 0xFF;
      break;
    default:
      break;
  }
  context.line.Send(sent, context.stop);
  context.line.Send(std::span(&checksum, 1), context.stop);
}

void StoreTable(SimState& state, const std::vector<uint8_t>& table) {
  {
    std::lock_guard lock(state.mutex);
    state.channelTable = table;
  }
  if (state.options.log.empty()) return;
  // Written beside and then renamed, so a test never reads half a table.
  const std::string path = state.options.log + ".table";
  {
    std::ofstream out(path + ".part", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(table.data()),
              static_cast<std::streamsize>(table.size()));
  }
  std::error_code ignored;
  std::filesystem::rename(path + ".part", path, ignored);
}

void ReceiveTable(SerialContext& context, uint32_t size) {
  if (size > kTableLimit) {
    context.state.Log("put-settings refused " + std::to_string(size));
    return;
  }
  std::vector<uint8_t> table(size);
  size_t wanted = table.size();
  // The plug is pulled after the first record, while the editor is still writing.
  if (context.fault.kind == Kind::kDisconnect) wanted = std::min<size_t>(table.size(), 64);
  const size_t got =
      context.line.ReadExact(std::span(table).first(wanted), kByteTimeout, context.stop);
  if (got < table.size()) {
    if (context.fault.kind == Kind::kDisconnect) {
      context.state.Log("disconnect");
      context.line.Disconnect();
    }
    context.state.Log("put-settings cut short after " + std::to_string(got));
    return;
  }
  const auto checksum = context.line.ReadByte(kByteTimeout, context.stop);
  if (!checksum || *checksum != BlockChecksum(table)) {
    context.state.Log("put-settings " + std::to_string(size) + " bad checksum");
    return;
  }
  StoreTable(context.state, table);
  context.state.Log("put-settings " + std::to_string(size) + " checksum ok");
}

// One command after a handshake. A "CBEG" instead of a command is a new handshake.
void RunCommands(SerialContext& context) {
  while (true) {
    const auto command = context.line.ReadByte(kByteTimeout, context.stop);
    if (!command) return;
    switch (*command) {
      case 'A':
        AnswerSize(context);
        return;
      case 'B':
        SendTable(context);
        return;
      case 'C': {
        const auto next = context.line.ReadByte(kByteTimeout, context.stop);
        if (!next) return;
        if (*next == 'B') {
          const auto e = context.line.ReadByte(kByteTimeout, context.stop);
          const auto g = context.line.ReadByte(kByteTimeout, context.stop);
          if (!e || *e != 'E' || !g || *g != 'G' || !AnswerAttention(context)) return;
          continue;
        }
        const int first = HexValue(*next);
        const auto rest = ReadNumber(context, 7, 16);
        if (first < 0 || !rest) return;
        ReceiveTable(context, (static_cast<uint32_t>(first) << 28) | *rest);
        return;
      }
      case 'D': {
        const auto length = ReadNumber(context, 8, 16);
        if (length) ReceiveSubroutine(context, *length);
        return;
      }
      case 'Z': {
        const auto channel = ReadNumber(context, 4, 10);
        if (!channel) return;
        // The answer only says the command arrived; a number the table does not hold leaves the
        // screen as it is, as the remote control's digits would.
        SelectChannel(context.state, *channel);
        context.line.Send("\rOK\r\n", context.stop);
        return;
      }
      default:
        if (HandleFrameCommand(context, *command)) return;
        context.state.Log("unknown command " + std::to_string(*command));
        return;
    }
  }
}

void Serve(SimState& state, SerialLine& line, SerialFault fault, std::stop_token stop) {
  SerialContext context{state, line, fault, stop};
  std::array<uint8_t, 4> window{};
  while (!stop.stop_requested() && line.Connected()) {
    const auto byte = line.ReadByte(std::chrono::milliseconds(200), stop);
    if (!byte) continue;
    window = {window[1], window[2], window[3], *byte};
    if (window == std::array<uint8_t, 4>{'C', 'B', 'E', 'G'}) {
      window = {};
      if (AnswerAttention(context)) RunCommands(context);
    }
  }
}

}  // namespace

bool StartSerialSide(SimState& state, std::vector<std::jthread>& threads) {
  SerialFault fault;
  if (!ParseSerialFault(state.options.fault, fault)) {
    std::fprintf(stderr, "pelorus-receiver-sim: unknown serial fault '%s'\n",
                 state.options.fault.c_str());
    return false;
  }
  const auto terminal = OpenLinkedTerminal(state.options.serialLink, "--serial-link");
  if (!terminal) return false;
  const int master = terminal->master;
  const int keeper = terminal->keeper;
  state.Log("serial " + terminal->device);
  threads.emplace_back([&state, master, keeper, fault](std::stop_token stop) {
    SerialLine line(master, keeper, state.options.throttle);
    Serve(state, line, fault, stop);
    std::error_code ignoredError;
    std::filesystem::remove(state.options.serialLink, ignoredError);
  });
  return true;
}

}  // namespace sim
