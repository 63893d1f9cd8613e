#pragma once

#include <string>
#include <string_view>

namespace pelorus {

struct VersionInfo {
  std::string text;  // "5.1 (Build 60)" or "5.0 BETA 8 (Build 58)"; empty without a version
  int build = 0;
};

// Builds the version text from a "%d, %d, %d, %d" file version (major, minor, beta, build).
VersionInfo BuildVersionString(std::string_view fileVersion);

// The program's own file version, compiled in.
std::string_view ProgramFileVersion();

// The same as the package names it: "1.0.0.1".
std::string ProgramDottedVersion();

// What --version prints: "NAME 1.0.0.1".
std::string VersionLine(std::string_view programName);

}  // namespace pelorus
