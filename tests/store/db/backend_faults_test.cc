// A database that cannot be reached: every operation that needs it fails
// with the library's reason, and nothing is reported as done.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/accounts/account_operations.h"
#include "core/accounts/authenticate.h"
#include "core/config/config_save.h"
#include "core/config/create_installation.h"
#include "core/config/init.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "schema/config_offsets.h"
#include "support/status_testing.h"
#include "support/storage_modes.h"
#include "support/temp_dir.h"
#include "support/users_file_builder.h"

namespace tarvelin::testing {
namespace {

namespace fs = std::filesystem;

class UnreachableDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string unavailable = StorageModeUnavailable(StorageMode::kSqlite);
    if (!unavailable.empty()) GTEST_SKIP() << unavailable;
    install_ = dir_.path() + "inst/";
    {
      Context creator;
      ASSERT_TRUE(CreateInstallation(creator, install_, {"example.org"}).ok());
      creator.config.record.SetByte(offsets::kStorageMode, 2);
      creator.config.record.SetText(offsets::kAccountDatabase,
                                    "driver=sqlite;database=/nonexistent/folder/accounts.db");
      creator.api.config_changed = true;
      SaveConfig(creator);
    }
    fs::create_directories(install_ + "lib");
    fs::create_symlink(TARVELIN_REAL_DB, install_ + "lib/db.so");
    ASSERT_TRUE(Init(context_, install_.c_str()).ok());
    context_.set_auth_sleep([](int) {});
    ASSERT_TRUE(context_.database_storage());
  }

  TempDir dir_;
  std::string install_;
  Context context_;
};

TEST_F(UnreachableDatabase, WritesFailWithTheReasonAndNothingIsStored) {
  const Result<int> added = AddAccount(context_, "example.org", MakeUser("anna", "anna", "pw"), "");
  ASSERT_FALSE(added.ok());
  EXPECT_EQ(added.status(), StatusCode::kUnavailable);
  EXPECT_NE(added.status().message().find("cannot store the account"), std::string::npos)
      << added.status().message();
  EXPECT_FALSE(fs::exists(install_ + "config/example.org/users.cfg"));

  const Status saved = SaveDomain(context_, 0, DomainRecord{});
  EXPECT_FALSE(saved.ok()) << "a record the database did not take is not reported saved";

  EXPECT_EQ(DeleteAccount(context_, "example.org", 0, "").code(), StatusCode::kNotFound)
      << "no account store to remove from";
}

TEST_F(UnreachableDatabase, ReadsFindNothing) {
  EXPECT_EQ(context_.accounts().Count("example.org"), 0);
  UserRecord record{};
  record.fill(0x55);
  EXPECT_EQ(context_.accounts().Load("example.org", 0, &record), 0);
  EXPECT_EQ(record, UserRecord{}) << "no part of a record is handed out";
  AuthRequest request;
  request.login = "anna";
  request.secret = "pw";
  AuthResult result;
  EXPECT_FALSE(AuthenticateAccount(context_, request, &result, nullptr));
  EXPECT_EQ(context_.accounts().NewIterator("example.org"), nullptr);
}

}  // namespace
}  // namespace tarvelin::testing
