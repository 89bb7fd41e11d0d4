#include "api/c/account_enumeration.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "support/users_file_builder.h"
#include "core/context.h"
#include "support/property_file.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::FileOf;
using testing::MakeRecord;

class AccountEnumerationTest : public ::testing::Test {
 protected:
  AccountEnumerationTest() {
    context_.api.initialised = true;
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
    dir_.Write("apiconst.pas", testing::ShippedPropertyFile());
    UserRecord server = MakeRecord("lists", "", 1);
    server[1030] = 1;  // the list-server flag
    dir_.Write("config/example.org/users.cfg",
               FileOf({MakeRecord("john"), MakeRecord("news", "", 1), server}));
  }

  // Positions and types of the records a walk delivers.
  std::vector<std::pair<int, int>> Walk(const char* query) {
    std::vector<std::pair<int, int>> seen;
    std::unique_ptr<UserEnumState> state = InitUsersQuery(context_, "example.org", query);
    if (!state) return seen;
    UserRecord buffer;
    while (NextUser(context_, state.get(), buffer.data(), kUserRecordSize)) {
      seen.emplace_back(WalkIndex(*state), buffer[0]);
    }
    DoneUsers(context_, std::move(state));
    return seen;
  }

  testing::TempDir dir_;
  Context context_;
};

using Seen = std::vector<std::pair<int, int>>;

TEST_F(AccountEnumerationTest, EveryRecordThenTheEnd) {
  EXPECT_EQ(Walk(nullptr), (Seen{{0, 0}, {1, 1}, {2, 6}})) << "a list server comes out as type 6";
  EXPECT_EQ(Walk(""), Walk(nullptr));
}

TEST_F(AccountEnumerationTest, QueriesSelectRecords) {
  EXPECT_EQ(Walk("U_Type = 0"), (Seen{{0, 0}}));
  EXPECT_EQ(Walk("U_Type = 1"), (Seen{{1, 1}, {2, 6}})) << "the query sees the stored type";
  EXPECT_EQ(Walk("U_ListServer = 1"), (Seen{{2, 6}})) << "the first delivered keeps its position";
  EXPECT_EQ(Walk("U_Nothing = 1"), Seen{});
  EXPECT_EQ(Walk("U_Type = ("), Seen{});
  const std::string long_query = "U_Type = 0" + std::string(250, ' ') + "or U_Type = 1";
  EXPECT_EQ(Walk(long_query.c_str()), (Seen{{0, 0}})) << "the query is cut to 255 characters";
}

TEST_F(AccountEnumerationTest, ListServerTypeIsWrittenIntoTheHandle) {
  std::unique_ptr<UserEnumState> state = InitUsersQuery(context_, "example.org", "U_Type = 1");
  ASSERT_NE(state, nullptr);
  UserRecord buffer;
  ASSERT_TRUE(NextUser(context_, state.get(), buffer.data(), kUserRecordSize));
  EXPECT_EQ((*state)[walk_offsets::kRecord], 1);
  ASSERT_TRUE(NextUser(context_, state.get(), buffer.data(), kUserRecordSize));
  EXPECT_EQ((*state)[walk_offsets::kRecord], 6);
  DoneUsers(context_, std::move(state));
}

TEST_F(AccountEnumerationTest, ASmallBufferStillConsumesARecord) {
  std::unique_ptr<UserEnumState> state = InitUsersQuery(context_, "example.org", nullptr);
  ASSERT_NE(state, nullptr);
  std::array<uint8_t, kUserRecordSize + 1> buffer{};
  buffer.fill(0xEE);
  EXPECT_FALSE(NextUser(context_, state.get(), buffer.data(), kUserRecordSize - 1));
  EXPECT_EQ(buffer[0], 0xEE) << "nothing written";
  EXPECT_FALSE(NextUser(context_, state.get(), nullptr, kUserRecordSize));
  ASSERT_TRUE(NextUser(context_, state.get(), buffer.data(), kUserRecordSize + 1));
  EXPECT_EQ(WalkIndex(*state), 2);
  EXPECT_EQ(buffer[kUserRecordSize], 0xEE) << "exactly one record";
  EXPECT_FALSE(NextUser(context_, state.get(), buffer.data(), kUserRecordSize));
  DoneUsers(context_, std::move(state));
  DoneUsers(context_, nullptr);
}

TEST_F(AccountEnumerationTest, NoWalkWithoutInitialisationOrUsersFile) {
  EXPECT_EQ(InitUsersQuery(context_, "missing.org", nullptr), nullptr);
  EXPECT_EQ(InitUsersQuery(context_, nullptr, nullptr), nullptr);
  EXPECT_EQ(InitUsersQuery(context_, ("example.org" + std::string(300, 'x')).c_str(), nullptr),
            nullptr);
  std::unique_ptr<UserEnumState> state = InitUsersQuery(context_, "example.org", nullptr);
  context_.api.initialised = false;
  EXPECT_EQ(InitUsersQuery(context_, "example.org", nullptr), nullptr);
  UserRecord buffer;
  EXPECT_FALSE(NextUser(context_, state.get(), buffer.data(), kUserRecordSize));
  EXPECT_FALSE(NextUser(context_, nullptr, buffer.data(), kUserRecordSize));
  context_.api.initialised = true;
  DoneUsers(context_, std::move(state));
}

}  // namespace
}  // namespace tarvelin
