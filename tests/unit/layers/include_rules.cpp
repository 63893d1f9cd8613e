#include "unit/layers/include_rules.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>

namespace pelorus::testing {
namespace fs = std::filesystem;

const std::vector<std::string> kSimulatorExtras = {
    // The bounds-checked reader under its request parsers.
    "common/byte_reader.h",
    // The grammar its main() reads the command line with; the library itself stays Qt-free.
    "qtcore/argument_grammar.h",
};

namespace {

bool IsSourceFile(const fs::path& path) {
  const std::string ext = path.extension().string();
  return ext == ".h" || ext == ".cpp" || ext == ".hpp" || ext == ".c";
}

std::string Relative(const fs::path& path, const fs::path& root) {
  return path.lexically_relative(root).generic_string();
}

std::vector<std::string> Parts(const std::string& path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t slash = path.find('/', start);
    const size_t end = slash == std::string::npos ? path.size() : slash;
    parts.push_back(path.substr(start, end - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return parts;
}

bool IsUiFolderPath(const std::string& path) {
  const std::vector<std::string> parts = Parts(path);
  return std::find(parts.begin(), parts.end() - 1, "ui") != parts.end() - 1;
}

std::string Where(const SourceInclude& include) {
  return include.file + ":" + std::to_string(include.line) + " includes " +
         (include.angled ? "<" + include.written + ">" : "\"" + include.written + "\"");
}

std::string Target(const SourceInclude& include) {
  return include.resolved.empty() ? include.written : include.resolved;
}

}  // namespace

std::vector<SourceInclude> ScanIncludes(const fs::path& srcRoot) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(srcRoot)) {
    if (entry.is_regular_file() && IsSourceFile(entry.path())) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  std::vector<fs::path> topFolders;
  for (const auto& entry : fs::directory_iterator(srcRoot)) {
    if (entry.is_directory()) topFolders.push_back(entry.path());
  }
  std::sort(topFolders.begin(), topFolders.end());

  static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<SourceInclude> includes;
  for (const fs::path& file : files) {
    std::ifstream in(file);
    std::string text;
    for (int line = 1; std::getline(in, text); ++line) {
      std::smatch match;
      if (!std::regex_search(text, match, kInclude)) continue;
      SourceInclude include;
      include.file = Relative(file, srcRoot);
      include.line = line;
      include.angled = match[1] == "<";
      include.written = match[2];
      if (!include.angled) {
        const fs::path beside = file.parent_path() / include.written;
        const fs::path fromRoot = srcRoot / include.written;
        if (fs::is_regular_file(beside)) {
          include.resolved = Relative(beside.lexically_normal(), srcRoot);
        } else if (fs::is_regular_file(fromRoot)) {
          include.resolved = Relative(fromRoot.lexically_normal(), srcRoot);
        } else {
          for (const fs::path& folder : topFolders) {
            if (!fs::is_regular_file(folder / include.written)) continue;
            if (!include.resolved.empty()) {
              include.ambiguous = true;
              break;
            }
            include.resolved = Relative((folder / include.written).lexically_normal(), srcRoot);
          }
        }
      }
      includes.push_back(std::move(include));
    }
  }
  return includes;
}

bool IsInUiOrQtFolder(const std::string& path) {
  const std::vector<std::string> parts = Parts(path);
  return std::any_of(parts.begin(), parts.end() - 1,
                     [](const std::string& part) { return part == "ui" || part == "qt"; });
}

std::string TopFolder(const std::string& path) { return Parts(path).front(); }

bool IsQtFrontEndFolder(const std::string& top) {
  return top == "cli" || top == "qtcore" || top == "qtgui";
}

bool IsCoreFile(const std::string& path) {
  return !IsInUiOrQtFolder(path) && !IsQtFrontEndFolder(TopFolder(path)) &&
         TopFolder(path) != "sim";
}

bool IsQtHeader(const SourceInclude& include) {
  return !include.written.empty() && include.written[0] == 'Q' && include.resolved.empty();
}

Violations CoreIncludesNoQt(const std::vector<SourceInclude>& includes) {
  Violations found;
  for (const SourceInclude& include : includes) {
    // The simulator is held to the same: only its main() may use the Qt-side grammar.
    const bool qtFree = IsCoreFile(include.file) || TopFolder(include.file) == "sim";
    if (qtFree && IsQtHeader(include)) found.push_back(Where(include) + ": the core has no Qt");
  }
  return found;
}

Violations CoreIncludesNoQtSideFile(const std::vector<SourceInclude>& includes) {
  Violations found;
  for (const SourceInclude& include : includes) {
    if (!IsCoreFile(include.file) || include.resolved.empty()) continue;
    const std::string target = include.resolved;
    if (IsInUiOrQtFolder(target) || IsQtFrontEndFolder(TopFolder(target)) ||
        TopFolder(target) == "sim") {
      found.push_back(Where(include) + ": the core never depends on a front end");
    }
  }
  return found;
}

Violations OnlyFrontEndsIncludeApp(const std::vector<SourceInclude>& includes) {
  Violations found;
  for (const SourceInclude& include : includes) {
    if (include.resolved.empty() || TopFolder(include.resolved) != "app") continue;
    const std::string top = TopFolder(include.file);
    if (top == "app" || top == "cli" || top == "qtcore" || IsUiFolderPath(include.file)) continue;
    found.push_back(Where(include) + ": a subsystem never includes src/app");
  }
  return found;
}

Violations CliIncludesNoUiFolder(const std::vector<SourceInclude>& includes) {
  Violations found;
  for (const SourceInclude& include : includes) {
    if (TopFolder(include.file) != "cli") continue;
    if (IsUiFolderPath(Target(include))) {
      found.push_back(Where(include) + ": the console never uses the desktop's dialogs");
    }
  }
  return found;
}

Violations SimulatorIncludesOnlyReceiver(const std::vector<SourceInclude>& includes) {
  std::map<std::string, std::vector<const SourceInclude*>> byFile;
  for (const SourceInclude& include : includes) byFile[include.file].push_back(&include);
  const std::set<std::string> extras(kSimulatorExtras.begin(), kSimulatorExtras.end());

  Violations found;
  std::vector<std::string> pending;
  std::set<std::string> seen;
  for (const auto& [file, lines] : byFile) {
    if (TopFolder(file) == "sim") pending.push_back(file);
  }
  while (!pending.empty()) {
    const std::string file = pending.back();
    pending.pop_back();
    if (!seen.insert(file).second) continue;
    for (const SourceInclude* include : byFile[file]) {
      if (include->angled) continue;
      const std::string& target = include->resolved;
      const std::string top = target.empty() ? std::string() : TopFolder(target);
      if (top == "sim" || top == "receiver" || extras.count(target) != 0) {
        pending.push_back(target);
      } else {
        found.push_back(Where(*include) +
                        ": the simulator shares only src/receiver and its listed pieces");
      }
    }
  }
  return found;
}

Violations QuotedIncludesResolve(const std::vector<SourceInclude>& includes) {
  Violations found;
  for (const SourceInclude& include : includes) {
    if (include.angled) continue;
    // Qt's moc output is made in the build tree.
    if (include.written.ends_with(".moc") || include.written.starts_with("moc_")) continue;
    if (include.resolved.empty()) {
      found.push_back(Where(include) + ": no file of src/ has that name");
    } else if (include.ambiguous) {
      found.push_back(Where(include) + ": more than one folder holds a file of that name");
    }
  }
  return found;
}

}  // namespace pelorus::testing
