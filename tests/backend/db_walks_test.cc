// db.so's walks over a domain's accounts and its login search, through the
// exports, on the caller's UserEnumState.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "backend/db_exports_fixture.h"

namespace tarvelin::testing {
namespace {

using DbWalksTest = DbExportsTest;
using State = std::array<uint8_t, 3552>;

constexpr int kIndex = 3184;
constexpr int kCount = 3188;
constexpr int kDomain = 3196;
constexpr int kQuery = 3293;

State NewState(const std::string& query) {
  State state{};
  PutPString(state.data() + kQuery, 255, query);
  return state;
}

int32_t Int32At(const State& state, int offset) {
  int32_t value;
  std::memcpy(&value, state.data() + offset, 4);
  return value;
}

struct Delivered {
  std::string aliases;
  int32_t index;
  bool operator==(const Delivered&) const = default;
};

void PrintTo(const Delivered& d, std::ostream* out) { *out << d.aliases << "@" << d.index; }

// Walks to the end; the accounts delivered.
std::vector<Delivered> Walk(DbLibrary& db, const std::string& domain, const std::string& query,
                            int32_t count = -1, int32_t skip = 0) {
  State state = NewState(query);
  std::vector<Delivered> delivered;
  EXPECT_EQ(db.DBInitUsers(DbText(domain).in(), state.data(), count, skip), 1) << db.LastError();
  EXPECT_EQ(Int32At(state, kIndex), -1);
  while (db.DBNextUser(state.data()) == 0) {
    UserRecord record;
    std::memcpy(record.data(), state.data(), record.size());
    delivered.push_back({AliasListOf(record), Int32At(state, kIndex)});
  }
  EXPECT_EQ(db.LastError(), "");
  db.DBDoneUsers(state.data());
  return delivered;
}

TEST_P(DbWalksTest, DeliverTheAccountsTheQueryAccepts) {
  AddDomain("w.example");
  ASSERT_EQ(Save("w.example", MakeRecord(AccountFields().aliases("ann").full_name("Ann"))), 0);
  ASSERT_EQ(Save("w.example", MakeRecord(AccountFields().type(1).aliases("list").full_name("List"))),
            1);
  ASSERT_EQ(Save("w.example", MakeRecord(AccountFields().aliases("bob").full_name("Bob"))), 2);
  ASSERT_EQ(Save("w.example", MakeRecord(AccountFields().aliases("abe").full_name("Abe"))), 3);
  const struct {
    std::string query;
    int32_t count, skip;
    std::vector<Delivered> expected;
  } cases[] = {
      {"", -1, 0, {{"ann", 0}, {"list", 1}, {"bob", 2}, {"abe", 3}}},
      {"U_Type = 0", -1, 0, {{"ann", 0}, {"bob", 2}, {"abe", 3}}},
      {"U_Type = 1", -1, 0, {{"list", 1}}},
      {"U_Name like 'a%'", -1, 0, {{"ann", 0}, {"abe", 3}}},
      {"U_Type = 0", 2, 0, {{"ann", 0}, {"bob", 2}}},
      {"U_Type = 0", -1, 2, {{"bob", 2}, {"abe", 3}}},
      {"", 0, 0, {}},
      {"", -1, 9, {}},
      {"U_Nothing = 1", -1, 0, {}},  // a query that cannot hold holds for none
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Walk(db_, "w.example", c.query, c.count, c.skip), c.expected)
        << c.query << " count " << c.count << " skip " << c.skip;
  }
  State state = NewState("");
  ASSERT_EQ(db_.DBInitUsers(DbText("W.Example").in(), state.data(), -1, 0), 1);
  EXPECT_EQ(Int32At(state, kCount), 4);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(state.data() + kDomain + 1), state[kDomain]),
            "w.example");
  db_.DBDoneUsers(state.data());
}

TEST_P(DbWalksTest, RefuseUnknownDomainsAndStatesNeverStarted) {
  State state = NewState("");
  EXPECT_EQ(db_.DBInitUsers(DbText("none.example").in(), state.data(), -1, 0), 0);
  EXPECT_EQ(db_.LastError(), "no domain 'none.example' in the database");
  // A state that holds a stray pointer where the cursor would be: the
  // library neither follows nor frees it.
  std::memset(state.data() + 2852, 0x41, 8);
  EXPECT_NE(db_.DBNextUser(state.data()), 0);
  EXPECT_EQ(db_.LastError(), "the walk has not been started");
  db_.DBDoneUsers(state.data());
  EXPECT_EQ(db_.LastError(), "");
}

// A walk reads a page at a time: every account once, in order, across the
// page boundaries, and two walks of one domain run side by side.
TEST_P(DbWalksTest, CrossPagesInOrder) {
  AddDomain("big.example");
  constexpr int kAccounts = 600;
  for (int i = 0; i < kAccounts; ++i) {
    ASSERT_EQ(Save("big.example", MakeRecord(AccountFields().aliases("u" + std::to_string(i)))), i);
  }
  State first = NewState("");
  State second = NewState("");
  ASSERT_EQ(db_.DBInitUsers(DbText("big.example").in(), first.data(), -1, 0), 1);
  ASSERT_EQ(db_.DBInitUsers(DbText("big.example").in(), second.data(), -1, 300), 1);
  for (int i = 0; i < kAccounts; ++i) {
    ASSERT_EQ(db_.DBNextUser(first.data()), 0) << i;
    ASSERT_EQ(Int32At(first, kIndex), i);
    if (i < 300) {
      ASSERT_EQ(db_.DBNextUser(second.data()), 0) << i;
      ASSERT_EQ(Int32At(second, kIndex), 300 + i);
    }
  }
  EXPECT_NE(db_.DBNextUser(first.data()), 0);
  EXPECT_NE(db_.DBNextUser(second.data()), 0);
  db_.DBDoneUsers(first.data());
  db_.DBDoneUsers(second.data());
}

