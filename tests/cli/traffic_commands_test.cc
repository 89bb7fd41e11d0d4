// `report traffic`: the report on standard output or into a file, the
// dates it refuses, and its progress bar on a terminal.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "foundation/bytes.h"
#include "foundation/date_time.h"
#include "support/cli_runner.h"
#include "support/pseudo_terminal.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class TrafficCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    install_ = "--install-dir " + dir_.path() + "inst";
    ASSERT_EQ(Admin(install_ + " create --domain example.org").exit_code, 0);
    ASSERT_EQ(Admin(install_ + " account add john@example.org").exit_code, 0);
    // Two messages received on 2006/03/02, 2048 bytes.
    std::string record(32, '\0');
    auto* data = reinterpret_cast<uint8_t*>(record.data());
    double day = 0;
    EncodeDate({2006, 3, 2}, &day);
    PutDouble(data, day);
    PutLE(data + 8, 4, 2);
    PutLE(data + 20, 4, 2048);
    dir_.Write("inst/mail/example.org/john/userstat.dat", record);
  }
  CommandRun Run(const std::string& arguments) { return Admin(install_ + " " + arguments); }
  CommandRun ErrorsOf(const std::string& arguments) {
    return Shell("(" + AdminProgram() + " " + install_ + " " + arguments + " 2>&1 >/dev/null)");
  }

  testing::TempDir dir_;
  std::string install_;
};

constexpr char kHeader[] =
    "[Domain],[Alias],[Received Messages],[Received Amount],[Sent Messages],[Sent Amount],"
    "[Sent Out Messages],[Sent Out Amount],[Last Sent],[Last Received],[Last Login],"
    "[Messages Count],[Messages Amount]\r\n";

TEST_F(TrafficCommandsTest, WritesTheReportToStandardOutputOrAFile) {
  const std::string lines = "example.org,john,2,2,0,0,0,0,,,,0,0\r\n";
  const CommandRun out = Run("report traffic 2006/3/1 2006/03/31 --filter example.org");
  EXPECT_EQ(out.exit_code, 0) << out.output;
  EXPECT_EQ(out.output, std::string(kHeader) + lines + "*,*,2,2,0,0,0,0,,,,0,0\r\n");

  const CommandRun per_day = Run("report traffic 2006/3/1 2006/3/3 --per-day --filter '*'");
  EXPECT_EQ(per_day.exit_code, 0) << per_day.output;
  EXPECT_NE(per_day.output.find("example.org,john,0;2;0;,0;2;0;,0;0;0;,"), std::string::npos)
      << per_day.output;
  EXPECT_NE(per_day.output.find("\r\n-,-,"), std::string::npos) << "'*' is no filter";

  const std::string file = dir_.path() + "report.csv";
  const CommandRun written = Run("--json report traffic 2006/3/1 2006/3/31 -o " + file);
  ASSERT_EQ(written.exit_code, 0) << written.output;
  EXPECT_EQ(nlohmann::json::parse(written.output)["file"], file);
  EXPECT_EQ(dir_.Read("report.csv").substr(0, sizeof kHeader - 1 + lines.size()),
            std::string(kHeader) + lines);
}

TEST_F(TrafficCommandsTest, RefusesWhatItCannotDo) {
  struct Case {
    std::string arguments;
    int exit_code;
    std::string message;
  };
  const Case cases[] = {
      {"report traffic 2006/2/30 2006/3/1", 2,
       "tarvelin-admin: FROM '2006/2/30' is no valid date: give year/month/day, as 2006/03/31\n"},
      {"report traffic 2006/3/1 yesterday", 2,
       "tarvelin-admin: TO 'yesterday' is no valid date: give year/month/day, as 2006/03/31\n"},
      {"report traffic 2006/3/1 -o " + dir_.path() + "none/r.csv", 2, ""},
      {"report traffic 2006/3/1 2006/3/2 -o " + dir_.path() + "none/r.csv", 3,
       "tarvelin-admin: cannot write the report to " + dir_.path() + "none/r.csv: "},
  };
  for (const Case& c : cases) {
    const CommandRun run = ErrorsOf(c.arguments);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.arguments << "\n" << run.output;
    EXPECT_EQ(run.output.substr(0, c.message.size()), c.message) << c.arguments;
  }
  EXPECT_FALSE(dir_.Exists("none"));
  const CommandRun backwards = ErrorsOf("report traffic 2006/3/2 2006/3/1");
  EXPECT_EQ(backwards.exit_code, 0);
  EXPECT_EQ(backwards.output, "warning: TO is before FROM: no day is counted\n");
}

TEST_F(TrafficCommandsTest, DrawsABarOnATerminalOnly) {
  const CommandRun piped = ErrorsOf("report traffic 2006/3/1 2006/3/31");
  EXPECT_EQ(piped.output, "") << "no progress lines without a terminal";
  testing::PseudoTerminal terminal;
  if (!terminal.ok()) GTEST_SKIP() << "no pseudo-terminals here";
  const CommandRun run = Shell("{ " + AdminProgram() + " " + install_ +
                               " report traffic 2006/3/1 2006/3/31 2>" + terminal.slave_path() +
                               "; }");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.output.substr(0, sizeof kHeader - 1), kHeader) << "the report stays apart";
  const std::string drawn = terminal.Drain();
  EXPECT_NE(drawn.find("] 1/1\033[K"), std::string::npos) << drawn;
}

}  // namespace
}  // namespace tarvelin
