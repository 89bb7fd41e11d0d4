#include "store/db/backend_library.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "core/accounts/account_operations.h"
#include "core/config/config_save.h"
#include "core/config/create_installation.h"
#include "core/config/init.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "core/logging.h"
#include "core/ops/domain_rename_delete.h"
#include "schema/config_offsets.h"
#include "store/db/connection_text.h"
#include "support/status_testing.h"
#include "support/temp_dir.h"
#include "support/users_file_builder.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;

// An installation in storage mode 2 with one domain, and `library` copied
// to `where` below it (nothing when empty).
std::string MakeInstallation(const testing::TempDir& dir, const std::string& where,
                             bool lock_off = false) {
  const std::string install = dir.path() + "inst/";
  Context creator;
  EXPECT_TRUE(CreateInstallation(creator, install, {"example.org"}).ok());
  creator.config.record.SetByte(offsets::kStorageMode, 2);
  creator.config.record.SetByte(offsets::kDatabaseLockOff, lock_off ? 1 : 0);
  creator.api.config_changed = true;
  SaveConfig(creator);
  if (!where.empty()) {
    fs::create_directories(fs::path(install + where).parent_path());
    fs::copy_file(TARVELIN_PARTIAL_DB, install + where);
  }
  return install;
}

// Everything the error log of the installation holds.
std::string ErrorLog(const std::string& install) {
  std::string all;
  for (const auto& entry : fs::recursive_directory_iterator(install)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_regular_file() || name.size() < 5 || name[0] != 'e' ||
        entry.path().extension() != ".log") {
      continue;
    }
    std::ifstream in(entry.path());
    std::stringstream text;
    text << in.rdbuf();
    all += text.str();
  }
  return all;
}

UserRecord Account(const std::string& alias) { return testing::MakeUser(alias, alias, "secret"); }

// A function of the partial library loaded from `path`.
template <typename F>
F PartialFunction(const std::string& path, const char* name) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  EXPECT_NE(handle, nullptr) << "the library is loaded by the Context";
  F function = reinterpret_cast<F>(dlsym(handle, name));
  if (handle != nullptr) dlclose(handle);
  return function;
}

TEST(BackendLibraryLoad, MissingLibraryIsLoggedWithBothPathsAndTheFilesServe) {
  testing::TempDir dir;
  const std::string install = MakeInstallation(dir, "");
  Context context;
  ASSERT_TRUE(Init(context, install.c_str()).ok());
  EXPECT_FALSE(context.backend().loaded());
  EXPECT_FALSE(context.database_storage());
  const std::string log = ErrorLog(install);
  EXPECT_NE(log.find("LoadLibrary('" + install + "db.so')"), std::string::npos) << log;
  EXPECT_NE(log.find("LoadLibrary('" + install + "lib/db.so')"), std::string::npos) << log;

  ASSERT_TRUE(AddAccount(context, "example.org", Account("anna"), "").ok());
  EXPECT_TRUE(fs::exists(install + "config/example.org/users.cfg"))
      << "without its library the installation keeps working on its files";
}

TEST(BackendLibraryLoad, FoundInTheLibFolderAndHandedTheDefaultDatabase) {
  testing::TempDir dir;
  const std::string install = MakeInstallation(dir, "lib/db.so");
  Context context;
  ASSERT_TRUE(Init(context, install.c_str()).ok());
  ASSERT_TRUE(context.backend().loaded());
  EXPECT_TRUE(context.database_storage());
  auto connection =
      PartialFunction<const char* (*)()>(install + "lib/db.so", "PartialDbConnection");
  ASSERT_NE(connection, nullptr);
  EXPECT_EQ(std::string(connection()), "driver=sqlite;database=" + install + "config/tarvelin.db");
}

