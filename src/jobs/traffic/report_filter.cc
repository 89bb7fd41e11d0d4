#include "jobs/traffic/report_filter.h"

#include "foundation/text.h"

namespace tarvelin {

ReportFilter::ReportFilter(std::string_view text) {
  active_ = !(text.empty() || text == "*");
  if (!active_) return;
  for (const std::string& part : Split(text, ';')) {
    std::string item = ToLower(part);
    if (!item.empty() && item.front() == '@') item.erase(0, 1);
    const size_t at = item.find('@');
    if (at == std::string::npos) {
      items_.push_back({"", std::move(item), false});
    } else {
      items_.push_back({item.substr(0, at), item.substr(at + 1), true});
    }
  }
}

bool ReportFilter::PassesDomain(std::string_view domain) const {
  if (!active_) return true;
  for (const Item& item : items_) {
    if (WildcardMatch(item.domain_pattern, domain)) return true;
  }
  return false;
}

bool ReportFilter::PassesAccount(std::string_view domain, std::string_view alias_list,
                                 const GroupFileReader& groups) const {
  if (!active_) return true;
  for (const Item& item : items_) {
    if (!WildcardMatch(item.domain_pattern, domain)) continue;
    if (!item.has_at || ListMatch(item.local, alias_list, groups)) return true;
  }
  return false;
}

}  // namespace tarvelin
