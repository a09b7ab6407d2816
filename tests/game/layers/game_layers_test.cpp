// The game's libraries stay a stack: no library links another round to itself, every
// file includes only game headers of its own library or of one it links (a header of a
// library above it would tie the two together again), and the game state draws nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Library {
  std::vector<std::string> sources;  // paths from the source tree's root
  std::set<std::string> links;       // the game libraries it links itself
};

std::vector<std::string> SplitList(const std::string& line) {
  std::vector<std::string> items;
  std::stringstream in(line);
  for (std::string item; std::getline(in, item, ';');) {
    if (!item.empty()) items.push_back(item);
  }
  return items;
}

// Each library's sources and its links among the game's libraries, as the build has them.
std::map<std::string, Library> ReadLayers() {
  std::map<std::string, Library> libraries;
  std::ifstream in(NL_LAYERS_FILE);
  const std::string root = fs::path(NL_SOURCE_DIR).lexically_normal().string() + "/";
  for (std::string name, sources, links;
       std::getline(in, name) && std::getline(in, sources) && std::getline(in, links);) {
    Library& l = libraries[name];
    for (const std::string& s : SplitList(sources)) {
      const std::string path = fs::path(s).lexically_normal().string();
      l.sources.push_back(path.starts_with(root) ? path.substr(root.size()) : path);
    }
    for (const std::string& link : SplitList(links)) l.links.insert(link);
  }
  return libraries;
}

// Every library the given one reaches through its links.
std::set<std::string> Reached(const std::map<std::string, Library>& libraries, const std::string& from) {
  std::set<std::string> seen;
  std::vector<std::string> todo{from};
  while (!todo.empty()) {
    const std::string name = todo.back();
    todo.pop_back();
    const auto it = libraries.find(name);
    if (it == libraries.end()) continue;
    for (const std::string& next : it->second.links) {
      if (seen.insert(next).second) todo.push_back(next);
    }
  }
  return seen;
}

// The library a game file belongs to: the one with a source of the same path stem, else
// the one holding most sources of its folder.
std::string OwnerOf(const std::map<std::string, Library>& libraries, const fs::path& file) {
  std::map<std::string, int> in_folder;
  const fs::path stem = fs::path(file).replace_extension();
  for (const auto& [name, l] : libraries) {
    for (const std::string& s : l.sources) {
      if (fs::path(s).replace_extension() == stem) return name;
      if (fs::path(s).parent_path() == file.parent_path()) ++in_folder[name];
    }
  }
  std::string owner;
  for (const auto& [name, count] : in_folder) {
    if (owner.empty() || count > in_folder[owner]) owner = name;
  }
  return owner;
}

std::vector<std::string> Includes(const fs::path& file) {
  static const std::regex include(R"(^\s*#\s*include\s+"([^"]+)\")");
  std::vector<std::string> found;
  std::ifstream in(fs::path(NL_SOURCE_DIR) / file);
  std::smatch m;
  for (std::string line; std::getline(in, line);) {
    if (std::regex_search(line, m, include)) found.push_back(m[1]);
  }
  return found;
}

// Every .cpp and .h under game/, from the source tree's root.
std::vector<fs::path> GameFiles() {
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(fs::path(NL_SOURCE_DIR) / "game")) {
    const auto ext = e.path().extension();
    if (e.is_regular_file() && (ext == ".cpp" || ext == ".h")) {
      files.push_back(fs::relative(e.path(), NL_SOURCE_DIR));
    }
  }
  return files;
}

TEST(GameLayers, NoLibraryLinksRoundToItself) {
  const auto libraries = ReadLayers();
  ASSERT_TRUE(libraries.contains("game_data") && libraries.contains("game_entry")) << NL_LAYERS_FILE;
  for (const auto& [name, l] : libraries) {
    EXPECT_FALSE(Reached(libraries, name).contains(name)) << name << " reaches itself through its links";
  }
}

TEST(GameLayers, EveryFileIncludesOnlyWhatItsLibraryLinks) {
  const auto libraries = ReadLayers();
  for (const fs::path& file : GameFiles()) {
    if (file == "game/entry/main.cpp") continue;  // the program, above every library
    const std::string owner = OwnerOf(libraries, file);
    ASSERT_FALSE(owner.empty()) << file;
    const std::set<std::string> reached = Reached(libraries, owner);
    for (const std::string& header : Includes(file)) {
      if (!header.starts_with("game/")) continue;
      const std::string wanted = OwnerOf(libraries, header);
      EXPECT_TRUE(wanted == owner || reached.contains(wanted))
          << file << " (" << owner << ") includes " << header << " of " << wanted << ", which it does not link";
    }
  }
}

// The rules of the game state are tested without a screen because they never draw: the
// drawing of the state belongs to the windows of game/text and the modes' screens.
TEST(GameLayers, TheGameStateDrawsNothing) {
  for (const fs::path& file : GameFiles()) {
    if (!file.string().starts_with("game/data/")) continue;
    for (const std::string& header : Includes(file)) {
      EXPECT_FALSE(header.starts_with("vexal/graphics/drawing/") || header.starts_with("game/text/"))
          << file << " includes " << header;
    }
  }
}

}  // namespace
