// Moving the domains and accounts between the files and the database of
// db.so, both ways, with the run stopped, refused and failing on the way.
#include "jobs/storage/storage_migration.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/context.h"
#include "schema/config_offsets.h"
#include "support/postgres_server.h"
#include "support/storage_modes.h"
#include "support/temp_dir.h"
#include "support/users_file_builder.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;
using testing::StorageMode;
using testing::StorageModeInstallation;

const std::vector<std::string> kDomains = {"example.org", "other.org", "empty.org"};
// A few hundred accounts over three domains, one of them empty: enough for
// several samples of 97.
const std::map<std::string, int> kSmall = {
    {"example.org", 300}, {"other.org", 120}, {"empty.org", 0}};
// 10,000.
const std::map<std::string, int> kLarge = {
    {"example.org", 9000}, {"other.org", 1000}, {"empty.org", 0}};

// A folder in memory where there is one: db.so commits every account on
// its own, and a disk's syncs would make the large runs take minutes.
class MemoryFolder {
 public:
  MemoryFolder() {
    std::string pattern =
        (fs::exists("/dev/shm") ? std::string("/dev/shm") : fs::temp_directory_path().string()) +
        "/tarvelin-db-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern + "/";
  }
  ~MemoryFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

UserRecord Account(const std::string& domain, int i) {
  const std::string name = "u" + std::to_string(i) + "." + domain.substr(0, domain.find('.'));
  UserRecord record = testing::MakeUser(name + ";alias" + std::to_string(i), name,
                                        "pw" + std::to_string(i * 7919), "/mail/" + name + "/");
  return record;
}

class StorageMigrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const std::string why = testing::StorageModeUnavailable(StorageMode::kSqlite);
        !why.empty()) {
      GTEST_SKIP() << why;
    }
    accounts_ = Sizes();
    installation_ = std::make_unique<StorageModeInstallation>(StorageMode::kFiles, kDomains);
    ASSERT_TRUE(installation_->why().empty()) << installation_->why();
    fs::create_directories(install() + "lib");
    fs::create_symlink(TARVELIN_REAL_DB, install() + "lib/db.so");
    for (const auto& [domain, count] : accounts_) {
      std::vector<UserRecord> records;
      for (int i = 0; i < count; ++i) records.push_back(Account(domain, i));
      if (count > 0) Write(install() + "config/" + domain + "/users.cfg", testing::FileOf(records));
    }
    context_ = installation_->Reopen();
    ASSERT_NE(context_, nullptr);
  }

  virtual std::map<std::string, int> Sizes() const { return kSmall; }
  int Total() const {
    int total = 0;
    for (const auto& [domain, count] : accounts_) total += count;
    return total;
  }

  static void Write(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  }
  static std::string Read(const std::string& path) {
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
      char buffer[65536];
      for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) bytes.append(buffer, n);
      std::fclose(file);
    }
    return bytes;
  }

  const std::string& install() const { return installation_->install(); }
  std::string SettingsFile() const { return Read(install() + "config/settings.cfg"); }

  // Every domain in order and every account, read through a fresh Context
  // in whatever mode it opens, equal to what was built.
  void ExpectEveryRecord(Context& context) {
    ASSERT_EQ(context.domains().Count(), static_cast<int>(kDomains.size()));
    for (int d = 0; d < static_cast<int>(kDomains.size()); ++d) {
      const std::string& domain = kDomains[d];
      EXPECT_EQ(context.domains().NameAt(d), domain);
      ASSERT_EQ(context.accounts().Count(domain), accounts_.at(domain)) << domain;
      std::unique_ptr<AccountIterator> it = context.accounts().NewIterator(domain);
      int seen = 0;
      for (UserRecord record; it != nullptr && it->Valid(); it->Next(), ++seen) {
        it->ReadRecord(&record);
        ASSERT_EQ(record, Account(domain, it->position())) << domain << " " << it->position();
      }
      EXPECT_EQ(seen, accounts_.at(domain)) << domain;
    }
  }

  std::map<std::string, int> accounts_;
  std::unique_ptr<StorageModeInstallation> installation_;
  std::unique_ptr<Context> context_;
};

class LargeStorageMigrationTest : public StorageMigrationTest {
 protected:
  std::map<std::string, int> Sizes() const override { return kLarge; }
};

