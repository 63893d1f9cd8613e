#pragma once

#include <sys/stat.h>

#include <string>

namespace pelorus {

struct WriteFailure;

// Where a save lands: symbolic links followed to the file that is replaced, so a link stays a
// link. `exists` tells whether there is a file to replace; `info` is its status then.
struct SaveTarget {
  std::string path;
  struct stat info {};
  bool exists = false;
};
// False (with the reason) when the chain loops, ends in something that is not a regular file, or
// ends in a file the user may not write.
bool ResolveSaveTarget(const std::string& path, SaveTarget& target, WriteFailure* failure);

// Temporary files are named "<name>.pelorus-XXXXXX" beside their target and held under a lock
// while written. Creates one for `target` and watches it (see below); returns its descriptor,
// or -1 with errno set. `temporaryPath` receives its name.
int CreateTemporaryBeside(const std::string& target, std::string& temporaryPath);
// Gives a new temporary the owner, group and mode of the file it replaces (where the process may
// set them), or the mode a new file gets.
void TakeOverOwnership(int fd, const SaveTarget& target);
// The temporary was renamed into place or removed: a signal has nothing left to clean up.
void ForgetTemporary(const std::string& temporaryPath);

// One that nobody holds and that has not been touched for `minAge` seconds was left by a process
// that died. Removes such files from `folder`; returns how many were removed.
int RemoveStaleTemporaryFiles(const std::string& folder, int minAgeSeconds = 2);

// Makes SIGINT, SIGTERM and SIGHUP remove the temporary files being written before the process
// ends as the signal asks. For the console tool, which has no event loop to end cleanly. While a
// SignalStopScope lives, the first such signal only asks the running work to stop instead.
void RemoveTemporaryFileOnSignals();

// A long run that a signal stops as its Stop button would: the run keeps what arrived and ends
// normally. A second signal ends the process at once (temporaries removed).
class SignalStopScope {
 public:
  SignalStopScope();
  ~SignalStopScope();
  SignalStopScope(const SignalStopScope&) = delete;
  SignalStopScope& operator=(const SignalStopScope&) = delete;

  // The signal that asked for the stop, 0 while none came.
  static int StopSignal();
  // A descriptor (the write end of a pipe) that gets a byte when the stop signal comes, so an
  // event loop can notice it; -1 for none.
  static void WakeOnSignal(int fd);
};

namespace testing_hooks {
// Called once the temporary file exists and is locked; tests end the process there.
extern void (*afterTemporaryCreated)();
}  // namespace testing_hooks

}  // namespace pelorus
