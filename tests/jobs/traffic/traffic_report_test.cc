#include "jobs/traffic/traffic_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "foundation/date_time.h"
#include "jobs/traffic/traffic_installation.h"

namespace tarvelin {
namespace {

using testing::AccessFileOf;
using testing::Day;
using testing::MakeRecord;
using testing::MakeUser;
using testing::Stat;
using testing::StatFileOf;

constexpr char kHeader[] =
    "[Domain],[Alias],[Received Messages],[Received Amount],[Sent Messages],[Sent Amount],"
    "[Sent Out Messages],[Sent Out Amount],[Last Sent],[Last Received],[Last Login],"
    "[Messages Count],[Messages Amount]\r\n";

double At(int year, int month, int day, int hour, int minute, int second) {
  double time = 0;
  EncodeTime({hour, minute, second, 0}, &time);
  return Day(year, month, day) + time;
}

class TrafficReportTest : public testing::TrafficInstallation {
 protected:
  // Two domains: ann (with traffic, access dates and mail) and bob (none)
  // and a group in a.org, cid (only archives) in b.org; the server's own
  // statistics in the mail root.
  void MakeSmallInstallation() {
    SetDomains({"a.org", "b.org"});
    PutUsers("a.org", {MakeUser("ann;anna", "ann", "pw", "a.org/ann/"),
                       MakeUser("bob", "bob", "pw", "a.org\\bob\\"),
                       MakeRecord("staff", "", kGroupAccount)});
    PutUsers("b.org", {MakeUser("cid", "cid", "pw", "b.org/cid/")});
    PutMail("a.org/ann/userstat.dat",
            StatFileOf({{Day(2006, 2, 28), {9, 9, 9, 9, 9, 9}},
                        {Day(2006, 3, 1), {2, 1, 0, 2048, 1023, 0}},
                        {Day(2006, 3, 31), {1, 1, 1, 1024, 1, 5000}}}));
    PutMail("a.org/ann/useraccess.dat",
            AccessFileOf(At(2006, 3, 31, 13, 5, 9), At(2006, 3, 30, 8, 0, 0), 0));
    PutMail("a.org/ann/inbox/1.imap", std::string(2048, 'm'));
    PutMail("a.org/ann/x.tmp", std::string(100, 'm'));
    PutMail("b.org/cid/~stat/2006.dat", StatFileOf({{Day(2006, 3, 15), {4, 0, 0, 4096, 0, 0}}}));
    // Not a year of the range: never read.
    PutMail("b.org/cid/~stat/2005.dat", StatFileOf({{Day(2006, 3, 15), {100, 0, 0, 0, 0, 0}}}));
    PutMail("userstat.dat", StatFileOf({{Day(2006, 3, 10), {10, 0, 0, 10240, 0, 0}}}));
  }
};

TEST_F(TrafficReportTest, SummedReportOfASmallInstallationIsExact) {
  MakeSmallInstallation();
  EXPECT_EQ(Report("2006/03/01", "2006/3/31"),
            std::string(kHeader) +
                "a.org,ann;anna,3,3,2,1,1,4,2006/03/31 13:05:09,2006/03/30 08:00:00,,2,2\r\n"
                "a.org,bob,0,0,0,0,0,0,,,,0,0\r\n"
                "b.org,cid,4,4,0,0,0,0,,,,0,0\r\n"
                "-,-,10,10,0,0,0,0,,,,0,0\r\n"
                "*,*,17,17,2,1,1,4,2006/03/31 13:05:09,2006/03/30 08:00:00,,2,2\r\n");
}

TEST_F(TrafficReportTest, PerDayListsEveryDayWhileServerAndTotalsStaySummed) {
  MakeSmallInstallation();
  const std::vector<std::string> lines = Lines(Report("2006/3/30", "2006/4/1", "", true));
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "a.org,ann;anna,0;1;0;,0;1;0;,0;1;0;,0;0;0;,0;1;0;,0;4;0;,"
                       "2006/03/31 13:05:09,2006/03/30 08:00:00,,2,2",
                       "a.org,bob,0;0;0;,0;0;0;,0;0;0;,0;0;0;,0;0;0;,0;0;0;,,,,0,0",
                       "b.org,cid,0;0;0;,0;0;0;,0;0;0;,0;0;0;,0;0;0;,0;0;0;,,,,0,0",
                       "-,-,0,0,0,0,0,0,,,,0,0",
                       "*,*,1,1,1,0,1,4,2006/03/31 13:05:09,2006/03/30 08:00:00,,2,2"}));
}

