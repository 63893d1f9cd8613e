#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "support/temp_dir.h"

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

}  // namespace pelorus::testing
