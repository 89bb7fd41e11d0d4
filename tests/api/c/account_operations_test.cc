#include "api/c/account_operations.h"
#include "core/accounts/account_operations.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "core/accounts/account_installation.h"
#include "core/accounts/engine_hooks.h"
#include "core/accounts/groupware_calls.h"
#include "log/log_kinds.h"
#include "platform/file_system.h"

namespace tarvelin {
namespace {

using testing::MakeRecord;
using testing::SetText;
using testing::TextOf;
using Calls = std::vector<std::string>;
using Strings = std::vector<std::string>;

constexpr int kMailbox = 516;
constexpr int kMailboxPath = 1028;
constexpr int kMailboxMode = 665;
constexpr int kListServerFlag = 1030;
constexpr int kResponderMode = 1293;
constexpr int kNoWelcome = 1295;
constexpr int kPasswordPolicy = 6998;
constexpr int kPolicyMinimumLength = 6999;  // variable 156
constexpr int kWelcomeMessages = 1473;
constexpr int kDirectoryMirror = 207;
constexpr int kLdapService = 3382;
constexpr int kSharingFlag = 2469;

UserRecord User(const std::string& aliases, const std::string& password = "pw",
                const std::string& path = "") {
  UserRecord user = MakeRecord(aliases, password);
  SetText(user, kMailboxPath, 127, path);
  return user;
}

// A user whose mailbox name is its primary alias, as AddUser stores it.
UserRecord Stored(const std::string& aliases, const std::string& password) {
  UserRecord user = User(aliases, password);
  SetText(user, kMailbox, 127, PrimaryAliasOf(user));
  return user;
}

UserRecord Group(const std::string& alias, const std::string& member_file, bool shared = false) {
  UserRecord group = MakeRecord(alias, "", 7);
  SetText(group, 774, 255, member_file);
  group[kSharingFlag] = shared ? 1 : 0;
  return group;
}

class AccountFunctionsTest : public testing::AccountInstallation {
 protected:
  AccountFunctionsTest() {
    ServerConfig& record = context_.config.record;
    record.SetText(log_offsets::kLogDirectory, dir_.path() + "logs/");
    record.SetByte(log_offsets::kFileLoggingOff, 0);
    record.SetNumber(log_offsets::kBufferSize, 4, 0);
    record.SetNumber(log_offsets::kRotationSize, 4, 0);
    record.SetByte(log_offsets::kChangeLog, 1);
    context_.hooks().SetDirectoryMirror(
        [this](std::string_view domain, const UserRecord& record, DirectoryAction action) {
          mirrored_.push_back(std::string(domain) + " " + PrimaryAliasOf(record) + " " +
                              std::to_string(static_cast<int>(action)));
        });
  }

  int32_t Add(const UserRecord& record, const char* domain = "example.org") {
    return capi::AddUser(context_, domain, record.data(), kUserRecordSize);
  }
  int32_t Save(int32_t position, const UserRecord& record, const char* domain = "example.org") {
    return capi::SaveUser(context_, domain, position, record.data(), kUserRecordSize);
  }
  UserRecord Load(int32_t position, int32_t* result = nullptr) {
    UserRecord record{};
    const int32_t r = capi::LoadUser(context_, "example.org", position, record.data(), kUserRecordSize);
    if (result != nullptr) *result = r;
    return record;
  }
  // Every change log line, without its time stamp part.
  Strings ChangeLog() {
    Strings lines;
    std::vector<DirectoryEntry> entries;
    context_.env().ListDirectory(dir_.path() + "logs/maintenance/", &entries);
    for (const DirectoryEntry& entry : entries) {
      for (const std::string& line : SplitLines(dir_.Read("logs/maintenance/" + entry.name))) {
        lines.push_back(line.substr(line.find('\'')));
      }
    }
    return lines;
  }