TEST_F(LargeStorageMigrationTest, MovesEveryRecordIntoTheDatabaseAndBack) {
  const MemoryFolder folder;
  ASSERT_FALSE(folder.path().empty());
  const std::string text = "driver=sqlite;database=" + folder.path() + "accounts.db";
  int last_done = 0, last_total = 0;
  const MigrationProgress progress = [&](int done, int total) {
    EXPECT_EQ(done, last_done + 1);
    last_done = done;
    last_total = total;
  };
  Result<MigrationOutcome> there = MigrateToDatabase(*context_, {text}, progress, nullptr);
  ASSERT_TRUE(there.ok()) << there.status().ToString();
  EXPECT_EQ(there->domains, 3);
  EXPECT_EQ(there->accounts, 10000);
  EXPECT_EQ(last_done, 10000);
  EXPECT_EQ(last_total, 10000);

  std::unique_ptr<Context> database = installation_->Reopen();
  ASSERT_NE(database, nullptr);
  ASSERT_TRUE(database->database_storage());
  // What is read now comes from the database: the files no longer hold it.
  fs::remove(install() + "config/example.org/users.cfg");
  ExpectEveryRecord(*database);
  database.reset();

  std::unique_ptr<Context> before_back = installation_->Reopen();
  Result<MigrationOutcome> back = MigrateToFiles(*before_back, nullptr, nullptr);
  ASSERT_TRUE(back.ok()) << back.status().ToString();
  EXPECT_EQ(back->accounts, 10000);
  EXPECT_EQ(before_back->config.record.Byte(offsets::kStorageMode), 1);

  std::unique_ptr<Context> files = installation_->Reopen();
  ASSERT_NE(files, nullptr);
  EXPECT_FALSE(files->database_storage());
  EXPECT_EQ(files->config.record.Byte(offsets::kStorageMode), 1);
  ExpectEveryRecord(*files);
}

TEST_F(StorageMigrationTest, AStopBeforeTheSwitchChangesNoConfiguration) {
  const std::string settings = SettingsFile();
  int calls = 0;
  Result<MigrationOutcome> stopped =
      MigrateToDatabase(*context_, {}, nullptr, [&calls] { return ++calls > 200; });
  ASSERT_TRUE(stopped.ok()) << stopped.status().ToString();
  EXPECT_TRUE(stopped->stopped);
  EXPECT_EQ(SettingsFile(), settings);
  std::unique_ptr<Context> files = installation_->Reopen();
  EXPECT_NE(files->config.record.Byte(offsets::kStorageMode), 2);
  ExpectEveryRecord(*files);

  // The half-filled database was emptied: a new run needs no --replace.
  // With no connection text given it is tarvelin.db of the configuration.
  Result<MigrationOutcome> again = MigrateToDatabase(*files, {}, nullptr, nullptr);
  ASSERT_TRUE(again.ok()) << again.status().ToString();
  EXPECT_EQ(again->accounts, Total());
  EXPECT_TRUE(fs::exists(install() + "config/tarvelin.db"));

  // The way back stopped: the installation stays in the database.
  std::unique_ptr<Context> database = installation_->Reopen();
  const std::string database_settings = SettingsFile();
  fs::remove(install() + "config/other.org/users.cfg");
  calls = 0;
  Result<MigrationOutcome> back =
      MigrateToFiles(*database, nullptr, [&calls] { return ++calls > 350; });
  ASSERT_TRUE(back.ok()) << back.status().ToString();
  EXPECT_TRUE(back->stopped);
  EXPECT_EQ(SettingsFile(), database_settings);
  std::unique_ptr<Context> still = installation_->Reopen();
  ASSERT_TRUE(still->database_storage());
  ExpectEveryRecord(*still);
}

