#include "jobs/traffic/statistics_files.h"

#include <gtest/gtest.h>

#include <vector>

#include "jobs/traffic/traffic_installation.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::AccessFileOf;
using testing::Stat;
using testing::StatFileOf;

std::vector<double> DaysIn(Env& env, const std::string& path) {
  std::vector<double> days;
  ReadUserStatFile(env, path, [&](const UserStatRecord& record) {
    days.push_back(record.day);
    EXPECT_EQ(record.values[kReceivedMessages], 1u);
    EXPECT_EQ(record.values[kSentOutBytes], 6u);
  });
  return days;
}

TEST(StatisticsFilesTest, WholeRecordsAreReadToTheEndAndATornTailIsLeft) {
  testing::TempDir dir;
  PosixEnv env;
  std::vector<Stat> records;
  for (int i = 0; i < 1500; ++i) records.push_back({double(i), {1, 2, 3, 4, 5, 6}});
  const std::string bytes = StatFileOf(records);
  struct Case {
    size_t length;
    size_t records;
  };
  // Around the reader's blocks of 512 records too.
  const Case cases[] = {{0, 0}, {31, 0}, {32, 1}, {63, 1}, {512 * 32, 512}, {512 * 32 + 5, 512},
                        {513 * 32, 513}, {1500 * 32, 1500}};
  for (const Case& c : cases) {
    dir.Write("userstat.dat", bytes.substr(0, c.length));
    const std::vector<double> days = DaysIn(env, dir.path() + "userstat.dat");
    ASSERT_EQ(days.size(), c.records) << c.length;
    for (size_t i = 0; i < days.size(); ++i) ASSERT_EQ(days[i], double(i));
  }
  EXPECT_TRUE(DaysIn(env, dir.path() + "missing.dat").empty());
  EXPECT_TRUE(DaysIn(env, dir.path()).empty()) << "a folder is no file";
}

TEST(StatisticsFilesTest, AccessDatesNeedTheWholeRecord) {
  testing::TempDir dir;
  PosixEnv env;
  const std::string file = AccessFileOf(1.5, 2.5, 3.5);
  struct Case {
    size_t length;
    double login;
  };
  const Case cases[] = {{160, 3.5}, {159, 0}, {24, 0}, {0, 0}};
  for (const Case& c : cases) {
    dir.Write("useraccess.dat", file.substr(0, c.length));
    const AccessDates dates = ReadAccessDates(env, dir.path() + "useraccess.dat");
    EXPECT_EQ(dates.last_login, c.login) << c.length;
    EXPECT_EQ(dates.last_sent, c.login == 0 ? 0 : 1.5) << c.length;
    EXPECT_EQ(dates.last_received, c.login == 0 ? 0 : 2.5) << c.length;
  }
  dir.Write("useraccess.dat", file + "more");
  EXPECT_EQ(ReadAccessDates(env, dir.path() + "useraccess.dat").last_sent, 1.5);
  EXPECT_EQ(ReadAccessDates(env, dir.path() + "none.dat").last_sent, 0);
}

}  // namespace
}  // namespace tarvelin
