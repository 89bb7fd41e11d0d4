#include "api/c/traffic_report_export.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "jobs/traffic/traffic_installation.h"

namespace tarvelin {
namespace {

using testing::Day;
using testing::MakeUser;
using testing::StatFileOf;

class TrafficReportExportTest : public testing::TrafficInstallation {
 protected:
  TrafficReportExportTest() {
    SetDomains({"a.org"});
    PutUsers("a.org", {MakeUser("ann", "ann", "pw", "a.org/ann/")});
    PutMail("a.org/ann/userstat.dat", StatFileOf({{Day(2006, 3, 2), {1, 0, 0, 0, 0, 0}},
                                                  {Day(2006, 3, 3), {2, 0, 0, 0, 0, 0}}}));
    output_ = dir_.path() + "out/report.csv";
    dir_.Write("out/report.csv", "an earlier report");
  }
  int32_t Run(const char* from, const char* to, const char* filter, const char* output,
              bool per_day = false) {
    return capi::GetUserStat(context_, from, to, filter, output, per_day);
  }
  std::string Written() { return dir_.Read("out/report.csv"); }
  size_t FilesInOut() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_.path() + "out")) {
      ++count;
    }
    return count;
  }

  std::string output_;
};

TEST_F(TrafficReportExportTest, ReplacesTheOutputFileWithTheReport) {
  ASSERT_EQ(Run("2006/3/1", "2006/3/2", "", output_.c_str()), 0);
  EXPECT_EQ(Written(), Report("2006/3/1", "2006/3/2"));
  EXPECT_NE(Written().find("\r\na.org,ann,1,"), std::string::npos);
  ASSERT_EQ(Run("2006/3/1", "2006/3/3", "a.org", output_.c_str(), true), 0);
  EXPECT_EQ(Written(), Report("2006/3/1", "2006/3/3", "a.org", true));
  EXPECT_EQ(FilesInOut(), 1u) << "no temporary file is left";
}

TEST_F(TrafficReportExportTest, NullTextsAreEmptyAndBadDatesAreDayZero) {
  ASSERT_EQ(Run(nullptr, nullptr, nullptr, output_.c_str()), 0);
  EXPECT_EQ(Written(), Report("", ""));
  EXPECT_NE(Written().find("\r\n-,-,"), std::string::npos) << "no filter: the server line";
  ASSERT_EQ(Run("yesterday", "2006/3/31", "", output_.c_str()), 0);
  EXPECT_NE(Written().find("\r\na.org,ann,3,"), std::string::npos)
      << "a bad From is 30 December 1899";
}

TEST_F(TrafficReportExportTest, FailuresLeaveAnEarlierReportAsItWas) {
  EXPECT_EQ(Run("2006/3/1", "2006/3/2", "", nullptr), -3);
  EXPECT_EQ(Run("2006/3/1", "2006/3/2", "", (dir_.path() + "none/r.csv").c_str()), -1);
  EXPECT_FALSE(dir_.Exists("none"));
  EXPECT_EQ(Run("2006/3/1", "2006/3/2", "", (dir_.path() + "out").c_str()), -1)
      << "a folder is no report file";
  // The disk fills up part way: the earlier report stays, whole.
  faults_.FailWrite(1, ENOSPC);
  EXPECT_EQ(Run("2006/3/1", "2006/3/2", "", output_.c_str()), -1);
  faults_.ClearFaults();
  EXPECT_EQ(Written(), "an earlier report");
  EXPECT_EQ(FilesInOut(), 1u);
}

}  // namespace
}  // namespace tarvelin
