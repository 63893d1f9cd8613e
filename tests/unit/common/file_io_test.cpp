#include "common/file_io.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/temp_dir.h"

namespace pelorus {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::vector<uint8_t> kOld = {1, 2, 3, 4};
const std::vector<uint8_t> kNew = {9, 8, 7};

std::vector<std::string> TemporaryFilesIn(const TempDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name.find(".pelorus-") != std::string::npos) names.push_back(name);
  }
  return names;
}

TEST(ReadWholeFile, RefusesWhatIsNotARegularFileWithoutBlocking) {
  TempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Should the read block after all, a writer that comes and goes lets it end, late.
  std::jthread guard([&](std::stop_token stop) {
    for (int i = 0; i < 300 && !stop.stop_requested(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (!stop.stop_requested()) ::close(::open(fifo.c_str(), O_RDWR | O_NONBLOCK));
  });
  const auto start = std::chrono::steady_clock::now();
  const FileContents fromFifo = ReadWholeFile(fifo);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  guard.request_stop();
  EXPECT_TRUE(fromFifo.opened);
  EXPECT_TRUE(fromFifo.readFailed);
  EXPECT_EQ(fromFifo.problem, FileProblem::kNotRegular);
  EXPECT_EQ(FileProblemText(fifo, fromFifo), fifo + ": not a regular file");

  const FileContents folder = ReadWholeFile(dir.path().string());
  EXPECT_EQ(folder.problem, FileProblem::kNotRegular);

  const FileContents missing = ReadWholeFile(dir.File("missing"));
  EXPECT_FALSE(missing.opened);
  EXPECT_EQ(missing.problem, FileProblem::kMissing);
  EXPECT_EQ(FileProblemText(dir.File("missing"), missing),
            dir.File("missing") + ": No such file or directory");
}

TEST(ReadWholeFile, RefusesAFileOverTheBoundBeforeReadingIt) {
  TempDir dir;
  const std::string sparse = dir.File("huge.dvb");
  WriteBytes(sparse, {});
  fs::resize_file(sparse, uint64_t{5} << 30);  // 5 GiB of holes
  const auto start = std::chrono::steady_clock::now();
  const FileContents huge = ReadWholeFile(sparse);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_TRUE(huge.readFailed);
  EXPECT_EQ(huge.problem, FileProblem::kTooLarge);
  EXPECT_TRUE(huge.bytes.empty());
  EXPECT_NE(FileProblemText(sparse, huge).find("5368709120 bytes, larger than the 67108864"),
            std::string::npos);

  // Exactly at the bound is still a file.
  fs::resize_file(sparse, 100);
  EXPECT_EQ(ReadWholeFile(sparse, 100).bytes.size(), 100u);
  EXPECT_EQ(ReadWholeFile(sparse, 99).problem, FileProblem::kTooLarge);
}

TEST(WriteFileAtomically, WritesThroughLinksAndKeepsThem) {
  TempDir dir;
  const std::string target = dir.File("real.dvb");
  WriteBytes(target, kOld);

  // A symbolic link (relative, through a second link) stays a link; its target gets the list.
  fs::create_symlink("real.dvb", dir.File("link1.dvb"));
  fs::create_symlink(dir.File("link1.dvb"), dir.File("link2.dvb"));
  ASSERT_EQ(WriteFileAtomically(dir.File("link2.dvb"), kNew), WriteResult::kDone);
  EXPECT_TRUE(fs::is_symlink(dir.File("link2.dvb")));
  EXPECT_TRUE(fs::is_symlink(dir.File("link1.dvb")));
  EXPECT_EQ(ReadBytes(target), kNew);

  // A link to nothing yet creates its target.
  fs::create_symlink("later.dvb", dir.File("dangling.dvb"));
  ASSERT_EQ(WriteFileAtomically(dir.File("dangling.dvb"), kOld), WriteResult::kDone);
  EXPECT_TRUE(fs::is_symlink(dir.File("dangling.dvb")));
  EXPECT_EQ(ReadBytes(dir.File("later.dvb")), kOld);

  // A hard link is not split: both names see the new list.
  fs::create_hard_link(target, dir.File("hard.dvb"));
  ASSERT_EQ(WriteFileAtomically(dir.File("hard.dvb"), kOld), WriteResult::kDone);
  EXPECT_EQ(fs::hard_link_count(target), 2u);
  EXPECT_EQ(ReadBytes(target), kOld);
  ASSERT_EQ(WriteFileAtomically(target, kNew), WriteResult::kDone);
  EXPECT_EQ(ReadBytes(dir.File("hard.dvb")), kNew);
  EXPECT_TRUE(TemporaryFilesIn(dir).empty());
}

TEST(WriteFileAtomically, KeepsModeAndSetIdBits) {
  TempDir dir;
  const std::string target = dir.File("list.dvb");
  WriteBytes(target, kOld);
  ASSERT_EQ(::chmod(target.c_str(), 02640), 0);
  ASSERT_EQ(WriteFileAtomically(target, kNew), WriteResult::kDone);
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 02640u);
  EXPECT_EQ(info.st_uid, ::geteuid());
}

TEST(WriteFileAtomically, RefusesWhatIsNotARegularFileAndLeavesIt) {
  TempDir dir;
  const std::string fifo = dir.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink("loop-b", dir.File("loop-a"));
  fs::create_symlink("loop-a", dir.File("loop-b"));
  fs::create_directory(dir.File("folder"));
  std::vector<std::string> paths = {fifo, dir.File("loop-a"), dir.File("folder"), ""};
  // A device node of our own (as root): never replaced by a regular file.
  const std::string device = dir.File("null");
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) paths.push_back(device);

  for (const std::string& path : paths) {
    WriteFailure failure;
    EXPECT_EQ(WriteFileAtomically(path, kNew, &failure), WriteResult::kCannotCreate) << path;
    EXPECT_FALSE(WriteFailureText(failure).empty());
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_symlink(dir.File("loop-a")));
  EXPECT_TRUE(fs::is_directory(dir.File("folder")));
  if (paths.size() == 5) {
    EXPECT_TRUE(fs::is_character_file(device));
  }
  WriteFailure failure;
  WriteFileAtomically(fifo, kNew, &failure);
  EXPECT_EQ(WriteFailureText(failure), fifo + ": not a regular file");
  WriteFileAtomically(dir.File("loop-a"), kNew, &failure);
  EXPECT_EQ(failure.error, ELOOP);
  WriteFileAtomically(dir.File("no/such/folder.dvb"), kNew, &failure);
  EXPECT_EQ(WriteFailureText(failure),
            dir.File("no/such/folder.dvb") + ": No such file or directory");
  EXPECT_TRUE(TemporaryFilesIn(dir).empty());
}

