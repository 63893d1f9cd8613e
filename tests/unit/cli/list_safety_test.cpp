// The console commands that read and write lists, given files a careful user or a hostile one
// could give them: none may lose a list, take something else for one, or end in an abort.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "channels/channel_line.h"
#include "channels/settings_file.h"
#include "support/cli_run.h"
#include "support/fake_ui.h"
#include "support/records.h"
#include "support/sanitizers.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

namespace fs = std::filesystem;
using testing::CliRun;
using testing::FileBytes;
using testing::MakeChannel;
using testing::ReadBytes;
using testing::RunCommandLine;
using testing::WriteBytes;

class ListSafetyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list = dir.File("precious.dvb");
    std::vector<ChannelRecord> records;
    for (int i = 0; i < 10; ++i) records.push_back(MakeChannel("Old " + std::to_string(i), 11000));
    listBytes = FileBytes(records);
    WriteBytes(list, listBytes);
    text = dir.File("one.txt");
    WriteBytes(text, testing::BytesOf(FormatChannelLine(MakeChannel("Uno", 12000)) +
                                      FormatChannelLine(MakeChannel("Due", 12100))));
  }
  testing::TempDir dir;
  std::string list;
  std::vector<uint8_t> listBytes;
  std::string text;
};

TEST_F(ListSafetyTest, ImportAddsOnlyToAListItCanRead) {
  // A settings file that cannot be opened is never taken for a missing one. As root, another
  // user's file is arranged by dropping to that user in a child process.
  const fs::path folder = dir.path();
  fs::permissions(folder, fs::perms::all);
  fs::permissions(list, fs::perms::owner_read | fs::perms::owner_write);
  fs::permissions(text, fs::perms::all);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
    if (::geteuid() != 0) ::chmod(list.c_str(), 0);
    const CliRun run = RunCommandLine({"import", list, text});
    const bool named =
        run.err.starts_with("Unable to open file " + list + "\n" + list + ": Permission denied");
    ::_exit(run.status == 1 && named ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ::chmod(list.c_str(), 0600);
  EXPECT_EQ(ReadBytes(list), listBytes);

  // Only a list that does not exist is started empty.
  const CliRun fresh = RunCommandLine({"import", dir.File("new.dvb"), text});
  EXPECT_EQ(fresh.status, 0) << fresh.err;
  EXPECT_EQ(DecodeSettingsBytes(ReadBytes(dir.File("new.dvb"))).size(), 2u);
}

TEST_F(ListSafetyTest, CommandsThatWriteBackRefuseAFileWithoutAChannel) {
  const std::vector<uint8_t> exported = ReadBytes(text);
  // The arguments swapped: the text file would be replaced by a list of its own lines.
  const CliRun swapped = RunCommandLine({"import", text, list});
  EXPECT_EQ(swapped.status, 1);
  EXPECT_EQ(swapped.err, text +
                             " holds no channel record: it is not a settings file, and nothing "
                             "was written\n");
  EXPECT_EQ(ReadBytes(text), exported);

  const std::string site = dir.File("site.txt");
  WriteBytes(site, testing::BytesOf("SatA,KU,11778,V,Info,x,27500,3/4,255,x,x,256,\n"));
  const CliRun paste = RunCommandLine({"mpeg-paste", text, site});
  EXPECT_EQ(paste.status, 1);
  EXPECT_NE(paste.err.find(text + " holds no channel record"), std::string::npos);
  EXPECT_EQ(ReadBytes(text), exported);

  // An empty file holds no bytes to lose: it is a list with no channels yet.
  WriteBytes(dir.File("empty.dvb"), {});
  EXPECT_EQ(RunCommandLine({"import", dir.File("empty.dvb"), text}).status, 0);
}

TEST_F(ListSafetyTest, TheEditorOpensAFileWithoutAChannelButSaysSo) {
  EditorState state;
  testing::FakeUi ui;
  state.commandLineFile = text;
  EXPECT_TRUE(OpenSettingsFile(state, ui));
  ASSERT_TRUE(state.settingsImage.has_value());
  EXPECT_TRUE(state.settingsImage->empty());
  EXPECT_NE(
      std::find(ui.calls.begin(), ui.calls.end(), "status: No channel record was found in " + text),
      ui.calls.end());

  // A list with channels says nothing of the kind.
  ui.calls.clear();
  state.commandLineFile = list;
  state.settingsImage.reset();
  EXPECT_TRUE(OpenSettingsFile(state, ui));
  for (const std::string& call : ui.calls) EXPECT_FALSE(call.starts_with("status:")) << call;
}

TEST_F(ListSafetyTest, MpegPasteReadsALastLineWithoutALineEnd) {
  const std::string site = dir.File("site.txt");
  WriteBytes(site, testing::BytesOf("SatA,KU,11778,V,Info,x,27500,3/4,255,x,x,256,\r\n"
                                    "SatA,KU,11800,H,Last,x,27500,3/4,300,x,x,301,"));
  const CliRun run = RunCommandLine({"mpeg-paste", dir.File("out.dvb"), site, "--no-markers"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "2 channels pasted, 2 in all\n");
}

TEST_F(ListSafetyTest, SavingKeepsLinksAndRefusesWhatIsNotAFile) {
  fs::create_symlink("precious.dvb", dir.File("link.dvb"));
  fs::create_hard_link(list, dir.File("hard.dvb"));
  EXPECT_EQ(RunCommandLine({"import", dir.File("link.dvb"), text}).status, 0);
  EXPECT_TRUE(fs::is_symlink(dir.File("link.dvb")));
  EXPECT_EQ(DecodeSettingsBytes(ReadBytes(list)).size(), 12u);
  EXPECT_EQ(ReadBytes(dir.File("hard.dvb")), ReadBytes(list));

  fs::create_directory(dir.File("folder.dvb"));
  const CliRun folder = RunCommandLine({"convert", list, dir.File("folder.dvb")});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.err,
            "Unable to open file for output\n" + dir.File("folder.dvb") + ": not a regular file\n");
}

TEST_F(ListSafetyTest, AHugeFileIsRefusedAtOnce) {
  const std::string sparse = dir.File("huge.dvb");
  WriteBytes(sparse, {});
  fs::resize_file(sparse, uint64_t{5} << 30);
  for (const char* command : {"list", "convert"}) {
    const auto start = std::chrono::steady_clock::now();
    const CliRun run = std::string(command) == "list"
                           ? RunCommandLine({"list", sparse})
                           : RunCommandLine({"convert", sparse, dir.File("out.dvb")});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.starts_with("Unable to read file " + sparse + "\n" + sparse +
                                    ": 5368709120 bytes, larger than"))
        << run.err;
  }
  fs::resize_file(sparse, uint64_t{100} << 20);
  EXPECT_EQ(RunCommandLine({"import", dir.File("new.dvb"), sparse}).status, 1);
  EXPECT_EQ(RunCommandLine({"mpeg-paste", dir.File("new.dvb"), sparse}).status, 1);
  EXPECT_FALSE(fs::exists(dir.File("new.dvb")));
}