// Removals while a walk runs: behind it they move the accounts ahead one
// down, and the walk still delivers each of them once; ahead of it the
// removed account is not delivered.
TEST_P(DbWalksTest, SkipNobodyWhenAccountsAreRemovedMeanwhile) {
  AddDomain("busy.example");
  constexpr int kAccounts = 600;
  for (int i = 0; i < kAccounts; ++i) {
    ASSERT_EQ(Save("busy.example", MakeRecord(AccountFields().aliases("u" + std::to_string(i)))), i);
  }
  State state = NewState("");
  ASSERT_EQ(db_.DBInitUsers(DbText("busy.example").in(), state.data(), -1, 0), 1);
  std::vector<std::string> delivered;
  auto next = [&] {
    if (db_.DBNextUser(state.data()) != 0) return false;
    UserRecord record;
    std::memcpy(record.data(), state.data(), record.size());
    delivered.push_back(AliasListOf(record));
    return true;
  };
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(next());
  auto remove = [&](const std::string& alias) {
    const int32_t at = db_.DBGetUsersIndex(DbText("busy.example").in(), DbText(alias).in());
    ASSERT_GE(Count("busy.example"), 0);
    ASSERT_EQ(db_.DBDeleteUsers(at), 1) << alias;
  };
  remove("u10");
  remove("u20");
  remove("u400");
  while (next()) {
  }
  db_.DBDoneUsers(state.data());
  std::vector<std::string> expected;
  for (int i = 0; i < kAccounts; ++i) {
    if (i != 400) expected.push_back("u" + std::to_string(i));
  }
  EXPECT_EQ(delivered, expected);
}

struct Candidate {
  std::string domain;
  int32_t index;
  std::string aliases;
  bool operator==(const Candidate&) const = default;
};

void PrintTo(const Candidate& c, std::ostream* out) {
  *out << c.aliases << "@" << c.domain << "#" << c.index;
}

std::vector<Candidate> Search(DbLibrary& db, const std::string& login, bool alias_login) {
  void* handle = db.DBAuthenticateUser(DbText(login).in(), alias_login);
  std::vector<Candidate> found;
  if (handle == nullptr) return found;
  UserRecord record{};
  DbText domain;
  int32_t index = -1;
  for (uint8_t more = 0; db.DBAuthenticateNext(handle, more, record.data(), domain.out(), &index);
       more = 1) {
    found.push_back({domain.str(), index, AliasListOf(record)});
  }
  db.DBAuthenticateDone(handle, 0, -1, nullptr, nullptr);
  return found;
}

TEST_P(DbWalksTest, LoginSearchNamesTheCandidates) {
  for (const char* domain : {"b.example", "a.example"}) AddDomain(domain);
  ASSERT_EQ(Save("a.example", MakeRecord(AccountFields().aliases("x").mailbox("Ann"))), 0);
  ASSERT_EQ(Save("a.example", MakeRecord(AccountFields().aliases("ann;anna").mailbox("other"))), 1);
  ASSERT_EQ(Save("b.example", MakeRecord(AccountFields().aliases("y").mailbox("ann"))), 0);
  ASSERT_EQ(Save("b.example", MakeRecord(AccountFields().type(4).aliases("ann").mailbox("ann"))), 1);
  ASSERT_EQ(Save("b.example", MakeRecord(AccountFields().aliases("ANN").mailbox("z"))), 2);
  const struct {
    std::string login;
    bool alias_login;
    std::vector<Candidate> expected;
  } cases[] = {
      // By mailbox: user accounts of every domain, in list order.
      {" ANN ", false, {{"b.example", 0, "y"}, {"a.example", 0, "x"}}},
      {"ann@a.example", false, {}},
      {"nobody", false, {}},
      {"", false, {}},
      // By alias: the login's domain, or the first of the list; any type.
      {"ann@a.example", true, {{"a.example", 1, "ann;anna"}}},
      {"ann", true, {{"b.example", 1, "ann"}, {"b.example", 2, "ANN"}}},
      {"ann@none.example", true, {}},
      {"@a.example", true, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Search(db_, c.login, c.alias_login), c.expected) << c.login << " " << c.alias_login;
    EXPECT_EQ(db_.LastError(), "");
  }

  // Next with `more` clear starts over; a freed or stray handle is refused.
  void* handle = db_.DBAuthenticateUser(DbText("ann").in(), 0);
  ASSERT_NE(handle, nullptr);
  UserRecord record{};
  DbText domain;
  int32_t index = -1;
  ASSERT_EQ(db_.DBAuthenticateNext(handle, 0, record.data(), domain.out(), &index), 1);
  ASSERT_EQ(db_.DBAuthenticateNext(handle, 1, record.data(), domain.out(), &index), 1);
  EXPECT_EQ(domain.str(), "a.example");
  ASSERT_EQ(db_.DBAuthenticateNext(handle, 0, record.data(), domain.out(), &index), 1);
  EXPECT_EQ(domain.str(), "b.example");
  db_.DBAuthenticateDone(handle, 1, index, record.data(), domain.in());
  EXPECT_EQ(db_.DBAuthenticateNext(handle, 1, record.data(), domain.out(), &index), 0);
  EXPECT_EQ(db_.LastError(), "not a login search of this library");
  int stray = 0;
  EXPECT_EQ(db_.DBAuthenticateNext(&stray, 0, record.data(), domain.out(), &index), 0);
  db_.DBAuthenticateDone(&stray, 0, 0, nullptr, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Engines, DbWalksTest, ::testing::ValuesIn(ConnectionFactories()),
                         FactoryName);

}  // namespace
}  // namespace tarvelin::testing
