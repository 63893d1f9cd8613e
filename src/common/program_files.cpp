#include "common/program_files.h"

#include <filesystem>
#include <system_error>

namespace pelorus {

std::string ProgramFolder() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string(".") : self.parent_path().string();
}

std::string ShippedDataFolder() {
  const std::filesystem::path program = ProgramFolder();
  const std::filesystem::path installed = program.parent_path() / "share" / "pelorus";
  std::error_code error;
  if (program.filename() == "bin" && std::filesystem::is_directory(installed, error)) {
    return installed.string();
  }
  return program.string();
}

}  // namespace pelorus
