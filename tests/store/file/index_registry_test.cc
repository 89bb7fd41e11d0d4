#include "store/file/index_registry.h"

#include <gtest/gtest.h>

#include <string>

#include "store/file/users_file.h"
#include "platform/posix_env.h"
#include "support/users_file_builder.h"
#include "platform/file_system.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::FileOf;
using testing::MakeRecord;

const GroupFileReader kNoGroups = [](const std::string&, std::string*) { return false; };

class IndexRegistryTest : public ::testing::Test {
 protected:
  std::string Put(int domain, const std::string& aliases) {
    const std::string name = "d" + std::to_string(domain) + "/users.cfg";
    dir_.Write(name, FileOf({MakeRecord(aliases)}));
    return dir_.path() + name;
  }
  FileStamp Stamp(const std::string& path) { return *env_.GetFileStamp(path); }

  testing::TempDir dir_;
  LockTable locks_;
  PosixEnv env_;
  IndexRegistry registry_{env_, locks_};
};

TEST_F(IndexRegistryTest, IndexServesOnlyItsVersion) {
  const std::string path = Put(0, "john");
  EXPECT_EQ(registry_.Find(path, Stamp(path)).index, nullptr);
  const IndexedFile opened = registry_.Open(path);
  ASSERT_NE(opened.index, nullptr);
  EXPECT_EQ(opened.file->stamp(), Stamp(path));
  EXPECT_EQ(registry_.Find(path, Stamp(path)).index, opened.index);

  Put(0, "mary");
  EXPECT_EQ(registry_.Find(path, Stamp(path)).index, nullptr);
  const IndexedFile again = registry_.Open(path);
  EXPECT_EQ(again.index->FindFirst("mary", kNoGroups), 0);
  EXPECT_EQ(opened.index->FindFirst("john", kNoGroups), 0) << "a holder keeps its own version";

  env_.RemoveFile(path);
  EXPECT_EQ(registry_.Open(path).index, nullptr);
  EXPECT_EQ(registry_.Find(path, again.index->stamp()).index, nullptr) << "forgotten";
}

TEST_F(IndexRegistryTest, OnlyTheMostRecentlyUsedKeepTheirFileOpen) {
  const int domains = static_cast<int>(IndexRegistry::kOpenFiles) + 3;
  std::vector<std::string> paths;
  for (int i = 0; i < domains; ++i) {
    paths.push_back(Put(i, "user" + std::to_string(i)));
    ASSERT_NE(registry_.Open(paths.back()).file, nullptr);
  }
  // The first three were let go, their indexes stay.
  for (int i = 0; i < domains; ++i) {
    const IndexedFile found =
        registry_.Find(paths[static_cast<size_t>(i)], Stamp(paths[static_cast<size_t>(i)]));
    ASSERT_NE(found.index, nullptr) << i;
    EXPECT_EQ(found.file == nullptr, i < 3) << i;
  }
  // Opening again holds the file once more and lets the least recent go.
  EXPECT_NE(registry_.Open(paths[0]).file, nullptr);
  EXPECT_NE(registry_.Find(paths[0], Stamp(paths[0])).file, nullptr);
  EXPECT_EQ(registry_.Find(paths[3], Stamp(paths[3])).file, nullptr);

  registry_.Forget(paths[0]);
  EXPECT_EQ(registry_.Find(paths[0], Stamp(paths[0])).index, nullptr);
}

TEST_F(IndexRegistryTest, AnAppendExtendsTheIndexOfThePreviousVersionOnly) {
  const std::string folder = dir_.path() + "d0/";
  const std::string path = Put(0, "john");
  const IndexedFile opened = registry_.Open(path);
  ASSERT_NE(opened.index, nullptr);

  int position = -1;
  UsersFileAppend append;
  ASSERT_TRUE(WriteUserAt(env_, folder, MakeRecord("mary;[staff]"), &position, false, &append).ok());
  ASSERT_TRUE(append.done);
  registry_.Appended(path, append.before, append.after, "mary;[staff]", position);
  const IndexedFile extended = registry_.Find(path, Stamp(path));
  ASSERT_NE(extended.index, nullptr);
  EXPECT_EQ(extended.index->FindFirst("MARY", kNoGroups), 1);
  EXPECT_EQ(extended.index->FindFirst("john", kNoGroups), 0);
  EXPECT_EQ(extended.index->record_count(), 2);
  EXPECT_TRUE(extended.index->DependsOnGroups(1));
  EXPECT_EQ(opened.index->FindFirst("mary", kNoGroups), -1) << "the old one is left as it was";

  // An append to a version the registry does not know: nothing stale stays.
  ASSERT_TRUE(WriteUserAt(env_, folder, MakeRecord("ann"), &position, false, &append).ok());
  registry_.Appended(path, FileStamp{}, append.after, "ann", position);
  EXPECT_EQ(registry_.Find(path, Stamp(path)).index, nullptr);
}

}  // namespace
}  // namespace tarvelin
