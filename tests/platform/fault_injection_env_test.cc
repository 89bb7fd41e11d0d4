#include "platform/fault_injection_env.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class FaultInjectionEnvTest : public ::testing::Test {
 protected:
  std::string Path(std::string_view name) const { return dir_.path() + std::string(name); }

  std::unique_ptr<WritableFile> Create(std::string_view name) {
    Result<std::unique_ptr<WritableFile>> file =
        env_.NewWritableFile(Path(name), WriteMode::kTruncate);
    EXPECT_TRUE(file.ok()) << file.status().ToString();
    return file.ok() ? std::move(*file) : nullptr;
  }

  testing::TempDir dir_;
  PosixEnv base_;
  FaultInjectionEnv env_{base_};
};

TEST_F(FaultInjectionEnvTest, TheNthWriteFailsAndWritesNothing) {
  std::unique_ptr<WritableFile> file = Create("users.cfg");
  env_.FailWrite(2, ENOSPC);
  EXPECT_TRUE(file->Append("one;").ok());
  const Status failed = file->Append("two;");
  EXPECT_EQ(failed.code(), StatusCode::kIOError);
  EXPECT_EQ(failed.sys_errno(), ENOSPC);
  EXPECT_TRUE(file->WriteAt(4, "three").ok()) << "only the one write fails";
  EXPECT_EQ(dir_.Read("users.cfg"), "one;three");
  EXPECT_EQ(env_.writes(), 3);
}

TEST_F(FaultInjectionEnvTest, AShortWriteLeavesItsPrefix) {
  std::unique_ptr<WritableFile> file = Create("users.cfg");
  ASSERT_TRUE(file->Append("head;").ok());
  env_.ShortenWrite(1, 3, EIO);
  const Status failed = file->Append("record");
  EXPECT_EQ(failed.sys_errno(), EIO);
  EXPECT_EQ(dir_.Read("users.cfg"), "head;rec");
}

TEST_F(FaultInjectionEnvTest, WritesToANameFailUntilCleared) {
  std::unique_ptr<WritableFile> users = Create("users.cfg");
  std::unique_ptr<WritableFile> other = Create("domains.cfg");
  env_.FailWritesTo("users", EIO);
  EXPECT_FALSE(users->Append("x").ok());
  EXPECT_FALSE(users->WriteAt(0, "x").ok());
  EXPECT_TRUE(other->Append("y").ok());
  Result<TempFile> temp = env_.NewTempFile(Path("users.cfg.tmp."));
  ASSERT_TRUE(temp.ok());
  EXPECT_FALSE(temp->file->Append("z").ok()) << "temporary files are matched by their path";
  env_.ClearFaults();
  EXPECT_TRUE(users->Append("x").ok());
  EXPECT_EQ(dir_.Read("users.cfg"), "x");
}