  Strings mirrored_;
};

TEST_F(AccountFunctionsTest, CountListAndIndex) {
  std::array<char, 64> buffer{};
  EXPECT_EQ(capi::GetUserCount(context_, "example.org"), 0);
  EXPECT_EQ(capi::GetUserList(context_, "example.org", buffer.data(), 64), 1) << "one zero byte";
  EXPECT_EQ(capi::GetUserList(context_, "example.org", buffer.data(), 0), -3);

  PutUsers("example.org", {User("john;smith"), MakeRecord("news;n", "", 1), User(" x ")});
  EXPECT_EQ(capi::GetUserCount(context_, "Example.ORG"), 3);
  buffer.fill('#');
  ASSERT_EQ(capi::GetUserList(context_, "example.org", buffer.data(), 64), 15);
  EXPECT_EQ(std::string(buffer.data(), 16), std::string("john\0news\0 x \0\0\0\0", 16));
  EXPECT_EQ(capi::GetUserList(context_, "example.org", buffer.data(), 14), -3);
  EXPECT_EQ(capi::GetUserList(context_, "example.org", nullptr, 64), -3);

  EXPECT_EQ(capi::GetUserIndex(context_, "example.org", "SMITH"), 0);
  EXPECT_EQ(capi::GetUserIndex(context_, "example.org", "n"), 1);
  EXPECT_EQ(capi::GetUserIndex(context_, "example.org", "nobody"), -1);
  EXPECT_EQ(capi::GetUserIndex(context_, "example.org", nullptr), -1);

  for (const char* unknown : {"nowhere.org", "", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(capi::GetUserCount(context_, unknown), -1);
    EXPECT_EQ(capi::GetUserList(context_, unknown, buffer.data(), 64), -1);
    EXPECT_EQ(capi::GetUserIndex(context_, unknown, "john"), -1);
    EXPECT_EQ(capi::DeleteUser(context_, unknown, 0), -1);
  }
}

TEST_F(AccountFunctionsTest, LoadUser) {
  UserRecord list_server = MakeRecord("news", "", 1);
  list_server[kListServerFlag] = 1;
  PutUsers("example.org", {User("john"), list_server, MakeRecord("plain", "", 1)});
  int32_t result = 0;
  EXPECT_EQ(AliasListOf(Load(0, &result)), "john");
  EXPECT_EQ(result, kUserRecordSize);
  EXPECT_EQ(Load(1, &result)[0], 6) << "handed out as a list server";
  EXPECT_EQ(Load(2)[0], 1);
  Load(3, &result);
  EXPECT_EQ(result, -1) << "the position equal to the count";
  Load(-1, &result);
  EXPECT_EQ(result, -1);
  UserRecord record{};
  EXPECT_EQ(capi::LoadUser(context_, "example.org", 0, record.data(), kUserRecordSize - 1), -3);
  EXPECT_EQ(capi::LoadUser(context_, "example.org", 0, nullptr, kUserRecordSize), -3);
  EXPECT_EQ(capi::LoadUser(context_, "other.org", 0, record.data(), kUserRecordSize), -1);
}

TEST_F(AccountFunctionsTest, AddUserFillsMailboxAndPath) {
  EXPECT_EQ(Add(User("john;smith")), 0);
  const UserRecord john = Load(0);
  EXPECT_EQ(TextOf(john, kMailbox, 127), "john");
  EXPECT_EQ(TextOf(john, kMailboxPath, 127), "example.org/john/");
  EXPECT_EQ(ChangeLog(), Strings{"'System' created 'john@example.org'"});

  UserRecord ann = User("ann", "pw", "boxes\\ann");
  SetText(ann, kMailbox, 127, "annie");
  EXPECT_EQ(Add(ann), 1);
  EXPECT_EQ(TextOf(Load(1), kMailbox, 127), "annie");
  EXPECT_EQ(TextOf(Load(1), kMailboxPath, 127), "boxes\\ann/");

  const std::string long_path(127, 'p');
  EXPECT_EQ(Add(User("long", "pw", long_path)), 2);
  EXPECT_EQ(TextOf(Load(2), kMailboxPath, 127), std::string(126, 'p') + "/")
      << "the separator always fits";

  UserRecord list = MakeRecord("server", "", 6);
  EXPECT_EQ(Add(list), 3);
  EXPECT_EQ(Users("example.org")[3][0], 6) << "stored as given";
  EXPECT_EQ(Users("example.org")[3][kListServerFlag], 1);
  EXPECT_EQ(TextOf(Users("example.org")[3], kMailboxPath, 127), "") << "only users get a path";
  EXPECT_EQ(mirrored_, Strings{}) << "the directory mirror is off";
}

TEST_F(AccountFunctionsTest, AddUserChecks) {
  PutUsers("example.org", {User("john;Smith")});
  PutUsers("other.org", {Stored("twin", "same")});
  UserRecord bad_mailbox = User("x");
  SetText(bad_mailbox, kMailbox, 127, "x;y");
  UserRecord twin = User("twin", "same");
  const struct {
    const char* name;
    UserRecord record;
    StatusCode why;
  } kRefused[] = {
      {"alias of another account, any case", User("ann;SMITH"), StatusCode::kAlreadyExists},
      {"empty alias list", User(""), StatusCode::kInvalidArgument},
      {"only separators", User(" ; "), StatusCode::kInvalidArgument},
      {"@ in an alias", User("ann@example.org"), StatusCode::kInvalidArgument},
      {"space in an alias", User("ann lee"), StatusCode::kInvalidArgument},
      {"list mark in a mailbox", bad_mailbox, StatusCode::kInvalidArgument},
      {"ambiguous mailbox login", twin, StatusCode::kRefused},
  };
  for (const auto& c : kRefused) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Add(c.record), -1);
    const Result<int> added = AddAccount(context_, "example.org", c.record, "");
    ASSERT_FALSE(added.ok());
    EXPECT_EQ(added.status().code(), c.why) << added.status().ToString();
  }
  EXPECT_EQ(Aliases("example.org"), Strings{"john;Smith"}) << "nothing written";

