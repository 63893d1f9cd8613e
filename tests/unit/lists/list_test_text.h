#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

namespace pelorus::testing {

// Lines joined with LF, the last one ended too, as the receivers write their files.
inline std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) {
    text += line;
    text += '\n';
  }
  return text;
}

inline std::span<const uint8_t> Bytes(const std::string& text) {
  return std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

}  // namespace pelorus::testing
