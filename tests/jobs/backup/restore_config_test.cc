// RestoreConfig through the C API, on archives written by the test's own
// writer of the documented format.
#include "jobs/backup/restore_config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "schema/config_offsets.h"
#include "jobs/backup/test_archive.h"
#include "support/fake_service.h"
#include "support/installation.h"
#include "support/temp_dir.h"
#include "tarvelin/api.h"

namespace tarvelin {
namespace {

using testing::ArchiveBuilder;
using testing::DomainsFileOf;
using testing::RecordOfSettingsFile;
using testing::SettingsFileOf;
using testing::TempDir;

namespace fs = std::filesystem;

std::string Setting(int32_t id) {
  char buffer[256];
  const int32_t n = ::GetConfigSetting(id, buffer, sizeof buffer);
  return n < 0 ? "<" + std::to_string(n) + ">" : std::string(buffer, static_cast<size_t>(n));
}

uint32_t NumberSetting(int32_t id) {
  uint8_t bytes[4] = {};
  ::GetConfigSetting(id, bytes, 4);
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

class RestoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.path() + "inst/";
    ServerConfig record;
    record.SetText(offsets::kMailRoot, root_ + "mail/");
    dir_.Write("inst/config/settings.cfg", SettingsFileOf(record));
    dir_.Write("inst/config/domains.cfg", DomainsFileOf({"old.org"}));
    dir_.Write("inst/run/.keep", "");
    ASSERT_EQ(::Init(root_.c_str()), 0);
  }

  int32_t Restore(const std::string& bytes) {
    dir_.Write("archive.ilds", bytes);
    return ::RestoreConfig((dir_.path() + "archive.ilds").c_str());
  }

  // A settings.cfg whose SMTP port (setting 27) is `port`.
  static std::string SettingsWithPort(uint16_t port, uint8_t platform_kind = 0) {
    ServerConfig record;
    record.SetNumber(1028, 2, port);
    record.SetByte(offsets::kPlatformKind, platform_kind);
    record.SetText(offsets::kTempDirectory, "C:\\Srv\\temp\\");
    record.SetText(offsets::kMailRoot, "C:\\Srv\\mail\\");
    record.SetText(offsets::kLogDirectory, "C:\\Srv\\logs\\");
    return SettingsFileOf(record);
  }

