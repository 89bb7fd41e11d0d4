#include "services/service_ids.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

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

TEST(ServiceIdsTest, TextsNameTheIdsWhateverTheLetterCase) {
  struct Case {
    const char* text;
    std::optional<int> id;
  };
  const Case kCases[] = {
      {"SMTP", 0},
      {"pop3", 1},
      {"Control", 2},
      {"im", 3},
      {"gw", 4},
      {"LDAP", 7},
      {"iMaP", 8},
      {"ftp", 10},
      {"SIP", 12},
      {"", std::nullopt},
      {"WEB", std::nullopt},
      {"SMTP ", std::nullopt},
      {"1", std::nullopt},
      {"calendar", std::nullopt},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(ServiceIdOfText(c.text), c.id) << "'" << c.text << "'";
  }
}

TEST(ServiceIdsTest, EveryKnownIdHasNamesAndATextLeadingBackToIt) {
  EXPECT_EQ(KnownServiceIds(), (std::vector<int>{0, 1, 2, 3, 4, 7, 8, 10, 12}));
  for (int id : KnownServiceIds()) {
    ASSERT_NE(FindServiceNames(id), nullptr) << id;
    ASSERT_NE(ServiceText(id), nullptr) << id;
    EXPECT_EQ(ServiceIdOfText(ServiceText(id)), id);
  }
  EXPECT_EQ(ServiceText(6), nullptr);
}

}  // namespace
}  // namespace tarvelin
