// The check of an installation: each kind of damage, failed check and
// warning on a small installation built by hand, and that it writes
// nothing.
#include "jobs/check/installation_check.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/config/init.h"
#include "core/context.h"
#include "schema/config_offsets.h"
#include "schema/domain_record_layout.h"
#include "support/installation.h"
#include "support/temp_dir.h"
#include "support/users_file_builder.h"

namespace tarvelin {
namespace {

// The id of a process that has ended.
int64_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

// Two domains: a.example with john and mary, b.example with bob, each
// with a mail folder of its own.
class InstallationCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteSettings(ServerConfig());
    dir_.Write("config/domains.cfg", testing::DomainsFileOf({"a.example", "b.example"}));
    for (const std::string domain : {"a.example", "b.example"}) {
      dir_.Write("config/" + domain + "/domain.cfg", std::string(kDomainRecordSize, '\0'));
    }
    WriteUsers("a.example", {testing::MakeUser("john;j", "john", "pw", "a.example/john/"),
                             testing::MakeUser("mary", "mary", "pw", "a.example/mary/")});
    WriteUsers("b.example", {testing::MakeUser("bob", "bob", "pw", "b.example/bob/")});
  }
  void WriteSettings(ServerConfig record) {
    record.SetNumber(offsets::kDomainCount, 4, 2);
    record.SetByte(offsets::kDomainTableFormat, 1);
    dir_.Write("config/settings.cfg", testing::SettingsFileOf(record));
  }
  void WriteUsers(const std::string& domain, const std::vector<UserRecord>& records) {
    dir_.Write("config/" + domain + "/users.cfg", testing::FileOf(records));
  }
  // "level file: problem", the installation's folder cut from the file.
  std::vector<std::string> Check(CheckOptions options = {}) {
    Context context;
    LoadToInspect(context, dir_.path().c_str());
    std::vector<std::string> lines;
    CheckInstallation(
        context,
        [&](const FileProblem& problem) {
          lines.push_back(std::string(LevelName(problem.level)) + " " +
                          problem.file.substr(dir_.path().size()) + ": " + problem.problem);
        },
        options);
    return lines;
  }
  std::string Path(const std::string& relative) const { return dir_.path() + relative; }

  testing::TempDir dir_;
};

TEST_F(InstallationCheckTest, ASoundInstallationHasNoProblems) {
  EXPECT_EQ(Check(), std::vector<std::string>{});
}

