// Two programs on one installation, each with its own Context, saving
// settings.cfg and domains.cfg: each keeps its own changes and takes over
// the other's; with nobody else writing, the bytes are those of a plain
// save; a program that changed nothing writes nothing.
#include "core/config/config_merge.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/config/config_save.h"
#include "core/config/config_variables.h"
#include "core/config/configuration.h"
#include "core/config/init.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "core/ops/domain_rename_delete.h"
#include "schema/config_offsets.h"
#include "support/installation.h"
#include "support/status_testing.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::DomainsFileOf;
using testing::RecordOfSettingsFile;
using testing::TempDir;

constexpr int32_t kHostNameId = 11;
constexpr int32_t kSmtpPortId = 27;
constexpr int kSmtpPortOffset = 1028;

// An installation as this library writes it, listing a.example and
// b.example.
void Install(const TempDir& dir) {
  for (const char* file : {"settings.cfg", "domains.cfg"}) {
    std::filesystem::remove(dir.path() + "config/" + file);
  }
  Context context;
  context.api.install_path = dir.path();
  context.api.config_path = dir.path() + "config/";
  LoadConfiguration(context, /*must_exist=*/false);
  context.domains().Append("a.example");
  context.domains().Append("b.example");
  ASSERT_TRUE(SaveConfiguration(context));
}

std::unique_ptr<Context> Open(const TempDir& dir) {
  auto context = std::make_unique<Context>();
  const Status opened = Init(*context, dir.path().c_str());
  EXPECT_TRUE(opened.ok()) << opened.ToString();
  return context;
}

void SetHost(Context& context, const std::string& host) {
  ASSERT_TRUE(
      SetConfigSetting(context, kHostNameId, host.data(), static_cast<int32_t>(host.size())).ok());
}

void SetPort(Context& context, uint32_t port) {
  ASSERT_TRUE(SetConfigSetting(context, kSmtpPortId, &port, 4).ok());
}

FileStamp StampOf(const TempDir& dir, const char* file) {
  return Context().env().GetFileStamp(dir.path() + "config/" + file).value_or(FileStamp{});
}

class ConfigMergeTest : public ::testing::Test {
 protected:
  void SetUp() override { Install(dir_); }

  // What a program starting now finds.
  ServerConfig SettingsOnDisk() const {
    return RecordOfSettingsFile(dir_.Read("config/settings.cfg"));
  }
  std::vector<std::string> ListedOnDisk() const {
    const std::vector<std::string> names = DomainNames(*Open(dir_));
    EXPECT_EQ(dir_.Read("config/domains.cfg"), DomainsFileOf(names)) << "count and file agree";
    return names;
  }

  TempDir dir_;
};

TEST_F(ConfigMergeTest, DifferentSettingsOfTwoProgramsBothSurvive) {
  auto first = Open(dir_);
  auto second = Open(dir_);
  SetHost(*first, "first.example");
  SetPort(*second, 2525);
  SaveConfig(*first);
  SaveConfig(*second);
  EXPECT_EQ(SettingsOnDisk().Text(offsets::kHostName), "first.example");
  EXPECT_EQ(SettingsOnDisk().Number(kSmtpPortOffset, 2), 2525u);
  EXPECT_EQ(second->config.record.Text(offsets::kHostName), "first.example")
      << "the saving program sees the other's change";
}

TEST_F(ConfigMergeTest, TheSameSettingChangedByBothTheLaterSaveWins) {
  auto first = Open(dir_);
  auto second = Open(dir_);
  SetHost(*first, "first.example");
  SetHost(*second, "second.example");
  SaveConfig(*first);
  SaveConfig(*second);
  EXPECT_EQ(SettingsOnDisk().Text(offsets::kHostName), "second.example");
  SaveConfig(*first);
  EXPECT_EQ(SettingsOnDisk().Text(offsets::kHostName), "second.example")
      << "a save after the first one changed nothing and writes nothing";
}

