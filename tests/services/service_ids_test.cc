#include "services/service_ids.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelin {
namespace {

TEST(ServiceIdsTest, IdsNameTheirServiceAndProgram) {
  struct Case {
    int id;
    const char* service_name;
    const char* program_file;  // nullptr: the id starts no program
  };
  const Case kCases[] = {
      {0, "TarvelinSMTP", "smtp"},       {1, "TarvelinPOP3", "pop3"},
      {2, "TarvelinControl", "control"}, {3, "TarvelinIM", "im"},
      {4, "TarvelinCalendar", "cal"},    {7, "TarvelinControl", nullptr},
      {8, "TarvelinPOP3", "pop3"},       {10, "TarvelinControl", "control"},
      {12, "TarvelinIM", "im"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.id);
    const ServiceNames* names = FindServiceNames(c.id);
    ASSERT_NE(names, nullptr);
    EXPECT_STREQ(names->service_name, c.service_name);
    EXPECT_STREQ(names->program_file, c.program_file);
  }
}

TEST(ServiceIdsTest, OtherIdsHaveNoNames) {
  for (int id : {-1, 5, 6, 9, 11, 13, 255}) {
    EXPECT_EQ(FindServiceNames(id), nullptr) << id;
  }
}

}  // namespace
}  // namespace tarvelin
