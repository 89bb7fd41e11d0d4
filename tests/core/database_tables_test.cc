#include "core/database_tables.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/config/create_installation.h"
#include "core/config/init.h"
#include "core/context.h"
#include "schema/config_offsets.h"
#include "support/status_testing.h"
#include "support/storage_modes.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;

constexpr int kLogDatabase = 3255;  // variable 107

// A file-mode installation with `library` as its db.so.
class DatabaseTablesTest : public ::testing::Test {
 protected:
  void Open(const std::string& library) {
    install_ = dir_.path() + "inst/";
    {
      Context creator;
      ASSERT_TRUE(CreateInstallation(creator, install_, {"example.org"}).ok());
    }
    fs::create_symlink(library, install_ + "db.so");
    ASSERT_TRUE(Init(context_, install_.c_str()).ok());
    EXPECT_FALSE(context_.backend().loaded()) << "file mode needs no library";
  }
  // The configuration as another program loads it.
  ServerConfig Saved() {
    Context other;
    EXPECT_TRUE(Init(other, install_.c_str()).ok());
    return other.config.record;
  }

  testing::TempDir dir_;
  std::string install_;
  Context context_;
};

TEST_F(DatabaseTablesTest, AccountAndLogTablesOnANamedDatabase) {
  const std::string unavailable = testing::StorageModeUnavailable(testing::StorageMode::kSqlite);
  if (!unavailable.empty()) GTEST_SKIP() << unavailable;
  Open(TARVELIN_REAL_DB);
  ASSERT_TRUE(CreateAccountTables(context_, "driver=sqlite;database=accounts.db").ok());
  EXPECT_EQ(Saved().Text(offsets::kAccountDatabase), "driver=sqlite;database=accounts.db");
  EXPECT_TRUE(fs::exists(install_ + "config/accounts.db"))
      << "a relative database lies in the configuration folder";
  ASSERT_TRUE(CreateLogTables(context_, "driver=sqlite;database=log.db").ok());
  EXPECT_EQ(Saved().Text(kLogDatabase), "driver=sqlite;database=log.db");
  EXPECT_TRUE(DropAccountTables(context_).ok());
  EXPECT_TRUE(DropLogTables(context_).ok());

  EXPECT_TRUE(CheckDbConnection(context_, "driver=sqlite;database=accounts.db").ok());
  const Status unreachable =
      CheckDbConnection(context_, "driver=sqlite;database=/nonexistent/folder/x.db");
  EXPECT_EQ(unreachable, StatusCode::kUnavailable);
  EXPECT_FALSE(unreachable.message().empty());
}

TEST_F(DatabaseTablesTest, ALibraryWithoutTheFunctionsSaysSo) {
  Open(TARVELIN_PARTIAL_DB);
  const Status created = CreateAccountTables(context_, "driver=sqlite;database=accounts.db");
  EXPECT_EQ(created, StatusCode::kUnavailable);
  EXPECT_NE(created.message().find("lacks DBCreateTables"), std::string::npos) << created.message();
  const Status checked = CheckDbConnection(context_, "driver=sqlite;database=accounts.db");
  EXPECT_NE(checked.message().find("lacks DBCheckConnection"), std::string::npos)
      << checked.message();
}

TEST_F(DatabaseTablesTest, NoLibraryNoTables) {
  install_ = dir_.path() + "inst/";
  {
    Context creator;
    ASSERT_TRUE(CreateInstallation(creator, install_, {}).ok());
  }
  ASSERT_TRUE(Init(context_, install_.c_str()).ok());
  EXPECT_EQ(CreateAccountTables(context_, "driver=sqlite;database=a.db"), StatusCode::kUnavailable);
  EXPECT_EQ(Saved().Text(offsets::kAccountDatabase), "")
      << "nothing is stored when the library cannot be loaded";
  EXPECT_EQ(CheckDbConnection(context_, ""), StatusCode::kUnavailable);
}

}  // namespace
}  // namespace tarvelin