TEST_F(ConfigMergeTest, ListChangesOfTwoProgramsBothSurviveWithoutBlanks) {
  const struct {
    const char* what;
    std::function<void(Context&)> first, second;
    std::vector<std::string> listed;
  } cases[] = {
      {"two adds",
       [](Context& c) { ASSERT_TRUE(AddDomain(c, "x.example", {}).ok()); },
       [](Context& c) { ASSERT_TRUE(AddDomain(c, "y.example", {}).ok()); },
       {"a.example", "b.example", "x.example", "y.example"}},
      {"an add after the other program deleted",
       [](Context& c) { ASSERT_TRUE(DeleteDomain(c, 0).ok()); },
       [](Context& c) { ASSERT_TRUE(AddDomain(c, "y.example", {}).ok()); },
       {"b.example", "y.example"}},
      {"a delete by a position read before the other program deleted",
       [](Context& c) { ASSERT_TRUE(DeleteDomain(c, 0).ok()); },
       [](Context& c) { ASSERT_TRUE(DeleteDomain(c, 1).ok()); },  // b.example when read
       {}},
      {"a delete of a domain the other program renamed",
       [](Context& c) { ASSERT_TRUE(RenameDomain(c, "a.example", "z.example").ok()); },
       [](Context& c) { EXPECT_EQ(DeleteDomain(c, 0), StatusCode::kNotFound); },
       {"z.example", "b.example"}},
      {"a rename of a domain the other program deleted",
       [](Context& c) { ASSERT_TRUE(DeleteDomain(c, 0).ok()); },
       [](Context& c) {
         EXPECT_EQ(RenameDomain(c, "a.example", "z.example"), StatusCode::kNotFound);
       },
       {"b.example"}},
      {"an add of the name the other program added",
       [](Context& c) { ASSERT_TRUE(AddDomain(c, "x.example", {}).ok()); },
       [](Context& c) { EXPECT_EQ(AddDomain(c, "X.example", {}), StatusCode::kAlreadyExists); },
       {"a.example", "b.example", "x.example"}},
      {"an add of the name the other program renamed to",
       [](Context& c) { ASSERT_TRUE(RenameDomain(c, "b.example", "x.example").ok()); },
       [](Context& c) { EXPECT_EQ(AddDomain(c, "x.example", {}), StatusCode::kAlreadyExists); },
       {"a.example", "x.example"}},
      {"a setting saved after the other program added",
       [](Context& c) { ASSERT_TRUE(AddDomain(c, "x.example", {}).ok()); },
       [](Context& c) {
         SetHost(c, "host.example");
         SaveConfig(c);
       },
       {"a.example", "b.example", "x.example"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Install(dir_);
    auto first = Open(dir_);
    auto second = Open(dir_);
    c.first(*first);
    c.second(*second);
    EXPECT_EQ(ListedOnDisk(), c.listed);
    EXPECT_EQ(DomainNames(*second), c.listed) << "the second program sees the merged list";
  }
}

TEST_F(ConfigMergeTest, ListChangesNotYetSavedAreMadeAgainOnTheOtherProgramsList) {
  auto first = Open(dir_);
  auto second = Open(dir_);
  // Changes kept in memory until a save, as a management program may.
  second->domains().Append("y.example");
  second->domains().RemoveEntry(0);
  ASSERT_TRUE(AddDomain(*first, "x.example", {}).ok());
  ASSERT_TRUE(RenameDomain(*first, "a.example", "z.example").ok());
  SaveConfig(*second);
  EXPECT_EQ(ListedOnDisk(),
            (std::vector<std::string>{"z.example", "b.example", "x.example", "y.example"}))
      << "the removal of a.example finds no a.example";
}

TEST_F(ConfigMergeTest, AMissingFileIsWrittenWholeFromMemory) {
  for (const char* gone : {"settings.cfg", "domains.cfg"}) {
    SCOPED_TRACE(gone);
    Install(dir_);
    auto first = Open(dir_);
    auto other = Open(dir_);
    SetHost(*other, "other.example");
    SaveConfig(*other);  // the stamps move too
    ASSERT_EQ(std::remove((dir_.path() + "config/" + gone).c_str()), 0);
    SetPort(*first, 2525);
    first->domains().Append("x.example");
    SaveConfig(*first);
    EXPECT_TRUE(dir_.Exists("config/settings.cfg"));
    EXPECT_TRUE(dir_.Exists("config/domains.cfg"));
    EXPECT_EQ(SettingsOnDisk().Number(kSmtpPortOffset, 2), 2525u);
    EXPECT_EQ(ListedOnDisk(), (std::vector<std::string>{"a.example", "b.example", "x.example"}));
    EXPECT_TRUE(RecordOfSettingsFile(dir_.Read("config/settings.cfg")) == first->config.record);
  }
}

TEST_F(ConfigMergeTest, WithNobodyElseWritingTheBytesAreThoseOfAPlainSave) {
  TempDir copy;
  for (const char* file : {"config/settings.cfg", "config/domains.cfg"}) {
    copy.Write(file, dir_.Read(file));
  }
  auto merged = Open(dir_);
  auto plain = Open(copy);
  for (Context* context : {merged.get(), plain.get()}) {
    SetHost(*context, "changed.example");
    context->config.record.SetByte(147, 0x5A);  // a byte no field covers
    context->domains().RemoveEntry(0);
    context->domains().Append("x.example");
  }
  SaveConfig(*merged);
  ASSERT_TRUE(SaveConfiguration(*plain));
  for (const char* file : {"config/settings.cfg", "config/domains.cfg"}) {
    EXPECT_EQ(dir_.Read(file), copy.Read(file)) << file;
  }
}

TEST_F(ConfigMergeTest, AProgramThatChangedNothingWritesNothing) {
  auto idle = Open(dir_);
  auto other = Open(dir_);
  const FileStamp settings = StampOf(dir_, "settings.cfg");
  const FileStamp domains = StampOf(dir_, "domains.cfg");
  SaveConfig(*idle);
  EXPECT_EQ(StampOf(dir_, "settings.cfg"), settings);
  EXPECT_EQ(StampOf(dir_, "domains.cfg"), domains);

  SetHost(*other, "other.example");
  ASSERT_TRUE(AddDomain(*other, "x.example", {}).ok());
  const FileStamp after_other = StampOf(dir_, "settings.cfg");
  SaveConfig(*idle);
  EXPECT_EQ(StampOf(dir_, "settings.cfg"), after_other);
  EXPECT_EQ(idle->config.record.Text(offsets::kHostName), "other.example") << "caught up";
  EXPECT_EQ(DomainNames(*idle).back(), "x.example");
}

TEST_F(ConfigMergeTest, AReloadDropsChangesMadeBeforeIt) {
  // A restore reloads the files it laid down: what the program had changed
  // before must not be saved over them.
  auto restoring = Open(dir_);
  SetHost(*restoring, "stale.example");
  restoring->domains().Append("stale.example");
  Install(dir_);  // the restored files
  LoadConfiguration(*restoring, /*must_exist=*/false);
  const FileStamp settings = StampOf(dir_, "settings.cfg");
  SaveConfig(*restoring);
  EXPECT_EQ(StampOf(dir_, "settings.cfg"), settings);
  EXPECT_EQ(ListedOnDisk(), (std::vector<std::string>{"a.example", "b.example"}));
  EXPECT_NE(SettingsOnDisk().Text(offsets::kHostName), "stale.example");
}

}  // namespace
}  // namespace tarvelin
