#include "jobs/backup/backup_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jobs/backup/test_archive.h"
#include "platform/directory_walk.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::ArchiveEntry;
using testing::ReadArchive;
using testing::TempDir;

TEST(ArchiveWriter, EntriesInTheOrderAddedWhateverTheirSizes) {
  TempDir dir;
  PosixEnv env;
  std::vector<ArchiveEntry> expected;
  for (int i = 0; i < 30; ++i) {
    // Large files first, so later small ones finish compressing earlier.
    const std::string content(static_cast<size_t>((30 - i) * 20000),
                              static_cast<char>('a' + i % 26));
    dir.Write("src/" + std::to_string(i), content);
    expected.push_back({"f\\" + std::to_string(i), content});
  }
  for (int threads : {0, 3}) {
    const std::string archive = "a" + std::to_string(threads) + ".ilds";
    ArchiveWriter writer(env, threads, {});
    ASSERT_TRUE(writer.Create(dir.path() + archive).ok());
    for (int i = 0; i < 30; ++i) {
      writer.AddFile("f\\" + std::to_string(i), dir.path() + "src/" + std::to_string(i), 0);
    }
    EXPECT_FALSE(dir.Exists(archive)) << "the archive appears only when finished";
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(ReadArchive(dir.Read(archive)), expected) << threads << " threads";
  }
}

TEST(ArchiveWriter, FilesThatCannotBeOpenedAreLeftOut) {
  TempDir dir;
  PosixEnv env;
  dir.Write("there", "content");
  ArchiveWriter writer(env, 2, {});
  ASSERT_TRUE(writer.Create(dir.path() + "a.ilds").ok());
  writer.AddFile("gone", dir.path() + "gone", 10);
  writer.AddFile("there", dir.path() + "there", 7);
  writer.AddFile("a folder", dir.path(), 0);
  ASSERT_TRUE(writer.Finish());
  EXPECT_EQ(ReadArchive(dir.Read("a.ilds")), (std::vector<ArchiveEntry>{{"there", "content"}}));
}

TEST(ArchiveWriter, IncompleteArchivesAreKeptButReported) {
  TempDir dir;
  PosixEnv env;
  dir.Write("x", "x");
  ArchiveWriter writer(env, 1, {});
  ASSERT_TRUE(writer.Create(dir.path() + "a.ilds").ok());
  writer.AddFile("x", dir.path() + "x", 1);
  writer.MarkIncomplete();
  EXPECT_FALSE(writer.Finish());
  EXPECT_EQ(ReadArchive(dir.Read("a.ilds")).size(), 1u);
}

TEST(ArchiveWriter, KnowsItsOwnFileAndReportsProgress) {
  TempDir dir;
  PosixEnv env;
  dir.Write("x", "12345");
  std::vector<ArchiveProgress> seen;
  ArchiveWriter writer(env, 1, [&](const ArchiveProgress& p) { seen.push_back(p); });
  EXPECT_FALSE(writer.IsArchive(0, 0));
  EXPECT_FALSE(writer.Create(dir.path() + "missing/a.ilds").ok());
  ASSERT_TRUE(writer.Create(dir.path() + "a.ilds").ok());
  bool found = false;
  WalkFiles(env, dir.path(), false, [&](const WalkedFile& file) {
    found |= writer.IsArchive(file.device, file.inode);
    return true;
  });
  EXPECT_TRUE(found) << "the file being written is recognised";
  writer.AddFile("x", dir.path() + "x", 5);
  ASSERT_TRUE(writer.Finish());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].files_done, 1);
  EXPECT_EQ(seen[0].bytes_done, 5);
}

}  // namespace
}  // namespace tarvelin
