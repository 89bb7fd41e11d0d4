// db.so's domain list through its exports: order, records, binding flags,
// renames and removals that take the accounts along.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backend/db_exports_fixture.h"

namespace tarvelin::testing {
namespace {

using DbDomainsTest = DbExportsTest;

struct Entry {
  std::string name;
  uint8_t flag;
  bool operator==(const Entry&) const = default;
};

void PrintTo(const Entry& entry, std::ostream* out) {
  *out << "{" << entry.name << ", " << int{entry.flag} << "}";
}

std::vector<Entry> Entries(DbLibrary& db) {
  const int32_t count = db.DBGetDomainCount();
  std::vector<uint8_t> table(static_cast<size_t>(count) * 96, 0xEE);
  EXPECT_EQ(db.DBGetDomains(table.data(), count), 1) << db.LastError();
  std::vector<Entry> entries;
  for (int32_t i = 0; i < count; ++i) {
    const uint8_t* entry = table.data() + i * 96;
    entries.push_back({std::string(reinterpret_cast<const char*>(entry + 1), entry[0]), entry[95]});
  }
  return entries;
}

TEST_P(DbDomainsTest, KeepTheirListOrderAndBindingFlags) {
  EXPECT_EQ(db_.DBGetDomainCount(), 0);
  for (const char* name : {"zeta.example", "Alpha.Example", "mid.example", "zeta.example"}) {
    AddDomain(name);
  }
  EXPECT_EQ(Entries(db_),
            (std::vector<Entry>{{"zeta.example", 0}, {"alpha.example", 0}, {"mid.example", 0}}));

  db_.DBSetDomainIP(DbText("ALPHA.example").in(), DbText("10.0.0.1;10.0.0.2").in());
  EXPECT_EQ(db_.LastError(), "");
  EXPECT_EQ(Entries(db_)[1], (Entry{"alpha.example", 1}));
  db_.DBSetDomainIP(DbText("alpha.example").in(), DbText("").in());
  EXPECT_EQ(Entries(db_)[1], (Entry{"alpha.example", 0}));

  // A name of 95 characters fills its entry: no room for the flag.
  const std::string longest = std::string(87, 'x') + ".example";
  AddDomain(longest);
  db_.DBSetDomainIP(DbText(longest).in(), DbText("10.0.0.3").in());
  EXPECT_EQ(Entries(db_).back(), (Entry{longest, 'e'}));

  // Fewer entries asked for than there are: only those are written.
  std::vector<uint8_t> two(3 * 96, 0xEE);
  ASSERT_EQ(db_.DBGetDomains(two.data(), 2), 1);
  EXPECT_EQ(two[2 * 96], 0xEE);
}

TEST_P(DbDomainsTest, RefuseNamesTheEntryCannotHold) {
  const struct {
    std::string name;
    std::string error;
  } cases[] = {
      {"", "a domain name must not be empty"},
      {"   ", "a domain name must not be empty"},
      {std::string(96, 'y'),
       "domain name '" + std::string(96, 'y') + "' is longer than 95 characters"},
  };
  for (const auto& c : cases) {
    db_.DBAddDomain(DbText(c.name).in());
    EXPECT_EQ(db_.LastError(), c.error);
  }
  EXPECT_EQ(db_.DBGetDomainCount(), 0);
}

TEST_P(DbDomainsTest, RecordsComeBackByteForByte) {
  AddDomain("mail.example");
  std::vector<uint8_t> record(1169, 0x55);
  EXPECT_EQ(db_.DBGetDomain(DbText("mail.example").in(), record.data()), 0);
  EXPECT_EQ(db_.LastError(), "domain 'mail.example' has no record saved");
  EXPECT_EQ(record, std::vector<uint8_t>(1169, 0x55)) << "a failed read leaves the buffer";

  for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i * 31 + 7);
  record[10] = 0;  // NUL bytes travel too
  ASSERT_EQ(db_.DBSetDomain(DbText("MAIL.example").in(), record.data()), 1) << db_.LastError();
  std::vector<uint8_t> back(1169, 0);
  ASSERT_EQ(db_.DBGetDomain(DbText("mail.example").in(), back.data()), 1);
  EXPECT_EQ(back, record);