  context_.config.record.SetByte(kPasswordPolicy, 1);
  context_.config.record.SetByte(kPolicyMinimumLength, 6);
  EXPECT_EQ(Add(User("short", "abc")), -1);
  EXPECT_EQ(AddAccount(context_, "example.org", User("short", "abc"), "").status().code(),
            StatusCode::kRefused);
  EXPECT_EQ(Add(User("long", "abcdefgh")), 1);

  UserRecord record{};
  EXPECT_EQ(capi::AddUser(context_, "example.org", record.data(), kUserRecordSize - 1), -3);
  EXPECT_EQ(capi::AddUser(context_, "nowhere.org", record.data(), kUserRecordSize), -1);
}

TEST_F(AccountFunctionsTest, SaveUserChecksOnlyTheGainedAliases) {
  PutUsers("example.org", {User("john;smith;js"), User("ann")});
  EXPECT_EQ(Save(0, User("js;John;smith")), 0) << "a reordering gains nothing";
  EXPECT_EQ(Aliases("example.org")[0], "js;John;smith");
  EXPECT_EQ(Save(0, User("js;john;ANN")), -1);
  UserRecord list = MakeRecord("ann2;ann", "", 1);
  EXPECT_EQ(Save(0, list), -1) << "a list may not take another account's alias either";
  EXPECT_EQ(Save(2, User("new")), -1) << "a position without an account";
  EXPECT_EQ(Save(-1, User("new")), -1);
  EXPECT_EQ(Save(0, User("")), -1);
  EXPECT_EQ(Save(0, User("a(b)")), -1);
  EXPECT_EQ(Aliases("example.org"), (Strings{"js;John;smith", "ann"}));
  EXPECT_EQ(TextOf(Users("example.org")[0], kMailbox, 127), "js");
  EXPECT_EQ(TextOf(Users("example.org")[0], kMailboxPath, 127), "example.org/js/");
  EXPECT_EQ(ChangeLog(), Strings{"'System' updated 'js@example.org'"});

  UserRecord record{};
  EXPECT_EQ(capi::SaveUser(context_, "example.org", 0, record.data(), 100), -3);
}

TEST_F(AccountFunctionsTest, SaveUserMailboxConflictOnlyWhenTheLoginChanges) {
  PutUsers("other.org", {Stored("twin", "same")});
  UserRecord old = User("john", "same");
  SetText(old, kMailbox, 127, "twin");
  PutUsers("example.org", {old});
  UserRecord renamed = old;
  SetText(renamed, 4, 254, "John");
  EXPECT_EQ(Save(0, renamed), 0) << "mailbox and password as they were";
  UserRecord other_password = renamed;
  SetText(other_password, 772, 127, "other");
  EXPECT_EQ(Save(0, other_password), 0);
  EXPECT_EQ(Save(0, renamed), -1) << "back to the password another 'twin' has";
}

TEST_F(AccountFunctionsTest, RenamesReachTheGroups) {
  dir_.Write("config/staff.txt", "ann@example.org\r\njohn@example.org;John\r\n");
  dir_.Write("config/team.txt", "[John@Example.org]\r\n");
  PutUsers("example.org", {User("john;j", "pw", "example.org/john/"), Group("staff", "staff.txt")});
  PutUsers("other.org", {Group("team", "team.txt")});

  EXPECT_EQ(Save(0, User("John;j", "pw", "example.org/john/")), 0)
      << "a new letter case of the primary alias is a change";
  EXPECT_EQ(dir_.Read("config/staff.txt"), "ann@example.org\r\nJohn@example.org;John\r\n");
  EXPECT_EQ(dir_.Read("config/team.txt"), "[John@example.org];\r\n");

  EXPECT_EQ(Save(0, User("j;John", "pw", "example.org/john/")), 0);
  EXPECT_EQ(dir_.Read("config/staff.txt"), "ann@example.org\r\nj@example.org;John\r\n");

  EXPECT_EQ(Save(0, User("j;x", "pw", "example.org/john/")), 0) << "primary alias kept";
  EXPECT_EQ(dir_.Read("config/staff.txt"), "ann@example.org\r\nj@example.org;John\r\n");
}

TEST_F(AccountFunctionsTest, UserAccountFilesFollowTheRecord) {
  context_.config.record.SetByte(kWelcomeMessages, 1);
  dir_.Write("config/messages.dat", "hello.eml\r\n");
  dir_.Write("config/hello.eml", "Subject: hello\r\n\r\nhi\r\n");
  dir_.Write("mail/example.org/john/respond.dat", "away");

  UserRecord john = User("john");
  PutLE(john.data() + 660, 4, 30u << 16);
  ASSERT_EQ(Add(john), 0);
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(context_.env().ListDirectory(dir_.path() + "mail/example.org/john/", &entries).ok());
  Strings names;
  for (const DirectoryEntry& entry : entries) names.push_back(entry.name);
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), 2u) << "welcome message and active.dat; respond.dat gone";
  EXPECT_EQ(names[0].substr(names[0].size() - 4), ".tmp");
  EXPECT_EQ(names[1], "active.dat");

  UserRecord no_welcome = User("ann");
  no_welcome[kNoWelcome] = 1;
  no_welcome[kResponderMode] = 2;
  dir_.Write("mail/example.org/ann/respond.dat", "away");
  ASSERT_EQ(Add(no_welcome), 1);
  EXPECT_TRUE(dir_.Exists("mail/example.org/ann/respond.dat")) << "the responder keeps it";
  EXPECT_FALSE(dir_.Exists("mail/example.org/ann/active.dat")) << "no inactivity limit";
  entries.clear();
  context_.env().ListDirectory(dir_.path() + "mail/example.org/ann/", &entries);
  EXPECT_EQ(entries.size(), 1u) << "no welcome message";

  // Saving an existing account sends no welcome again.
  UserRecord saved = Load(0);
  ASSERT_EQ(Save(0, saved), 0);
  entries.clear();
  context_.env().ListDirectory(dir_.path() + "mail/example.org/john/", &entries);
  EXPECT_EQ(entries.size(), 2u);
}