  TempDir dir_;
  std::string root_;
};

TEST_F(RestoreTest, HandBuiltArchiveRestoresAndReloads) {
  ASSERT_EQ(Restore(ArchiveBuilder::Version2()
                        .Add("settings.cfg", SettingsWithPort(2525))
                        .Add("domains.cfg", DomainsFileOf({"new.org", "two.org"}))
                        .Add("new.org\\domain.cfg", "record")
                        .Add("..\\mail\\new.org\\bob\\1.imap", "message")
                        .Add("..\\webmail\\config\\site.ini", "[site]")
                        .bytes()),
            0);
  EXPECT_EQ(dir_.Read("inst/config/new.org/domain.cfg"), "record");
  EXPECT_EQ(dir_.Read("inst/mail/new.org/bob/1.imap"), "message");
  EXPECT_EQ(dir_.Read("inst/webmail/config/site.ini"), "[site]");
  EXPECT_EQ(NumberSetting(27), 2525u) << "the configuration was reloaded";
  EXPECT_EQ(::GetDomainCount(), 2) << "with the domain list";
  EXPECT_EQ(Setting(23), "C:\\Srv\\mail\\") << "same platform kind: the directories stay";
}

TEST_F(RestoreTest, Version1ArchiveWithoutMagic) {
  ASSERT_EQ(Restore(ArchiveBuilder::Version1()
                        .Add("settings.cfg", SettingsWithPort(587))
                        .Add("notes\\a.txt", "stored")
                        .End()
                        .bytes()),
            0);
  EXPECT_EQ(dir_.Read("inst/config/notes/a.txt"), "stored");
  EXPECT_EQ(NumberSetting(27), 587u);
}

TEST_F(RestoreTest, OtherPlatformKindClearsTheDirectoriesAndSaves) {
  ASSERT_EQ(
      Restore(ArchiveBuilder::Version2().Add("settings.cfg", SettingsWithPort(25, 1)).bytes()), 0);
  const ServerConfig saved = RecordOfSettingsFile(dir_.Read("inst/config/settings.cfg"));
  for (int offset : {offsets::kTempDirectory, offsets::kMailRoot, offsets::kLogDirectory}) {
    EXPECT_EQ(saved.Text(offset), "") << offset;
  }
  EXPECT_EQ(saved.Byte(offsets::kPlatformKind), 0);
  EXPECT_EQ(Setting(23), root_ + "mail/") << "the defaults of this installation";
  EXPECT_EQ(::Init(root_.c_str()), 0);
  EXPECT_EQ(Setting(22), root_ + "temp/");
  EXPECT_EQ(Setting(24), root_ + "logs/");
}

TEST_F(RestoreTest, EntriesLeavingTheInstallationAreRefused) {
  EXPECT_EQ(Restore(ArchiveBuilder::Version2()
                        .Add("..\\..\\outside.txt", "escaped")
                        .Add("a\\..\\..\\..\\outside2.txt", "escaped")
                        .Add(dir_.path() + "absolute.txt", "escaped")
                        .Add("inside.txt", "kept")
                        .bytes()),
            -1);
  EXPECT_FALSE(dir_.Exists("outside.txt"));
  EXPECT_FALSE(dir_.Exists("outside2.txt"));
  EXPECT_FALSE(dir_.Exists("absolute.txt"));
  EXPECT_FALSE(fs::exists(fs::path(dir_.path()).parent_path().parent_path() / "outside2.txt"));
  EXPECT_EQ(dir_.Read("inst/config/inside.txt"), "kept");
}

TEST_F(RestoreTest, DamagedArchivesFailAndCutOffOnesWriteNothing) {
  const std::string good = ArchiveBuilder::Version2().Add("first.txt", "1").bytes();
  struct Case {
    const char* what;
    std::string bytes;
    bool first_written;
  };
  const Case cases[] = {
      {"entry cut off", good + std::string("\x05"
                                           "later\x10\0\0\0"
                                           "abc",
                                           13),
       false},
      {"size beyond the end", good + std::string("\x05"
                                                 "later\xff\xff\xff\xff",
                                                 10),
       false},
      {"data that do not inflate", good + std::string("\x05"
                                                      "later\x04\0\0\0"
                                                      "junk",
                                                      14),
       true},
  };
  for (const Case& c : cases) {
    fs::remove(root_ + "config/first.txt");
    EXPECT_EQ(Restore(c.bytes), -1) << c.what;
    EXPECT_EQ(dir_.Exists("inst/config/first.txt"), c.first_written) << c.what;
    EXPECT_FALSE(dir_.Exists("inst/config/later")) << c.what;
  }
}

TEST_F(RestoreTest, MissingArchiveStillReloadsAndNotifies) {
  std::vector<std::unique_ptr<FakeService>> services;
  for (const char* name :
       {"TarvelinSMTP", "TarvelinPOP3", "TarvelinIM", "TarvelinCalendar", "TarvelinControl"}) {
    services.push_back(std::make_unique<FakeService>(root_ + "run/", name));
    ASSERT_TRUE(services.back()->ready()) << name;
  }
  // Another program changed settings.cfg meanwhile: the reload picks it up.
  dir_.Write("inst/config/settings.cfg", SettingsWithPort(2626));
  EXPECT_EQ(::RestoreConfig((dir_.path() + "missing.ilds").c_str()), -1);
  EXPECT_EQ(NumberSetting(27), 2626u);
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(services[i]->Requests(), std::vector<std::string>{CommandHex(4096, 1280, 0, 0)})
        << "service " << i;
  }
  EXPECT_TRUE(services[4]->Requests().empty()) << "the control service is not told";
  EXPECT_EQ(::RestoreConfig(nullptr), -1);
}

TEST_F(RestoreTest, MissingConfigurationDirectoryIsCreated) {
  fs::remove_all(root_ + "config");
  ASSERT_EQ(Restore(ArchiveBuilder::Version2()
                        .Add("settings.cfg", SettingsWithPort(2727))
                        .Add("domains.cfg", DomainsFileOf({"a.org"}))
                        .bytes()),
            0);
  EXPECT_EQ(NumberSetting(27), 2727u);
  EXPECT_EQ(::GetDomainCount(), 1);
}

}  // namespace
}  // namespace tarvelin
