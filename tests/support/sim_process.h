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

// The stand-in receiver as a real process on a pseudo-terminal in the test's own folder. It
// logs what it received (`Log()`) and keeps the table it was sent in `TablePath()`.
class SimProcess {
 public:
  explicit SimProcess(const TempDir& dir, std::vector<std::string> extra = {})
      : link_(dir.File("receiver-tty")),
        log_(dir.File("receiver.log")),
        flash_(dir.File("flash.bin")) {
    std::vector<std::string> args = {SimulatorPath(), "--serial-link", link_, "--log", log_,
                                     "--dump-flash",  flash_};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) pid_ = -1;
    for (int i = 0; i < 500 && !std::filesystem::exists(link_); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  ~SimProcess() { Stop(); }
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // The build's simulator: known to the tests at compile time, found beside the benchmarks.
  static std::string SimulatorPath() {
#ifdef PELORUS_BINARY_DIR
    return PELORUS_BINARY_DIR "/src/sim/pelorus-receiver-sim";
#else
    std::error_code error;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    return (self.parent_path().parent_path() / "src/sim/pelorus-receiver-sim").string();
#endif
  }

  bool Running() const { return pid_ > 0 && std::filesystem::exists(link_); }
  const std::string& Port() const { return link_; }
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
    for (int i = 0; i < 500; ++i) {
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
  std::string link_;
  std::string log_;
  std::string flash_;
};

}  // namespace pelorus::testing
