#include "jobs/backup/backup_entry_name.h"

#include <vector>

namespace tarvelin {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// "C:" or "C:anything": a path rooted on a drive.
bool StartsWithDrive(std::string_view part) {
  return part.size() >= 2 && IsLetter(part[0]) && part[1] == ':';
}

}  // namespace

bool MakeEntryName(std::string_view prefix, std::string_view relative, std::string* name) {
  if (relative.find('\\') != std::string_view::npos) return false;
  if (prefix.size() + relative.size() > kMaxEntryNameLength) return false;
  name->assign(prefix);
  for (char c : relative) name->push_back(c == '/' ? '\\' : c);
  return true;
}

bool EntryNameToPath(std::string_view name, std::string* relative) {
  if (name.empty() || IsSeparator(name.front())) return false;
  if (name.find('\0') != std::string_view::npos) return false;
  // `parts` holds the resolved path; one leading ".." is allowed.
  std::vector<std::string_view> parts;
  bool climbed = false;
  bool rooted_checked = false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = start;
    while (end < name.size() && !IsSeparator(name[end])) ++end;
    const std::string_view part = name.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) {
        parts.pop_back();
      } else if (!climbed) {
        climbed = true;
      } else {
        return false;
      }
      continue;
    }
    // A drive where the path could be rooted, or a bare drive anywhere.
    if (StartsWithDrive(part) && (!rooted_checked || part.size() == 2)) return false;
    rooted_checked = true;
    parts.push_back(part);
  }
  if (parts.empty() || IsSeparator(name.back())) return false;
  const std::string_view last = name.substr(name.find_last_of("\\/") + 1);
  if (last == "." || last == "..") return false;
  relative->clear();
  if (climbed) relative->append("../");
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) relative->push_back('/');
    relative->append(parts[i]);
  }
  return true;
}

}  // namespace tarvelin