TEST_F(AccountFunctionsTest, ALayoutChangeConvertsTheMailbox) {
  PutUsers("example.org", {User("john", "pw", "example.org/john/")});
  dir_.Write("mail/example.org/john/1.tmp", "Subject: x\r\n\r\n..dot\r\n.\r\n");
  UserRecord imap = Load(0);
  imap[kMailboxMode] = 1;
  ASSERT_EQ(Save(0, imap), 0);
  EXPECT_EQ(dir_.Read("mail/example.org/john/inbox/1.imap"), "Subject: x\r\n\r\n.dot");
  EXPECT_FALSE(dir_.Exists("mail/example.org/john/1.tmp"));

  imap[kMailboxMode] = 2;
  ASSERT_EQ(Save(0, imap), 0) << "IMAP to IMAP converts nothing";
  EXPECT_TRUE(dir_.Exists("mail/example.org/john/inbox/1.imap"));

  imap[kMailboxMode] = 0;
  ASSERT_EQ(Save(0, imap), 0);
  EXPECT_EQ(dir_.Read("mail/example.org/john/1.tmp"), "Subject: x\r\n\r\n..dot\r\n.\r\n");
}

TEST_F(AccountFunctionsTest, DirectoryMirrorSeesEveryChange) {
  context_.config.record.SetByte(kDirectoryMirror, 1);
  context_.config.record.SetByte(kLdapService, 1);
  ASSERT_EQ(Add(User("john")), 0);
  ASSERT_EQ(Save(0, User("john;x")), 0);
  ASSERT_EQ(capi::DeleteUser(context_, "example.org", 0), 0);
  EXPECT_EQ(mirrored_, (Strings{"example.org john 0", "example.org john 1", "example.org john 2"}));
  context_.config.record.SetByte(kLdapService, 0);
  ASSERT_EQ(Add(User("ann")), 0);
  EXPECT_EQ(mirrored_.size(), 3u) << "needs both variables";
}

