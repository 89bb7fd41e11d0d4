// Every #include under src/ and tools/ points to the includer's own layer
// or to a layer below it (src/layers.txt), and from a layer with a reach
// line only to the layers it names, apart from the allowed pairs that file
// lists; a private folder is included by its own layer only.
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

struct Rules {
  std::map<std::string, int> rank;  // layer folder -> line number of its layer
  std::map<std::string, std::set<std::string>> public_users;  // include root -> layers
  std::map<std::string, std::string> private_folders;          // folder -> its only layer
  std::map<std::string, std::set<std::string>> reach;         // layer -> the layers it may include
  std::set<std::pair<std::string, std::string>> allowed;      // file, header
};

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

Rules ReadRules(const fs::path& file) {
  Rules rules;
  std::ifstream in(file);
  int rank = 0;
  for (std::string line; std::getline(in, line);) {
    const std::vector<std::string> words = Words(line);
    if (words.empty() || words[0].starts_with("#")) continue;
    if (words[0] == "layer") {
      for (size_t i = 1; i < words.size(); ++i) rules.rank[words[i]] = rank;
      ++rank;
    } else if (words[0] == "public" && words.size() >= 2) {
      for (size_t i = 2; i < words.size(); ++i) rules.public_users[words[1]].insert(words[i]);
    } else if (words[0] == "private" && words.size() == 3) {
      rules.private_folders[words[1]] = words[2];
    } else if (words[0] == "reach" && words.size() >= 2) {
      rules.reach[words[1]].insert(words.begin() + 2, words.end());
    } else if (words[0] == "allow" && words.size() == 3) {
      rules.allowed.emplace(words[1], words[2]);
    } else {
      ADD_FAILURE() << file << ": cannot read \"" << line << "\"";
    }
  }
  return rules;
}

// The layer a path (relative to src/, or "tools/...") lies in: the longest
// layer folder that starts it.
std::string LayerOf(const Rules& rules, const std::string& path) {
  std::string best;
  for (const auto& [layer, rank] : rules.rank) {
    if (path.starts_with(layer + "/") && layer.size() > best.size()) best = layer;
  }
  return best;
}

struct Include {
  std::string file;  // as the allowed pairs name it: "core/context.cc", "tools/..."
  std::string header;
  int line;
};

std::vector<Include> IncludesUnder(const fs::path& root, const std::string& prefix) {
  static const std::regex kInclude(R"re(^\s*#\s*include\s*"([^"]+)")re");
  std::vector<Include> includes;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".cc" && ext != ".h")) continue;
    const std::string file = prefix + fs::relative(entry.path(), root).generic_string();
    std::ifstream in(entry.path());
    int number = 0;
    for (std::string line; std::getline(in, line);) {
      ++number;
      std::smatch match;
      if (std::regex_search(line, match, kInclude)) includes.push_back({file, match[1], number});
    }
  }
  return includes;
}

// Empty when the include keeps to the rules, else why not.
std::string Violation(const Rules& rules, const Include& include) {
  const std::string from = LayerOf(rules, include.file);
  if (from.empty()) return "the file lies in no layer";
  const std::string root = include.header.substr(0, include.header.find('/'));
  if (rules.public_users.count(root) != 0) {
    return rules.public_users.at(root).count(from) != 0 ? "" : "only " + root + "'s users may";
  }
  if (include.file.starts_with("tools/") && include.header.find('/') == std::string::npos) {
    return "";  // the tool's own headers beside it
  }
  for (const auto& [folder, owner] : rules.private_folders) {
    if (include.header.starts_with(folder + "/") && from != owner) {
      return folder + " is private to " + owner;
    }
  }
  const std::string to = LayerOf(rules, include.header);
  if (to.empty()) return "the header lies in no layer";
  if (to == from) return "";
  if (rules.reach.count(from) != 0 && rules.reach.at(from).count(to) == 0) {
    return "reaches " + to + ", which " + from + " may not include";
  }
  const int from_rank = rules.rank.at(from), to_rank = rules.rank.at(to);
  if (to_rank > from_rank) return "points up from " + from + " to " + to;
  if (to_rank == from_rank) return "points sideways from " + from + " to " + to;
  return "";
}

const fs::path kSource = TARVELIN_SOURCE_DIR;

TEST(LayeringTest, EveryIncludePointsDownOrIsAllowed) {
  const Rules rules = ReadRules(kSource / "src" / "layers.txt");
  std::vector<Include> includes = IncludesUnder(kSource / "src", "");
  for (Include& include : IncludesUnder(kSource / "tools", "tools/")) includes.push_back(include);
  std::set<std::pair<std::string, std::string>> used;
  for (const Include& include : includes) {
    const std::string why = Violation(rules, include);
    if (why.empty()) continue;
    const std::pair<std::string, std::string> pair{include.file, include.header};
    if (rules.allowed.count(pair) != 0) {
      used.insert(pair);
      continue;
    }
    ADD_FAILURE() << include.file << ":" << include.line << ": #include \"" << include.header
                  << "\" " << why;
  }
  // An allowance nobody needs any more would hide the next real one.
  for (const auto& pair : rules.allowed) {
    EXPECT_TRUE(used.count(pair) != 0)
        << "src/layers.txt allows " << pair.first << " -> " << pair.second
        << ", which keeps to the layers or no longer exists: remove the line";
  }
}

TEST(LayeringTest, AViolationIsFound) {
  Rules rules;
  rules.rank = {{"foundation", 0}, {"platform", 1}, {"services", 2}, {"log", 2},
                {"core", 3},       {"api/c", 4},    {"tools", 5}};
  rules.public_users["tarvelin"] = {"api/c"};
  rules.private_folders["platform/posix"] = "platform";
  rules.reach["tools"] = {"core", "foundation"};
  const struct {
    const char* file;
    const char* header;
    bool ok;
  } cases[] = {
      {"platform/a.cc", "foundation/b.h", true},  {"platform/a.cc", "platform/b.h", true},
      {"foundation/a.cc", "platform/b.h", false}, {"log/a.cc", "services/b.h", false},
      {"api/c/a.cc", "tarvelin/api.h", true},     {"log/a.cc", "tarvelin/api.h", false},
      {"api/c/a.cc", "log/b.h", true},            {"odd/a.cc", "log/b.h", false},
      {"platform/a.cc", "platform/posix/b.h", true},
      {"platform/posix/a.cc", "platform/posix/b.h", true},
      {"log/a.cc", "platform/posix/b.h", false},
      {"api/c/a.cc", "platform/posix/b.h", false},
      {"log/a.cc", "platform/b.h", true},
      {"tools/x/a.cc", "core/b.h", true},         {"tools/x/a.cc", "foundation/b.h", true},
      {"tools/x/a.cc", "a.h", true},              {"tools/x/a.cc", "platform/b.h", false},
      {"tools/x/a.cc", "log/b.h", false},         {"tools/x/a.cc", "api/c/b.h", false},
      {"tools/x/a.cc", "tarvelin/api.h", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Violation(rules, {c.file, c.header, 1}).empty(), c.ok) << c.file << " -> " << c.header;
  }
}

}  // namespace
