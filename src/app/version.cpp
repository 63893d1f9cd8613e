#include "app/version.h"

#include <cstdio>

#include "common/strfmt.h"

namespace pelorus {

VersionInfo BuildVersionString(std::string_view fileVersion) {
  VersionInfo info;
  const std::string text(fileVersion);
  int major = 0, minor = 0, beta = 0, build = 0;
  if (std::sscanf(text.c_str(), "%d, %d, %d, %d", &major, &minor, &beta, &build) != 4) {
    return info;
  }
  info.build = build;
  info.text = beta < 1 ? Format("%d.%d (Build %d)", major, minor, build)
                       : Format("%d.%d BETA %d (Build %d)", major, minor, beta, build);
  return info;
}

std::string_view ProgramFileVersion() { return PELORUS_FILE_VERSION; }

std::string ProgramDottedVersion() {
  std::string dotted;
  for (const char c : ProgramFileVersion()) {
    if (c == ',') {
      dotted += '.';
    } else if (c != ' ') {
      dotted += c;
    }
  }
  return dotted;
}

std::string VersionLine(std::string_view programName) {
  return std::string(programName) + ' ' + ProgramDottedVersion();
}

}  // namespace pelorus
