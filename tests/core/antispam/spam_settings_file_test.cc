#include "core/antispam/spam_settings_file.h"

#include <gtest/gtest.h>

#include <string>

#include "core/config/create_installation.h"
#include "core/config/init.h"
#include "core/context.h"
#include "support/status_testing.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class SpamSettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Context creator;
    ASSERT_TRUE(CreateInstallation(creator, install(), {"example.org"}).ok());
  }
  std::string install() const { return dir_.path() + "inst/"; }
  // A Context whose configuration load ran.
  void Open(Context& context) const { ASSERT_TRUE(Init(context, install().c_str()).ok()); }

  testing::TempDir dir_;
};

TEST_F(SpamSettingsFileTest, TheConfigurationLoadReadsSpamDat) {
  dir_.Write("inst/spam/spam.dat",
             "SpamMaxThreads=6\r\nAddSubjectString=\r\nSpamPercentage=2550\r\n");
  Context context;
  Open(context);
  EXPECT_EQ(context.spam_settings().Text("SpamMaxThreads"), "6");
  EXPECT_EQ(context.spam_settings().Text("AddSubjectString"), "[Spam]");
  EXPECT_EQ(context.spam_settings().Text("SpamPercentage"), "2550");
  EXPECT_TRUE(context.spam_settings().freshly_loaded());
}

TEST_F(SpamSettingsFileTest, PathDatMovesTheSpamDirectory) {
  dir_.Write("inst/path.dat", "\r\n\r\n\r\n\r\n\r\n" + dir_.path() + "elsewhere\r\n");
  dir_.Write("elsewhere/spam.dat", "SpamMaxThreads=9\r\n");
  dir_.Write("inst/spam/spam.dat", "SpamMaxThreads=1\r\n");
  Context context;
  Open(context);
  EXPECT_EQ(SpamSettingsPath(context), dir_.path() + "elsewhere/spam.dat");
  EXPECT_EQ(context.spam_settings().Text("SpamMaxThreads"), "9");
}

TEST_F(SpamSettingsFileTest, AMissingFileChangesNothing) {
  Context context;
  Open(context);
  ASSERT_TRUE(context.spam_settings().Set("SpamMaxThreads", "3").ok());
  EXPECT_FALSE(context.spam_settings().freshly_loaded());
  ASSERT_TRUE(LoadSpamSettings(context).ok());
  EXPECT_EQ(context.spam_settings().Text("SpamMaxThreads"), "3");
  EXPECT_TRUE(context.spam_settings().freshly_loaded());
}

TEST_F(SpamSettingsFileTest, SaveWritesEverySettingAndLoadReadsItBack) {
  Context context;
  Open(context);
  ASSERT_TRUE(context.spam_settings().Set("SpamUpdateTime", "4:15").ok());
  ASSERT_TRUE(SaveSpamSettings(context).ok());
  const std::string file = dir_.Read("inst/spam/spam.dat");
  EXPECT_TRUE(file.starts_with("SpamBayesian=0\r\nSpamBayesianNoTag=0\r\n")) << file;
  EXPECT_NE(file.find("\r\nSpamUpdateTime=4:15\r\n"), std::string::npos);
  EXPECT_TRUE(file.ends_with("SpamHashExpire=0\r\n"));

  Context other;
  Open(other);
  EXPECT_EQ(other.spam_settings().FileText(), file);
}

TEST_F(SpamSettingsFileTest, ChangeKeepsWhatAnotherProgramSavedMeanwhile) {
  Context mine;
  Open(mine);
  {
    Context theirs;
    Open(theirs);
    ASSERT_TRUE(ChangeSpamSetting(theirs, "SpamMaxThreads", "7").ok());
  }
  ASSERT_TRUE(ChangeSpamSetting(mine, "spamcustomhigh", "80").ok());
  SpamSettings read;
  read.ApplyFileText(dir_.Read("inst/spam/spam.dat"));
  EXPECT_EQ(read.Text("SpamMaxThreads"), "7");
  EXPECT_EQ(read.Text("SpamCustomHigh"), "80");
}

TEST_F(SpamSettingsFileTest, ARefusedChangeLeavesTheFileAlone) {
  dir_.Write("inst/spam/spam.dat", "SpamMaxThreads=6\r\n");
  Context context;
  Open(context);
  const Status refused = ChangeSpamSetting(context, "SpamMaxThreads", "many");
  EXPECT_EQ(refused, StatusCode::kInvalidArgument);
  EXPECT_EQ(dir_.Read("inst/spam/spam.dat"), "SpamMaxThreads=6\r\n");
  EXPECT_EQ(ChangeSpamSetting(context, "NoSuchSetting", "1"), StatusCode::kInvalidArgument);
}

TEST_F(SpamSettingsFileTest, AFolderInPlaceOfTheFileFailsTheLoadWithoutChanges) {
  dir_.Write("inst/spam/spam.dat/x", "");
  Context context;
  Open(context);
  EXPECT_FALSE(LoadSpamSettings(context).ok());
  EXPECT_EQ(context.spam_settings().Text("SpamMaxThreads"), "0");
}

}  // namespace
}  // namespace tarvelin
