// Which domains and accounts a traffic report covers. The filter text is
// empty or "*" for all; otherwise ";"-separated items, each lower-cased
// with a leading "@" removed: an item without "@" is a pattern for the
// domain name ("*" any run, "?" one character, case-sensitive); an item
// with "@" is split at its first "@" into a local part and such a domain
// pattern, and the local part must also be in the account's alias list
// (ListMatch, groups included).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "foundation/list_match.h"

namespace tarvelin {

class ReportFilter {
 public:
  explicit ReportFilter(std::string_view text);

  // False for an empty text or "*": every domain and account passes.
  bool active() const { return active_; }

  // Whether any account of the domain can pass (the alias left empty).
  bool PassesDomain(std::string_view domain) const;
  // Whether the account with `alias_list` in `domain` passes; `groups`
  // reads the group files the alias matching may name.
  bool PassesAccount(std::string_view domain, std::string_view alias_list,
                     const GroupFileReader& groups) const;

 private:
  struct Item {
    std::string local;  // empty for a domain-only item
    std::string domain_pattern;
    bool has_at = false;
  };

  bool active_ = false;
  std::vector<Item> items_;
};

}  // namespace tarvelin
