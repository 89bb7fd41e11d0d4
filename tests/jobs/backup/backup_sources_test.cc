#include "jobs/backup/backup_sources.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "schema/config_offsets.h"
#include "config/config_state.h"
#include "config/api_state.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::TempDir;

constexpr int64_t kDayNs = 86400LL * 1000000000;

class BackupSourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.path() + "inst/";
    api_.install_path = root_;
    api_.config_path = root_ + "config/";
    config_.derived.spam_directory = root_ + "spam/";
    config_.derived.calendar_directory = root_ + "calendar/";
    config_.record.SetText(offsets::kLogDirectory, root_ + "logs/");
    config_.record.SetText(offsets::kMailRoot, root_ + "mail/");
    for (const char* folder : {"config", "webmail/config", "spam/rules", "logs", "calendar", "mail",
                               "extra", "sub/dir"}) {
      dir_.Write(std::string("inst/") + folder + "/.keep", "");
    }
  }

  struct Row {
    std::string directory;
    std::string prefix;
    bool recursive;
    bool mail;
    bool operator==(const Row&) const = default;
  };
  std::vector<Row> Rows() const {
    std::vector<Row> rows;
    for (const BackupSource& s : BackupSources(env_, api_, config_)) {
      rows.push_back({s.directory, s.prefix, s.recursive, s.mail});
    }
    return rows;
  }

  TempDir dir_;
  mutable PosixEnv env_;
  std::string root_;
  ApiState api_;
  ConfigState config_;
};

TEST_F(BackupSourcesTest, EverySourceInOrderWhenAllConditionsHold) {
  config_.record.SetByte(backup_offsets::kTakeLogs, 1);
  config_.record.SetByte(backup_offsets::kTakeMail, 1);
  config_.record.SetText(backup_offsets::kExtraFolders, "extra; ;sub/dir/;/srv/abs");
  const std::vector<Row> expected = {
      {root_ + "config/", "", true, false},
      {root_ + "webmail/config/", "..\\webmail\\config\\", true, false},
      {root_ + "spam/", "..\\spam\\", false, false},
      {root_ + "spam/rules/", "..\\spam\\rules\\", true, false},
      {root_ + "logs/", "..\\logs\\", true, false},
      {root_ + "calendar/", "..\\calendar\\", true, false},
      {root_ + "mail/", "..\\mail\\", true, true},
      {root_ + "extra/", "..\\extra\\", true, false},
      {root_ + "sub/dir/", "..\\sub\\dir\\", true, false},
      {"/srv/abs/", "..\\\\srv\\abs\\", true, false},
  };
  EXPECT_EQ(Rows(), expected);
}

TEST_F(BackupSourcesTest, SettingsOffAndMissingFoldersLeaveSourcesOut) {
  // Logs and mail are off; webmail and the calendar folder do not exist.
  std::filesystem::remove_all(root_ + "calendar");
  std::filesystem::remove_all(root_ + "webmail");
  const std::vector<Row> expected = {
      {root_ + "config/", "", true, false},
      {root_ + "spam/", "..\\spam\\", false, false},
      {root_ + "spam/rules/", "..\\spam\\rules\\", true, false},
  };
  EXPECT_EQ(Rows(), expected);
  // The mail root is taken when switched on, whether it exists or not.
  config_.record.SetByte(backup_offsets::kTakeMail, 1);
  config_.record.SetText(offsets::kMailRoot, root_ + "nomail\\");
  EXPECT_EQ(Rows().back(), (Row{root_ + "nomail\\", "..\\mail\\", true, true}));
}

TEST(MailFilter, FromTheSettings) {
  ServerConfig record;
  const int64_t now = 1'700'000'000LL * 1'000'000'000;
  MailFilter filter = MailFilterOf(record, now);
  EXPECT_FALSE(filter.take_temporary);
  EXPECT_EQ(filter.max_bytes, 0);
  EXPECT_EQ(filter.changed_since_ns, 0);
  record.SetByte(backup_offsets::kTakeMailTempFiles, 1);
  record.SetNumber(backup_offsets::kMailMaxMegabytes, 4, 3);
  record.SetNumber(backup_offsets::kMailMaxAgeDays, 4, 7);
  filter = MailFilterOf(record, now);
  EXPECT_TRUE(filter.take_temporary);
  EXPECT_EQ(filter.max_bytes, 3 * 1048576);
  EXPECT_EQ(filter.changed_since_ns, now - 7 * kDayNs);
  // The largest day count must not overflow into the future.
  record.SetNumber(backup_offsets::kMailMaxAgeDays, 4, 0xFFFFFFFF);
  filter = MailFilterOf(record, now);
  EXPECT_LT(filter.changed_since_ns, 0);
}

TEST(MailFilter, WhichFilesAreTaken) {
  const int64_t now = 1'700'000'000LL * 1'000'000'000;
  const MailFilter plain;
  const MailFilter with_temporary{true, 0, 0};
  const MailFilter recent_small{true, 1048576, now - 7 * kDayNs};
  struct Case {
    const MailFilter* filter;
    const char* name;
    int64_t size;
    int64_t mtime;
    bool taken;
  };
  const Case cases[] = {
      {&plain, "1.eml", 10, 0, true},
      {&plain, "a.tm$", 10, now, false},
      {&plain, "INDEX.DAT", 10, now, false},
      {&plain, "index.dat.bak", 10, now, true},
      {&plain, "msg.tmp", 10, now, false},
      {&plain, "msg.IMAP", 10, now, false},
      {&with_temporary, "msg.tmp", 10, now, true},
      {&with_temporary, "msg.imap", 10, now, true},
      {&with_temporary, "x.tm$", 10, now, false},
      {&recent_small, "new.imap", 1048576, now - 6 * kDayNs, true},
      {&recent_small, "old.imap", 10, now - 8 * kDayNs, false},
      {&recent_small, "big.imap", 1048577, now, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MailFileWanted(*c.filter, c.name, c.size, c.mtime), c.taken) << c.name;
  }
}

TEST(WalkSource, FiltersOnlyTheMailRootByFileName) {
  TempDir dir;
  PosixEnv env;
  dir.Write("mail/d/u/1.imap", "x");
  dir.Write("mail/d/u/2.eml", "x");
  dir.Write("mail/d/u/index.dat", "x");
  for (bool mail : {true, false}) {
    std::vector<std::string> seen;
    WalkSource(env, {dir.path() + "mail/", "..\\mail\\", true, mail}, MailFilter(),
               [&](const WalkedFile& file) {
                 seen.push_back(file.relative);
                 return true;
               });
    const std::vector<std::string> expected =
        mail ? std::vector<std::string>{"d/u/2.eml"}
             : std::vector<std::string>{"d/u/1.imap", "d/u/2.eml", "d/u/index.dat"};
    EXPECT_EQ(seen, expected);
  }
}

}  // namespace
}  // namespace tarvelin
