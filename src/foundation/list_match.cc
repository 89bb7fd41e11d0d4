#include "foundation/list_match.h"

#include <string>
#include <vector>

#include "foundation/text.h"

namespace tarvelin {

namespace {

std::vector<std::string> Items(const std::string& side) {
  std::vector<std::string> items;
  for (const std::string& part : Split(side, ';')) {
    std::string item = Trim(part);
    if (!item.empty()) items.push_back(std::move(item));
  }
  return items;
}

}  // namespace

bool ListMatch(std::string_view items, std::string_view list) {
  const std::string left = ToLower(Trim(items));
  const std::string right = ToLower(Trim(list));
  if (left.empty() || right.empty()) return false;
  if (left.find(';') == std::string::npos && right.find(';') == std::string::npos) {
    return left == right;
  }
  const std::vector<std::string> right_items = Items(right);
  for (const std::string& item : Items(left)) {
    for (const std::string& candidate : right_items) {
      if (item == candidate) return true;
    }
  }
  return false;
}

}  // namespace tarvelin
