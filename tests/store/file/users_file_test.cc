#include "store/file/users_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "schema/user_record_offsets.h"
#include "platform/posix_env.h"
#include "support/users_file_builder.h"
#include "foundation/bytes.h"
#include "foundation/scramble.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::FileOf;
using testing::MakeRecord;
using testing::PasswordOf;
using testing::TempDir;

class UsersFileTest : public ::testing::Test {
 protected:
  std::string Folder() const { return dir_.path() + "config/example.org/"; }
  std::string File() const { return dir_.Read("config/example.org/users.cfg"); }
  void Put(const std::string& bytes) const { dir_.Write("config/example.org/users.cfg", bytes); }

  TempDir dir_;
  PosixEnv env_;
};

TEST_F(UsersFileTest, CountIgnoresATrailingPartialRecord) {
  EXPECT_EQ(CountUsers(env_, Folder()), 0) << "a missing file is an empty domain";
  Put(FileOf({MakeRecord("a"), MakeRecord("b"), MakeRecord("c")}) + std::string(100, 'x'));
  EXPECT_EQ(CountUsers(env_, Folder()), 3);
  UserRecord record;
  EXPECT_EQ(LoadUserAt(env_, Folder(), 2, &record), 3);
  EXPECT_EQ(AliasListOf(record), "c");
  record[5] = 1;
  EXPECT_EQ(LoadUserAt(env_, Folder(), 3, &record), 3);
  EXPECT_EQ(record, UserRecord{}) << "a position outside the file gives a zero record";
  EXPECT_EQ(LoadUserAt(env_, Folder(), -1, &record), 3);
  EXPECT_EQ(record, UserRecord{});
}

TEST_F(UsersFileTest, LoadDecipheresOnlyUserAccountPasswords) {
  UserRecord list = MakeRecord("list", "", 1);
  PutPString(list.data() + user_offsets::kPassword, 127, "~#1OAj/");  // a list's own field
  Put(FileOf({MakeRecord("u", "~#1OAj/"), list, MakeRecord("two", "~#")}));
  UserRecord record;
  LoadUserAt(env_, Folder(), 0, &record);
  EXPECT_EQ(PasswordOf(record), "abc");
  LoadUserAt(env_, Folder(), 1, &record);
  EXPECT_EQ(PasswordOf(record), "~#1OAj/");
  LoadUserAt(env_, Folder(), 2, &record);
  EXPECT_EQ(PasswordOf(record), "~#") << "exactly 2 characters is a plain password";
}

TEST_F(UsersFileTest, RecordsOfAnyBytesLoad) {
  UserRecord odd{};
  for (size_t i = 0; i < odd.size(); ++i) odd[i] = static_cast<uint8_t>(i * 7 + 3);
  odd[user_offsets::kAccountType] = 200;
  odd[user_offsets::kAliasList] = 255;
  Put(FileOf({odd}));
  UserRecord record;
  ASSERT_EQ(LoadUserAt(env_, Folder(), 0, &record), 1);
  EXPECT_EQ(record, odd) << "a type outside 0..7 is loaded untouched";
  EXPECT_EQ(AliasListOf(record).size(), 255u);

  odd[user_offsets::kAccountType] = 0;
  odd[user_offsets::kPassword] = 250;  // beyond the capacity of 127
  Put(FileOf({odd}));
  LoadUserAt(env_, Folder(), 0, &record);
  EXPECT_EQ(PasswordOf(record).size(), 127u);
}

TEST_F(UsersFileTest, FirstWriteCreatesFolderAndFile) {
  int position = -1;
  ASSERT_TRUE(WriteUserAt(env_, Folder(), MakeRecord("john"), &position, false).ok());
  EXPECT_EQ(position, 0);
  EXPECT_EQ(CountUsers(env_, Folder()), 1);
  EXPECT_FALSE(dir_.Exists("config/example.org/users.cfg.tmp"));
}

TEST_F(UsersFileTest, WrittenFileIsByteIdenticalToOneBuiltByHand) {
  const UserRecord john = MakeRecord("john;J.Smith", "correct horse battery");
  UserRecord list = MakeRecord("news", "", 1);
  list[1000] = 0x42;
  int position = -1;
  ASSERT_TRUE(WriteUserAt(env_, Folder(), john, &position, true).ok());
  position = -1;
  ASSERT_TRUE(WriteUserAt(env_, Folder(), list, &position, true).ok());
  EXPECT_EQ(position, 1);
  position = -1;
  ASSERT_TRUE(WriteUserAt(env_, Folder(), MakeRecord("mary", "abc"), &position, false).ok());

  // By hand: the password in the stored form pinned in
  // password_cipher_test.cc, everything else as given.
  UserRecord stored_john = john;
  PutPString(stored_john.data() + user_offsets::kPassword, 127, "~#1E6A4aIxez5q9VpkYebDgwdgs70Bq");
  EXPECT_EQ(File(), FileOf({stored_john, list, MakeRecord("mary", "abc")}));
  EXPECT_EQ(PasswordOf(john), "correct horse battery") << "the caller's record is left alone";

  UserRecord loaded;
  LoadUserAt(env_, Folder(), 0, &loaded);
  EXPECT_EQ(loaded, john);
}

