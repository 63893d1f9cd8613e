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

// pelorus-cli run as a user runs it: a process of its own, stdin empty, in `folder`, killed
// when it outlives `limit` (a hang is then reported, never waited out). Its stderr is kept
// beside `folder`, so that the folder holds only what the command made.
struct CliProcessRun {
  int status = -1;  // the exit status; -1 when it was killed or did not start
  bool timedOut = false;
  std::string err;
  std::chrono::milliseconds took{0};
};

// `asUser` (when not -1, and the test runs as root) is the user the command runs as, so that
// a file of another owner can be arranged.
inline CliProcessRun RunCliProcess(const std::string& folder, std::vector<std::string> args,
                                   std::chrono::milliseconds limit = std::chrono::seconds(5),
                                   int asUser = -1) {
  CliProcessRun run;
  args.insert(args.begin(), PELORUS_BINARY_DIR "/src/cli/pelorus-cli");
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  const std::string errors = folder + "/../" + std::to_string(::getpid()) + "-cli.stderr";
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid < 0) return run;
  if (pid == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open("/dev/null", O_WRONLY);
    const int err = ::open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 ||
        ::dup2(err, 2) < 0 || ::chdir(folder.c_str()) != 0) {
      ::_exit(120);
    }
    if (asUser >= 0 && ::geteuid() == 0 && (::setgid(asUser) != 0 || ::setuid(asUser) != 0)) {
      ::_exit(121);
    }
    ::execv(argv[0], argv.data());
    ::_exit(122);
  }
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() - start > limit) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      run.timedOut = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  run.took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  if (!run.timedOut && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  std::ifstream file(errors);
  std::stringstream text;
  text << file.rdbuf();
  run.err = text.str();
  ::unlink(errors.c_str());
  return run;
}

}  // namespace pelorus::testing
