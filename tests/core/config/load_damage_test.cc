// The damage a load reads past: settings.cfg of the wrong size, a
// domains.cfg that disagrees with the domain count, torn record files.
#include "core/config/load_damage.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "core/config/configuration.h"
#include "core/context.h"
#include "schema/config_offsets.h"
#include "schema/remote_record_layout.h"
#include "store/lock_names.h"
#include "support/installation.h"
#include "support/lock_holder.h"
#include "support/temp_dir.h"
#include "support/users_file_builder.h"

namespace tarvelin {
namespace {

// An installation with `count` in settings.cfg and the list in domains.cfg.
class LoadDamageTest : public ::testing::Test {
 protected:
  void WriteSettings(int count, size_t size = kServerConfigSize) {
    ServerConfig record = testing::RecordWithDomainCount(count);
    record.SetByte(offsets::kDomainTableFormat, 1);
    std::string bytes = testing::SettingsFileOf(record);
    bytes.resize(size, '\x5a');
    dir_.Write("config/settings.cfg", bytes);
  }
  std::vector<FileProblem> Load() {
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
    LoadConfiguration(context_, /*must_exist=*/false);
    LoadDamageFound found = LoadDamage(context_);
    found.list.insert(found.list.end(), found.records.begin(), found.records.end());
    return found.list;
  }
  // The problems as "file: problem", the folder of the installation cut.
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (const FileProblem& problem : Load()) {
      EXPECT_EQ(problem.level, ProblemLevel::kDamaged);
      lines.push_back(problem.file.substr(dir_.path().size()) + ": " + problem.problem);
    }
    return lines;
  }

  testing::TempDir dir_;
  Context context_;
};

TEST_F(LoadDamageTest, SettingsOfAnotherSizeThanTheRecord) {
  const struct {
    size_t size;
    std::vector<std::string> lines;
  } cases[] = {
      {kServerConfigSize, {}},
      {1000,
       {"config/settings.cfg: holds 1000 bytes, not 28084 bytes: the settings past byte 1000 "
        "read as their built-in values"}},
      {kServerConfigSize + 16,
       {"config/settings.cfg: holds 28100 bytes, not 28084 bytes: the 16 bytes past the record "
        "are not read, and a save drops them"}},
  };
  for (const auto& c : cases) {
    WriteSettings(0, c.size);
    EXPECT_EQ(Lines(), c.lines) << c.size;
  }
}

TEST_F(LoadDamageTest, DomainListAgainstTheCount) {
  const std::string two = testing::DomainsFileOf({"a.example", "b.example"});
  const struct {
    int count;
    std::string domains_cfg;
    std::vector<std::string> lines;
  } cases[] = {
      {2, two, {}},
      {0, "", {}},
      // The fault: 9 counted, 10 bytes there; 8 domains listed blank.
      {9,
       std::string(two.data(), 10),
       {"config/domains.cfg: holds 10 bytes, but the list of 9 domains takes 864 bytes: the "
        "entries past byte 10 read as blank domains",
        "config/domains.cfg: the list holds 8 domains without a name, at positions 1-8"}},
      {0,
       two + std::string(8, 'x'),
       {"config/domains.cfg: holds 200 bytes, but the list of 2 domains takes 192 bytes: a "
        "torn entry of 8 bytes at its end is not read"}},
      {1,
       two,
       {"config/domains.cfg: holds 192 bytes, but the list of 1 domain takes 96 bytes "
        "(settings.cfg counts the domains): the 96 bytes after them are not read, and a save "
        "drops them"}},
  };
  for (const auto& c : cases) {
    WriteSettings(c.count);
    dir_.Write("config/domains.cfg", c.domains_cfg);
    EXPECT_EQ(Lines(), c.lines) << c.count << " domains, " << c.domains_cfg.size() << " bytes";
  }
}

TEST_F(LoadDamageTest, RecordFilesWithATornTail) {
  WriteSettings(2);
  dir_.Write("config/domains.cfg", testing::DomainsFileOf({"a.example", "b.example"}));
  const std::string users = testing::FileOf({testing::MakeRecord("one"), testing::MakeRecord("two")});
  dir_.Write("config/a.example/users.cfg", users);
  dir_.Write("config/b.example/users.cfg", users + "torn");
  dir_.Write("config/remote.cfg", std::string(kRemoteRecordSize + 3, '\0'));
  EXPECT_EQ(Lines(), (std::vector<std::string>{
                         "config/remote.cfg: holds 1831 bytes, no whole number of 1828 bytes "
                         "remote account records: a torn record of 3 bytes at its end is not read",
                         "config/b.example/users.cfg: holds 5700 bytes, no whole number of 2848 "
                         "bytes account records: a torn record of 4 bytes at its end is not read",
                     }));
}

TEST_F(LoadDamageTest, ASaveWouldOverwriteOnlyDamagedSettingsOrList) {
  WriteSettings(1);
  dir_.Write("config/domains.cfg", testing::DomainsFileOf({"a.example"}));
  dir_.Write("config/a.example/users.cfg", "torn");
  Load();
  LoadDamageFound found = LoadDamage(context_);
  EXPECT_TRUE(found.list.empty());  // users.cfg is not saved
  EXPECT_EQ(found.records.size(), 1u);
  WriteSettings(1, 500);
  Load();
  found = LoadDamage(context_);
  ASSERT_EQ(found.list.size(), 1u);
  EXPECT_EQ(found.list[0].file, dir_.path() + "config/settings.cfg");
}

// Another program saving writes settings.cfg, then domains.cfg, under the
// settings lock: a load in between sees one domain more counted than
// listed. That is no damage: the list is looked at again once the writer
// is done.
TEST_F(LoadDamageTest, ASaveInProgressIsNoDamage) {
  using namespace std::chrono_literals;
  const std::string lock_file = LockFileOf(dir_.path() + "config/");
  WriteSettings(2);
  dir_.Write("config/domains.cfg", testing::DomainsFileOf({"a.example"}));
  dir_.Write("config/admin.lock", "");
  // With nobody writing, it stays damage.
  EXPECT_EQ(Lines().size(), 2u);

  const pid_t writer = testing::StartLockHolder(lock_file, std::string(kSettingsLock));
  ASSERT_GT(writer, 0);
  LoadConfiguration(context_, /*must_exist=*/false);
  std::future<LoadDamageFound> damage =
      std::async(std::launch::async, [&] { return LoadDamage(context_); });
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(damage.wait_for(0s), std::future_status::timeout) << "waits for the writer";
  dir_.Write("config/domains.cfg", testing::DomainsFileOf({"a.example", "b.example"}));
  kill(writer, SIGKILL);
  waitpid(writer, nullptr, 0);
  const LoadDamageFound found = damage.get();
  EXPECT_EQ(found.list.size() + found.records.size(), 0u);
  EXPECT_EQ(context_.domains().NameAt(1), "b.example") << "the list as the writer left it";
}

}  // namespace
}  // namespace tarvelin