TEST_F(TrafficReportTest, PerDayWithToBeforeFromHasEmptyLists) {
  MakeSmallInstallation();
  const std::vector<std::string> lines = Lines(Report("2006/3/31", "2006/3/1", "@b.org", true));
  EXPECT_EQ(lines, (std::vector<std::string>{"b.org,cid,,,,,,,,,,0,0", "*,*,0,0,0,0,0,0,,,,0,0"}));
}

TEST_F(TrafficReportTest, FilterSelectsDomainsAndAccounts) {
  SetDomains({"a.org", "b.org", "mail.c.net", "ab.org"});
  PutUsers("a.org", {MakeUser("Ann;anna", "ann", "pw", "a.org/ann/"),
                     MakeUser("bob", "bob", "pw", "a.org/bob/")});
  PutUsers("b.org", {MakeUser("ann", "ann", "pw", "b.org/ann/")});
  PutUsers("mail.c.net", {MakeUser("cid", "cid", "pw", "c/cid/")});
  PutUsers("ab.org", {MakeUser("dan", "dan", "pw", "ab/dan/")});
  struct Case {
    const char* filter;
    std::vector<std::string> accounts;  // domain,alias of the account lines
    bool server_line;
  };
  const std::vector<std::string> all = {"a.org,Ann;anna", "a.org,bob", "b.org,ann",
                                        "mail.c.net,cid", "ab.org,dan"};
  const Case cases[] = {
      {"", all, true},
      {"*", all, true},
      {"@b.org", {"b.org,ann"}, false},
      {"b.org", {"b.org,ann"}, false},
      {"ANNA@A.ORG", {"a.org,Ann;anna"}, false},
      {"ann@a.org", {"a.org,Ann;anna"}, false},
      {"*.org", {"a.org,Ann;anna", "a.org,bob", "b.org,ann", "ab.org,dan"}, false},
      {"?.org", {"a.org,Ann;anna", "a.org,bob", "b.org,ann"}, false},
      {"ann@*", {"a.org,Ann;anna", "b.org,ann"}, false},
      {"bob@a.org;mail.c.net", {"a.org,bob", "mail.c.net,cid"}, false},
      {"a.or", {}, false},
      {"zed@a.org", {}, false},
      {"@", {}, false},
      {"**", all, false},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = Lines(Report("2006/1/1", "2006/1/2", c.filter));
    ASSERT_FALSE(lines.empty()) << c.filter;
    EXPECT_EQ(lines.back().substr(0, 4), "*,*,") << c.filter;
    lines.pop_back();
    const bool server = !lines.empty() && lines.back().substr(0, 4) == "-,-,";
    EXPECT_EQ(server, c.server_line) << c.filter;
    if (server) lines.pop_back();
    std::vector<std::string> accounts;
    for (const std::string& line : lines) {
      accounts.push_back(line.substr(0, line.find(',', line.find(',') + 1)));
    }
    EXPECT_EQ(accounts, c.accounts) << c.filter;
  }
}

// The received messages of the one account for a range: each statistics
// file holds a distinct power of ten.
TEST_F(TrafficReportTest, ReadsTheCurrentFileAndTheArchivesOfTheFirstAndLastYearOnly) {
  SetDomains({"a.org"});
  PutUsers("a.org", {MakeUser("ann", "ann", "pw", "a.org/ann/")});
  PutMail("a.org/ann/userstat.dat", StatFileOf({{Day(2006, 1, 1), {1, 0, 0, 0, 0, 0}}}));
  PutMail("a.org/ann/~stat/2004.dat", StatFileOf({{Day(2004, 6, 1), {1000, 0, 0, 0, 0, 0}}}));
  PutMail("a.org/ann/~stat/2005.dat", StatFileOf({{Day(2005, 12, 31), {10, 0, 0, 0, 0, 0}}}));
  PutMail("a.org/ann/~stat/2006.dat", StatFileOf({{Day(2006, 1, 1), {100, 0, 0, 0, 0, 0}},
                                                  {Day(2006, 12, 31), {10000, 0, 0, 0, 0, 0}}}));
  struct Case {
    const char* from;
    const char* to;
    const char* received;
  };
  const Case cases[] = {
      {"2005/12/31", "2006/01/01", "111"},
      {"2004/01/01", "2006/12/31", "11101"},  // 2005.dat not read
      {"2006/01/01", "2006/01/01", "101"},
      {"2006/01/02", "2006/12/30", "0"},
      {"2006/01/01", "2005/12/31", "0"},
      {"no date", "2006/12/31", "10101"},  // from 1899: 1899.dat and 2006.dat
      {"", "", "0"},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> lines = Lines(Report(c.from, c.to, "a.org"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], std::string("a.org,ann,") + c.received + ",0,0,0,0,0,,,,0,0")
        << c.from << " - " << c.to;
  }
}

