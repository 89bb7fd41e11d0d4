#include "core/accounts/account_lookup.h"

#include <gtest/gtest.h>

#include "support/store_probe.h"
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "store/file/account_cache.h"
#include "store/file/users_file.h"
#include "support/users_file_builder.h"
#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "foundation/scramble.h"
#include "core/context.h"
#include "platform/file_system.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::FileOf;
using testing::MakeRecord;
using testing::PasswordOf;
using testing::TempDir;

constexpr int kEncipherPasswords = 187;
constexpr int kSearchAllDomains = 1580;

// Runs `body` in a child process, as another program would.
void InOtherProcess(const std::function<void()>& body) {
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    body();
    _exit(0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Overwrites bytes of a file in place, keeping its size.
void OverwriteInPlace(const std::string& path, long offset, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "r+b");
  ASSERT_NE(file, nullptr);
  std::fseek(file, offset, SEEK_SET);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

// domain.cfg bytes with a DomainType and DomainValue.
std::string DomainRecordFile(uint8_t type, const std::string& value) {
  std::string bytes(1169, '\0');
  auto* data = reinterpret_cast<uint8_t*>(bytes.data());
  data[64] = type;
  PutPString(data + 65, 62, value);
  ScrambleBytes(data, bytes.size(), 0);
  return bytes;
}

UserRecord UserWithFolderDelivery(const std::string& aliases, uint8_t mailbox_mode,
                                  const std::string& folder_text) {
  UserRecord record = MakeRecord(aliases, "pw");
  record[user_offsets::kMailboxMode] = mailbox_mode;
  PutPString(record.data() + user_offsets::kFolderDelivery, 91, folder_text);
  return record;
}

std::string FolderTextOf(const UserRecord& record) {
  return GetPString(record.data() + user_offsets::kFolderDelivery, 91);
}

class AccountStoreTest : public ::testing::Test {
 protected:
  AccountStoreTest() {
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
    SetDomains({"example.org", "other.org", "alias.org"});
  }
  void SetDomains(const std::vector<std::string>& names) {
    dir_.Write("config/domains.cfg", testing::DomainsFileOf(names));
    context_.config.record.SetNumber(offsets::kDomainCount, 4, static_cast<uint32_t>(names.size()));
    context_.domains().Load();
  }
  void PutUsers(const std::string& domain, const std::vector<UserRecord>& records) {
    dir_.Write("config/" + domain + "/users.cfg", FileOf(records));
  }
  std::string UsersPath(const std::string& domain) const {
    return dir_.path() + "config/" + domain + "/users.cfg";
  }
  // Record 0 of the domain's users.cfg as stored, only unscrambled.
  UserRecord RecordOfFile(const std::string& domain) const {
    const std::string bytes = dir_.Read("config/" + domain + "/users.cfg");
    UserRecord record{};
    std::memcpy(record.data(), bytes.data(), std::min(bytes.size(), record.size()));
    ScrambleBytes(record.data(), record.size(), 0);
    return record;
  }
  FoundAccount Find(const std::string& address, bool follow = true) {
    FoundAccount found;
    found_ = FindAccount(context_, address, follow, &found);
    return found;
  }

  TempDir dir_;
  Context context_;
  bool found_ = false;
};

TEST_F(AccountStoreTest, AliasesMatchTrimmedAndWithoutRegardToCase) {
  PutUsers("example.org", {MakeRecord("  John ; Smith"), MakeRecord("mary"), MakeRecord("JOHN")});
  const struct {
    const char* alias;
    int position;
  } cases[] = {
      {"john", 0}, {" SMITH ", 0}, {"Mary", 1}, {"x;MARY", 1}, {"x", -1}, {"", -1}, {";", -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PositionOfAlias(context_, "example.org", c.alias), c.position) << c.alias;
    EXPECT_EQ(PositionOfAlias(context_, "Example.ORG", c.alias), c.position) << c.alias;
  }
  EXPECT_TRUE(AliasAvailable(context_, "example.org", "x;y"));
  EXPECT_FALSE(AliasAvailable(context_, "example.org", "y; smith"));
  EXPECT_EQ(PositionOfAlias(context_, "other.org", "john"), -1) << "no users.cfg";
  EXPECT_TRUE(AliasAvailable(context_, "other.org", "john"));
  EXPECT_EQ(CountAccounts(context_, "example.org"), 3);
}

TEST_F(AccountStoreTest, GroupItemsAreTestedInFileOrderWithGroupsReadAtTheTime) {
  PutUsers("example.org",
           {MakeRecord("alice"), MakeRecord("sales-desk;[sales]"), MakeRecord("bob")});
  dir_.Write("config/groups.dat", "sales\nbob\n");
  EXPECT_EQ(PositionOfAlias(context_, "example.org", "bob"), 1);
  EXPECT_EQ(Find("bob@example.org").position, 1);
  dir_.Write("config/groups.dat", "sales\ncarol\n");
  EXPECT_EQ(PositionOfAlias(context_, "example.org", "bob"), 2);
  EXPECT_EQ(PositionOfAlias(context_, "example.org", "carol"), 1);
  EXPECT_EQ(PositionOfAlias(context_, "example.org", "alice"), 0);
  dir_.Write("config/lists/team.txt", "dave\n");
  dir_.Write("config/groups.dat", "sales\nlists/team.txt\n");
  EXPECT_EQ(PositionOfAlias(context_, "example.org", "dave"), 1) << "member file below ConfigPath";
}

TEST_F(AccountStoreTest, AddressForms) {
  PutUsers("example.org", {MakeRecord("postmaster"), MakeRecord("john;j.smith", "~#1OAj/")});
  PutUsers("other.org", {MakeRecord("john")});
  const struct {
    const char* address;
    bool found;
    const char* domain;
    int position;
  } cases[] = {
      {"john@example.org", true, "example.org", 1},
      {"John Smith <J.Smith@Example.ORG>", true, "example.org", 1},
      {"a <b@other.org> <john@example.org>", true, "example.org", 1},  // the last "<"
      {"<john@other.org", true, "other.org", 0},
      {"  john@other.org  ", true, "other.org", 0},
      {"john", true, "example.org", 1},  // a bare local part is at the primary domain
      {"nobody@example.org", false, "example.org", -1},
      {"john@unknown.org", false, "unknown.org", -1},
      {"@example.org", false, "example.org", -1},
      {"", false, "example.org", -1},
  };
  for (const auto& c : cases) {
    const FoundAccount found = Find(c.address);
    EXPECT_EQ(found_, c.found) << c.address;
    EXPECT_EQ(found.domain, c.domain) << c.address;
    EXPECT_EQ(found.position, c.position) << c.address;
  }
  const FoundAccount john = Find("john@example.org");
  EXPECT_EQ(PasswordOf(john.record), "abc") << "the password comes deciphered";
}

TEST_F(AccountStoreTest, FolderSyntaxNeedsQuotes) {
  PutUsers("example.org", {UserWithFolderDelivery("john", 1, "inbox;1"), MakeRecord("john:work")});
  // The separator outside double quotes does not split the local part.
  FoundAccount found = Find("john:work@example.org");
  EXPECT_TRUE(found_);
  EXPECT_EQ(found.position, 1);

  found = Find("\"john:work\"@example.org");
  EXPECT_TRUE(found_);
  EXPECT_EQ(found.position, 0);
  EXPECT_EQ(FolderTextOf(found.record), "work;!");
  UserRecord stored;
  LoadAccountAt(context_, "example.org", 0, &stored);
  EXPECT_EQ(FolderTextOf(stored), "inbox;1") << "the store keeps its text";

  found = Find("\"john\":a:b@example.org");
  EXPECT_EQ(FolderTextOf(found.record), "a:b;!") << "split at the first separator";
  found = Find("\"john\"@example.org");
  EXPECT_EQ(FolderTextOf(found.record), "inbox;1") << "no folder given";
}

TEST_F(AccountStoreTest, FolderDeliveryOnlyWhereTheAccountAllowsIt) {
  const std::string long_folder(120, 'f');
  const struct {
    UserRecord record;
    std::string folder;
    std::string text;
  } cases[] = {
      {UserWithFolderDelivery("u", 1, "x;1"), "work", "work;!"},
      {UserWithFolderDelivery("u", 2, "x;201"), "work", "work;!"},
      {UserWithFolderDelivery("u", 0, "x;1"), "work", "x;1"},  // POP3 only
      {UserWithFolderDelivery("u", 1, "x;0"), "work", "x;0"},
      {UserWithFolderDelivery("u", 1, "x"), "work", "x"},
      {UserWithFolderDelivery("u", 1, "1;0;1"), "work", "1;0;1"},  // only the second item counts
      {UserWithFolderDelivery("u", 1, "x;1"), long_folder, std::string(91, 'f')},
  };
  for (const auto& c : cases) {
    PutUsers("example.org", {c.record});
    const FoundAccount found = Find("\"u:" + c.folder + "\"@example.org");
    EXPECT_TRUE(found_);
    EXPECT_EQ(FolderTextOf(found.record), c.text) << FolderTextOf(c.record);
  }
  UserRecord list = MakeRecord("u", "", 1);
  list[user_offsets::kMailboxMode] = 1;
  PutPString(list.data() + user_offsets::kFolderDelivery, 91, "x;1");
  PutUsers("example.org", {list});
  EXPECT_EQ(FolderTextOf(Find("\"u:work\"@example.org").record), "x;1") << "not a user account";
}

TEST_F(AccountStoreTest, AliasDomainIsFollowedOnce) {
  PutUsers("example.org", {MakeRecord("john")});
  dir_.Write("config/alias.org/domain.cfg", DomainRecordFile(2, "  example.org "));
  FoundAccount found = Find("John@alias.org");
  EXPECT_TRUE(found_);
  EXPECT_EQ(found.domain, "example.org");
  EXPECT_EQ(found.position, 0);

  found = Find("john@alias.org", /*follow=*/false);
  EXPECT_FALSE(found_);
  EXPECT_EQ(found.domain, "alias.org");
  found = Find("mary@alias.org");
  EXPECT_FALSE(found_);
  EXPECT_EQ(found.domain, "example.org");

  // Two alias domains pointing at each other end after one step.
  dir_.Write("config/other.org/domain.cfg", DomainRecordFile(2, "alias.org"));
  dir_.Write("config/alias.org/domain.cfg", DomainRecordFile(2, "other.org"));
  Find("john@alias.org");
  EXPECT_FALSE(found_);
}

TEST_F(AccountStoreTest, EveryDomainIsSearchedWhenConfigured) {
  PutUsers("other.org", {MakeRecord("x"), MakeRecord("john")});
  dir_.Write("config/example.org/domain.cfg", DomainRecordFile(0, ""));
  Find("john@example.org");
  EXPECT_FALSE(found_);
  context_.config.record.SetByte(kSearchAllDomains, 1);
  const FoundAccount found = Find("john@example.org");
  EXPECT_TRUE(found_);
  EXPECT_EQ(found.domain, "other.org");
  EXPECT_EQ(found.position, 1);
  dir_.Write("config/example.org/domain.cfg", DomainRecordFile(3, ""));
  Find("john@example.org");
  EXPECT_FALSE(found_) << "only from a domain of type 0";
  context_.env().RemoveFile(dir_.path() + "config/example.org/domain.cfg");
  Find("john@example.org");
  EXPECT_FALSE(found_) << "only when the domain record loads";
}

TEST_F(AccountStoreTest, SubdomainsResolveToTheirDomain) {
  PutUsers("example.org", {MakeRecord("john")});
  dir_.Write("config/subdomains.dat", "*.example.org=example.org\n");
  context_.config.derived.subdomains_enabled = true;
  const FoundAccount found = Find("john@mail.Example.org");
  EXPECT_TRUE(found_);
  EXPECT_EQ(found.domain, "example.org");
}

TEST_F(AccountStoreTest, WritesAndRemovalsThroughTheLibrary) {
  int position = -1;
  ASSERT_TRUE(WriteAccountAt(context_, "New.org", MakeRecord("john", "abc"), &position).ok());
  EXPECT_EQ(position, 0);
  EXPECT_EQ(PasswordOf(RecordOfFile("new.org")), "abc") << "variable 205 off: stored plain";
  context_.config.record.SetByte(kEncipherPasswords, 1);
  position = 0;
  ASSERT_TRUE(WriteAccountAt(context_, "new.org", MakeRecord("john", "abc"), &position).ok());
  EXPECT_EQ(PasswordOf(RecordOfFile("new.org")), "~#1OAj/");
  UserRecord loaded;
  EXPECT_EQ(LoadAccountAt(context_, "new.org", 0, &loaded), 1);
  EXPECT_EQ(PasswordOf(loaded), "abc");
  UserRecord removed;
  ASSERT_TRUE(RemoveAccountAt(context_, "new.org", 0, &removed).ok());
  EXPECT_EQ(PasswordOf(removed), "~#1OAj/");
  EXPECT_EQ(CountAccounts(context_, "new.org"), 0);
}

TEST_F(AccountStoreTest, DomainNamesThatLeaveTheConfigurationFolderAreRefused) {
  PutUsers("example.org", {MakeRecord("john")});
  for (const char* name : {"", ".", "..", "../config/example.org", "a/b", "a\\b"}) {
    int position = -1;
    UserRecord record;
    EXPECT_FALSE(WriteAccountAt(context_, name, MakeRecord("x"), &position).ok()) << name;
    EXPECT_EQ(CountAccounts(context_, name), 0) << name;
    EXPECT_EQ(LoadAccountAt(context_, name, 0, &record), 0) << name;
    EXPECT_EQ(PositionOfAlias(context_, name, "john"), -1) << name;
    EXPECT_FALSE(RemoveAccountAt(context_, name, 0, &record).ok()) << name;
  }
  EXPECT_FALSE(dir_.Exists("users.cfg"));
  EXPECT_FALSE(dir_.Exists("config/users.cfg"));
  EXPECT_EQ(CountAccounts(context_, "example.org"), 1);
}

// The account cache must never hand out a record that another program
// replaced, even within the same second and at the same file size.
class AccountCacheFreshnessTest : public AccountStoreTest {
 protected:
  void SetUp() override {
    context_.accounts().SetUpCache();
    ASSERT_TRUE(testing::AccountCacheOf(context_).on());
    PutUsers("example.org", {MakeRecord("john", "old"), MakeRecord("mary", "m")});
    EXPECT_EQ(PasswordOf(Find("john@example.org").record), "old");
    EXPECT_EQ(testing::AccountCacheOf(context_).Size(), 1u);
    EXPECT_EQ(PasswordOf(Find("john@example.org").record), "old") << "served from the cache";
  }
};

TEST_F(AccountCacheFreshnessTest, RewriteByRenameInAnotherProcess) {
  const std::string folder = dir_.path() + "config/example.org/";
  InOtherProcess([&] {
    int position = 0;
    WriteUserAt(context_.env(), folder, MakeRecord("john", "new"), &position, false);
  });
  EXPECT_EQ(PasswordOf(Find("john@example.org").record), "new");
}

TEST_F(AccountCacheFreshnessTest, SameSizeRewriteInPlaceInAnotherProcess) {
  const std::string path = UsersPath("example.org");
  const std::string bytes = FileOf({MakeRecord("john", "NEW")});
  InOtherProcess([&] { OverwriteInPlace(path, 0, bytes); });
  EXPECT_EQ(PasswordOf(Find("john@example.org").record), "NEW");
  // Swapping the two records moves john without changing size or time.
  const std::string swapped = FileOf({MakeRecord("mary", "m"), MakeRecord("john", "NEW")});
  InOtherProcess([&] { OverwriteInPlace(path, 0, swapped); });
  const FoundAccount found = Find("john@example.org");
  EXPECT_EQ(found.position, 1);
  EXPECT_EQ(PositionOfAlias(context_, "example.org", "mary"), 0);
}

TEST_F(AccountCacheFreshnessTest, RemovedFileServesNothing) {
  context_.env().RemoveFile(UsersPath("example.org"));
  Find("john@example.org");
  EXPECT_FALSE(found_);
}

TEST(AccountCacheSetUpTest, OffWhenVariable420IsOn) {
  Context context;
  context.config.record.SetByte(offsets::kCachesOff, 1);
  context.accounts().SetUpCache();
  EXPECT_FALSE(testing::AccountCacheOf(context).on());
}

}  // namespace
}  // namespace tarvelin