TEST_F(AccountFunctionsTest, DeleteUserRemovesRecordFolderAndMemberships) {
  dir_.Write("config/staff.txt", "ann@example.org\r\njohn@example.org;John\r\n");
  dir_.Write("mail/example.org/john/inbox/1.imap", "x");
  dir_.Write("mail/example.org/ann/1.tmp", "x");
  PutUsers("example.org", {User("ann", "pw", "example.org\\ann\\"),
                           User("john", "pw", "example.org\\john\\"), Group("staff", "staff.txt")});
  EXPECT_EQ(capi::DeleteUser(context_, "example.org", 1), 0);
  EXPECT_EQ(Aliases("example.org"), (Strings{"ann", "staff"}));
  EXPECT_FALSE(dir_.Exists("mail/example.org/john"));
  EXPECT_TRUE(dir_.Exists("mail/example.org/ann/1.tmp"));
  EXPECT_EQ(dir_.Read("config/staff.txt"), "ann@example.org\r\n");
  EXPECT_EQ(ChangeLog(), Strings{"'System' deleted 'john@example.org'"});
}

TEST_F(AccountFunctionsTest, DeleteUserBeyondTheEndChangesNothing) {
  dir_.Write("config/staff.txt", "john@example.org\r\n");
  PutUsers("example.org", {User("john", "pw", "example.org/john/"), Group("staff", "staff.txt")});
  const std::string before = dir_.Read("config/example.org/users.cfg");
  EXPECT_EQ(capi::DeleteUser(context_, "example.org", 2), 0);
  EXPECT_EQ(capi::DeleteUser(context_, "example.org", 1000), 0);
  EXPECT_EQ(dir_.Read("config/example.org/users.cfg"), before);
  EXPECT_EQ(dir_.Read("config/staff.txt"), "john@example.org\r\n");
  EXPECT_EQ(ChangeLog(), Strings{});
  EXPECT_EQ(capi::DeleteUser(context_, "example.org", -1), -1);
  EXPECT_EQ(capi::DeleteUser(context_, "other.org", 0), -1) << "no users.cfg";
}

