#include "jobs/traffic/report_filter.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace tarvelin {
namespace {

TEST(ReportFilterTest, ItemsMatchDomainsAndAliases) {
  const std::map<std::string, std::string> files = {
      {"groups.dat", "sales\nzed\nyan\n"}};
  const GroupFileReader groups = [&](const std::string& name, std::string* content) {
    const auto it = files.find(name);
    if (it == files.end()) return false;
    *content = it->second;
    return true;
  };
  struct Case {
    const char* filter;
    const char* domain;
    const char* aliases;
    bool domain_passes;
    bool account_passes;
  };
  const Case cases[] = {
      {"", "a.org", "ann", true, true},
      {"*", "a.org", "ann", true, true},
      {"a.org", "a.org", "ann", true, true},
      {"A.ORG", "a.org", "ann", true, true},
      {"@a.org", "a.org", "ann", true, true},
      {"a.org", "b.a.org", "ann", false, false},
      {"*.org", "b.a.org", "ann", true, true},
      {"?.org", "ab.org", "ann", false, false},
      {"ann@a.org", "a.org", "Ann ; bob", true, true},
      {"ANN@a.org", "a.org", "bob;ann", true, true},
      {"ann@a.org", "a.org", "annie", true, false},
      {"ann@b.org", "a.org", "ann", false, false},
      {"ann@*", "x.net", "ann", true, true},
      {"ann@a.org;b.org", "b.org", "zed", true, true},
      {"zed@a.org", "a.org", "[sales]", true, true},
      {"bob@a.org", "a.org", "[sales]", true, false},
      {"@", "a.org", "ann", false, false},
      {";", "a.org", "ann", false, false},
      {"a@b@a.org", "a.org", "a", false, false},
  };
  for (const Case& c : cases) {
    const ReportFilter filter(c.filter);
    EXPECT_EQ(filter.PassesDomain(c.domain), c.domain_passes) << c.filter << " " << c.domain;
    EXPECT_EQ(filter.PassesAccount(c.domain, c.aliases, groups), c.account_passes)
        << c.filter << " " << c.domain << " " << c.aliases;
  }
  EXPECT_FALSE(ReportFilter("").active());
  EXPECT_FALSE(ReportFilter("*").active());
  EXPECT_TRUE(ReportFilter("**").active());
}

}  // namespace
}  // namespace tarvelin
