#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

extern char** environ;

namespace pelorus::testing {

// The stand-in receiver as a real process with its SCSI socket in the test's folder. It logs
// the commands it received and writes its flash to FlashPath() when stopped.
class ScsiSimProcess {
 public:
  explicit ScsiSimProcess(const TempDir& dir, std::vector<std::string> extra = {})
      : socket_(dir.File("receiver.sock")),
        log_(dir.File("receiver.log")),
        flash_(dir.File("flash.bin")) {
    std::vector<std::string> args = {SimulatorPath(), "--scsi-socket", socket_, "--log", log_,
                                     "--dump-flash",  flash_};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    for (int i = 0; i < 500 && !std::filesystem::exists(socket_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~ScsiSimProcess() { Stop(); }
  ScsiSimProcess(const ScsiSimProcess&) = delete;
  ScsiSimProcess& operator=(const ScsiSimProcess&) = delete;

  static std::string SimulatorPath() {
#ifdef PELORUS_BINARY_DIR
    return PELORUS_BINARY_DIR "/src/sim/pelorus-receiver-sim";
#else
    // Benchmarks and GUI tests have no compile-time folder: the simulator is in the build
    // folder that holds them, some levels up.
    std::error_code error;
    std::filesystem::path folder = std::filesystem::read_symlink("/proc/self/exe", error);
    while (folder.has_parent_path() && folder != folder.parent_path()) {
      folder = folder.parent_path();
      const auto candidate = folder / "src/sim/pelorus-receiver-sim";
      if (std::filesystem::exists(candidate)) return candidate.string();
    }
    return "pelorus-receiver-sim";
#endif
  }

  bool Running() const { return pid_ > 0 && std::filesystem::exists(socket_); }
  std::string Link() const { return "sim:" + socket_; }
  const std::string& FlashPath() const { return flash_; }

  std::string Log() const {
    std::ifstream in(log_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // Ends the process as a user would; it writes the flash on its way out.
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  std::string socket_;
  std::string log_;
  std::string flash_;
  pid_t pid_ = -1;
};

}  // namespace pelorus::testing
