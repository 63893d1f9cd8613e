#include "frame_serial.h"

#include <cstdio>
#include <string>
#include <vector>

#include "frame_store.h"
#include "scsi_memory.h"

namespace sim {
namespace {

constexpr uint32_t kChunk = 64 * 1024;
constexpr size_t kSizeAnswer = 9;
constexpr size_t kShortChunk = 40000;

void SendMemory(SerialContext& context) {
  const auto address = ReadNumber(context, 8, 16);
  if (!address) return;
  char text[16];
  std::snprintf(text, sizeof text, "%08X", *address);
  context.state.Log(std::string("read-memory ") + text);
  std::vector<uint8_t> bytes(kChunk);
  for (uint32_t i = 0; i < kChunk; ++i) bytes[i] = ScsiMemory::FillByte(*address + i);
  Frames().Overlay(*address, bytes.data(), kChunk, false);
  // "short-record": each chunk stops part-way, and the rest never comes.
  if (context.fault.kind == SerialFault::Kind::kShortRecord) {
    bytes.resize(kShortChunk);
    context.state.Log("read-memory cut short");
  }
  context.line.Send(bytes, context.stop);
}

void SendSize(SerialContext& context) {
  char text[kSizeAnswer + 1] = {};
  std::snprintf(text, sizeof text, "%d:%d", Frames().PictureWidth(), Frames().PictureHeight());
  context.state.Log(std::string("picture-size ") + text);
  // The number text, padded with zero bytes to the nine the editor counts.
  context.line.Send(std::span(reinterpret_cast<const uint8_t*>(text), kSizeAnswer), context.stop);
}

}  // namespace

bool HandleFrameCommand(SerialContext& context, uint8_t command) {
  switch (command) {
    case '1':
      context.state.Log("pause-video");
      return true;
    case '2':
      context.state.Log("resume-video");
      return true;
    case 'K':
      SendSize(context);
      return true;
    case 'Q':
      SendMemory(context);
      return true;
    default:
      return false;
  }
}

}  // namespace sim