TEST_F(TrafficReportTest, PerDayReadsForEachDayTheCurrentFileAndTheArchiveOfItsYear) {
  SetDomains({"a.org"});
  PutUsers("a.org", {MakeUser("ann", "ann", "pw", "a.org/ann/")});
  // Misfiled: 2005.dat holding a day of 2006 counts only in the summed form.
  PutMail("a.org/ann/~stat/2005.dat", StatFileOf({{Day(2005, 12, 31), {1, 0, 0, 0, 0, 0}},
                                                  {Day(2006, 1, 1), {10, 0, 0, 0, 0, 0}}}));
  PutMail("a.org/ann/~stat/2006.dat", StatFileOf({{Day(2006, 1, 1), {100, 0, 0, 0, 0, 0}}}));
  PutMail("a.org/ann/userstat.dat", StatFileOf({{Day(2005, 12, 31), {1000, 0, 0, 0, 0, 0}}}));
  EXPECT_EQ(Lines(Report("2005/12/31", "2006/1/1", "a.org", true))[0].substr(0, 22),
            "a.org,ann,1001;100;,0;");
  EXPECT_EQ(Lines(Report("2005/12/31", "2006/1/1", "a.org"))[0].substr(0, 15),
            "a.org,ann,1111,");
}

TEST_F(TrafficReportTest, AmountsAreWholeKilobytesOfSixtyFourBitSums) {
  SetDomains({"a.org"});
  PutUsers("a.org", {MakeUser("ann", "ann", "pw", "a.org/ann/")});
  struct Case {
    std::vector<Stat> records;
    const char* counters;  // the six counter fields
  };
  const uint32_t max = 0xFFFFFFFFu;
  const Case cases[] = {
      {{{Day(2006, 1, 1), {0, 0, 0, 1023, 0, 0}}}, "0,0,0,0,0,0"},
      {{{Day(2006, 1, 1), {0, 0, 0, 1024, 0, 0}}}, "0,1,0,0,0,0"},
      {{{Day(2006, 1, 1), {max, 1, 2, max, 2047, 2048}}, {Day(2006, 1, 2), {max, 0, 0, max, 0, 0}}},
       "8589934590,8388607,1,1,2,2"},
  };
  for (const Case& c : cases) {
    PutMail("a.org/ann/userstat.dat", StatFileOf(c.records));
    EXPECT_EQ(Lines(Report("2006/1/1", "2006/1/2", "a.org"))[0],
              std::string("a.org,ann,") + c.counters + ",,,,0,0");
  }
}

TEST_F(TrafficReportTest, OddRecordDaysAreNotCountedAndDoNotCrash) {
  SetDomains({"a.org"});
  PutUsers("a.org", {MakeUser("ann", "ann", "pw", "a.org/ann/")});
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  PutMail("a.org/ann/userstat.dat",
          StatFileOf({{nan, {1, 0, 0, 0, 0, 0}},
                      {inf, {1, 0, 0, 0, 0, 0}},
                      {-inf, {1, 0, 0, 0, 0, 0}},
                      {-1e308, {1, 0, 0, 0, 0, 0}},
                      {1e308, {1, 0, 0, 0, 0, 0}},
                      {Day(2006, 1, 1) + 0.5, {10, 0, 0, 0, 0, 0}},  // a time part
                      {Day(2006, 1, 2), {100, 0, 0, 0, 0, 0}}}));
  PutMail("a.org/ann/useraccess.dat", AccessFileOf(nan, -1e308, 1e308));
  EXPECT_EQ(Lines(Report("2006/1/1", "2006/1/2", "a.org"))[0],
            "a.org,ann,110,0,0,0,0,0,,,,0,0");
  EXPECT_EQ(Lines(Report("2006/1/1", "2006/1/2", "a.org", true))[0].substr(0, 17),
            "a.org,ann,0;100;,")
      << "a day with a time part is no whole day of the per-day form";
}