TEST_F(UsersFileTest, ReplacingKeepsTheOtherRecordsAndATrailingPart) {
  const std::string tail(100, 't');
  Put(FileOf({MakeRecord("a"), MakeRecord("b"), MakeRecord("c")}) + tail);
  int position = 1;
  ASSERT_TRUE(WriteUserAt(env_, Folder(), MakeRecord("b2"), &position, false).ok());
  EXPECT_EQ(position, 1);
  EXPECT_EQ(File(), FileOf({MakeRecord("a"), MakeRecord("b2"), MakeRecord("c")}) + tail);

  // Appending at the count takes the place of the partial record.
  position = 3;
  ASSERT_TRUE(WriteUserAt(env_, Folder(), MakeRecord("d"), &position, false).ok());
  EXPECT_EQ(File(), FileOf({MakeRecord("a"), MakeRecord("b2"), MakeRecord("c"), MakeRecord("d")}));
}

TEST_F(UsersFileTest, RefusedWritesChangeNothing) {
  Put(FileOf({MakeRecord("a")}));
  const std::string before = File();
  const struct {
    UserRecord record;
    int position;
  } cases[] = {
      {MakeRecord(""), -1},
      {MakeRecord(" ; "), -1},  // blanks name no alias either
      {MakeRecord("x"), 2},     // beyond the end
      {MakeRecord("x"), -2},
      {MakeRecord("x", "~#" + std::string(100, 'z')), 0},  // unstorable password
  };
  for (const auto& c : cases) {
    int position = c.position;
    EXPECT_FALSE(WriteUserAt(env_, Folder(), c.record, &position, false).ok()) << c.position;
    EXPECT_EQ(position, c.position);
  }
  EXPECT_EQ(File(), before);
}

TEST_F(UsersFileTest, RemoveMovesLaterRecordsDown) {
  const std::string tail(10, 't');
  Put(FileOf({MakeRecord("a"), MakeRecord("b", "~#1OAj/"), MakeRecord("c")}) + tail);
  UserRecord removed;
  ASSERT_TRUE(RemoveUserAt(env_, Folder(), 1, &removed).ok());
  EXPECT_EQ(AliasListOf(removed), "b");
  EXPECT_EQ(PasswordOf(removed), "~#1OAj/") << "the password stays as stored";
  EXPECT_EQ(File(), FileOf({MakeRecord("a"), MakeRecord("c")}) + tail);
  EXPECT_FALSE(dir_.Exists("config/example.org/users.cfg.tmp"));

  const std::string before = File();
  for (int position : {-1, 2, 7}) EXPECT_FALSE(RemoveUserAt(env_, Folder(), position, &removed).ok());
  EXPECT_EQ(File(), before);
  ASSERT_TRUE(RemoveUserAt(env_, Folder(), 0, &removed).ok());
  ASSERT_TRUE(RemoveUserAt(env_, Folder(), 0, &removed).ok());
  EXPECT_EQ(File(), tail) << "an empty domain keeps its file";
  EXPECT_FALSE(RemoveUserAt(env_, dir_.path() + "config/missing.org/", 0, &removed).ok());
}

TEST_F(UsersFileTest, TemporaryFileLeftByACrashIsReplaced) {
  Put(FileOf({MakeRecord("a")}));
  dir_.Write("config/example.org/users.cfg.tmp", std::string(5000, 'g'));
  int position = 0;
  ASSERT_TRUE(WriteUserAt(env_, Folder(), MakeRecord("b"), &position, false).ok());
  EXPECT_EQ(File(), FileOf({MakeRecord("b")}));
  EXPECT_FALSE(dir_.Exists("config/example.org/users.cfg.tmp"));
}

TEST_F(UsersFileTest, ANewRecordIsAppendedInPlaceAfterCuttingATornOne) {
  Put(FileOf({MakeRecord("a")}) + std::string(100, 'x'));
  const FileStamp before = *env_.GetFileStamp(dir_.path() + "config/example.org/users.cfg");
  int position = -1;
  UsersFileAppend append;
  ASSERT_TRUE(WriteUserAt(env_, Folder(), MakeRecord("b"), &position, false, &append).ok());
  EXPECT_EQ(position, 1);
  EXPECT_EQ(File(), FileOf({MakeRecord("a"), MakeRecord("b")}));
  EXPECT_TRUE(append.done);
  EXPECT_EQ(append.before.inode, before.inode) << "the same file, written in place";
  EXPECT_EQ(append.after.size, 2 * kUserRecordSize);
  EXPECT_EQ(append.after, *env_.GetFileStamp(dir_.path() + "config/example.org/users.cfg"));
}

TEST_F(UsersFileTest, RemovalHandsOutTheGroupsItCopied) {
  Put(FileOf({MakeRecord("g1", "", kGroupAccount), MakeRecord("a"),
              MakeRecord("g2", "", kGroupAccount), MakeRecord("g3", "", kGroupAccount)}));
  UserRecord removed;
  std::vector<UserRecord> groups;
  ASSERT_TRUE(RemoveUserAt(env_, Folder(), 2, &removed, &groups).ok());
  EXPECT_EQ(AliasListOf(removed), "g2");
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(AliasListOf(groups[0]), "g1");
  EXPECT_EQ(AliasListOf(groups[1]), "g3");
  EXPECT_FALSE(RemoveUserAt(env_, Folder(), 9, &removed, &groups).ok());
}

}  // namespace
}  // namespace tarvelin
