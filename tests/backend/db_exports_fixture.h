// The fixture of the db.so export tests: each test gets a database of its
// own, reached through a connection text that a factory makes, and db.so
// connected to it. The suites run once per factory; a factory for another
// engine joins them by being added to ConnectionFactories().
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "backend/db_library.h"
#include "foundation/bytes.h"
#include "schema/user_record.h"
#include "schema/user_record_offsets.h"
#include "support/postgres_server.h"
#include "support/temp_dir.h"

namespace tarvelin::testing {

struct ConnectionFactory {
  std::string name;
  // The connection text of a new, empty database; `scratch` is the test's
  // own folder (ends with "/").
  std::function<std::string(const std::string& scratch)> make;
};

// A database of its own on the one PostgreSQL server of the test process,
// started on first use.
inline std::string NewPostgresDatabase() {
  static PostgresServer server;
  static int databases = 0;
  if (!server.ok()) return "driver=postgresql;host=/nonexistent;dbname=" + server.why();
  const std::string name = "exports_" + std::to_string(++databases);
  std::string why;
  if (!server.RunSql("CREATE DATABASE " + name + ";", &why)) {
    return "driver=postgresql;host=/nonexistent;dbname=" + why;
  }
  return "driver=postgresql;host=" + server.socket_folder() +
         ";port=" + std::to_string(server.port()) + ";user=" + server.user() + ";dbname=" + name;
}

inline std::vector<ConnectionFactory> ConnectionFactories() {
  return {{"sqlite",
           [](const std::string& scratch) {
             return "driver=sqlite;database=" + scratch + "accounts.db";
           }},
          {"postgresql", [](const std::string&) { return NewPostgresDatabase(); }}};
}

inline void PrintTo(const ConnectionFactory& factory, std::ostream* out) { *out << factory.name; }

inline std::string FactoryName(const ::testing::TestParamInfo<ConnectionFactory>& info) {
  return info.param.name;
}

// An account record with the fields the backend reads, set by name:
// MakeRecord(AccountFields().aliases("ann").mailbox("ann")).
class AccountFields {
 public:
  AccountFields& type(uint8_t value) { return Set(&type_, value); }
  AccountFields& aliases(std::string value) { return Set(&aliases_, std::move(value)); }
  AccountFields& mailbox(std::string value) { return Set(&mailbox_, std::move(value)); }
  AccountFields& password(std::string value) { return Set(&password_, std::move(value)); }
  AccountFields& full_name(std::string value) { return Set(&full_name_, std::move(value)); }

 private:
  template <typename T>
  AccountFields& Set(T* field, T value) {
    *field = std::move(value);
    return *this;
  }
  friend UserRecord MakeRecord(const AccountFields& fields);

  uint8_t type_ = kUserAccount;
  std::string aliases_;
  std::string mailbox_;
  std::string password_;
  std::string full_name_;
};

inline UserRecord MakeRecord(const AccountFields& fields) {
  UserRecord record{};
  record[user_offsets::kAccountType] = fields.type_;
  PutPString(record.data() + user_offsets::kNameAndNote, 254, fields.full_name_);
  PutPString(record.data() + user_offsets::kAliasList, user_offsets::kAliasListCapacity,
             fields.aliases_);
  PutPString(record.data() + user_offsets::kMailbox, 127, fields.mailbox_);
  PutPString(record.data() + user_offsets::kPassword, user_offsets::kPasswordCapacity,
             fields.password_);
  // A byte no lookup reads, so a record that comes back whole is told
  // from one rebuilt from the columns.
  record[2000] = static_cast<uint8_t>(fields.aliases_.size() * 7 + fields.type_);
  return record;
}

class DbExportsTest : public ::testing::TestWithParam<ConnectionFactory> {
 protected:
  void SetUp() override {
    text_ = GetParam().make(dir_.path());
    ASSERT_NE(db_.DBSetConnection(DbText(text_).in()), nullptr) << db_.LastError();
  }
  void TearDown() override { db_.DBDoneConnection(); }

  void AddDomain(const std::string& name) {
    db_.DBAddDomain(DbText(name).in());
    ASSERT_EQ(db_.LastError(), "") << name;
  }
  // Saves at `position` (-1: a new account); the position it got, or -1.
  int32_t Save(const std::string& domain, const UserRecord& record, int32_t position = -1) {
    return db_.DBSaveUsers(DbText(domain).in(), record.data(), &position) != 0 ? position : -1;
  }
  int32_t Count(const std::string& domain) {
    return db_.DBGetUsers(DbText(domain).in(), nullptr, -1);
  }
  // Every record of the domain, read by position with DBGetUsers.
  std::vector<UserRecord> Scan(const std::string& domain) {
    std::vector<UserRecord> records;
    const int32_t count = Count(domain);
    for (int32_t i = 0; i < count; ++i) {
      UserRecord record{};
      db_.DBGetUsers(DbText(domain).in(), record.data(), i);
      records.push_back(record);
    }
    return records;
  }

  TempDir dir_;
  std::string text_;
  DbLibrary db_;
};

}  // namespace tarvelin::testing
