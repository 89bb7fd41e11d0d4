// BackupConfig through the C API on a test installation, read back with the
// test's own archive reader.
#include "jobs/backup/backup_config.h"

#include <gtest/gtest.h>
#include <time.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "jobs/backup/backup_sources.h"
#include "schema/config_offsets.h"
#include "jobs/backup/test_archive.h"
#include "api/c/the_context.h"
#include "core/context.h"
#include "support/installation.h"
#include "support/temp_dir.h"
#include "tarvelin/api.h"

namespace tarvelin {
namespace {

using testing::ArchiveEntry;
using testing::ReadArchive;
using testing::SettingsFileOf;
using testing::TempDir;

namespace fs = std::filesystem;

std::vector<std::string> NamesOf(const std::vector<ArchiveEntry>& entries) {
  std::vector<std::string> names;
  for (const ArchiveEntry& entry : entries) names.push_back(entry.name);
  return names;
}

bool HasPrefix(const std::vector<ArchiveEntry>& entries, const std::string& prefix) {
  for (const ArchiveEntry& entry : entries) {
    if (entry.name.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

// An installation whose settings name absolute folders inside it.
class BackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.path() + "inst/";
    record_.SetText(offsets::kTempDirectory, root_ + "temp/");
    record_.SetText(offsets::kMailRoot, root_ + "mail/");
    record_.SetText(offsets::kLogDirectory, root_ + "logs/");
    dir_.Write("inst/config/domains.cfg", testing::DomainsFileOf({"example.org"}));
    dir_.Write("inst/config/example.org/domain.cfg", "domain record");
    dir_.Write("inst/webmail/config/site.ini", "[site]");
    dir_.Write("inst/spam/spam.dat", "spam settings");
    dir_.Write("inst/spam/index/skipped.idx", "not taken: sub-directory");
    dir_.Write("inst/spam/rules/local.rul", "rule");
    dir_.Write("inst/logs/s20240101.log", "log line");
    dir_.Write("inst/calendar/cal.db", "calendar");
    dir_.Write("inst/mail/example.org/bob/1.eml", "mail one");
    dir_.Write("inst/mail/example.org/bob/2.imap", "mail two");
    dir_.Write("inst/mail/example.org/bob/3.tmp", "mail three");
    dir_.Write("inst/mail/example.org/bob/index.dat", "index");
    dir_.Write("inst/extra/notes.txt", "extra");
  }

  // Writes settings.cfg from record_ and opens the installation.
  void Open() {
    dir_.Write("inst/config/settings.cfg", SettingsFileOf(record_));
    ASSERT_EQ(::Init(root_.c_str()), 0);
  }

  std::vector<ArchiveEntry> Backup() {
    const std::string archive = dir_.path() + "backup.ilds";
    EXPECT_EQ(::BackupConfig(archive.c_str()), 0);
    return ReadArchive(dir_.Read("backup.ilds"));
  }

  TempDir dir_;
  std::string root_;
  ServerConfig record_;
};

TEST_F(BackupTest, EverySourceInOrderWithItsPrefix) {
  record_.SetByte(backup_offsets::kTakeLogs, 1);
  record_.SetByte(backup_offsets::kTakeMail, 1);
  record_.SetByte(backup_offsets::kTakeMailTempFiles, 1);
  record_.SetText(backup_offsets::kExtraFolders, "extra");
  Open();
  const std::vector<ArchiveEntry> entries = Backup();
  const std::vector<std::string> expected = {
      "domains.cfg",
      "example.org\\domain.cfg",
      "settings.cfg",
      "..\\webmail\\config\\site.ini",
      "..\\spam\\spam.dat",
      "..\\spam\\rules\\local.rul",
      "..\\logs\\s20240101.log",
      "..\\calendar\\cal.db",
      "..\\mail\\example.org\\bob\\1.eml",
      "..\\mail\\example.org\\bob\\2.imap",
      "..\\mail\\example.org\\bob\\3.tmp",
      "..\\extra\\notes.txt",
  };
  EXPECT_EQ(NamesOf(entries), expected);
  EXPECT_EQ(entries[1].content, "domain record");
  EXPECT_EQ(entries[0].content, testing::DomainsFileOf({"example.org"}));
}

TEST_F(BackupTest, LogsOnlyWithSetting434) {
  Open();
  EXPECT_FALSE(HasPrefix(Backup(), "..\\logs\\"));
  EXPECT_FALSE(HasPrefix(Backup(), "..\\mail\\")) << "setting 254 is off too";
}

TEST_F(BackupTest, MailFilters) {
  record_.SetByte(backup_offsets::kTakeMail, 1);
  record_.SetNumber(backup_offsets::kMailMaxAgeDays, 4, 7);
  record_.SetNumber(backup_offsets::kMailMaxMegabytes, 4, 1);
  const std::string bob = "inst/mail/example.org/bob/";
  dir_.Write(bob + "old.eml", "eight days old");
  fs::last_write_time(root_ + "mail/example.org/bob/old.eml",
                      fs::file_time_type::clock::now() - std::chrono::hours(24 * 8));
  dir_.Write(bob + "week.eml", "six days old");
  fs::last_write_time(root_ + "mail/example.org/bob/week.eml",
                      fs::file_time_type::clock::now() - std::chrono::hours(24 * 6));
  dir_.Write(bob + "big.eml", std::string(1048577, 'b'));
  dir_.Write(bob + "limit.eml", std::string(1048576, 'l'));
  dir_.Write(bob + "x.tm$", "transfer");
  Open();
  std::vector<std::string> mail;
  for (const std::string& name : NamesOf(Backup())) {
    if (name.rfind("..\\mail\\", 0) == 0) mail.push_back(name.substr(24));
  }
  EXPECT_EQ(mail, (std::vector<std::string>{"1.eml", "limit.eml", "week.eml"}))
      << "no *.tmp or *.imap with setting 426 = 0, nothing older than 7 days, nothing over 1 MB";
}

TEST_F(BackupTest, QuotedPartsOfThePathBecomeTheDate) {
  Open();
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  char today[16];
  strftime(today, sizeof today, "%Y-%m-%d", &local);
  const std::string pattern = dir_.path() + "backup-\"yyyy-mm-dd\".ilds";
  ASSERT_EQ(::BackupConfig(pattern.c_str()), 0);
  EXPECT_TRUE(dir_.Exists(std::string("backup-") + today + ".ilds"));
}

TEST(ExpandDateStamps, EachQuotedPartIsAPicture) {
  const CivilDateTime when{{2024, 2, 29}, {13, 5, 9, 0}};
  struct Case {
    const char* path;
    const char* expanded;
  };
  const Case cases[] = {
      {"/b/\"yyyymmdd\".ilds", "/b/20240229.ilds"},
      {"a\"yyyy\"-\"hhnn\"z", "a2024-1305z"},
      {"plain.ilds", "plain.ilds"},
      {"\"\"x", "x"},
      {"unpaired\"yyyy", "unpaired\"yyyy"},
  };
  for (const Case& c : cases) EXPECT_EQ(ExpandDateStamps(c.path, when), c.expanded) << c.path;
}

TEST_F(BackupTest, AnArchiveInsideTheConfigurationLeavesItselfOut) {
  Open();
  const std::string archive = root_ + "config/self.ilds";
  ASSERT_EQ(::BackupConfig(archive.c_str()), 0);
  ASSERT_EQ(::BackupConfig(archive.c_str()), 0) << "again, over the first archive";
  for (const std::string& name : NamesOf(ReadArchive(dir_.Read("inst/config/self.ilds")))) {
    EXPECT_EQ(name.find("self"), std::string::npos) << name;
    EXPECT_EQ(name.find(".~"), std::string::npos) << name;
  }
}

TEST_F(BackupTest, FailuresAreReported) {
  Open();
  EXPECT_EQ(::BackupConfig((dir_.path() + "missing/backup.ilds").c_str()), -1);
  EXPECT_FALSE(dir_.Exists("missing"));
  EXPECT_EQ(::BackupConfig(nullptr), -1);
  EXPECT_EQ(::BackupConfig(""), -1);
}

TEST_F(BackupTest, AFileWhoseNameCannotBeStoredFailsTheBackupButNotTheRest) {
  dir_.Write("inst/config/" + std::string(250, 'n'), "too long with a prefix");
  record_.SetByte(backup_offsets::kTakeMail, 1);
  dir_.Write("inst/mail/" + std::string(250, 'm'), "name over 255 bytes with ..\\mail\\");
  Open();
  const std::string archive = dir_.path() + "backup.ilds";
  EXPECT_EQ(::BackupConfig(archive.c_str()), -1);
  const std::vector<ArchiveEntry> entries = ReadArchive(dir_.Read("backup.ilds"));
  EXPECT_TRUE(HasPrefix(entries, std::string(250, 'n'))) << "fits without a prefix";
  EXPECT_TRUE(HasPrefix(entries, "..\\mail\\example.org\\bob\\1.eml"));
  EXPECT_FALSE(HasPrefix(entries, "..\\mail\\mmm"));
}

TEST_F(BackupTest, ProgressCountsWhatWillBeWritten) {
  record_.SetByte(backup_offsets::kTakeMail, 1);
  Open();
  std::vector<ArchiveProgress> seen;
  ASSERT_TRUE(BackupConfiguration(TheContext(), dir_.path() + "b.ilds",
                                  [&](const ArchiveProgress& p) { seen.push_back(p); })
                  .ok());
  const size_t entries = ReadArchive(dir_.Read("b.ilds")).size();
  ASSERT_EQ(seen.size(), entries);
  EXPECT_EQ(seen.back().files_done, seen.back().files_total);
  EXPECT_EQ(seen.back().bytes_done, seen.back().bytes_total);
  EXPECT_EQ(seen.back().files_total, static_cast<int64_t>(entries));
}

TEST(BackupNotInitialised, ReportsMinusFive) {
  TempDir dir;
  EXPECT_EQ(::BackupConfig((dir.path() + "b.ilds").c_str()), -5);
  EXPECT_EQ(::RestoreConfig((dir.path() + "b.ilds").c_str()), -5);
  EXPECT_FALSE(dir.Exists("b.ilds"));
}

// A tree of files, path to content, for comparing installations.
std::map<std::string, std::string> TreeOf(const std::string& root) {
  std::map<std::string, std::string> tree;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    tree[fs::relative(entry.path(), root).string()] =
        std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  return tree;
}

TEST_F(BackupTest, RestoreOfItsOwnBackupGivesBackIdenticalFiles) {
  record_.SetByte(backup_offsets::kTakeLogs, 1);
  record_.SetByte(backup_offsets::kTakeMail, 1);
  record_.SetByte(backup_offsets::kTakeMailTempFiles, 1);
  record_.SetText(backup_offsets::kExtraFolders, "extra");
  dir_.Write("inst/mail/example.org/bob/big.imap", std::string(3 << 20, 'x') + "end");
  fs::remove(root_ + "mail/example.org/bob/index.dat");  // never backed up
  fs::remove_all(root_ + "spam/index");                  // nor is this
  Open();
  ::SaveConfig();  // settings.cfg as this library writes it
  const std::map<std::string, std::string> before = TreeOf(root_);
  const std::string archive = dir_.path() + "backup.ilds";
  ASSERT_EQ(::BackupConfig(archive.c_str()), 0);

  dir_.Write("inst/config/example.org/domain.cfg", "changed");
  fs::remove_all(root_ + "mail");
  fs::remove(root_ + "extra/notes.txt");
  dir_.Write("inst/spam/spam.dat", "changed too");
  ASSERT_EQ(::RestoreConfig(archive.c_str()), 0);
  EXPECT_EQ(TreeOf(root_), before);
}

}  // namespace
}  // namespace tarvelin