TEST(BackendLibraryLoad, DoneReleasesAndTheNextInitConnectsAgain) {
  testing::TempDir dir;
  const std::string install = MakeInstallation(dir, "db.so");
  const std::string library = install + "db.so";
  Context context;
  ASSERT_TRUE(Init(context, install.c_str()).ok());
  // Kept loaded by the test too, so its counts outlive the Context's unload.
  void* kept = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(kept, nullptr);
  auto done_calls = reinterpret_cast<int (*)()>(dlsym(kept, "PartialDbDoneCalls"));
  auto connection = reinterpret_cast<const char* (*)()>(dlsym(kept, "PartialDbConnection"));
  ASSERT_NE(done_calls, nullptr);
  ASSERT_NE(connection, nullptr);
  const int before = done_calls();

  Done(context);
  EXPECT_FALSE(context.backend().loaded());
  EXPECT_FALSE(context.database_storage());
  EXPECT_EQ(done_calls(), before + 1) << "Done called DBDoneConnection once";
  EXPECT_EQ(std::string(connection()), "");

  ASSERT_TRUE(Init(context, install.c_str()).ok());
  EXPECT_TRUE(context.database_storage())
      << "an Init after Done must not leave the accounts on the files in storage mode 2";
  EXPECT_EQ(std::string(connection()), "driver=sqlite;database=" + install + "config/tarvelin.db");
  dlclose(kept);
}

TEST(BackendLibraryLoad, AMissingFunctionFailsItsCallsClearly) {
  testing::TempDir dir;
  const std::string install = MakeInstallation(dir, "db.so");
  Context context;
  ASSERT_TRUE(Init(context, install.c_str()).ok());
  ASSERT_TRUE(context.database_storage());
  UserRecord record{};
  EXPECT_EQ(context.backend().GetUsers("example.org", record.data(), 0), -1);
  EXPECT_EQ(context.backend().GetUsersIndex("example.org", "anna"), -1);
  EXPECT_TRUE(context.backend().NextUser(record.data())) << "a walk that cannot go on ends";
  EXPECT_EQ(context.backend().AuthenticateUser("anna", false), nullptr);

  const Result<int> added = AddAccount(context, "example.org", Account("anna"), "");
  ASSERT_FALSE(added.ok()) << "an account the database did not store is not reported added";
  EXPECT_EQ(added.status(), StatusCode::kUnavailable);
  EXPECT_NE(added.status().message().find("lacks DBSaveUsers"), std::string::npos)
      << added.status().message();
  EXPECT_FALSE(fs::exists(install + "config/example.org/users.cfg"));
  EXPECT_EQ(context.accounts().Count("example.org"), 0);

  // The domain's record still comes from domain.cfg.
  EXPECT_TRUE(LoadDomain(context, 0).ok());
  EXPECT_EQ(DomainNames(context), std::vector<std::string>{"example.org"});
}

TEST(BackendLibraryLoad, ARenameTheDatabaseRefusesChangesNothing) {
  testing::TempDir dir;
  const std::string install = MakeInstallation(dir, "db.so");
  Context context;
  ASSERT_TRUE(Init(context, install.c_str()).ok());
  ASSERT_TRUE(context.database_storage());
  const Status renamed = RenameDomain(context, "example.org", "renamed.org");
  EXPECT_EQ(renamed, StatusCode::kUnavailable);
  EXPECT_NE(renamed.message().find("lacks DBRenameDomain"), std::string::npos) << renamed.message();
  EXPECT_EQ(DomainNames(context), std::vector<std::string>{"example.org"});
  EXPECT_TRUE(fs::exists(install + "config/example.org/domain.cfg"));
  EXPECT_FALSE(fs::exists(install + "config/renamed.org"));
  Context other;
  ASSERT_TRUE(Init(other, install.c_str()).ok());
  EXPECT_EQ(DomainNames(other), std::vector<std::string>{"example.org"});
}

