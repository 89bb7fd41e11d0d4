#include "core/config/configuration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "schema/config_offsets.h"
#include "core/context.h"
#include "platform/file_system.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::RecordOfSettingsFile;
using testing::SettingsFileOf;
using testing::TempDir;

class ConfigStoreTest : public ::testing::Test {
 protected:
  ConfigStoreTest() {
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
    dir_.Write("resolv.conf", "nameserver 192.0.2.53\n");
    context_.config.resolv_conf_path = dir_.path() + "resolv.conf";
  }

  bool Load(bool must_exist) {
    return LoadConfiguration(context_, must_exist);
  }
  const ServerConfig& record() const { return context_.config.record; }

  TempDir dir_;
  Context context_;
};

TEST_F(ConfigStoreTest, MissingFileFailsOnlyInMustExistModeAndDefaultsStillRun) {
  EXPECT_FALSE(Load(/*must_exist=*/true));
  EXPECT_TRUE(Load(/*must_exist=*/false));
  // Built-in relative directories are kept relative, with the separator.
  EXPECT_EQ(record().Text(offsets::kTempDirectory), "temp/");
  EXPECT_EQ(record().Text(offsets::kMailRoot), "mail/");
  EXPECT_EQ(record().Number(1028, 2), 25u);
  EXPECT_EQ(record().Text(offsets::kDnsServers), "192.0.2.53");
}

TEST_F(ConfigStoreTest, ShortFileFillsOnlyTheStartOfTheRecord) {
  ServerConfig on_disk;
  on_disk.SetText(offsets::kHostName, "mx.example.org");
  dir_.Write("config/settings.cfg", SettingsFileOf(on_disk).substr(0, 100));
  context_.config.record.SetNumber(1032, 4, 777);  // beyond the file: kept
  context_.config.record.SetText(offsets::kHostName, "old");

  ASSERT_TRUE(Load(true));
  EXPECT_EQ(record().Text(offsets::kHostName), "mx.example.org");
  EXPECT_EQ(record().Number(1032, 4), 777u);
  EXPECT_EQ(record().Number(1024, 2), 110u) << "zero ports take their defaults";
}

TEST_F(ConfigStoreTest, LongerFileIsReadOnlyUpToTheRecordSize) {
  ServerConfig on_disk;
  on_disk.SetByte(28083, 1);
  dir_.Write("config/settings.cfg", SettingsFileOf(on_disk) + std::string(500, 'x'));
  ASSERT_TRUE(Load(true));
  EXPECT_EQ(record().Byte(28083), 1);
}

TEST_F(ConfigStoreTest, SaveThenLoadGivesBackTheSameBytes) {
  ASSERT_TRUE(Load(false));
  // Fill fields the defaults pass never touches with distinctive values,
  // and bytes no field reaches.
  context_.config.record.SetByte(147, 0x5A);
  context_.config.record.SetText(3127, "carried text");
  context_.config.record.SetNumber(21756, 4, 0xDEADBEEF);
  ASSERT_TRUE(SaveConfiguration(context_));
  const ServerConfig saved = record();

  Context reloaded;
  reloaded.api = context_.api;
  reloaded.config.resolv_conf_path = context_.config.resolv_conf_path;
  ASSERT_TRUE(LoadConfiguration(reloaded, true));
  EXPECT_TRUE(std::memcmp(saved.data(), reloaded.config.record.data(), kServerConfigSize) == 0);

  const ServerConfig file = RecordOfSettingsFile(dir_.Read("config/settings.cfg"));
  EXPECT_TRUE(std::memcmp(saved.data(), file.data(), kServerConfigSize) == 0);
}

TEST_F(ConfigStoreTest, LoadKeepsThePlatformKindAsideAndStoresZero) {
  ServerConfig on_disk;
  on_disk.SetByte(offsets::kPlatformKind, 1);
  dir_.Write("config/settings.cfg", SettingsFileOf(on_disk));
  ASSERT_TRUE(Load(true));
  EXPECT_EQ(record().Byte(offsets::kPlatformKind), 0);
  EXPECT_EQ(context_.config.derived.saved_platform_kind, 1);
  EXPECT_EQ(record().Byte(offsets::kPathSeparatorChar), '/');
}

TEST_F(ConfigStoreTest, SaveCreatesTheConfigurationDirectoryAndLeavesNoTemporaryFile) {
  context_.api.config_path = dir_.path() + "new/deeper/";
  ASSERT_TRUE(SaveConfiguration(context_));
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(context_.env().ListDirectory(context_.api.config_path, &entries).ok());
  std::set<std::string> names;
  for (const auto& entry : entries) names.insert(entry.name);
  EXPECT_EQ(names, (std::set<std::string>{"settings.cfg", "domains.cfg"}));
  EXPECT_EQ(dir_.Read("new/deeper/settings.cfg").size(), size_t{kServerConfigSize});
}

TEST_F(ConfigStoreTest, UnreadableSettingsFileFailsLikeAMissingOne) {
  dir_.Write("config/settings.cfg/inside", "a directory where the file should be");
  EXPECT_FALSE(Load(true));
}

TEST_F(ConfigStoreTest, BindDatAndArchiveDomainsAndSubdomainsAreReadAtLoad) {
  ServerConfig on_disk;
  on_disk.SetByte(offsets::kArchiving, 1);
  dir_.Write("config/settings.cfg", SettingsFileOf(on_disk));
  dir_.Write("config/bind.dat", "Outgoing_Bind = 192.168.1.2;10.0.0.1\nipv6_bind=::1\n");
  dir_.Write("config/archivedomains.dat", "a.example\n\n  b.example \n");
  dir_.Write("config/subdomains.dat", "");
  ASSERT_TRUE(Load(true));
  const DerivedConfig& derived = context_.config.derived;
  EXPECT_EQ(derived.outgoing_bind_address, "192.168.1.2");
  EXPECT_EQ(derived.ipv6_bind_address, "::1");
  EXPECT_EQ(derived.archive_domains, (std::vector<std::string>{"a.example", "b.example"}));
  EXPECT_TRUE(derived.subdomains_enabled);
  EXPECT_TRUE(context_.config.dns.created);
  EXPECT_EQ(context_.config.dns.servers, (std::vector<std::string>{"192.0.2.53"}));
  EXPECT_EQ(context_.config.dns.query_timeout_seconds, 5u);
}

}  // namespace
}  // namespace tarvelin