TEST_F(AccountFunctionsTest, DeleteUserNeverTakesMoreThanTheAccountsFolder) {
  dir_.Write("mail/keep.txt", "x");
  dir_.Write("config/settings.cfg", "x");
  PutUsers("example.org",
           {MakeRecord("list", "", 1), User("a", "pw", ""), User("b", "pw", "   "),
            User("c", "pw", "..\\"), User("d", "pw", "x/../../config"),
            User("e", "pw", dir_.path() + "config/"), User("f", "pw", dir_.path() + "mail")});
  for (int i = 0; i < 7; ++i) EXPECT_EQ(capi::DeleteUser(context_, "example.org", 0), 0) << i;
  EXPECT_EQ(capi::GetUserCount(context_, "example.org"), 0) << "the records go all the same";
  EXPECT_TRUE(dir_.Exists("mail/keep.txt"));
  EXPECT_TRUE(dir_.Exists("config/settings.cfg"));

  dir_.Write("boxes/zed/1.tmp", "x");
  PutUsers("example.org", {User("zed", "pw", dir_.path() + "boxes/zed/")});
  EXPECT_EQ(capi::DeleteUser(context_, "example.org", 0), 0);
  EXPECT_FALSE(dir_.Exists("boxes/zed")) << "an absolute folder of its own goes";
  EXPECT_TRUE(dir_.Exists("boxes"));
}

TEST_F(AccountFunctionsTest, DeletingServiceAccountsRemovesTheirFiles) {
  UserRecord notification = MakeRecord("note", "", 3);
  SetText(notification, 1304, 255, "note.txt");
  UserRecord routing = MakeRecord("route", "", 4);
  SetText(routing, 773, 255, dir_.path() + "filter.txt");
  UserRecord catalog = MakeRecord("cat", "", 5);
  SetText(catalog, 516, 255, "../outside.txt");
  for (const char* file : {"config/note.txt", "filter.txt", "outside.txt"}) dir_.Write(file, "x");
  PutUsers("example.org", {notification, routing, catalog});
  for (int i = 0; i < 3; ++i) ASSERT_EQ(capi::DeleteUser(context_, "example.org", 0), 0);
  EXPECT_FALSE(dir_.Exists("config/note.txt"));
  EXPECT_FALSE(dir_.Exists("filter.txt"));
  EXPECT_TRUE(dir_.Exists("outside.txt")) << "a relative name may not leave the configuration";
}

TEST_F(AccountFunctionsTest, GroupsGoToTheGroupwareService) {
  FakeService calendar(dir_.path() + "run/", "TarvelinCalendar");
  ASSERT_TRUE(calendar.ready());
  context_.config.record.SetText(offsets::kGroupwareUser, "super");
  dir_.Write("config/staff.txt", "ann@example.org;Ann\r\n");

  ASSERT_EQ(Add(Group("staff", "staff.txt", true)), 0);
  Calls calls = testing::GroupwareCalls(calendar);
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls[1], "CreateUser|session-1|staff@example.org|");

  ASSERT_EQ(Save(0, Group("crew", "staff.txt", true)), 0);
  calls = testing::GroupwareCalls(calendar);
  const Calls owners = [&] {
    Calls found;
    for (const std::string& call : calls) {
      if (call.starts_with("DeleteOwner") || call.starts_with("CreateUser")) found.push_back(call);
    }
    return found;
  }();
  EXPECT_EQ(owners, (Calls{"CreateUser|session-1|staff@example.org|",
                           "DeleteOwner|session-1|staff@example.org|",
                           "CreateUser|session-1|crew@example.org|"}));

  ASSERT_EQ(capi::DeleteUser(context_, "example.org", 0), 0);
  EXPECT_EQ(testing::GroupwareCalls(calendar).end()[-2], "DeleteOwner|session-1|crew@example.org|");
  EXPECT_FALSE(dir_.Exists("config/staff.txt")) << "the member file goes with the group";
}

}  // namespace
}  // namespace tarvelin
