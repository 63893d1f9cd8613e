// Subroutines the receiver is sent, and the one it knows how to run here: the flash
// subroutine, which takes a firmware image in compressed, CRC-checked steps.
#include <array>
#include <string>
#include <vector>

#include "colour_subroutine.h"
#include "serial_context.h"
#include "serial_expand.h"
#include "signal_subroutine.h"

namespace sim {
namespace {

using Kind = SerialFault::Kind;
constexpr size_t kStepLimit = 65536;
constexpr uint32_t kStepMarker = 0x00010001;
// The flash subroutine waits longer than a command does: the editor pauses before it talks.
constexpr std::chrono::milliseconds kFlashTimeout{30000};
constexpr char kFlashName[] = "SBR:tarnflash";

// The check the flash subroutine runs over a block and its two CRC bytes: zero when intact.
uint16_t CrcRemainder(std::span<const uint8_t> bytes) {
  uint16_t crc = 0;
  for (const uint8_t byte : bytes) {
    crc ^= static_cast<uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021)
                           : static_cast<uint16_t>(crc << 1);
    }
  }
  return crc;
}

std::optional<uint32_t> ReadLittleEndian(SerialContext& context) {
  std::array<uint8_t, 4> bytes{};
  if (context.line.ReadExact(bytes, kFlashTimeout, context.stop) != bytes.size()) {
    return std::nullopt;
  }
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

void Answer(SerialContext& context, char letter) {
  context.line.Send(std::string_view(&letter, 1), context.stop);
}

// One compressed step. False when the subroutine stops.
bool FlashStep(SerialContext& context, uint32_t length, int block, std::vector<uint8_t>& image) {
  // A compressed step can grow a little beyond its 64 KiB; anything far beyond is not one.
  if (length > kStepLimit * 2) {
    context.state.Log("flash step " + std::to_string(block) + " length " + std::to_string(length) +
                      " refused");
    return false;
  }
  std::vector<uint8_t> data(length + 2);
  size_t wanted = data.size();
  if (context.fault.kind == Kind::kDisconnect) wanted = data.size() / 2;
  const size_t got =
      context.line.ReadExact(std::span(data).first(wanted), kFlashTimeout, context.stop);
  if (got < data.size()) {
    if (context.fault.kind == Kind::kDisconnect) {
      context.state.Log("disconnect");
      context.line.Disconnect();
    }
    context.state.Log("flash step " + std::to_string(block) + " cut short");
    return false;
  }
  const bool crcFault = context.fault.kind == Kind::kCrcError && context.fault.block == block;
  if (crcFault || CrcRemainder(data) != 0) {
    context.state.Log("flash step " + std::to_string(block) + " crc error");
    Answer(context, 'C');
    return false;
  }
  if (context.fault.kind == Kind::kUnknownLetter) {
    Answer(context, 'Z');
    return false;
  }
  Answer(context, 'B');
  const std::vector<uint8_t> expanded = ExpandStep(std::span(data).first(length), kStepLimit);
  if (context.fault.kind == Kind::kUnknownDecompress) {
    Answer(context, 'Q');
    return false;
  }
  Answer(context, 'D');
  image.insert(image.end(), expanded.begin(), expanded.end());
  context.state.Log("flash step " + std::to_string(block) + " compressed " +
                    std::to_string(length) + " expanded " + std::to_string(expanded.size()));
  Answer(context, 'F');
  return true;
}

void RunFlashSubroutine(SerialContext& context) {
  context.line.Send("tarnflash ready\r\n", context.stop);
  const auto eraseAll = context.line.ReadByte(kFlashTimeout, context.stop);
  const auto bootloader = context.line.ReadByte(kFlashTimeout, context.stop);
  if (!eraseAll || !bootloader) return;
  context.state.Log(std::string("flash options erase-all=") + static_cast<char>(*eraseAll) +
                    " bootloader=" + static_cast<char>(*bootloader));
  if (context.fault.kind == Kind::kFlashSilent) return;
  Answer(context, 'A');

  std::vector<uint8_t> image;
  for (int block = 1;; ++block) {
    const auto length = ReadLittleEndian(context);
    if (!length) return;
    if (*length == 0) break;
    const auto marker = ReadLittleEndian(context);
    if (!marker || *marker != kStepMarker) {
      context.state.Log("flash step " + std::to_string(block) + " bad header");
      return;
    }
    if (!FlashStep(context, *length, block, image)) return;
  }
  context.state.Log("flash done " + std::to_string(image.size()));
  std::lock_guard lock(context.state.mutex);
  context.state.flash = std::move(image);
}

}  // namespace

void ReceiveSubroutine(SerialContext& context, uint32_t length) {
  // Larger than the receiver's memory for subroutines: not a subroutine.
  if (length > 1024 * 1024) {
    context.state.Log("subroutine refused " + std::to_string(length));
    return;
  }
  std::vector<uint8_t> code(length);
  if (context.line.ReadExact(code, kByteTimeout, context.stop) != code.size()) {
    context.state.Log("subroutine cut short");
    return;
  }
  const auto checksum = context.line.ReadByte(kByteTimeout, context.stop);
  if (!checksum || *checksum != BlockChecksum(code)) {
    context.state.Log("subroutine " + std::to_string(length) + " bad checksum");
    return;
  }
  // Our stand-in subroutines name themselves in their first line.
  std::string name;
  for (size_t i = 0; i < code.size() && code[i] != '\n' && i < 64; ++i)
    name += static_cast<char>(code[i]);
  context.state.Log("subroutine " + std::to_string(length) + " checksum ok " +
                    (name.starts_with("SBR:") ? name.substr(4) : std::string("unknown")));
  if (name == kFlashName) RunFlashSubroutine(context);
  if (name == "SBR:color") RunColourSubroutine(context);
  if (name == "SBR:signal") RunSignalSubroutine(context);
}

}  // namespace sim
