#include <string>
#include <vector>

#include "cli.h"
#include "common/file_io.h"

int main(int argc, char** argv) {
  // A save cut short by Ctrl-C, a kill or a closed terminal leaves no temporary file behind.
  pelorus::RemoveTemporaryFileOnSignals();
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return pelorus::RunCli(arguments, stdout, stderr);
}