// After the crash point nothing on disk changes, whatever is asked; reads
// and everything that changes no file go on.
TEST_F(FaultInjectionEnvTest, AfterTheCrashNothingChanges) {
  dir_.Write("users.cfg", "old");
  dir_.Write("tree/file", "f");
  std::unique_ptr<WritableFile> file = Create("open.cfg");
  Result<std::unique_ptr<Directory>> tree = env_.OpenDirectory(Path("tree"), Links::kNoFollow);
  ASSERT_TRUE(tree.ok());
  const int64_t before = env_.mutations();
  EXPECT_EQ(before, 1) << "the open for writing counts";
  env_.CrashAfter(1);
  ASSERT_TRUE(file->Append("last").ok());
  EXPECT_FALSE(env_.crashed());

  const std::vector<std::pair<const char*, Status>> refused = {
      {"write", file->Append("more")},
      {"write at", file->WriteAt(0, "x")},
      {"truncate", file->Truncate(0)},
      {"sync", file->Sync()},
      {"open", env_.NewWritableFile(Path("users.cfg"), WriteMode::kTruncate).status()},
      {"temporary file", env_.NewTempFile(Path("t.")).status()},
      {"rename", env_.RenameFile(Path("users.cfg"), Path("moved"), true)},
      {"remove", env_.RemoveFile(Path("users.cfg"))},
      {"remove directory", env_.RemoveDirectory(Path("tree"))},
      {"set time", env_.SetModificationTime(Path("users.cfg"), 0)},
      {"remove entry", (*tree)->RemoveEntry("file", false)},
      {"create directory", env_.CreateDirectories(Path("new/dir"))},
      {"sync directory", env_.SyncDirectory(dir_.path())},
      {"sync file system", env_.SyncFileSystem(dir_.path())},
  };
  for (const auto& [what, status] : refused) {
    EXPECT_EQ(status.sys_errno(), EIO) << what;
  }
  EXPECT_TRUE(env_.crashed());
  EXPECT_EQ(env_.mutations(), before + 1);

  EXPECT_EQ(dir_.Read("users.cfg"), "old");
  EXPECT_EQ(dir_.Read("open.cfg"), "last");
  EXPECT_TRUE(dir_.Exists("tree/file"));
  EXPECT_FALSE(dir_.Exists("moved"));
  EXPECT_FALSE(dir_.Exists("new"));
  std::string content;
  EXPECT_TRUE(env_.ReadFile(Path("users.cfg"), &content).ok());
  EXPECT_TRUE(file->Close().ok());
  EXPECT_TRUE(env_.LockExclusive(dir_.path()).ok());

  env_.ClearFaults();
  EXPECT_TRUE(env_.RemoveFile(Path("users.cfg")).ok()) << "a cleared crash lets writes through";
}

TEST_F(FaultInjectionEnvTest, CrashAtZeroRefusesTheFirstOperation) {
  env_.CrashAfter(0);
  EXPECT_FALSE(env_.NewWritableFile(Path("users.cfg"), WriteMode::kCreateNew).ok());
  EXPECT_FALSE(dir_.Exists("users.cfg"));
  EXPECT_EQ(env_.mutations(), 0);
}

TEST_F(FaultInjectionEnvTest, APowerFailureLosesWhatWasNotSynced) {
  dir_.Write("log", "kept;");
  dir_.Write("cut", "0123456789");
  Result<std::unique_ptr<WritableFile>> log = env_.NewWritableFile(Path("log"), WriteMode::kAppend);
  ASSERT_TRUE(log.ok());
  ASSERT_TRUE((*log)->Append("synced;").ok());
  ASSERT_TRUE((*log)->Sync().ok());
  ASSERT_TRUE((*log)->Append("lost;").ok());

  // Renamed before a sync: the loss follows the file to its new name.
  Result<TempFile> unsynced = env_.NewTempFile(Path("users.cfg.tmp."));
  ASSERT_TRUE(unsynced.ok());
  ASSERT_TRUE(unsynced->file->Append("never synced").ok());
  ASSERT_TRUE(unsynced->file->Close().ok());
  ASSERT_TRUE(env_.RenameFile(unsynced->path, Path("users.cfg"), /*replace=*/true).ok());

  Result<TempFile> synced = env_.NewTempFile(Path("domains.cfg.tmp."));
  ASSERT_TRUE(synced.ok());
  ASSERT_TRUE(synced->file->Append("durable").ok());
  ASSERT_TRUE(synced->file->Sync().ok());
  ASSERT_TRUE(env_.RenameFile(synced->path, Path("domains.cfg"), /*replace=*/true).ok());

  Result<std::unique_ptr<WritableFile>> cut = env_.NewWritableFile(Path("cut"), WriteMode::kUpdate);
  ASSERT_TRUE(cut.ok());
  ASSERT_TRUE((*cut)->Truncate(4).ok());

  ASSERT_TRUE(env_.DropUnsyncedData().ok());
  EXPECT_EQ(dir_.Read("log"), "kept;synced;");
  EXPECT_EQ(dir_.Read("users.cfg"), "");
  EXPECT_EQ(dir_.Read("domains.cfg"), "durable");
  EXPECT_EQ(dir_.Read("cut"), "0123") << "never made longer";
}

}  // namespace
}  // namespace tarvelin