#if !PELORUS_UNDER_ASAN
TEST_F(ListSafetyTest, RunningOutOfMemoryIsAFailureNotAnAbort) {
  // A large list that fits the bound, then an address space too small to hold it.
  std::vector<ChannelRecord> records(400000, MakeChannel("Mem", 11000));
  WriteBytes(dir.File("big.dvb"), FileBytes(records));
  for (const char* command : {"list", "convert"}) {
    const pid_t child = ::fork();
    if (child == 0) {
      // Less room than the list itself needs: the file is read straight into the records, so
      // a bound between one copy and two would let it load.
      unsigned long pages = 0;
      if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%lu", &pages) != 1) pages = 0;
        std::fclose(statm);
      }
      const rlim_t room = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (16u << 20);
      const rlimit limit{room, room};
      ::setrlimit(RLIMIT_AS, &limit);
      const CliRun run = std::string(command) == "list"
                             ? RunCommandLine({"list", dir.File("big.dvb")})
                             : RunCommandLine({"convert", dir.File("big.dvb"), dir.File("o.dvb")});
      const bool said = run.err.find("memory") != std::string::npos;
      ::_exit(run.status == 1 && said ? 0 : run.status == 0 ? 3 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << command;  // no abort
    EXPECT_EQ(WEXITSTATUS(status), 0) << command;
  }
}
#endif

}  // namespace
}  // namespace pelorus
