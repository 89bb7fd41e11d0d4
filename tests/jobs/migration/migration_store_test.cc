#include "jobs/migration/migration_store.h"

#include <gtest/gtest.h>

#include <string>

#include "core/accounts/account_installation.h"
#include "foundation/scramble.h"

namespace tarvelin {
namespace {

MigrationRecord Record(const std::string& login, const std::string& password,
                       const std::string& target, uint8_t state = kMigrationQueued) {
  MigrationRecord record;
  record.set_login(login);
  record.set_password(password);
  record.set_target(target);
  record.set_protocol(MigrationProtocol::kImap);
  record.set_state(state);
  return record;
}

TEST(MigrationRecordTest, FileFormHasThePasswordFieldScrambledAndTheRestAsItIs) {
  const MigrationRecord record = Record("john", "secret", "john@example.org");
  const MigrationRecord::Bytes stored = record.StoredBytes();
  uint8_t password[48] = {6, 's', 'e', 'c', 'r', 'e', 't'};
  ScrambleBytes(password, sizeof password, 0);
  EXPECT_EQ(std::string(stored.begin() + 64, stored.begin() + 112),
            std::string(password, password + 48));
  EXPECT_EQ(stored[0], 4);
  EXPECT_EQ(std::string(stored.begin() + 1, stored.begin() + 5), "john");
  EXPECT_EQ(std::string(stored.begin() + 112, stored.begin() + 127), std::string(15, '\0'));
  EXPECT_EQ(stored[127], 1) << "IMAP";
  EXPECT_EQ(stored[128], 1) << "queued";
  EXPECT_EQ(stored[129], 16);
  EXPECT_EQ(std::string(stored.begin() + 130, stored.begin() + 146), "john@example.org");

  const MigrationRecord back = MigrationRecord::FromStored(stored.data());
  EXPECT_EQ(back.password(), "secret");
  EXPECT_EQ(back.login(), "john");
  EXPECT_EQ(back.target(), "john@example.org");
}

TEST(MigrationRecordTest, TextsAreCutToTheirFields) {
  const MigrationRecord record =
      Record(std::string(70, 'l'), std::string(50, 'p'), std::string(130, 't'));
  EXPECT_EQ(record.login().size(), 63u);
  EXPECT_EQ(record.password().size(), 47u);
  EXPECT_EQ(record.target().size(), 126u);
  const MigrationRecord::Bytes stored = record.StoredBytes();
  EXPECT_EQ(stored[112], 0) << "the password stops before the zero gap";
  EXPECT_EQ(stored[127], 1) << "the target does not run into the protocol";
}

TEST(MigrationRecordTest, ParsingIgnoresATornTail) {
  const MigrationRecord::Bytes one = Record("a", "b", "a@x").StoredBytes();
  std::string content(one.begin(), one.end());
  content += std::string(one.begin(), one.begin() + 100);
  ASSERT_EQ(ParseMigrationRecords(content).size(), 1u);
  EXPECT_TRUE(ParseMigrationRecords(content.substr(0, 255)).empty());
}

class MigrationStoreTest : public testing::AccountInstallation {
 protected:
  std::string File() { return dir_.Read("config/migrate.dat"); }
  std::vector<MigrationRecord> Stored() { return ParseMigrationRecords(File()); }
};

TEST_F(MigrationStoreTest, DuplicatesAreAddedAndOnlyTheFirstIsUpdatedAndFound) {
  ASSERT_TRUE(AddMigrationRecord(context_, Record("john", "pw", "john@a.org")).ok());
  ASSERT_TRUE(AddMigrationRecord(context_, Record("john", "pw", "john@b.org")).ok());
  ASSERT_TRUE(AddMigrationRecord(context_, Record("john", "PW", "john@c.org")).ok());
  EXPECT_EQ(File().size(), 3 * kMigrationRecordSize);

  ASSERT_TRUE(
      UpdateMigrationRecord(context_, Record("john", "pw", "j@d.org", kMigrationFinished)).ok());
  const std::vector<MigrationRecord> records = Stored();
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].target(), "j@d.org");
  EXPECT_EQ(records[0].state(), kMigrationFinished);
  EXPECT_EQ(records[1].target(), "john@b.org");
  EXPECT_EQ(records[2].target(), "john@c.org") << "passwords compare with letter case";

  Result<MigrationRecord> found = FindMigrationRecord(context_, "john", "PW");
  ASSERT_TRUE(found.ok());
  EXPECT_EQ(found->target(), "john@c.org");
  EXPECT_TRUE(FindMigrationRecord(context_, "John", "pw").status().Is(StatusCode::kNotFound));
  EXPECT_TRUE(UpdateMigrationRecord(context_, Record("nobody", "x", "n@x"))
                  .Is(StatusCode::kNotFound));
  EXPECT_EQ(File().size(), 3 * kMigrationRecordSize) << "an update never appends";
}

TEST_F(MigrationStoreTest, AnEmptyLoginNameChangesNothing) {
  EXPECT_TRUE(AddMigrationRecord(context_, Record("", "pw", "x@y")).Is(StatusCode::kInvalidArgument));
  EXPECT_FALSE(dir_.Exists("config/migrate.dat"));
  EXPECT_TRUE(FindMigrationRecord(context_, "", "pw").status().Is(StatusCode::kInvalidArgument));
}

TEST_F(MigrationStoreTest, AnAppendAfterATornTailStartsAtTheLastWholeRecord) {
  ASSERT_TRUE(AddMigrationRecord(context_, Record("first", "1", "first@x")).ok());
  // A second append that was cut short.
  const MigrationRecord::Bytes torn = Record("torn", "2", "torn@x").StoredBytes();
  dir_.Write("config/migrate.dat", File() + std::string(torn.begin(), torn.begin() + 77));

  ASSERT_TRUE(AddMigrationRecord(context_, Record("third", "3", "third@x")).ok());
  EXPECT_EQ(File().size(), 2 * kMigrationRecordSize) << "not glued to the fragment";
  const std::vector<MigrationRecord> records = Stored();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].login(), "first");
  EXPECT_EQ(records[1].login(), "third");
  EXPECT_EQ(records[1].password(), "3");
}

TEST_F(MigrationStoreTest, NothingIsWrittenBeforeTheInstallationIsOpen) {
  Context closed;
  EXPECT_FALSE(AddMigrationRecord(closed, Record("a", "b", "a@c")).ok());
  EXPECT_FALSE(FindMigrationRecord(closed, "a", "b").ok());
}

}  // namespace
}  // namespace tarvelin
