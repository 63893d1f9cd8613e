#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli.h"

namespace pelorus::testing {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

inline std::string ReadAndClose(std::FILE* file) {
  std::rewind(file);
  std::string text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  std::fclose(file);
  return text;
}

// Runs one pelorus-cli command line in-process, with no terminal to ask questions on.
inline CliRun RunCommandLine(const std::vector<std::string>& arguments) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::FILE* in = std::tmpfile();
  const int status = RunCli(arguments, out, err, in);
  std::fclose(in);
  return CliRun{status, ReadAndClose(out), ReadAndClose(err)};
}

}  // namespace pelorus::testing
