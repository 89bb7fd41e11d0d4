#include "platform/atomic_file_writer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::TempDir;

size_t EntriesIn(const std::string& dir) {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir)) ++count;
  return count;
}

TEST(AtomicFileWriter, TargetChangesOnlyAtCommit) {
  TempDir dir;
  PosixEnv env;
  dir.Write("users.cfg", "old");
  AtomicFileWriter writer(env);
  ASSERT_TRUE(writer.Open(dir.path() + "users.cfg"));
  ASSERT_TRUE(writer.Append("new ", 4));
  ASSERT_TRUE(writer.Append("content", 7));
  EXPECT_EQ(dir.Read("users.cfg"), "old") << "readers still see the old file";
  ASSERT_TRUE(writer.Commit());
  EXPECT_EQ(dir.Read("users.cfg"), "new content");
  EXPECT_EQ(EntriesIn(dir.path()), 1u) << "no temporary file is left";
}

TEST(AtomicFileWriter, CommitAsNewNeverReplaces) {
  TempDir dir;
  PosixEnv env;
  dir.Write("taken.imap", "old");
  AtomicFileWriter writer(env);
  ASSERT_TRUE(writer.Open(dir.path() + "taken.imap"));
  ASSERT_TRUE(writer.Append("new", 3));
  EXPECT_FALSE(writer.CommitAsNew());
  EXPECT_EQ(dir.Read("taken.imap"), "old");
  EXPECT_EQ(EntriesIn(dir.path()), 1u) << "the temporary file is removed";

  ASSERT_TRUE(writer.Open(dir.path() + "free.imap"));
  ASSERT_TRUE(writer.Append("new", 3));
  ASSERT_TRUE(writer.CommitAsNew());
  EXPECT_EQ(dir.Read("free.imap"), "new");
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

TEST(AtomicFileWriter, DiscardAndDestructionLeaveTheTargetAlone) {
  TempDir dir;
  PosixEnv env;
  dir.Write("users.cfg", "old");
  {
    AtomicFileWriter writer(env);
    ASSERT_TRUE(writer.Open(dir.path() + "users.cfg"));
    writer.Append("half", 4);
  }
  AtomicFileWriter discarded(env);
  ASSERT_TRUE(discarded.Open(dir.path() + "users.cfg"));
  discarded.Discard();
  EXPECT_FALSE(discarded.Commit());
  EXPECT_EQ(dir.Read("users.cfg"), "old");
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

TEST(AtomicFileWriter, ClosedWritersCommitLaterAfterOneFlush) {
  TempDir dir;
  PosixEnv env;
  AtomicFileWriter first(env), second(env);
  ASSERT_TRUE(first.Open(dir.path() + "a"));
  ASSERT_TRUE(second.Open(dir.path() + "b"));
  first.Append("1", 1);
  second.Append("2", 1);
  ASSERT_TRUE(first.Close(/*durable=*/false));
  ASSERT_TRUE(second.Close(/*durable=*/false));
  EXPECT_FALSE(dir.Exists("a"));
  EXPECT_TRUE(env.SyncFileSystem(dir.path()).ok());
  AtomicFileWriter moved = std::move(second);
  ASSERT_TRUE(first.Commit());
  ASSERT_TRUE(moved.Commit());
  EXPECT_EQ(dir.Read("a") + dir.Read("b"), "12");
  EXPECT_EQ(EntriesIn(dir.path()), 2u);
}

TEST(AtomicFileWriter, KnowsTheFileItWritesAndTheFileItReplaces) {
  TempDir dir;
  PosixEnv env;
  dir.Write("archive", "old");
  dir.Write("other", "other");
  struct stat old_file, other;
  ASSERT_EQ(stat((dir.path() + "archive").c_str(), &old_file), 0);
  ASSERT_EQ(stat((dir.path() + "other").c_str(), &other), 0);
  AtomicFileWriter writer(env);
  EXPECT_FALSE(writer.IsOwnFile(old_file.st_dev, old_file.st_ino));
  ASSERT_TRUE(writer.Open(dir.path() + "archive"));
  EXPECT_TRUE(writer.IsOwnFile(old_file.st_dev, old_file.st_ino));
  EXPECT_EQ(writer.device(), old_file.st_dev);
  EXPECT_FALSE(writer.IsOwnFile(other.st_dev, other.st_ino));
  ASSERT_TRUE(writer.Commit());
  struct stat written;
  ASSERT_EQ(stat((dir.path() + "archive").c_str(), &written), 0);
  EXPECT_TRUE(writer.IsOwnFile(written.st_dev, written.st_ino));
}

TEST(AtomicFileWriter, FailuresAreReported) {
  TempDir dir;
  PosixEnv env;
  AtomicFileWriter writer(env);
  EXPECT_FALSE(writer.Open(dir.path() + "missing/file")) << "the directory must exist";
  EXPECT_EQ(writer.failure().code(), StatusCode::kNotFound) << writer.failure().ToString();
  EXPECT_FALSE(writer.Append("x", 1));
  // A target that is a directory cannot be replaced by a file.
  dir.Write("folder/inside", "");
  ASSERT_TRUE(writer.Open(dir.path() + "folder"));
  EXPECT_TRUE(writer.failure().ok()) << "a new file starts without one";
  writer.Append("x", 1);
  EXPECT_FALSE(writer.Commit());
  EXPECT_EQ(writer.failure().sys_errno(), EISDIR) << writer.failure().ToString();
  EXPECT_EQ(EntriesIn(dir.path()), 1u);
  EXPECT_FALSE(env.SyncFileSystem(dir.path() + "missing").ok());
}

TEST(AtomicFileWriter, LongTargetNamesStillGetATemporaryFile) {
  TempDir dir;
  PosixEnv env;
  const std::string name(250, 'n');
  AtomicFileWriter writer(env);
  ASSERT_TRUE(writer.Open(dir.path() + name));
  ASSERT_TRUE(writer.Commit());
  EXPECT_TRUE(dir.Exists(name));
}

}  // namespace
}  // namespace tarvelin
