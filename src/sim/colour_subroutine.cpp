#include "colour_subroutine.h"

#include <array>
#include <cstdio>
#include <mutex>
#include <string>

namespace sim {
namespace {

constexpr std::chrono::milliseconds kColourTimeout{5000};

}  // namespace

void RunColourSubroutine(SerialContext& context) {
  // A banner before the "!" that the editor skips.
  context.line.Send("color ready\r\n!", context.stop);
  const auto command = context.line.ReadByte(kColourTimeout, context.stop);
  if (!command) return;
  if (*command == 'W') {
    std::array<uint32_t, 5> colours{};
    for (uint32_t& colour : colours) {
      for (int shift = 0; shift < 32; shift += 8) {
        const auto byte = context.line.ReadByte(kColourTimeout, context.stop);
        if (!byte) {
          context.state.Log("colours cut short");
          return;
        }
        colour |= static_cast<uint32_t>(*byte) << shift;
      }
    }
    std::string text;
    for (const uint32_t colour : colours) {
      char hex[9];
      std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(colour));
      text += hex;
    }
    {
      std::lock_guard lock(context.state.mutex);
      context.state.colours = colours;
    }
    context.state.Log("colours written " + text);
  } else if (*command == 'R') {
    std::array<uint32_t, 5> colours{};
    {
      std::lock_guard lock(context.state.mutex);
      colours = context.state.colours;
    }
    std::string text;
    for (const uint32_t colour : colours) {
      char hex[9];
      std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(colour));
      text += hex;
    }
    context.line.Send(text, context.stop);
    context.state.Log("colours read " + text);
  }
}

}  // namespace sim
