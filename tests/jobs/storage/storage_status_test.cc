// The connection text as storage status shows it: the password starred in
// every form, and the driver it names.
#include "jobs/storage/storage_status.h"

#include <gtest/gtest.h>

#include "foundation/connection_text.h"

namespace tarvelin {
namespace {

TEST(StorageStatusTextTest, PasswordsAreStarredAndDriversNamed) {
  const struct {
    std::string text;
    std::string shown;
    std::string driver;
  } cases[] = {
      {"driver=sqlite;database=/srv/a.db", "driver=sqlite;database=/srv/a.db", "sqlite"},
      {"database=/srv/a.db", "database=/srv/a.db", "sqlite"},
      {"driver=postgresql;host=db;user=mail;password=s3cret;dbname=m",
       "driver=postgresql;host=db;user=mail;password=***;dbname=m", "postgresql"},
      {"Driver=Postgres; PASSWORD = a;b", "Driver=Postgres; PASSWORD =***;b", "postgresql"},
      {"postgresql://mail:s3cret@db:5432/m", "postgresql://mail:***@db:5432/m", "postgresql"},
      {"postgres://mail@db/m", "postgres://mail@db/m", "postgresql"},
      {"driver=mysql;password=x", "driver=mysql;password=***", "mysql"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RedactConnectionText(c.text), c.shown) << c.text;
    EXPECT_EQ(DriverOf(c.text), c.driver) << c.text;
  }
}

}  // namespace
}  // namespace tarvelin
