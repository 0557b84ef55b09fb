// Every #include in src/ follows the layers: a folder includes only its own
// folder and the folders below it, and the units of the core library reach no
// window code, not even a window header without Qt in it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// The shared layers every subsystem folder may include.
const std::set<std::string> kBelowSubsystems = {"platform/base", "numerics", "data", "platform/qt", "plot"};

std::set<std::string> BelowSubsystemsAnd(std::initializer_list<std::string> folders) {
  std::set<std::string> allowed = kBelowSubsystems;
  allowed.insert(folders);
  return allowed;
}

// The folders each folder may include besides its own.
const std::map<std::string, std::set<std::string>> kAllowed = {
    {"platform/base", {}},
    {"numerics", {"platform/base"}},
    {"data", {"platform/base", "numerics"}},
    {"platform/qt", {"platform/base"}},
    {"plot", {"platform/base", "numerics", "data", "platform/qt"}},
    {"select", kBelowSubsystems},
    {"validate", BelowSubsystemsAnd({"select"})},
    {"models", BelowSubsystemsAnd({"select", "validate"})},
    {"prepare", BelowSubsystemsAnd({"select", "validate"})},
    {"database", kBelowSubsystems},
    {"app", BelowSubsystemsAnd({"select", "validate", "models", "prepare", "database"})},
};

const fs::path kSource = KORVANE_SOURCE_DIR;

// "platform/qt/StringGrid.h" -> "platform/qt"; "data/ChemoData.h" -> "data".
std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find('/');
  if (path.compare(0, slash, "platform") == 0) slash = path.find('/', slash + 1);
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The quoted includes of a file, as paths from src/ (a bare name is a file of
// the includer's own folder).
std::vector<std::string> QuotedIncludes(const std::string& path) {
  std::vector<std::string> includes;
  std::ifstream file(kSource / path);
  const std::string directive = "#include \"";
  for (std::string line; std::getline(file, line);) {
    if (line.rfind(directive, 0) != 0) continue;
    const std::string name = line.substr(directive.size(), line.find('"', directive.size()) - directive.size());
    includes.push_back(name.find('/') == std::string::npos ? FolderOf(path) + "/" + name : name);
  }
  return includes;
}

std::vector<std::string> SourceFiles() {
  std::vector<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(kSource)) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".h" || ext == ".cpp") files.push_back(fs::relative(entry.path(), kSource).generic_string());
  }
  return files;
}

// The units of the core library, as paths from src/, read from the list the
// build writes.
std::set<std::string> CoreUnits() {
  std::set<std::string> units;
  std::ifstream list(KORVANE_CORE_SOURCES_FILE);
  for (std::string line; std::getline(list, line);)
    if (!line.empty()) units.insert(fs::relative(line, kSource).generic_string());
  return units;
}

// Window code: the Qt folders, and the units a subsystem folder builds into the
// GUI library with their headers.
bool IsWindowFile(const std::string& path, const std::set<std::string>& coreUnits) {
  const std::string folder = FolderOf(path);
  if (folder == "platform/qt" || folder == "plot" || folder == "app") return true;
  if (folder == "platform/base" || folder == "numerics" || folder == "data") return false;
  const std::string unit = fs::path(path).replace_extension(".cpp").generic_string();
  return fs::exists(kSource / unit) && coreUnits.count(unit) == 0;
}

}  // namespace

TEST(SourceLayers, EveryIncludeRunsDownTheLayers) {
  int checked = 0;
  for (const std::string& file : SourceFiles()) {
    const std::string folder = FolderOf(file);
    ASSERT_EQ(kAllowed.count(folder), 1u) << "a folder the layer rules do not place: " << folder;
    for (const std::string& include : QuotedIncludes(file)) {
      const std::string target = FolderOf(include);
      EXPECT_TRUE(target == folder || kAllowed.at(folder).count(target) == 1)
          << file << " includes " << include << ", which sits above or beside it";
      ++checked;
    }
  }
  EXPECT_GT(checked, 500);  // the tree was found and read
}

TEST(SourceLayers, CoreUnitsReachNoWindowCode) {
  const std::set<std::string> coreUnits = CoreUnits();
  ASSERT_GT(coreUnits.size(), 50u);
  // Every file a core unit includes, directly or through others; each reached
  // file names the core unit that first led to it.
  std::map<std::string, std::string> reachedFrom;
  std::vector<std::string> pending(coreUnits.begin(), coreUnits.end());
  for (const std::string& unit : coreUnits) reachedFrom[unit] = unit;
  while (!pending.empty()) {
    const std::string file = pending.back();
    pending.pop_back();
    EXPECT_FALSE(IsWindowFile(file, coreUnits)) << "the core unit " << reachedFrom[file] << " reaches " << file;
    for (const std::string& include : QuotedIncludes(file))
      if (reachedFrom.emplace(include, reachedFrom[file]).second) pending.push_back(include);
  }
}