TEST(WriteFileAtomically, AWriteThatFailsPartWayLeavesTheOldFile) {
  TempDir dir;
  const std::string target = dir.File("list.dvb");
  WriteBytes(target, kOld);
  // A file size limit stands in for a disk that fills up part-way.
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    WriteFailure failure;
    const WriteResult result =
        WriteFileAtomically(target, std::vector<uint8_t>(5000, 0x55), &failure);
    ::_exit(result == WriteResult::kWriteFailed && failure.error == EFBIG ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadBytes(target), kOld);
  EXPECT_TRUE(TemporaryFilesIn(dir).empty());
}

// Runs a save in a child process that ends at `signal` once its temporary file exists.
// Returns the child's wait status.
int SaveEndedBySignal(const std::string& path, int signal, bool cleanUpOnSignals) {
  const pid_t child = ::fork();
  if (child == 0) {
    static int raised;
    raised = signal;
    if (cleanUpOnSignals) RemoveTemporaryFileOnSignals();
    testing_hooks::afterTemporaryCreated = [] { ::raise(raised); };
    WriteFileAtomically(path, kNew);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return status;
}

TEST(WriteFileAtomically, ASignalDuringASaveLeavesNoTemporaryFile) {
  TempDir dir;
  const std::string target = dir.File("out.dvb");
  WriteBytes(target, kOld);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    const int status = SaveEndedBySignal(target, signal, true);
    ASSERT_TRUE(WIFSIGNALED(status)) << signal;
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_TRUE(TemporaryFilesIn(dir).empty()) << signal;
    EXPECT_EQ(ReadBytes(target), kOld);
  }
}

TEST(WriteFileAtomically, TheNextSaveRemovesTemporaryFilesNobodyHolds) {
  TempDir dir;
  const std::string target = dir.File("out.dvb");
  WriteBytes(target, kOld);
  // kill -9 cannot be caught: the temporary file stays, until the next save into the folder.
  const int status = SaveEndedBySignal(target, SIGKILL, true);
  ASSERT_TRUE(WIFSIGNALED(status));
  const std::vector<std::string> left = TemporaryFilesIn(dir);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(ReadBytes(target), kOld);

  // One held by a live save (its lock) and a user's file that only looks similar stay.
  const std::string held = dir.File("other.dvb.pelorus-abc123");
  const int heldFd = ::open(held.c_str(), O_CREAT | O_RDWR, 0600);
  ASSERT_GE(heldFd, 0);
  ASSERT_EQ(::flock(heldFd, LOCK_EX), 0);
  WriteBytes(dir.File("notes.pelorus-1"), kOld);
  // Age them all past the moment between creating a temporary file and locking it.
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    fs::last_write_time(entry.path(), fs::last_write_time(entry.path()) - std::chrono::hours(1));
  }
  // A temporary file this young may be one being created: it stays.
  EXPECT_EQ(RemoveStaleTemporaryFiles(dir.path().string(), 7200), 0);

  ASSERT_EQ(WriteFileAtomically(dir.File("another.dvb"), kNew), WriteResult::kDone);
  EXPECT_FALSE(fs::exists(dir.File(left[0])));
  EXPECT_TRUE(fs::exists(held));
  EXPECT_TRUE(fs::exists(dir.File("notes.pelorus-1")));
  ::close(heldFd);
}

}  // namespace
}  // namespace pelorus
