// The dump file both grabs write through: the target is replaced only by a committed dump, and
// a dump that cannot be made or written says where and why.
#include "scsi/dump_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "support/temp_dir.h"

namespace pelorus {
namespace {

TEST(DumpFile, OnlyACommittedDumpReplacesTheTargetAndFailuresSayWhy) {
  testing::TempDir dir;
  const std::string target = dir.File("frame.mem");
  testing::WriteBytes(target, {'o', 'l', 'd'});
  const std::vector<uint8_t> bytes(4096, 0x5A);
  {
    DumpFile dropped;
    ASSERT_TRUE(dropped.Create(target));
    ASSERT_TRUE(dropped.Append(bytes));
  }
  EXPECT_EQ(testing::ReadBytes(target), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

  DumpFile kept;
  ASSERT_TRUE(kept.Create(target));
  ASSERT_TRUE(kept.Append(bytes));
  ASSERT_TRUE(kept.Commit());
  EXPECT_EQ(testing::ReadBytes(target), bytes);

  DumpFile nowhere;
  const std::string missing = dir.File("no-folder/frame.mem");
  EXPECT_FALSE(nowhere.Create(missing));
  EXPECT_EQ(nowhere.FailureText(), missing + ": No such file or directory");

  // A disk that fills up, as a file size limit in a child: the write fails with its reason and
  // the old dump stays.
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{1000, 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    bool said = false;
    {
      // The dump is dropped before the child ends, as a grab's would be.
      DumpFile full;
      const bool created = full.Create(target);
      const bool appended = full.Append(bytes);
      const std::string why = full.FailureText();
      said = created && !appended && why.starts_with(target + ".") &&
             why.ends_with(": File too large");
      if (!said) std::fprintf(stderr, "%d %d %s\n", created, appended, why.c_str());
    }
    ::_exit(said ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(testing::ReadBytes(target), bytes);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
}  // namespace pelorus
