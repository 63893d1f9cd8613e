#pragma once

#include <cstdarg>
#include <string>

namespace pelorus {

// printf-style formatting into a std::string. The system's texts are printf formats, and GCC 12
// has no <format>; the attribute lets the compiler check every call against its arguments.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Formats with a format text chosen at run time (the PID formats). Only for formats that are
// known to take exactly the given arguments.
std::string FormatRuntime(const char* format, ...);

std::string FormatV(const char* format, va_list args);

}  // namespace pelorus
