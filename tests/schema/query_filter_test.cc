#include "schema/query_filter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "schema/user_settings.h"
#include "support/users_file_builder.h"
#include "schema/property_table.h"
#include "core/context.h"
#include "support/property_file.h"

namespace tarvelin {
namespace {

using testing::MakeRecord;

constexpr int32_t kName = 2;
constexpr int32_t kLimitValue = 40;

class QueryFilterTest : public ::testing::Test {
 protected:
  QueryFilterTest() : table_(PropertyTable::FromText(testing::ShippedPropertyFile())) {
    context_.api.initialised = true;
  }

  UserRecord Record(const std::string& aliases, uint8_t type, const std::string& name = "",
                    uint32_t limit = 0) {
    UserRecord record = MakeRecord(aliases, "Secret", type);
    SetUserSetting(record.data(), kName, name.data(), static_cast<int32_t>(name.size()));
    SetUserSetting(record.data(), kLimitValue, &limit, 4);
    return record;
  }

  // Whether the query holds for the record; both ways must agree.
  bool Holds(const std::string& query, const UserRecord& record) {
    const QueryFilter filter(context_.config.record, table_, query);
    const bool reparsed = filter.AcceptsByReparsing(record.data());
    EXPECT_EQ(filter.Accepts(record.data()), reparsed) << query;
    return reparsed;
  }