TEST_F(TrafficReportTest, TotalsTakeTheLatestAccessDatesAndSumMailboxes) {
  SetDomains({"a.org"});
  PutUsers("a.org", {MakeUser("ann", "ann", "pw", "a.org/ann/"),
                     MakeUser("bob", "bob", "pw", "a.org/bob/")});
  PutMail("a.org/ann/useraccess.dat", AccessFileOf(Day(2006, 5, 1), 0, Day(2001, 1, 1)));
  PutMail("a.org/bob/useraccess.dat", AccessFileOf(Day(2006, 4, 1), Day(2006, 1, 1), 0));
  PutMail("a.org/ann/1.imap", std::string(600, 'm'));
  PutMail("a.org/bob/sub/2.imap", std::string(600, 'm'));
  PutMail("a.org/bob/notes.txt", std::string(6000, 'm'));
  EXPECT_EQ(Lines(Report("2006/1/1", "2006/1/2", "a.org")).back(),
            "*,*,0,0,0,0,0,0,2006/05/01 00:00:00,2006/01/01 00:00:00,2001/01/01 00:00:00,2,1");
}

TEST_F(TrafficReportTest, ShortOrMissingFilesGiveZerosAndEmptyDates) {
  SetDomains({"a.org"});
  PutUsers("a.org", {MakeUser("ann", "ann", "pw", "a.org/ann/"),
                     MakeUser("bob", "bob", "pw", "a.org/bob/"),
                     MakeUser("cid", "cid", "pw", "")});
  // A torn last record and a useraccess.dat shorter than its record.
  PutMail("a.org/ann/userstat.dat",
          StatFileOf({{Day(2006, 1, 1), {1, 0, 0, 0, 0, 0}}, {Day(2006, 1, 2), {2, 0, 0, 0, 0, 0}}})
              .substr(0, 63));
  PutMail("a.org/ann/useraccess.dat", AccessFileOf(Day(2006, 1, 1), 1, 1).substr(0, 159));
  PutMail("a.org/bob/userstat.dat", "");
  // The mail root's own files are the server's, never an account's without
  // a folder.
  PutMail("userstat.dat", StatFileOf({{Day(2006, 1, 1), {7, 0, 0, 0, 0, 0}}}));
  EXPECT_EQ(Lines(Report("2006/1/1", "2006/1/2")),
            (std::vector<std::string>{"a.org,ann,1,0,0,0,0,0,,,,0,0",
                                      "a.org,bob,0,0,0,0,0,0,,,,0,0",
                                      "a.org,cid,0,0,0,0,0,0,,,,0,0", "-,-,7,0,0,0,0,0,,,,0,0",
                                      "*,*,8,0,0,0,0,0,,,,0,0"}));
}

TEST_F(TrafficReportTest, ADomainWithoutAccountsFileIsPassedOver) {
  SetDomains({"a.org", "b.org"});
  PutUsers("b.org", {MakeUser("bob", "bob", "pw", "b.org/bob/")});
  EXPECT_EQ(Lines(Report("2006/1/1", "2006/1/2", "*.org")),
            (std::vector<std::string>{"b.org,bob,0,0,0,0,0,0,,,,0,0", "*,*,0,0,0,0,0,0,,,,0,0"}));
}

TEST_F(TrafficReportTest, ProgressCountsTheAccountsOfTheFilteredDomains) {
  MakeSmallInstallation();
  std::vector<std::pair<int, int>> steps;
  const TrafficReportRequest request{.from = 0, .to = 0, .filter = "a.org"};
  ASSERT_TRUE(WriteTrafficReport(
                  context_, request, [](std::string_view) { return Status::Ok(); },
                  [&](int done, int total) { steps.emplace_back(done, total); })
                  .ok());
  EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{0, 3}, {1, 3}, {2, 3}}))
      << "the group is left out by the walk's query";
}

TEST_F(TrafficReportTest, AFailingSinkStopsTheReport) {
  MakeSmallInstallation();
  int lines = 0;
  const Status status = WriteTrafficReport(context_, {}, [&](std::string_view) {
    return ++lines == 2 ? Status::IOError("write", 28) : Status::Ok();
  });
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(lines, 2);
}

}  // namespace
}  // namespace tarvelin
