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

// Which of the stand-in receiver's links a test talks to.
enum class SimSide { kSerial, kScsi };

// The stand-in receiver as a real process, with its pseudo-terminal link or its SCSI socket in
// the test's own folder. It logs what it received (`Log()`), keeps the table it was sent in
// `TablePath()` and writes its flash to `FlashPath()` when stopped.
class SimProcess {
 public:
  explicit SimProcess(const TempDir& dir, std::vector<std::string> extra = {},
                      SimSide side = SimSide::kSerial)
      : endpoint_(dir.File(side == SimSide::kSerial ? "receiver-tty" : "receiver.sock")),
        log_(dir.File("receiver.log")),
        flash_(dir.File("flash.bin")) {
    std::vector<std::string> args = {SimulatorPath(),
                                     side == SimSide::kSerial ? "--serial-link" : "--scsi-socket",
                                     endpoint_,
                                     "--log",
                                     log_,
                                     "--dump-flash",
                                     flash_};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    // A loaded machine (or a sanitizer build) can take seconds to start the receiver and load
    // its streams; one that exits instead ends the wait at once.
    for (int i = 0; i < 3000 && pid_ > 0 && !std::filesystem::exists(endpoint_); ++i) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) pid_ = -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~SimProcess() { Stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The build's simulator: known to the tests at compile time; other programs look for it in
  // the build folder that holds them, some levels up.
  static std::string SimulatorPath() {
#ifdef PELORUS_BINARY_DIR
    return PELORUS_BINARY_DIR "/src/sim/pelorus-receiver-sim";
#else
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

  bool Running() const { return pid_ > 0 && std::filesystem::exists(endpoint_); }
  // The process, for tests that watch its resources.
  pid_t Pid() const { return pid_; }
  // The serial device (a link to the pseudo-terminal).
  const std::string& Port() const { return endpoint_; }
  // The SCSI transport, as `--scsi` takes it.
  std::string Link() const { return "sim:" + endpoint_; }
  std::string TablePath() const { return log_ + ".table"; }
  const std::string& FlashPath() const { return flash_; }

  std::string Log() const {
    std::ifstream in(log_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  // The receiver works through what it was sent after the editor is done; waits until its
  // log shows `text`.
  bool WaitForLog(const std::string& text) const {
    for (int i = 0; i < 1500; ++i) {
      if (Log().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  // Ends the process as a user would; it writes the flashed image on its way out.
  void Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  std::string endpoint_;
  std::string log_;
  std::string flash_;
};

// The receiver reached over its SCSI socket.
class ScsiSimProcess : public SimProcess {
 public:
  explicit ScsiSimProcess(const TempDir& dir, std::vector<std::string> extra = {})
      : SimProcess(dir, std::move(extra), SimSide::kScsi) {}
};

}  // namespace pelorus::testing
