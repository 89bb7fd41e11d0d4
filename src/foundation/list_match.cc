#include "foundation/list_match.h"

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "foundation/text.h"

namespace tarvelin {

namespace {

// Dotted IPv4 address with four decimal parts of 0..255.
std::optional<uint32_t> ParseIpv4(std::string_view text) {
  uint32_t address = 0;
  int parts = 0;
  size_t i = 0;
  while (parts < 4) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return std::nullopt;
    uint32_t part = 0;
    size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
      part = part * 10 + static_cast<uint32_t>(text[i] - '0');
      if (++digits > 3 || part > 255) return std::nullopt;
      ++i;
    }
    address = (address << 8) | part;
    if (++parts < 4) {
      if (i >= text.size() || text[i] != '.') return std::nullopt;
      ++i;
    }
  }
  if (i != text.size()) return std::nullopt;
  return address;
}

struct Ipv4Network {
  uint32_t address;
  uint32_t mask;
};

// "a.b.c.d/n" with n of 0..32.
std::optional<Ipv4Network> ParseIpv4Network(std::string_view text) {
  const size_t slash = text.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const std::optional<uint32_t> address = ParseIpv4(text.substr(0, slash));
  const std::string_view bits = text.substr(slash + 1);
  if (!address || bits.empty() || bits.size() > 2) return std::nullopt;
  int n = 0;
  for (char c : bits) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  if (n > 32) return std::nullopt;
  const uint32_t mask = n == 0 ? 0 : ~uint32_t{0} << (32 - n);
  return Ipv4Network{*address & mask, mask};
}

bool PatternMatches(const std::string& pattern, const std::string& item) {
  if (const std::optional<Ipv4Network> network = ParseIpv4Network(pattern)) {
    const std::optional<uint32_t> address = ParseIpv4(item);
    return address && (*address & network->mask) == network->address;
  }
  if (WildcardMatch(pattern, item)) return true;
  const size_t at = item.find('@');
  return at != std::string::npos && pattern.find('@') == std::string::npos &&
         WildcardMatch(pattern, std::string_view(item).substr(0, at));
}

// Lines that can only be patterns are never looked up as files.
bool MayNameFile(const std::string& member) {
  return member.find_first_of("*?@") == std::string::npos && !ParseIpv4(member) &&
         !ParseIpv4Network(member);
}

// One membership test: groups.dat is read once, and the groups and files
// entered are remembered so that cycles end.
class MembershipTest {
 public:
  MembershipTest(const std::string& item, const GroupFileReader& read, const std::string* groups)
      : item_(item), read_(read), groups_dat_(groups) {}

  bool InGroup(const std::string& name) {
    if (!groups_seen_.insert(ToLower(name)).second) return false;
    bool expect_name = true;
    bool inside = false;
    for (const std::string& raw : SplitLines(*groups_dat_)) {
      const std::string line = Trim(raw);
      if (line.empty()) {
        expect_name = true;
        inside = false;
      } else if (expect_name) {
        expect_name = false;
        inside = EqualsNoCase(line, name);
      } else if (inside && MemberMatches(line)) {
        return true;
      }
    }
    return false;
  }

 private:
  bool MemberMatches(const std::string& line) {
    const std::string member = ToLower(line);
    if (IsGroupItem(member)) return InGroup(Trim(line.substr(1, line.size() - 2)));
    if (MayNameFile(member)) {
      if (files_seen_.count(line) != 0) return false;
      std::string content;
      if (read_(line, &content)) {
        files_seen_.insert(line);
        for (const std::string& raw : SplitLines(content)) {
          const std::string nested = Trim(raw);
          if (!nested.empty() && MemberMatches(nested)) return true;
        }
        return false;
      }
    }
    return PatternMatches(member, item_);
  }

  const std::string& item_;
  const GroupFileReader& read_;
  const std::string* groups_dat_;
  std::set<std::string> groups_seen_;
  std::set<std::string> files_seen_;
};

}  // namespace

std::vector<std::string> ListItems(std::string_view list) {
  std::vector<std::string> items;
  for (const std::string& part : Split(list, ';')) {
    std::string item = ToLower(Trim(part));
    if (!item.empty()) items.push_back(std::move(item));
  }
  return items;
}

bool IsGroupItem(std::string_view item) {
  if (item.size() < 3 || item.front() != '[' || item.back() != ']') return false;
  const char second = item[1];
  return (second >= 'a' && second <= 'z') || (second >= 'A' && second <= 'Z');
}

bool ListMatch(std::string_view items, std::string_view list) {
  const std::string left = ToLower(Trim(items));
  const std::string right = ToLower(Trim(list));
  if (left.empty() || right.empty()) return false;
  if (left.find(';') == std::string::npos && right.find(';') == std::string::npos) {
    return left == right;
  }
  const std::vector<std::string> right_items = ListItems(right);
  for (const std::string& item : ListItems(left)) {
    for (const std::string& candidate : right_items) {
      if (item == candidate) return true;
    }
  }
  return false;
}

bool ListMatch(std::string_view items, std::string_view list, const GroupFileReader& groups) {
  if (ListMatch(items, list)) return true;
  // A list without ";" is a single item here too, so a lone "[group]" works.
  std::vector<std::string> group_names;
  for (const std::string& candidate : ListItems(list)) {
    if (IsGroupItem(candidate))
      group_names.push_back(Trim(candidate.substr(1, candidate.size() - 2)));
  }
  if (group_names.empty()) return false;
  std::string groups_dat;
  if (!groups("groups.dat", &groups_dat)) return false;
  for (const std::string& item : ListItems(items)) {
    for (const std::string& name : group_names) {
      if (MembershipTest(item, groups, &groups_dat).InGroup(name)) return true;
    }
  }
  return false;
}

bool IsGroupMember(std::string_view item, std::string_view name, const GroupFileReader& groups) {
  const std::string lower = ToLower(Trim(item));
  std::string groups_dat;
  if (lower.empty() || !groups("groups.dat", &groups_dat)) return false;
  return MembershipTest(lower, groups, &groups_dat).InGroup(Trim(name));
}

}  // namespace tarvelin
