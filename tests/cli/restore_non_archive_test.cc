// tarvelin-admin restore of a file from which a restore writes nothing:
// the library takes it as an archive without entries, the command does not
// call that restored.
#include <gtest/gtest.h>

#include <string>

#include "jobs/backup/test_archive.h"
#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class RestoreNonArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    inst_ = dir_.path() + "inst/";
    ASSERT_EQ(Run("create --domain example.org").exit_code, 0);
  }
  CommandRun Run(const std::string& arguments) {
    return Admin("--install-dir " + inst_ + " " + arguments);
  }
  // What the command printed on standard error only.
  CommandRun ErrorsOf(const std::string& arguments) {
    return Shell("(" + AdminProgram() + " --install-dir " + inst_ + " " + arguments +
                 " 2>&1 >/dev/null)");
  }

  testing::TempDir dir_;
  std::string inst_;
};

TEST_F(RestoreNonArchiveTest, RestoreOfAFileThatRestoresNothingFails) {
  const std::string file = dir_.path() + "file";
  const struct {
    std::string what;
    std::string bytes;
    std::string reason;
  } cases[] = {
      {"empty", "", "the file is empty"},
      {"a header alone", testing::ArchiveBuilder::Version2().bytes(),
       "the archive holds no entries"},
      {"entries leading elsewhere",
       testing::ArchiveBuilder::Version2().Add("..\\..\\etc\\motd", "x").bytes(),
       "no entry of it names a file of an installation"},
  };
  for (const auto& c : cases) {
    dir_.Write("file", c.bytes);
    const CommandRun run = ErrorsOf("restore " + file);
    EXPECT_EQ(run.output, "tarvelin-admin: nothing to restore from " + file + ": " + c.reason +
                              "; nothing was changed\n")
        << c.what;
    EXPECT_EQ(Run("restore " + file).exit_code, 5) << c.what;
  }

  dir_.Write("file", "Dear admin,\nthis is a letter, not an archive.\n");
  const CommandRun letter = Run("--json restore " + file);
  EXPECT_EQ(letter.exit_code, 5);
  EXPECT_NE(letter.output.find("is no backup archive: it does not begin with \\\"ILDS\\\""),
            std::string::npos)
      << letter.output;
  EXPECT_EQ(Run("restore " + dir_.path() + "missing").exit_code, 3);
}

}  // namespace
}  // namespace tarvelin
