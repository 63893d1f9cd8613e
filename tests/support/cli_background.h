#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace pelorus::testing {

// pelorus-cli running in a process of its own while the test does something to it or to the
// receiver (a signal, a kill): stdin empty, stdout and stderr kept in files of `folder`.
class BackgroundCli {
 public:
  BackgroundCli(const std::string& folder, std::vector<std::string> args,
                std::vector<std::string> environment = {})
      : out_(folder + "/cli.stdout"), err_(folder + "/cli.stderr") {
    args.insert(args.begin(), PELORUS_BINARY_DIR "/src/cli/pelorus-cli");
    pid_ = ::fork();
    if (pid_ != 0) return;
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
        ::dup2(err, 2) < 0 || ::chdir(folder.c_str()) != 0) {
      ::_exit(120);
    }
    for (const std::string& variable : environment) ::putenv(::strdup(variable.c_str()));
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(122);
  }
  ~BackgroundCli() {
    if (pid_ <= 0 || exited_) return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  BackgroundCli(const BackgroundCli&) = delete;
  BackgroundCli& operator=(const BackgroundCli&) = delete;

  void Signal(int signal) const {
    if (pid_ > 0 && !exited_) ::kill(pid_, signal);
  }

  // The exit status once the process ended within `limit`; -1 when it did not (it is then
  // killed) or ended by a signal.
  int Wait(std::chrono::milliseconds limit) {
    if (pid_ <= 0) return -1;
    const auto end = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > end) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
        exited_ = true;
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Out() const { return Text(out_); }
  std::string Err() const { return Text(err_); }

 private:
  static std::string Text(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  std::string out_;
  std::string err_;
  pid_t pid_ = -1;
  bool exited_ = false;
};

}  // namespace pelorus::testing
