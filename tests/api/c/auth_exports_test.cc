// The login and password policy exports, through the C API.
#include <gtest/gtest.h>

#include "api/c/the_context.h"

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "core/accounts/authenticate.h"
#include "schema/user_record_offsets.h"
#include "support/users_file_builder.h"
#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "support/installation.h"
#include "support/temp_dir.h"
#include "tarvelin/api.h"

namespace tarvelin {
namespace {

using testing::FileOf;
using testing::MakeRecord;

TEST(AuthExports, AnswerMinusFiveBeforeInit) {
  std::array<uint8_t, kUserRecordSize> buffer{};
  int32_t index = 7;
  EXPECT_EQ(AuthenticateUser("a", "b", "", &index, buffer.data(), kUserRecordSize), -5);
  EXPECT_EQ(CheckPasswordPolicy("a", "b", "c"), -5);
  EXPECT_EQ(index, 7);
}

class AuthExportsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ServerConfig config;
    config.SetNumber(offsets::kDomainCount, 4, 2);
    config.SetByte(6998, 1);  // policy on
    config.SetByte(6999, 4);  // at least four characters
    dir_.Write("config/settings.cfg", testing::SettingsFileOf(config));
    dir_.Write("config/domains.cfg", testing::DomainsFileOf({"a.org", "b.org"}));
    UserRecord user = MakeRecord("ann", "pw");
    PutPString(user.data() + user_offsets::kMailbox, 127, "ann");
    dir_.Write("config/b.org/users.cfg", FileOf({user}));
    ASSERT_EQ(Init(dir_.path().c_str()), 0);
    TheContext().set_auth_sleep([this](int seconds) { waited_ += seconds; });
  }
  void TearDown() override {
    TheContext().set_auth_sleep(nullptr);
    Done();
  }
  testing::TempDir dir_;
  int waited_ = 0;
};

TEST_F(AuthExportsTest, AGoodLoginGivesTheRecordAndTheDomainIndex) {
  std::vector<uint8_t> buffer(kUserRecordSize + 10, 0xEE);
  int32_t index = -9;
  EXPECT_EQ(AuthenticateUser("ANN", "pw", nullptr, &index, buffer.data(), kUserRecordSize + 10),
            kUserRecordSize);
  EXPECT_EQ(index, 1);
  EXPECT_EQ(GetPString(buffer.data() + user_offsets::kAliasList, 255), "ann");
  EXPECT_EQ(GetPString(buffer.data() + user_offsets::kPassword, 127), "pw");
  EXPECT_EQ(buffer[kUserRecordSize], 0xEE) << "nothing beyond the record";
  EXPECT_EQ(waited_, 0);
}

TEST_F(AuthExportsTest, ARefusedLoginLeavesBufferAndIndexAlone) {
  std::vector<uint8_t> buffer(kUserRecordSize, 0xEE);
  int32_t index = -9;
  EXPECT_EQ(AuthenticateUser("ann", "wrong", "", &index, buffer.data(), kUserRecordSize), -1);
  EXPECT_EQ(index, -9);
  EXPECT_EQ(buffer, std::vector<uint8_t>(kUserRecordSize, 0xEE));
  EXPECT_EQ(waited_, 3);
  EXPECT_EQ(AuthenticateUser("ann", "pw", "", &index, buffer.data(), kUserRecordSize - 1), -3);
  EXPECT_EQ(waited_, 3) << "a small buffer does nothing else";
  EXPECT_EQ(AuthenticateUser(nullptr, nullptr, nullptr, nullptr, buffer.data(), kUserRecordSize),
            -1);
}

TEST_F(AuthExportsTest, PolicyAnswersOneOrZero) {
  EXPECT_EQ(CheckPasswordPolicy("abcd", "box", "x"), 1);
  EXPECT_EQ(CheckPasswordPolicy("abc", "box", "x"), 0);
  EXPECT_EQ(CheckPasswordPolicy(nullptr, nullptr, nullptr), 0);
}

}  // namespace
}  // namespace tarvelin
