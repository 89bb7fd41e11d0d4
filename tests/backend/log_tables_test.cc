#include "backend/log_tables.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "backend/engine_fixture.h"

namespace tarvelin::backend {
namespace {

class LogTablesTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(DropLogTables(*db_).ok());
  }

  // Every entry in order, one line each: "kind bits time|thread|source|tag|message".
  std::string Entries() {
    auto select = db_->Prepare(
        "SELECT kind, bits, logged_at, thread, source, tag, message FROM log_entries ORDER BY id");
    EXPECT_TRUE(select.ok()) << select.status().ToString();
    if (!select.ok()) return "";
    std::string out;
    for (auto row = (*select)->Step(); row.ok() && *row; row = (*select)->Step()) {
      out += std::to_string((*select)->ColumnInt(0)) + " " +
             std::to_string((*select)->ColumnInt(1)) + " ";
      for (int column = 2; column < 7; ++column) {
        out += std::string((*select)->ColumnBytes(column)) + (column < 6 ? "|" : "\n");
      }
    }
    return out;
  }
};

TEST_P(LogTablesTest, TheFirstEntryMakesTheTableAndEntriesKeepTheirOrder) {
  const LogEntry entries[] = {
      {0, 1, "Connection from 192.0.2.7", "2026-12-11 03:04:05", "1a2b", "SMTP", ""},
      {11, 1, "tarvelin-admin function LoadLibrary('/x/db.so') error 2 : gone",
       "2026-12-11 03:04:06", "00", "SYSTEM", "node1"},
      {14, 2, "'System' created 'ann@example.com'; \"quoted\" \xe9t\xe9", "2026-12-11 03:04:07",
       "7f", "SYSTEM", ""},
  };
  for (const auto& entry : entries) {
    Status status = AppendLogEntry(*db_, entry);
    ASSERT_TRUE(status.ok()) << status.ToString();
  }
  EXPECT_EQ(Entries(),
            "0 1 2026-12-11 03:04:05|1a2b|SMTP||Connection from 192.0.2.7\n"
            "11 1 2026-12-11 03:04:06|00|SYSTEM|node1|tarvelin-admin function "
            "LoadLibrary('/x/db.so') error 2 : gone\n"
            "14 2 2026-12-11 03:04:07|7f|SYSTEM||'System' created 'ann@example.com'; "
            "\"quoted\" \xe9t\xe9\n");
}

TEST_P(LogTablesTest, RefusesKindsThatNoLogHas) {
  for (int32_t kind : {-1, 16, 1000}) {
    Status status = AppendLogEntry(*db_, {kind, 1, "m", "t", "1", "SMTP", ""});
    EXPECT_TRUE(status.Is(StatusCode::kInvalidArgument)) << kind;
    EXPECT_EQ(status.message(), "log kind " + std::to_string(kind) + " is not one of 0 to 15");
  }
  ASSERT_TRUE(AppendLogEntry(*db_, {15, 1, "m", "t", "1", "SMTP", ""}).ok());
  EXPECT_EQ(Entries(), "15 1 t|1|SMTP||m\n");
}

TEST_P(LogTablesTest, LogsAgainAfterTheTablesWereDroppedUnderIt) {
  ASSERT_TRUE(CreateLogTables(*db_).ok());
  ASSERT_TRUE(CreateLogTables(*db_).ok()) << "creating twice is no failure";
  ASSERT_TRUE(AppendLogEntry(*db_, {1, 1, "before", "t1", "1", "POP3", ""}).ok());
  ASSERT_TRUE(DropLogTables(*db_).ok());
  ASSERT_TRUE(DropLogTables(*db_).ok()) << "dropping twice is no failure";
  // The insert was prepared for the old table; the entry still lands.
  Status status = AppendLogEntry(*db_, {1, 1, "after", "t2", "1", "POP3", ""});
  ASSERT_TRUE(status.ok()) << status.ToString();
  EXPECT_EQ(Entries(), "1 1 t2|1|POP3||after\n");
}

TARVELIN_ON_EVERY_ENGINE(LogTablesTest);

}  // namespace
}  // namespace tarvelin::backend
