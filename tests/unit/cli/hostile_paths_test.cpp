// Every console command, given paths a hostile user could give it in place of each file it
// takes: it must end within 5 s with status 1 or 2 and a message, and change nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>

#include "cli.h"
#include "support/cli_process.h"
#include "support/records.h"
#include "support/temp_dir.h"

namespace pelorus {
namespace {

namespace fs = std::filesystem;

// The argument lists of each command, one for each file it takes: "{H}" stands for the hostile
// path, "{L}" a good settings file, "{T}" a good text file, "{O}" a new file, "{S}" a SCSI link
// to nothing, "{P}" a serial port that is not there and "{I}" an options file of its own.
// A command without an entry fails the test, so new commands must join the table.
const std::map<std::string, std::vector<std::vector<std::string>>> kCases = {
    {"list", {{"list", "{H}"}}},
    {"convert", {{"convert", "{H}", "{O}"}, {"convert", "{L}", "{H}"}}},
    {"export", {{"export", "{H}", "{O}"}, {"export", "{L}", "{H}"}}},
    {"import", {{"import", "{H}", "{T}"}, {"import", "{O}", "{H}"}}},
    {"sort", {{"sort", "{H}", "{O}", "--by", "name"}, {"sort", "{L}", "{H}", "--by", "name"}}},
    {"mpeg-paste", {{"mpeg-paste", "{H}", "{T}"}, {"mpeg-paste", "{O}", "{H}"}}},
    {"print", {{"print", "{H}", "{O}"}, {"print", "{L}", "{H}"}}},
    {"lzw-encode",
     {{"lzw-encode", "{H}", "{L}", "100", "0"}, {"lzw-encode", "{O}", "{H}", "100", "0"}}},
    {"scsi",
     {{"scsi", "read-settings", "{H}", "--scsi", "{S}"},
      {"scsi", "write-settings", "{H}", "--scsi", "{S}"},
      {"scsi", "firmware", "{H}", "--scsi", "{S}"},
      {"scsi", "read-memory", "0xD0000", "0x100", "{H}", "--scsi", "{S}"},
      {"scsi", "scan", "--scsi", "sim:{H}"}}},
    {"duplicates", {{"duplicates", "{H}"}}},
    {"import-list", {{"import-list", "{H}", "{O}"}, {"import-list", "{T}", "{H}"}}},
    {"export-list",
     {{"export-list", "{H}", "{O}", "--format", "vdr"},
      {"export-list", "{L}", "{H}", "--format", "vdr"},
      {"export-list", "{L}", "{H}", "--format", "enigma2"}}},
    {"reorder",
     {{"reorder", "{H}", "{O}", "--like", "{L}"},
      {"reorder", "{L}", "{H}", "--like", "{L}"},
      {"reorder", "{L}", "{O}", "--like", "{H}"}}},
    {"diff", {{"diff", "{H}", "{L}"}, {"diff", "{L}", "{H}"}}},
    {"ts-check", {{"ts-check", "{H}"}}},
    {"si", {{"si", "{H}"}}},
    {"eit", {{"eit", "{H}", "{O}"}, {"eit", "{H}", "{O}", "--xmltv", "{O}"}}},
    {"pids", {{"pids", "{H}"}}},
    {"grab",
     {{"grab", "{H}", "--scsi", "{S}"},
      {"grab", "{H}", "--serial", "--port", "{P}", "--options", "{I}"}}},
    {"select-channel", {{"select-channel", "{H}", "1", "--port", "{P}", "--options", "{I}"}}},
    {"montery",
     {{"montery", "{H}", "--seconds", "1", "--scsi", "{S}", "--port", "{P}", "--options", "{I}"},
      {"montery", "{L}", "--seconds", "1", "--ini", "{H}", "--scsi", "{S}", "--port", "{P}",
       "--options", "{I}"}}},
    {"serial",
     {{"serial", "read-settings", "{H}", "--port", "{P}", "--options", "{I}"},
      {"serial", "write-settings", "{H}", "--port", "{P}", "--options", "{I}"},
      {"serial", "upload-sbr", "{H}", "--port", "{P}", "--options", "{I}"},
      {"serial", "firmware", "{H}", "--port", "{P}", "--options", "{I}"},
      {"serial", "read-settings", "{O}", "--port", "{H}", "--options", "{I}"},
      {"serial", "write-settings", "{L}", "--port", "{H}", "--options", "{I}"}}},
};

constexpr int kNobody = 65534;

// What each entry of the folder is, and holds, so that any change shows.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const fs::file_status status = entry.symlink_status();
    std::string what = std::to_string(static_cast<int>(status.type())) + " " +
                       std::to_string(static_cast<int>(status.permissions()));
    if (status.type() == fs::file_type::regular) {
      const std::vector<uint8_t> bytes = testing::ReadBytes(entry.path().string());
      what += " " + std::string(bytes.begin(), bytes.end());
    } else if (status.type() == fs::file_type::symlink) {
      what += " " + fs::read_symlink(entry.path()).string();
    }
    entries[entry.path().string()] = what;
  }
  return entries;
}