TEST(BackendLibraryLoad, ARefusedConnectionIsLoggedWithTheLibrarysReason) {
  testing::TempDir dir;
  const std::string install = MakeInstallation(dir, "db.so");
  {
    Context setter;
    ASSERT_TRUE(Init(setter, install.c_str()).ok());
    setter.config.record.SetText(offsets::kAccountDatabase, "driver=refuse;password=s3cret");
    setter.api.config_changed = true;
    Done(setter);
  }
  Context context;
  ASSERT_TRUE(Init(context, install.c_str()).ok());
  const std::string log = ErrorLog(install);
  EXPECT_NE(log.find("DBSetConnection"), std::string::npos) << log;
  EXPECT_NE(log.find("connection refused by the test"), std::string::npos) << log;
  EXPECT_EQ(log.find("s3cret"), std::string::npos) << log;
}

TEST(BackendLibraryLoad, TheServerLogReachesTheLogDatabase) {
  testing::TempDir dir;
  const std::string install = MakeInstallation(dir, "db.so");
  {
    Context setter;
    ASSERT_TRUE(Init(setter, install.c_str()).ok());
    setter.config.record.SetByte(offsets::kStorageMode, 0);
    setter.config.record.SetByte(3381, 1);  // setting 108: log to the database
    setter.config.record.SetByte(255, 1);   // setting 21: the database
    setter.config.record.SetText(3255, "driver=sqlite;database=log.db");  // variable 107
    setter.api.config_changed = true;
    Done(setter);
  }
  Context context;
  ASSERT_TRUE(Init(context, install.c_str()).ok());
  ASSERT_TRUE(context.backend().loaded()) << "the log alone needs the library";
  EXPECT_FALSE(context.database_storage());
  LogError(context, "Open", "x", false, 2);
  auto last_log = PartialFunction<const char* (*)()>(install + "db.so", "PartialDbLastLog");
  ASSERT_NE(last_log, nullptr);
  const std::string entry = last_log();
  EXPECT_EQ(entry.rfind("driver=sqlite;database=" + install + "config/log.db|11|1|", 0), 0u)
      << entry;
  EXPECT_NE(entry.find("|00|SYSTEM|"), std::string::npos) << entry;
}

// Whether another thread could take the backend lock while db.so ran.
LockTable* probed_locks = nullptr;
bool lock_was_free = false;

void ProbeTheBackendLock() {
  std::thread other([] {
    std::recursive_mutex& lock = (*probed_locks)[LockId::kBackend];
    lock_was_free = lock.try_lock();
    if (lock_was_free) lock.unlock();
  });
  other.join();
}

TEST(BackendLibraryLock, CallsRunUnderTheBackendLockUnlessVariable176IsOn) {
  for (const bool lock_off : {false, true}) {
    testing::TempDir dir;
    const std::string install = MakeInstallation(dir, "db.so", lock_off);
    Context context;
    ASSERT_TRUE(Init(context, install.c_str()).ok());
    auto set_probe = PartialFunction<void (*)(void (*)())>(install + "db.so", "PartialDbSetProbe");
    ASSERT_NE(set_probe, nullptr);
    probed_locks = &context.locks();
    set_probe(&ProbeTheBackendLock);
    lock_was_free = !lock_off;
    context.backend().GetDomainCount();
    set_probe(nullptr);
    EXPECT_EQ(lock_was_free, lock_off) << "variable 176 " << (lock_off ? "on" : "off");
  }
}

TEST(ConnectionText, PathsRelativeToTheConfigurationFolderAreMadeWhole) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "driver=sqlite;database=/inst/config/tarvelin.db"},
      {"  ", "driver=sqlite;database=/inst/config/tarvelin.db"},
      {"driver=sqlite;database=accounts.db", "driver=sqlite;database=/inst/config/accounts.db"},
      {"Driver=SQLite; database = sub/a.db", "Driver=SQLite;database=/inst/config/sub/a.db"},
      {"driver=sqlite;database=/var/lib/a.db", "driver=sqlite;database=/var/lib/a.db"},
      {"driver=postgresql;host=db;database=x", "driver=postgresql;host=db;database=x"},
      {"postgresql://u@db/accounts", "postgresql://u@db/accounts"},
  };
  for (const auto& [text, resolved] : cases) {
    EXPECT_EQ(ResolveConnectionText(text, "/inst/config/"), resolved) << text;
  }
}

}  // namespace
}  // namespace tarvelin
