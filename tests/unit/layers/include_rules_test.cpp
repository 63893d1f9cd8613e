// The layers' dependency rules, checked on the source tree itself: a wrong arrow fails the tests
// instead of waiting for someone to notice it in a review.
#include "unit/layers/include_rules.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/temp_dir.h"

namespace pelorus::testing {
namespace {

namespace fs = std::filesystem;

std::string Joined(const Violations& violations) {
  std::string text;
  for (const std::string& line : violations) text += line + "\n";
  return text;
}

const std::vector<SourceInclude>& TreeIncludes() {
  static const std::vector<SourceInclude> includes =
      ScanIncludes(fs::path(PELORUS_SOURCE_DIR) / "src");
  return includes;
}

TEST(LayerRules, TheSourceTreeKeepsEveryRule) {
  const std::vector<SourceInclude>& includes = TreeIncludes();
  // The scan must have seen the tree, or every rule below holds for nothing.
  ASSERT_GT(includes.size(), 500u);
  EXPECT_EQ(Joined(CoreIncludesNoQt(includes)), "");
  EXPECT_EQ(Joined(CoreIncludesNoQtSideFile(includes)), "");
  EXPECT_EQ(Joined(OnlyFrontEndsIncludeApp(includes)), "");
  EXPECT_EQ(Joined(CliIncludesNoUiFolder(includes)), "");
  EXPECT_EQ(Joined(SimulatorIncludesOnlyReceiver(includes)), "");
  EXPECT_EQ(Joined(QuotedIncludesResolve(includes)), "");
}

TEST(LayerRules, TheCoreIsEveryFolderButTheQtOnes) {
  // Folders nobody listed are core, so a new subsystem is checked from its first file.
  EXPECT_TRUE(IsCoreFile("lists/lamedb.cpp"));
  EXPECT_TRUE(IsCoreFile("service_scan/scan.h"));
  EXPECT_TRUE(IsCoreFile("streams/ac3_play.cpp"));
  EXPECT_TRUE(IsCoreFile("si/tables/nit.h"));
  EXPECT_TRUE(IsCoreFile("app/commands.cpp"));
  EXPECT_FALSE(IsCoreFile("app/ui/main_window.cpp"));
  EXPECT_FALSE(IsCoreFile("channels/qt/print_painter.h"));
  EXPECT_FALSE(IsCoreFile("cli/cli.cpp"));
  EXPECT_FALSE(IsCoreFile("qtcore/argument_grammar.cpp"));
  EXPECT_FALSE(IsCoreFile("qtgui/font_map.h"));
  // A file merely named like a folder is not in one.
  EXPECT_TRUE(IsCoreFile("channels/ui.h"));
}

// A small stand-in for src/ in a temporary folder.
class FakeTree {
 public:
  void Add(const std::string& path, const std::string& text) {
    const fs::path file = dir_.path() / path;
    fs::create_directories(file.parent_path());
    std::ofstream(file) << text;
  }
  std::vector<SourceInclude> Scan() const { return ScanIncludes(dir_.path()); }

