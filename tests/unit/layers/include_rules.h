#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace pelorus::testing {

// One #include line of a source file under src/. Paths are relative to src/ with '/' between
// their parts: "channels/settings_file.cpp".
struct SourceInclude {
  std::string file;
  int line = 0;
  std::string written;     // what stands between the quotes or the angle brackets
  bool angled = false;     // <...>: a system or library header
  std::string resolved;    // the file of src/ it names; empty when none does
  bool ambiguous = false;  // a bare name found in more than one top-level folder
};

// Every #include of every .h and .cpp file under `srcRoot`. A quoted name is looked for beside
// the including file, then from src/, then in each top-level folder of src/ (the folders that
// put themselves on the include path: "font_map.h" is qtgui/font_map.h).
std::vector<SourceInclude> ScanIncludes(const std::filesystem::path& srcRoot);

// Where a file stands in the layers, read from its path alone, so that a new folder is placed
// without anyone listing it.
bool IsInUiOrQtFolder(const std::string& path);  // a ui/ or qt/ folder at any depth
std::string TopFolder(const std::string& path);  // "channels" for "channels/ui/x.cpp"
// The folders that may include Qt outside the ui/ and qt/ subfolders: the console front end
// and the two small libraries both front ends share.
bool IsQtFrontEndFolder(const std::string& top);
// Everything else is the core: it never includes Qt, whatever new folder it lives in.
bool IsCoreFile(const std::string& path);
bool IsQtHeader(const SourceInclude& include);

// One broken rule, as a line a person can act on: "FILE:LINE includes X: why".
using Violations = std::vector<std::string>;

Violations CoreIncludesNoQt(const std::vector<SourceInclude>& includes);
// The core also never reaches into the Qt side by a header of its own.
Violations CoreIncludesNoQtSideFile(const std::vector<SourceInclude>& includes);
// Only the shell itself, the front ends and the QSettings store include src/app.
Violations OnlyFrontEndsIncludeApp(const std::vector<SourceInclude>& includes);
Violations CliIncludesNoUiFolder(const std::vector<SourceInclude>& includes);
// The simulator's own files, src/receiver and the pieces named in `simulatorExtras`, followed
// through their own includes; nothing of src/ may be reached that the list does not name.
Violations SimulatorIncludesOnlyReceiver(const std::vector<SourceInclude>& includes);
// A quoted include that names no file of src/, or a bare name that two folders hold, hides an
// arrow the rules cannot see.
Violations QuotedIncludesResolve(const std::vector<SourceInclude>& includes);

// What the simulator may take from the client's side of src/ besides src/receiver.
extern const std::vector<std::string> kSimulatorExtras;

}  // namespace pelorus::testing