TEST_F(StorageMigrationTest, ADatabaseThatHoldsDomainsIsReplacedOnlyWhenAsked) {
  const std::string text = "driver=sqlite;database=" + install() + "other.db";
  ASSERT_TRUE(MigrateToDatabase(*context_, {text}, nullptr, nullptr).ok());
  // Back to the files, then into the same database again.
  std::unique_ptr<Context> database = installation_->Reopen();
  ASSERT_TRUE(MigrateToFiles(*database, nullptr, nullptr).ok());

  std::unique_ptr<Context> files = installation_->Reopen();
  const std::string settings = SettingsFile();
  Result<MigrationOutcome> refused = MigrateToDatabase(*files, {text}, nullptr, nullptr);
  ASSERT_FALSE(refused.ok());
  EXPECT_TRUE(refused.status().Is(StatusCode::kRefused)) << refused.status().ToString();
  EXPECT_NE(refused.status().message().find("already holds 3 domains"), std::string::npos)
      << refused.status().message();
  EXPECT_EQ(SettingsFile(), settings);

  Result<MigrationOutcome> replaced =
      MigrateToDatabase(*files, {text, /*replace=*/true}, nullptr, nullptr);
  ASSERT_TRUE(replaced.ok()) << replaced.status().ToString();
  std::unique_ptr<Context> again = installation_->Reopen();
  EXPECT_EQ(again->config.record.Text(offsets::kAccountDatabase), text);
  ExpectEveryRecord(*again);
}

TEST_F(StorageMigrationTest, EachWayIsRefusedFromTheModeItLeadsTo) {
  Result<MigrationOutcome> to_files = MigrateToFiles(*context_, nullptr, nullptr);
  EXPECT_TRUE(to_files.status().Is(StatusCode::kRefused)) << to_files.status().ToString();
  ASSERT_TRUE(MigrateToDatabase(*context_, {}, nullptr, nullptr).ok());
  std::unique_ptr<Context> database = installation_->Reopen();
  Result<MigrationOutcome> to_database = MigrateToDatabase(*database, {}, nullptr, nullptr);
  EXPECT_TRUE(to_database.status().Is(StatusCode::kRefused)) << to_database.status().ToString();
}

TEST_F(StorageMigrationTest, AnUnreachableTargetFailsWithItsReasonAndChangesNothing) {
  const testing::TempDir empty_socket_folder;
  const struct {
    std::string text;
    std::string reason;  // part of the message
  } cases[] = {
      {"driver=postgresql;host=" + empty_socket_folder.path() +
           ";port=5999;dbname=x;user=x;"
           "password=hunter2",
       empty_socket_folder.path()},
      {"driver=sqlite;database=" + install() + "missing/folder/accounts.db", "missing/folder"},
  };
  const std::string settings = SettingsFile();
  for (const auto& c : cases) {
    Result<MigrationOutcome> failed = MigrateToDatabase(*context_, {c.text}, nullptr, nullptr);
    ASSERT_FALSE(failed.ok()) << c.text;
    EXPECT_TRUE(failed.status().Is(StatusCode::kUnavailable)) << failed.status().ToString();
    EXPECT_NE(failed.status().message().find(c.reason), std::string::npos)
        << failed.status().message();
    EXPECT_EQ(failed.status().message().find("hunter2"), std::string::npos);
    EXPECT_EQ(SettingsFile(), settings) << c.text;
    EXPECT_FALSE(context_->database_storage());
  }
  std::unique_ptr<Context> files = installation_->Reopen();
  ExpectEveryRecord(*files);
}

TEST_F(StorageMigrationTest, RoundTripThroughPostgres) {
  if (const std::string why = testing::StorageModeUnavailable(StorageMode::kPostgres);
      !why.empty()) {
    GTEST_SKIP() << why;
  }
  testing::PostgresServer server;
  ASSERT_TRUE(server.ok()) << server.why();
  ASSERT_TRUE(server.RunSql("CREATE DATABASE migration"));
  const std::string text = "driver=postgresql;host=" + server.socket_folder() +
                           ";port=" + std::to_string(server.port()) + ";user=" + server.user() +
                           ";dbname=migration";
  Result<MigrationOutcome> there = MigrateToDatabase(*context_, {text}, nullptr, nullptr);
  ASSERT_TRUE(there.ok()) << there.status().ToString();
  std::unique_ptr<Context> database = installation_->Reopen();
  ASSERT_TRUE(database->database_storage());
  ExpectEveryRecord(*database);
  ASSERT_TRUE(MigrateToFiles(*database, nullptr, nullptr).ok());
  std::unique_ptr<Context> files = installation_->Reopen();
  EXPECT_FALSE(files->database_storage());
  ExpectEveryRecord(*files);
}

}  // namespace
}  // namespace tarvelin