  EXPECT_EQ(db_.DBSetDomain(DbText("other.example").in(), record.data()), 0);
  EXPECT_EQ(db_.LastError(), "no domain 'other.example' in the database");
  EXPECT_EQ(db_.DBGetDomain(DbText("other.example").in(), back.data()), 0);
  EXPECT_EQ(db_.LastError(), "no domain 'other.example' in the database");
}

TEST_P(DbDomainsTest, RenameTakesRecordBindingAndAccountsAlong) {
  AddDomain("old.example");
  AddDomain("taken.example");
  std::vector<uint8_t> record(1169, 3);
  ASSERT_EQ(db_.DBSetDomain(DbText("old.example").in(), record.data()), 1);
  db_.DBSetDomainIP(DbText("old.example").in(), DbText("10.1.1.1").in());
  ASSERT_EQ(Save("old.example", MakeRecord(AccountFields().aliases("ann").mailbox("ann"))), 0);
  ASSERT_EQ(Save("old.example", MakeRecord(AccountFields().aliases("bob").mailbox("bob"))), 1);

  EXPECT_EQ(db_.DBRenameDomain(DbText("old.example").in(), DbText("taken.example").in()), 0);
  EXPECT_EQ(db_.LastError(), "domain 'taken.example' exists already");
  EXPECT_EQ(db_.DBRenameDomain(DbText("none.example").in(), DbText("x.example").in()), 0);
  EXPECT_EQ(db_.LastError(), "no domain 'none.example' in the database");

  ASSERT_EQ(db_.DBRenameDomain(DbText("old.example").in(), DbText("New.Example").in()), 1)
      << db_.LastError();
  EXPECT_EQ(Entries(db_), (std::vector<Entry>{{"new.example", 1}, {"taken.example", 0}}));
  EXPECT_EQ(Count("old.example"), 0);
  EXPECT_EQ(Count("new.example"), 2);
  EXPECT_EQ(db_.DBGetUsersIndex(DbText("new.example").in(), DbText("bob").in()), 1);
  std::vector<uint8_t> back(1169, 0);
  ASSERT_EQ(db_.DBGetDomain(DbText("new.example").in(), back.data()), 1);
  EXPECT_EQ(back, record);
  // Renaming to the same name in another case is no conflict.
  EXPECT_EQ(db_.DBRenameDomain(DbText("new.example").in(), DbText("NEW.example").in()), 1)
      << db_.LastError();
}

TEST_P(DbDomainsTest, DeleteTakesTheAccountsAlong) {
  AddDomain("gone.example");
  AddDomain("kept.example");
  ASSERT_EQ(Save("gone.example", MakeRecord(AccountFields().aliases("ann").mailbox("ann"))), 0);
  ASSERT_EQ(Save("kept.example", MakeRecord(AccountFields().aliases("ann").mailbox("ann"))), 0);
  db_.DBDeleteDomain(DbText("Gone.Example").in());
  EXPECT_EQ(db_.LastError(), "");
  EXPECT_EQ(Entries(db_), (std::vector<Entry>{{"kept.example", 0}}));
  // A domain of the same name later starts empty.
  AddDomain("gone.example");
  EXPECT_EQ(Count("gone.example"), 0);
  EXPECT_EQ(db_.DBGetUsersIndex(DbText("gone.example").in(), DbText("ann").in()), -1);
  EXPECT_EQ(Count("kept.example"), 1);
  db_.DBDeleteDomain(DbText("never.example").in());
  EXPECT_EQ(db_.LastError(), "no domain 'never.example' in the database");
}

// Names are data: quotes, ";", "\\" and bytes that are not UTF-8 reach
// the database and come back as they went in (lower-cased).
TEST_P(DbDomainsTest, NamesWithSqlCharactersAreData) {
  const std::string names[] = {"o'neil.example", "semi;colon.example", "back\\slash.example",
                               "quote\".example", "x\xE4y.example"};
  for (const std::string& name : names) AddDomain(name);
  std::vector<Entry> expected;
  for (const std::string& name : names) expected.push_back({name, 0});
  EXPECT_EQ(Entries(db_), expected);
  for (const std::string& name : names) {
    ASSERT_EQ(Save(name, MakeRecord(AccountFields().aliases("it's;a\\b"))), 0) << name;
    UserRecord record{};
    EXPECT_EQ(db_.DBGetLocalUser(DbText("a\\b@" + name).in(), record.data()), 1) << name;
  }
  ASSERT_EQ(db_.DBRenameDomain(DbText("o'neil.example").in(), DbText("o''neil.example").in()), 1);
  EXPECT_EQ(Count("o''neil.example"), 1);
  db_.DBDeleteDomain(DbText("semi;colon.example").in());
  EXPECT_EQ(db_.DBGetDomainCount(), 4);
  EXPECT_EQ(Count("back\\slash.example"), 1);
}

INSTANTIATE_TEST_SUITE_P(Engines, DbDomainsTest, ::testing::ValuesIn(ConnectionFactories()),
                         FactoryName);

}  // namespace
}  // namespace tarvelin::testing