TEST(HostilePaths, EveryCommandEndsSoonWithAMessageAndChangesNothing) {
  testing::TempDir dir;
  const std::string root = dir.path().string();
  // Commands run as another user when the test is root, so that an unreadable file is one.
  fs::permissions(dir.path(), fs::perms::all);
  const std::vector<uint8_t> list = testing::FileBytes({testing::MakeChannel("Uno", 11000)});
  testing::WriteBytes(dir.File("good.dvb"), list);
  const std::string line = "a line that is not a channel\r\n";
  testing::WriteBytes(dir.File("good.txt"), std::vector<uint8_t>(line.begin(), line.end()));

  fs::create_directory(dir.File("hostile"));
  std::vector<std::string> hostile = {"", dir.File("hostile/folder"), dir.File("hostile/fifo"),
                                      dir.File("hostile/loop-a"), dir.File("hostile/secret")};
  fs::create_directory(dir.File("hostile/folder"));
  ASSERT_EQ(::mkfifo(dir.File("hostile/fifo").c_str(), 0666), 0);
  fs::create_symlink("loop-b", dir.File("hostile/loop-a"));
  fs::create_symlink("loop-a", dir.File("hostile/loop-b"));
  testing::WriteBytes(dir.File("hostile/secret"), list);
  fs::permissions(dir.File("hostile/secret"), fs::perms::none);
  if (::mknod(dir.File("hostile/null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
    hostile.push_back(dir.File("hostile/null"));
  }
  for (const char* name : {"good.dvb", "good.txt"}) {
    fs::permissions(dir.File(name), fs::perms::owner_read | fs::perms::owner_write |
                                        fs::perms::group_read | fs::perms::others_read);
  }
  const bool rootUser = ::geteuid() == 0;
  const auto before = Snapshot(dir.path());

  std::set<std::string> covered;
  int outputs = 0;
  for (const CliCommand& command : CliCommands()) {
    const auto found = kCases.find(command.name);
    ASSERT_NE(found, kCases.end()) << "add \"" << command.name << "\" to the table";
    covered.insert(command.name);
    for (const std::vector<std::string>& pattern : found->second) {
      for (const std::string& path : hostile) {
        std::vector<std::string> args;
        std::string shown;
        for (std::string word : pattern) {
          auto put = [&](const std::string& mark, const std::string& value) {
            for (size_t at = word.find(mark); at != std::string::npos; at = word.find(mark)) {
              word.replace(at, mark.size(), value);
            }
          };
          put("{H}", path);
          put("{L}", dir.File("good.dvb"));
          put("{T}", dir.File("good.txt"));
          put("{O}", dir.File("new-" + std::to_string(outputs) + ".out"));
          put("{S}", "sim:" + dir.File("no.sock"));
          put("{P}", dir.File("no-tty"));
          put("{I}", dir.File("no-options/options.ini"));
          args.push_back(word);
          shown += " '" + word + "'";
        }
        ++outputs;
        const testing::CliProcessRun run =
            testing::RunCliProcess(root, args, std::chrono::seconds(5), rootUser ? kNobody : -1);
        EXPECT_FALSE(run.timedOut) << shown;
        EXPECT_TRUE(run.status == 1 || run.status == 2) << shown << " gave " << run.status;
        EXPECT_FALSE(run.err.empty()) << shown;
        EXPECT_EQ(Snapshot(dir.path()), before) << shown << "\n" << run.err;
      }
    }
  }
  EXPECT_TRUE(covered.count("list") && covered.count("import"));
}

}  // namespace
}  // namespace pelorus