TEST_F(InstallationCheckTest, EachProblemIsOneLineNamingItsFile) {
  const int64_t ended = EndedProcess();
  const struct {
    std::string what;
    std::function<void()> make;
    std::vector<std::string> lines;
  } cases[] = {
      {"settings.cfg missing",
       [&] { std::filesystem::remove(Path("config/settings.cfg")); },
       {"damaged config/settings.cfg: is missing"}},
      {"settings.cfg cut",
       [&] { std::filesystem::resize_file(Path("config/settings.cfg"), 28000); },
       {"damaged config/settings.cfg: holds 28000 bytes, not 28084 bytes: the settings past "
        "byte 28000 read as their built-in values"}},
      // As a fresh installation lists its domains: a warning.
      {"a domain folder missing",
       [&] { std::filesystem::remove_all(Path("config/b.example")); },
       {"warning config/b.example/: the listed domain b.example has no configuration folder: no "
        "settings record (domain.cfg) and no accounts"}},
      {"domain.cfg missing",
       [&] { std::filesystem::remove(Path("config/a.example/domain.cfg")); },
       {"warning config/a.example/domain.cfg: is missing: the listed domain a.example has no "
        "settings record"}},
      {"a domain folder that is a file",
       [&] {
         std::filesystem::remove_all(Path("config/b.example"));
         dir_.Write("config/b.example", "x");
       },
       {"damaged config/b.example/: the configuration folder of the listed domain b.example is "
        "no folder: its settings and accounts cannot be read"}},
      {"domain.cfg cut",
       [&] { std::filesystem::resize_file(Path("config/a.example/domain.cfg"), 100); },
       {"damaged config/a.example/domain.cfg: holds 100 bytes, not 1169: the settings past them "
        "read as zero"}},
      {"users.cfg torn",
       [&] { std::filesystem::resize_file(Path("config/b.example/users.cfg"), 2848 + 10); },
       {"damaged config/b.example/users.cfg: holds 2858 bytes, no whole number of 2848 bytes "
        "account records: a torn record of 10 bytes at its end is not read"}},
      {"users.cfg no file",
       [&] {
         std::filesystem::remove(Path("config/b.example/users.cfg"));
         std::filesystem::create_directory(Path("config/b.example/users.cfg"));
       },
       {"damaged config/b.example/users.cfg: is no regular file"}},
      {"remote.cfg torn",
       [&] { dir_.Write("config/remote.cfg", std::string(1828 * 2 + 1, '\0')); },
       {"damaged config/remote.cfg: holds 3657 bytes, no whole number of 1828 bytes remote "
        "account records: a torn record of 1 byte at its end is not read"}},
      {"domains.cfg shorter than its count",
       [&] { std::filesystem::resize_file(Path("config/domains.cfg"), 96); },
       {"damaged config/domains.cfg: holds 96 bytes, but the list of 2 domains takes 192 bytes: "
        "the entries past byte 96 read as blank domains",
        "damaged config/domains.cfg: the list holds 1 domain without a name, at position 1"}},
      {"an alias answered twice",
       [&] {
         WriteUsers("b.example", {testing::MakeUser("bob", "bob", "pw", "b.example/bob/"),
                                  testing::MakeUser("robert;BOB", "rob", "pw", "b.example/rob/")});
       },
       {"error config/b.example/users.cfg: accounts 'bob' (position 0) and 'robert' (position 1) "
        "both answer the alias 'bob' of b.example; its mail goes to the first"}},
      {"a mail folder shared across domains",
       [&] { WriteUsers("b.example", {testing::MakeUser("bob", "bob", "pw", "a.example\\john")}); },
       {"error config/b.example/users.cfg: account 'bob' (position 0) of b.example has the mail "
        "folder " + Path("mail/a.example/john/") + " of account 'john' (position 0) of a.example"}},
      {"folders outside the installation",
       [&] {
         ServerConfig record;
         record.SetText(offsets::kMailRoot, "/elsewhere/mail/");
         record.SetText(offsets::kLogDirectory, "../logs-of-all/");
         WriteSettings(record);
         dir_.Write("path.dat", "\n\n\n\n\n/srv/spam\n");
       },
       {"warning config/settings.cfg: the mail root (setting 23) names /elsewhere/mail/, outside "
        "the installation " + dir_.path(),
        "warning config/settings.cfg: the log folder (setting 24) names ../logs-of-all/, outside "
        "the installation " + dir_.path(),
        "warning path.dat: the spam folder (line 6) names /srv/spam/, outside the installation " +
            dir_.path()}},
      {"a stale temporary file",
       [&] { dir_.Write("config/a.example/users.cfg.tmp." + std::to_string(ended) + ".ab.1", "x"); },
       {"warning config/a.example/users.cfg.tmp." + std::to_string(ended) +
        ".ab.1: a temporary file of program " + std::to_string(ended) +
        ", which ended before it put the file in place; the next backup or restore removes it"}},
  };
  for (const auto& c : cases) {
    SetUp();
    c.make();
    EXPECT_EQ(Check(), c.lines) << c.what;
    // Back to a sound installation for the next case.
    std::filesystem::remove_all(dir_.path());
    std::filesystem::create_directories(dir_.path());
  }
}

TEST_F(InstallationCheckTest, UnreadableFilesAreDamaged) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
  ::chmod(Path("config/a.example/users.cfg").c_str(), 0);
  const std::vector<std::string> lines = Check();
  ::chmod(Path("config/a.example/users.cfg").c_str(), 0644);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0], "damaged config/a.example/users.cfg: cannot be read: Permission denied");
}

TEST_F(InstallationCheckTest, SharedFoldersAreFoundInAnyNumberOfPasses) {
  WriteUsers("a.example", {testing::MakeUser("john", "john", "pw", "a.example/john/"),
                           testing::MakeUser("mary", "mary", "pw", "a.example/mary/"),
                           testing::MakeUser("ann", "ann", "pw", "a.example/./mary"),
                           testing::MakeUser("joe", "joe", "pw", "a.example/joe/")});
  const std::vector<std::string> expected = {
      "error config/a.example/users.cfg: account 'ann' (position 2) of a.example has the mail "
      "folder " + Path("mail/a.example/mary/") + " of account 'mary' (position 1) of a.example"};
  for (const int64_t per_pass : {int64_t{1}, int64_t{2}, int64_t{1} << 20}) {
    EXPECT_EQ(Check({.folders_per_pass = per_pass}), expected) << per_pass;
  }
}

// Every file with its size and stamp.
std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>> Tree(
    const std::string& root) {
  std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>> tree;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    tree[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0,
                                   entry.last_write_time()};
  }
  return tree;
}

TEST_F(InstallationCheckTest, ChangesNothingItFinds) {
  dir_.Write("config/" + std::string(".~tarvelin.") + std::to_string(EndedProcess()) + ".ab.1",
             "half");
  std::filesystem::resize_file(Path("config/settings.cfg"), 1000);
  std::filesystem::resize_file(Path("config/a.example/users.cfg"), 2848 + 1);
  const auto before = Tree(dir_.path());
  EXPECT_EQ(Check().size(), 3u);
  EXPECT_EQ(Tree(dir_.path()), before);
}

}  // namespace
}  // namespace tarvelin