  Context context_;
  PropertyTable table_;
};

TEST_F(QueryFilterTest, ConditionsOnTheRecord) {
  const UserRecord john = Record("john", 0, "John Smith", 9);
  const UserRecord news = Record("news", 1, "News");
  const struct {
    std::string query;
    bool john;
    bool news;
  } cases[] = {
      {"", true, true},
      {"U_Type = 0", true, false},
      {"U_Type=0", true, false},
      {"U_Type = 1", false, true},
      {"U_Type <> 0", false, true},
      {"u_type = '0'", true, false},
      {"U_Name = 'john smith'", true, false},  // the query and text values are lower-case
      {"U_Name = 'John Smith'", true, false},
      {"U_Name like 'j%'", true, false},
      {"U_Name like 'J%'", true, false},
      {"U_Name like 'j_hn%'", true, false},
      {"U_Name like '%s%'", true, true},
      {"(U_Name like 'j%') or (U_Type = 1)", true, true},
      {"U_Name like 'j%' or U_Type = 1", true, false},  // (... or '1') = 1: OR on a text
      {"not (U_Name like 'n%')", true, false},
      {"U_LimitMailboxSizeValue > 10", true, false},  // '9' > '10' as texts
      {"integer(U_LimitMailboxSizeValue) > 10", false, false},
      {"U_LimitMailboxSizeValue = 9", true, false},
      {"length(U_Alias ) = 4", true, true},
      {"length(U_Alias) = 4", false, false},   // the name runs to the space: "u_alias)"
      {"U_Password = 'secret'", true, false},  // a list has no password
      {"U_Nothing = 0", false, false},         // a property apiconst.pas does not name
      {"U_Type = ", false, false},
      {"U_Type = 0 and", false, false},
      {"1", true, true},
      {"0", false, false},
      {"'2'", true, true},
      {"'x'", false, false},
      {"U_Alias", false, false},                    // no space or "=" after the name: not a term
      {"u_type = 0 or 1 div 0 = 1", false, false},  // evaluation errors reject
      {"u_type = 1 or 1 div 0 = 1", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Holds(c.query, john), c.john) << c.query;
    EXPECT_EQ(Holds(c.query, news), c.news) << c.query;
  }
}

TEST_F(QueryFilterTest, ValuesAreNotScannedAgainAndKeepTheirQuotes) {
  const UserRecord tricky = Record("tricky", 0, "O'Brien u_type = 5");
  EXPECT_TRUE(Holds("length(U_Name ) = 18", tricky));
  EXPECT_TRUE(Holds("U_Name > 'o'", tricky));
  EXPECT_TRUE(Holds("U_Name like 'o??brien%'", tricky)) << "the value's quote is doubled for like";
  EXPECT_FALSE(Holds("U_Name like 'o?brien%'", tricky));
  EXPECT_FALSE(Holds("U_Name like 'o''b%'", tricky)) << "a pattern ends at the next quote";
  EXPECT_TRUE(Holds("pos('''', U_Name ) = 2", tricky));
  EXPECT_FALSE(Holds("U_Name like 'o'b%'", tricky));
  EXPECT_FALSE(Holds("U_Name = 'o''brien u_type = 5'", tricky)) << "names in literals are terms";
}

TEST_F(QueryFilterTest, CheckQueryTellsMistakesBeforeAnyRecord) {
  const struct {
    const char* query;
    const char* error;  // after "is not a condition: "; empty: a good query
  } cases[] = {
      {"", ""},
      {"U_Type = 0", ""},
      {"(U_Type = 1) and (U_Alias like 'a%')", ""},
      // AND binds before "=", as in the language the query is written in.
      {"U_Type = 1 and U_Alias like 'a%'", "Operator AND incompatible with boolean"},
      {"(U_Type = 0) or (U_Alias <> 'x')", ""},
      {"U_Type = 0 or U_Type = 1", "Operator OR incompatible with string"},
      {"U_Type != 0", "! not appropriate"},
      // A name runs to the next space: here "u_type=1".
      {"U_Type=1 and U_Alias = 'a'", "Unknown Identifier u_type"},
      {"U_Type =", "Unexpected end of expression"},
      {"U_Nothing = 1", "Unknown Identifier u_nothing"},
      {"U_Alias = 'open", "Unterminated string"},
  };
  for (const auto& c : cases) {
    const Status status = CheckQuery(table_, c.query);
    if (*c.error == '\0') {
      EXPECT_TRUE(status.ok()) << c.query << ": " << status.message();
      continue;
    }
    EXPECT_EQ(status.code(), StatusCode::kInvalidArgument) << c.query;
    const std::string message = status.message();
    EXPECT_EQ(message.substr(message.find(": ") + 2), c.error) << c.query;
  }
}

TEST_F(QueryFilterTest, LikePatterns) {
  const struct {
    std::string name;
    bool a_prefix;
    bool a_c;
  } cases[] = {{"alice", true, false}, {"Anna", true, false}, {"bob", false, false},
               {"abc", true, true},    {"abbc", true, false}, {"ABC", true, true}};
  for (const auto& c : cases) {
    const UserRecord record = Record("x", 0, c.name);
    EXPECT_EQ(Holds("U_Name like 'a%'", record), c.a_prefix) << c.name;
    EXPECT_EQ(Holds("U_Name like 'a_c'", record), c.a_c) << c.name;
  }
}

TEST_F(QueryFilterTest, SimpleQueriesAreParsedOnce) {
  EXPECT_TRUE(QueryFilter(context_.config.record, table_, "U_Type = 0").prepared());
  EXPECT_TRUE(QueryFilter(context_.config.record, table_, "U_Name like 'a%' and u_type <> 1").prepared());
  EXPECT_TRUE(QueryFilter(context_.config.record, table_, "U_Type = ").prepared()) << "fails for every record";
  EXPECT_FALSE(QueryFilter(context_.config.record, table_, "'x'U_Type = 0").prepared()) << "value glued to 'x'";
  EXPECT_FALSE(QueryFilter(context_.config.record, table_, "'x U_Type = 0").prepared()) << "inside a literal";
}

// The prepared way must give what rendering and parsing every record
// gives, for queries of every shape: well-formed ones, broken ones, values
// glued to quotes and words, and records whose values hold quotes and
// query words.
TEST_F(QueryFilterTest, PreparedAndReparsedAgreeOnRandomQueries) {
  std::mt19937 random(20240611);
  const auto pick = [&](const std::vector<std::string>& items) {
    return items[std::uniform_int_distribution<size_t>(0, items.size() - 1)(random)];
  };
  const std::vector<std::string> properties = {
      "U_Type",    "u_name",     "U_Alias",      "U_LimitMailboxSizeValue",
      "u_nothing", "U_Password", "U_ListServer", "u_"};
  const std::vector<std::string> comparisons = {"=", "<>", "<", ">", "<=", ">=", "like", "="};
  const std::vector<std::string> literals = {"0",   "1",    "10",     "9",         "'0'",  "'a%'",
                                             "'%'", "'_'",  "'x'",    "''",        "'j%'", "1.5",
                                             "$ff", "true", "'o''%'", "'%u_type%'"};
  const std::vector<std::string> joiners = {" and ", " or ", " xor ", " + ", " * ",   "",
                                            " ",     "'",    "(",     ")",   " div ", " = "};
  const std::vector<std::string> fragments = {
      "U_Type",  "u_name", "=",   "<>",       "like", "'",       "''",  "(", ")",
      ",",       "0",      "1",   "'a%'",     "and",  "or",      "not", "+", "-",
      "length(", "upper(", "if(", "copy(",    "u_",   "%",       "#",   "$", " ",
      "true",    "1e",     "'x'", "integer(", "pos(", "string(", "9",   "x"};
  std::vector<std::string> queries;
  for (int i = 0; i < 600; ++i) {
    std::string query;
    if (i % 2 == 0) {
      const int terms = 1 + static_cast<int>(random() % 3);
      for (int t = 0; t < terms; ++t) {
        if (t > 0) query += pick(joiners);
        if (random() % 4 == 0) query += "not ";
        if (random() % 5 == 0) query += "(";
        query += pick(properties) + (random() % 4 == 0 ? "" : " ") + pick(comparisons) + " " +
                 pick(literals);
        if (random() % 5 == 0) query += ")";
      }
    } else {
      const int parts = 1 + static_cast<int>(random() % 12);
      for (int p = 0; p < parts; ++p) query += pick(fragments) + (random() % 2 ? " " : "");
    }
    queries.push_back(query);
  }
  std::vector<UserRecord> records;
  const std::vector<std::string> names = {"John",  "anna", "O'Brien", "u_type = 0", "'",
                                          "a%b_c", "",     "ALICE",   "x'' or 1=1", "9"};
  for (int i = 0; i < 40; ++i) {
    records.push_back(Record(pick({"john", "a", "news;n", "o'x", "u_alias"}),
                             static_cast<uint8_t>(random() % 8), pick(names),
                             static_cast<uint32_t>(random() % 20)));
  }
  int prepared = 0;
  int accepted = 0;
  int rejected = 0;
  for (const std::string& query : queries) {
    const QueryFilter filter(context_.config.record, table_, query);
    prepared += filter.prepared() ? 1 : 0;
    for (const UserRecord& record : records) {
      const bool reparsed = filter.AcceptsByReparsing(record.data());
      ASSERT_EQ(filter.Accepts(record.data()), reparsed) << "query: " << query;
      (reparsed ? accepted : rejected)++;
    }
  }
  EXPECT_GT(prepared, 400) << "most queries take the prepared way";
  EXPECT_GT(accepted, 200);
  EXPECT_GT(rejected, 2000);
}

}  // namespace
}  // namespace tarvelin
