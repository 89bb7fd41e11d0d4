// db.so's accounts through its exports: positions as users.cfg keeps them,
// and lookups that agree with a plain scan of the records.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "backend/db_exports_fixture.h"
#include "foundation/list_match.h"

namespace tarvelin::testing {
namespace {

using DbAccountsTest = DbExportsTest;

std::string AliasesOf(const UserRecord& record) { return AliasListOf(record); }

std::vector<std::string> AliasesOf(const std::vector<UserRecord>& records) {
  std::vector<std::string> aliases;
  for (const UserRecord& record : records) aliases.push_back(AliasListOf(record));
  return aliases;
}

TEST_P(DbAccountsTest, KeepPositionsLikeTheFileStore) {
  AddDomain("d.example");
  EXPECT_EQ(Save("d.example", MakeRecord(AccountFields().aliases("a"))), 0);
  EXPECT_EQ(Save("d.example", MakeRecord(AccountFields().aliases("b"))), 1);
  EXPECT_EQ(Save("d.example", MakeRecord(AccountFields().aliases("c")), 2), 2) << "the count appends";
  EXPECT_EQ(Save("d.example", MakeRecord(AccountFields().aliases("d"))), 3);
  EXPECT_EQ(Save("d.example", MakeRecord(AccountFields().aliases("B2")), 1), 1) << "replaces";
  EXPECT_EQ(AliasesOf(Scan("d.example")), (std::vector<std::string>{"a", "B2", "c", "d"}));

  // Refused writes, each with its reason; nothing changes.
  const struct {
    UserRecord record;
    int32_t position;
    std::string domain;
    std::string error;
  } refused[] = {
      {MakeRecord(AccountFields().aliases("e")), 5, "d.example",
       "position 5 is past the end of domain 'd.example' (4 accounts)"},
      {MakeRecord(AccountFields().aliases("e")), -2, "d.example",
       "position -2 is past the end of domain 'd.example' (4 accounts)"},
      {MakeRecord(AccountFields().aliases(" ; ")), -1, "d.example",
       "an account needs at least one alias"},
      {MakeRecord(AccountFields().aliases("e")), -1, "none.example",
       "no domain 'none.example' in the database"},
  };
  for (const auto& c : refused) {
    int32_t position = c.position;
    EXPECT_EQ(db_.DBSaveUsers(DbText(c.domain).in(), c.record.data(), &position), 0);
    EXPECT_EQ(db_.LastError(), c.error);
    EXPECT_EQ(position, c.position);
  }
  EXPECT_EQ(Count("d.example"), 4);

  // DBGetUsers: the count, the record at a position, the buffer untouched
  // past the end.
  UserRecord record{};
  record.fill(0x77);
  EXPECT_EQ(db_.DBGetUsers(DbText("D.Example").in(), record.data(), 2), 4);
  EXPECT_EQ(record, MakeRecord(AccountFields().aliases("c")));
  record.fill(0x77);
  EXPECT_EQ(db_.DBGetUsersReal(DbText("d.example").in(), record.data(), 4), 4);
  EXPECT_EQ(record[0], 0x77);
  EXPECT_EQ(db_.DBGetUsers(DbText("none.example").in(), record.data(), 0), 0);

  // DBDeleteUsers removes from the domain of the thread's last DBGetUsers;
  // the later accounts move down one.
  EXPECT_EQ(Count("d.example"), 4);
  ASSERT_EQ(db_.DBDeleteUsers(1), 1) << db_.LastError();
  EXPECT_EQ(AliasesOf(Scan("d.example")), (std::vector<std::string>{"a", "c", "d"}));
  EXPECT_EQ(Count("d.example"), 3);
  EXPECT_EQ(db_.DBDeleteUsers(3), 0);
  EXPECT_EQ(db_.LastError(), "no account at position 3 of domain 'd.example'");
  ASSERT_EQ(db_.DBDeleteUsers(0), 1);
  EXPECT_EQ(AliasesOf(Scan("d.example")), (std::vector<std::string>{"c", "d"}));
  EXPECT_EQ(Save("d.example", MakeRecord(AccountFields().aliases("e"))), 2)
      << "appends after the shift";
  EXPECT_EQ(db_.DBGetUsersIndex(DbText("d.example").in(), DbText("e").in()), 2);
}

TEST_P(DbAccountsTest, DeleteNeedsAGetUsersOnTheSameThread) {
  AddDomain("d.example");
  ASSERT_EQ(Save("d.example", MakeRecord(AccountFields().aliases("a"))), 0);
  std::string error;
  std::thread([&] {
    EXPECT_EQ(db_.DBDeleteUsers(0), 0);
    error = db_.LastError();
  }).join();
  EXPECT_EQ(error, "no DBGetUsers call on this thread names the domain to remove from");
  EXPECT_EQ(db_.LastError(), "") << "the last error is the thread's own";
  EXPECT_EQ(Count("d.example"), 1);
}

// The lookups (alias position, alias availability, local part) answer
// what a scan of the records with ListMatch answers, also after
// replacements and removals changed the aliases.
TEST_P(DbAccountsTest, LookupsAgreeWithAScan) {
  AddDomain("d.example");
  AddDomain("e.example");
  const char* lists[] = {"Ann; anna ;A.Smith",  "bob",        "  Carl;carlos", "dave;ann",
                         "o'brien;back\\slash", "semi;colon", "x\xE4y",        "eve;EVE"};
  for (const char* list : lists)
    ASSERT_GE(Save("d.example", MakeRecord(AccountFields().aliases(list))), 0);
  ASSERT_EQ(Save("e.example", MakeRecord(AccountFields().aliases("zed"))), 0);
  ASSERT_EQ(Save("d.example", MakeRecord(AccountFields().aliases("bobby")), 1), 1);  // bob is gone
  ASSERT_EQ(Count("d.example"), 8);
  ASSERT_EQ(db_.DBDeleteUsers(2), 1);  // carl, carlos are gone

  const char* probes[] = {"ann",    "ANNA",    " a.smith ",   "bob",    "bobby",  "carl",   "dave",
                          "eve",    "o'brien", "BACK\\SLASH", "colon",  "x\xE4y", "X\xC4Y", "zed",
                          "nobody", "",        "ann;zz",      "zz;semi"};
  const std::vector<UserRecord> records = Scan("d.example");
  for (const char* probe : probes) {
    int32_t expected = -1;
    for (size_t i = 0; i < records.size() && expected < 0; ++i) {
      if (ListMatch(probe, AliasListOf(records[i]))) expected = static_cast<int32_t>(i);
    }
    EXPECT_EQ(db_.DBGetUsersIndex(DbText("d.example").in(), DbText(probe).in()), expected) << probe;
    EXPECT_EQ(db_.DBCheckNewAlias(DbText("d.example").in(), DbText(probe).in()) != 0, expected < 0)
        << probe;
    UserRecord found{};
    const std::string address = std::string(probe) + "@D.example";
    EXPECT_EQ(db_.DBGetLocalUser(DbText(address).in(), found.data()) != 0, expected >= 0) << probe;
    if (expected >= 0) {
      EXPECT_EQ(found, records[static_cast<size_t>(expected)]) << probe;
    } else {
      EXPECT_EQ(db_.LastError().rfind("no account '", 0), 0u) << db_.LastError();
    }
  }
  EXPECT_EQ(db_.DBCheckNewAlias(DbText("e.example").in(), DbText("ann").in()), 1);
  EXPECT_EQ(db_.DBCheckNewAlias(DbText("none.example").in(), DbText("ann").in()), 1);
  UserRecord found{};
  EXPECT_EQ(db_.DBGetLocalUser(DbText("zed").in(), found.data()), 0);
  EXPECT_EQ(db_.LastError(), "'zed' is not local@domain");
}

TEST_P(DbAccountsTest, FindsTheFirstAccountWhoseNameHoldsAText) {
  AddDomain("one.example");
  AddDomain("two.example");
  ASSERT_EQ(
      Save("two.example", MakeRecord(AccountFields().aliases("a").full_name("Ann O'Neil;note"))), 0);
  ASSERT_EQ(Save("one.example",
                 MakeRecord(AccountFields().aliases("b").full_name("Bob \"B\" Back\\slash"))),
            0);
  ASSERT_EQ(Save("one.example", MakeRecord(AccountFields().aliases("c").full_name("Carl O'Neil"))),
            1);
  const struct {
    std::string text;
    std::string domain;  // empty: none found
    std::string alias;
  } cases[] = {
      {"O'Neil", "one.example", "c"},  // domains in list order first
      {";note", "two.example", "a"},
      {"\"B\" Back\\", "one.example", "b"},
      {"o'neil", "", ""},  // bytes compared as they are
      {"%", "", ""},
  };
  for (const auto& c : cases) {
    UserRecord record{};
    DbText domain;
    const uint8_t found = db_.DBFindUserString(DbText(c.text).in(), record.data(), domain.out());
    EXPECT_EQ(found != 0, !c.domain.empty()) << c.text;
    if (found != 0) {
      EXPECT_EQ(domain.str(), c.domain) << c.text;
      EXPECT_EQ(AliasesOf(record), c.alias) << c.text;
    } else {
      EXPECT_EQ(db_.LastError(), "no account's name holds '" + c.text + "'");
    }
  }
}

// DBCheckForMailbox mirrors the file store's check: a user account with
// the mailbox name (any case) and exactly the password, in another domain
// or with aliases that do not match; with binding, only the domains bound
// to the same addresses count.
TEST_P(DbAccountsTest, MailboxConflicts) {
  for (const char* domain : {"a.example", "b.example", "c.example"}) AddDomain(domain);
  db_.DBSetDomainIP(DbText("a.example").in(), DbText("10.0.0.1").in());
  db_.DBSetDomainIP(DbText("b.example").in(), DbText("10.0.0.2").in());
  ASSERT_EQ(
      Save("a.example", MakeRecord(AccountFields().aliases("ann").mailbox("Ann").password("pw"))), 0);
  ASSERT_EQ(
      Save("a.example",
           MakeRecord(AccountFields().type(4).aliases("route").mailbox("route").password("pw"))),
      1);
  ASSERT_EQ(
      Save("b.example", MakeRecord(AccountFields().aliases("bob").mailbox("bob").password("pw"))), 0);
  const struct {
    const char* mailbox;
    const char* password;
    const char* aliases;
    const char* domain;
    bool binding;
    bool conflict;
  } cases[] = {
      {"ann", "pw", "ann", "a.example", false, false},     // the account itself
      {"ANN", "pw", "x;Ann ", "a.example", false, false},  // aliases that match
      {"ann", "pw", "other", "a.example", false, true},    // same domain, other aliases
      {"ann", "pw", "ann", "c.example", false, true},      // another domain
      {"ann", "PW", "ann", "c.example", false, false},     // the password differs
      {"ann", "pw", "ann", "none.example", false, true},   // an unknown domain is another
      {"route", "pw", "x", "c.example", false, false},     // not a user account
      {"bob", "pw", "bob", "a.example", true, false},      // bound elsewhere
      {"bob", "pw", "bob", "a.example", false, true},
      {"ann", "pw", "ann", "c.example", true, true},  // c is bound to nothing: all count
  };
  for (const auto& c : cases) {
    EXPECT_EQ(db_.DBCheckForMailbox(DbText(c.mailbox).in(), DbText(c.password).in(),
                                    DbText(c.aliases).in(), DbText(c.domain).in(), c.binding) != 0,
              c.conflict)
        << c.mailbox << " " << c.aliases << " " << c.domain << " " << c.binding;
    EXPECT_EQ(db_.LastError(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Engines, DbAccountsTest, ::testing::ValuesIn(ConnectionFactories()),
                         FactoryName);

}  // namespace
}  // namespace tarvelin::testing
