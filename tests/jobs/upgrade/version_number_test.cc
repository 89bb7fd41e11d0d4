#include "jobs/upgrade/version_number.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvelin {
namespace {

TEST(VersionNumberTest, ReadsEachPartAsADecimalPrefix) {
  struct Case {
    std::string text;
    int64_t number;
  };
  const std::vector<Case> cases = {
      {"8.3.12", 8031200},
      {"8.3.12-4", 8031204},
      {"8.3", 8030000},
      {"8", 8000000},
      {"", 0},
      {" 8 . 3 . 16 - 1 ", 8031601},  // parts are trimmed
      {"8.3x.1", 8030100},           // up to the first character that is no digit
      {"8.3.12.5", 8031200},
      {"8.3.12-4-7", 8031204},
      {"8-1.3", 8030000},  // "-" only inside the third part
      {"v8.3", 30000},
      {"...", 0},
      {"8.3.16-1", 8031601},
      {"99999999999999999999.0", 1000000000LL * 1000000},  // stops growing
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VersionNumber(c.text), c.number) << c.text;
  }
}

TEST(VersionNumberTest, TheCommandLineTakesOnlyVersionTexts) {
  for (const char* good : {"8", "8.3", "8.3.18", "8.3.16-1", "10.0.0-123"}) {
    EXPECT_TRUE(CheckVersionText(good).ok()) << good;
  }
  for (const char* bad : {"", "8.", "8.3.", "v8.3", "8.3-1", "8.3.1-", "8.3.1.2", " 8.3",
                          "8.3.x", "1234567890.1"}) {
    const Status status = CheckVersionText(bad);
    EXPECT_EQ(status.code(), StatusCode::kInvalidArgument) << bad;
    EXPECT_NE(status.message().find("MAJOR.MINOR.PATCH"), std::string::npos) << bad;
  }
}

}  // namespace
}  // namespace tarvelin