 private:
  TempDir dir_;
};

TEST(LayerRules, EachRuleCatchesItsWrongArrow) {
  FakeTree tree;
  tree.Add("common/ui.h", "#pragma once\n");
  tree.Add("common/strfmt.h", "#pragma once\n");
  tree.Add("common/byte_reader.h", "#pragma once\n#include <span>\n");
  tree.Add("receiver/channel_record.h", "#pragma once\n");
  tree.Add("app/commands.h", "#pragma once\n#include \"common/ui.h\"\n");
  tree.Add("app/ui/gui_command.h",
           "#pragma once\n#include <QWidget>\n#include \"app/commands.h\"\n");
  tree.Add("channels/ui/dialog.h", "#pragma once\n#include <QDialog>\n");
  tree.Add("qtcore/argument_grammar.h", "#pragma once\n#include <span>\n");
  // Allowed: the ui/ folder of a subsystem uses Qt and registers through src/app.
  tree.Add("channels/ui/dialog.cpp",
           "#include \"channels/ui/dialog.h\"\n#include \"app/ui/gui_command.h\"\n");
  tree.Add("sim/main.cpp",
           "#include \"argument_grammar.h\"\n#include \"common/byte_reader.h\"\n"
           "#include \"receiver/channel_record.h\"\n#include \"sim_state.h\"\n");
  tree.Add("sim/sim_state.h", "#pragma once\n#include <vector>\n");
  {
    const std::vector<SourceInclude> clean = tree.Scan();
    EXPECT_EQ(Joined(CoreIncludesNoQt(clean)), "");
    EXPECT_EQ(Joined(CoreIncludesNoQtSideFile(clean)), "");
    EXPECT_EQ(Joined(OnlyFrontEndsIncludeApp(clean)), "");
    EXPECT_EQ(Joined(CliIncludesNoUiFolder(clean)), "");
    EXPECT_EQ(Joined(SimulatorIncludesOnlyReceiver(clean)), "");
    EXPECT_EQ(Joined(QuotedIncludesResolve(clean)), "");
  }

  // A folder that did not exist when the rules were written.
  tree.Add("lists/lamedb.cpp", "#include <QString>\n#include \"channels/ui/dialog.h\"\n");
  tree.Add("scanner/sweep.cpp", "#include \"app/commands.h\"\n");
  tree.Add("cli/print.cpp", "#include \"channels/ui/dialog.h\"\n");
  // The simulator reaching the client's helpers, directly and through an allowed piece.
  tree.Add("sim/serial.cpp", "#include \"common/strfmt.h\"\n");
  tree.Add("common/byte_reader.h", "#pragma once\n#include \"common/ui.h\"\n");
  tree.Add("grabber/grab.cpp", "#include \"missing.h\"\n");
  const std::vector<SourceInclude> broken = tree.Scan();

  EXPECT_EQ(Joined(CoreIncludesNoQt(broken)),
            "lists/lamedb.cpp:1 includes <QString>: the core has no Qt\n");
  EXPECT_EQ(Joined(CoreIncludesNoQtSideFile(broken)),
            "lists/lamedb.cpp:2 includes \"channels/ui/dialog.h\": the core never depends on a "
            "front end\n");
  EXPECT_EQ(Joined(OnlyFrontEndsIncludeApp(broken)),
            "scanner/sweep.cpp:1 includes \"app/commands.h\": a subsystem never includes "
            "src/app\n");
  EXPECT_EQ(Joined(CliIncludesNoUiFolder(broken)),
            "cli/print.cpp:1 includes \"channels/ui/dialog.h\": the console never uses the "
            "desktop's dialogs\n");
  const std::string simulator = Joined(SimulatorIncludesOnlyReceiver(broken));
  EXPECT_NE(simulator.find("sim/serial.cpp:1 includes \"common/strfmt.h\""), std::string::npos)
      << simulator;
  EXPECT_NE(simulator.find("common/byte_reader.h:2 includes \"common/ui.h\""), std::string::npos)
      << simulator;
  EXPECT_EQ(Joined(QuotedIncludesResolve(broken)),
            "grabber/grab.cpp:1 includes \"missing.h\": no file of src/ has that name\n");
}

TEST(LayerRules, ABareNameTwoFoldersHoldIsAmbiguous) {
  FakeTree tree;
  tree.Add("app/command_line.h", "#pragma once\n");
  tree.Add("qtcore/command_line.h", "#pragma once\n");
  tree.Add("cli/cli.h", "#pragma once\n#include \"command_line.h\"\n");
  // Beside the including file comes first, so a folder's own header is never ambiguous.
  tree.Add("app/shell.cpp", "#include \"command_line.h\"\n");
  const std::vector<SourceInclude> includes = tree.Scan();
  EXPECT_EQ(Joined(QuotedIncludesResolve(includes)),
            "cli/cli.h:2 includes \"command_line.h\": more than one folder holds a file of that "
            "name\n");
}

}  // namespace
}  // namespace pelorus::testing
