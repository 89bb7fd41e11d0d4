// The account walk exports as a management program calls them.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "support/users_file_builder.h"
#include "schema/server_config.h"
#include "support/installation.h"
#include "support/property_file.h"
#include "support/temp_dir.h"
#include "tarvelin/api.h"

namespace tarvelin {
namespace {

constexpr int32_t kRecordSize = 2848;

class UserWalkExports : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("config/settings.cfg", testing::SettingsFileOf(ServerConfig()));
    dir_.Write("config/domains.cfg", testing::DomainsFileOf({"example.org"}));
    dir_.Write("api/delphi/apiconst.pas", testing::ShippedPropertyFile());
    UserRecord server = testing::MakeRecord("lists", "", 1);
    server[1030] = 1;
    dir_.Write(
        "config/example.org/users.cfg",
        testing::FileOf({testing::MakeRecord("john"), testing::MakeRecord("news", "", 1), server}));
    ASSERT_EQ(::Init(dir_.path().c_str()), 0);
  }

  testing::TempDir dir_;
};

TEST_F(UserWalkExports, ThreeRecordsThenTheEnd) {
  void* handle = nullptr;
  ASSERT_EQ(::APIInitUsers(&handle, "example.org"), 1);
  ASSERT_NE(handle, nullptr);
  std::array<uint8_t, kRecordSize> record{};
  const uint8_t expected_types[] = {0, 1, 6};
  for (uint8_t type : expected_types) {
    ASSERT_EQ(::APINextUser(handle, record.data(), kRecordSize), 1);
    EXPECT_EQ(record[0], type);
  }
  EXPECT_EQ(::APINextUser(handle, record.data(), kRecordSize), 0);
  EXPECT_EQ(::APINextUser(handle, record.data(), kRecordSize), 0);
  ::APIDoneUsers(handle);
  ::APIDoneUsers(nullptr);
}

TEST_F(UserWalkExports, Queries) {
  const struct {
    const char* query;
    int delivered;
  } cases[] = {{nullptr, 3},
               {"", 3},
               {"U_Type = 0", 1},
               {"u_type=1", 2},
               {"U_Alias like 'n%'", 1},
               {"U_Unknown = 0", 0},
               {"U_Type = 0 )", 0}};
  for (const auto& c : cases) {
    void* handle = nullptr;
    ASSERT_EQ(::APIInitUsersQuery(&handle, "example.org", c.query), 1);
    std::array<uint8_t, kRecordSize> record{};
    int delivered = 0;
    while (::APINextUser(handle, record.data(), kRecordSize) == 1) ++delivered;
    ::APIDoneUsers(handle);
    EXPECT_EQ(delivered, c.delivered) << (c.query ? c.query : "(null)");
  }
}

TEST_F(UserWalkExports, FailedStartsLeaveANullHandle) {
  void* handle = &handle;
  EXPECT_EQ(::APIInitUsers(&handle, "missing.org"), 0);
  EXPECT_EQ(handle, nullptr);
  handle = &handle;
  EXPECT_EQ(::APIInitUsersQuery(&handle, nullptr, "U_Type = 0"), 0);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(::APIInitUsers(nullptr, "example.org"), 0);
  std::array<uint8_t, kRecordSize> record{};
  EXPECT_EQ(::APINextUser(nullptr, record.data(), kRecordSize), 0);
}

}  // namespace
}  // namespace tarvelin
