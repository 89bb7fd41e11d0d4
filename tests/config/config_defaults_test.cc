#include "config/config_defaults.h"

#include <gtest/gtest.h>

#include "schema/config_offsets.h"
#include "config/config_state.h"
#include "config/api_state.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

class ConfigDefaultsTest : public ::testing::Test {
 protected:
  ConfigDefaultsTest() {
    api_.install_path = "/srv/mail/";
    dir_.Write("resolv.conf", "# comment\nnameserver 192.0.2.1\nnameserver 192.0.2.2\n");
    config_.resolv_conf_path = dir_.path() + "resolv.conf";
  }
  void Apply() { ApplyConfigDefaults(env_, api_, config_); }
  ServerConfig& record() { return config_.record; }

  testing::TempDir dir_;
  PosixEnv env_;
  ApiState api_;
  ConfigState config_;
};

TEST_F(ConfigDefaultsTest, EmptyDirectoriesComeFromTheInstallDirectory) {
  record().SetText(offsets::kTempDirectory, "");
  record().SetText(offsets::kMailRoot, "/var/mail");
  record().SetText(offsets::kLogDirectory, "C:\\old\\logs\\");
  record().SetText(offsets::kExtraDirectory, "extra");
  Apply();
  EXPECT_EQ(record().Text(offsets::kTempDirectory), "/srv/mail/temp/");
  EXPECT_EQ(record().Text(offsets::kMailRoot), "/var/mail/");
  EXPECT_EQ(record().Text(offsets::kLogDirectory), "C:\\old\\logs\\") << "either separator ends it";
  EXPECT_EQ(record().Text(offsets::kExtraDirectory), "extra/");
  EXPECT_EQ(config_.derived.forward_path, "/var/mail/forward/");
  EXPECT_EQ(config_.derived.retry_path, "/var/mail/forward/retry/");
  EXPECT_EQ(config_.derived.spam_directory, "/srv/mail/spam/");
  EXPECT_EQ(config_.derived.calendar_directory, "/srv/mail/calendar/");
}

TEST_F(ConfigDefaultsTest, ZeroNumbersAndEmptyTextsTakeTheirDefaults) {
  record().SetNumber(1036, 2, 8080);  // a set port stays
  record().SetText(1477, "");
  Apply();
  EXPECT_EQ(record().Number(1028, 2), 25u);
  EXPECT_EQ(record().Number(1036, 2), 8080u);
  EXPECT_EQ(record().Number(26975, 4), 32u);
  EXPECT_EQ(record().Number(28052, 4), 1800u);
  EXPECT_EQ(record().Text(1477), "MAILER-DAEMON");
  EXPECT_EQ(record().Text(offsets::kDnsServers), "192.0.2.1;192.0.2.2");
  EXPECT_EQ(record().Text(24759), "127.0.0.1;192.168.*.*;10.*.*.*;172.16-31.*.*");
  EXPECT_EQ(record().Byte(offsets::kAntivirusEngine4), 1);
}

TEST_F(ConfigDefaultsTest, ListsTypedWithCommasOrSpacesAreNormalised) {
  record().SetText(offsets::kHostName, "  mx.example.org  ");
  record().SetText(offsets::kDnsServers, "10.0.0.1, 10.0.0.2 ,10.0.0.3");
  record().SetText(offsets::kServerAddresses, "1.2.3.4;5.6.7.8");
  Apply();
  EXPECT_EQ(record().Text(offsets::kHostName), "mx.example.org");
  EXPECT_EQ(record().Text(offsets::kDnsServers), "10.0.0.1;10.0.0.2;10.0.0.3");
  EXPECT_EQ(record().Text(offsets::kServerAddresses), "1.2.3.4;5.6.7.8");
}

TEST_F(ConfigDefaultsTest, PathDatLinesOverrideTheRecord) {
  config_.path_dat.line(kPathDatHostName) = "host.from.path.dat";
  config_.path_dat.line(kPathDatFileNameTag) = "node7";
  config_.path_dat.line(kPathDatAddresses) = "|10.0.0.5";
  config_.path_dat.line(kPathDatForwardDirectory) = "/spool/fwd/";
  record().SetText(offsets::kServerAddresses, "1.1.1.1");
  Apply();
  EXPECT_EQ(record().Text(offsets::kHostName), "host.from.path.dat");
  EXPECT_EQ(config_.derived.file_name_tag, "node7");
  EXPECT_EQ(record().Text(offsets::kServerAddresses), "1.1.1.1") << "empty first part";
  EXPECT_EQ(config_.derived.forward_path, "/spool/fwd/");
  EXPECT_EQ(config_.derived.retry_path, "/spool/fwd/retry/");

  config_.path_dat.line(kPathDatAddresses) = "2.2.2.2|";
  Apply();
  EXPECT_EQ(record().Text(offsets::kServerAddresses), "2.2.2.2");
}

TEST_F(ConfigDefaultsTest, DependentFieldsAndLimits) {
  record().SetByte(offsets::kFlag1464, 1);
  record().SetByte(offsets::kFlag1444, 1);
  record().SetByte(offsets::kStorageModeGuard, 0);
  record().SetByte(offsets::kStorageMode, 2);
  record().SetNumber(offsets::kLogBufferSize, 4, 5242881);
  record().SetNumber(offsets::kTimeoutSeconds, 2, 7);
  record().SetByte(offsets::kProcessCharacter, 'x');
  Apply();
  EXPECT_EQ(record().Byte(offsets::kFlag1444), 0);
  EXPECT_EQ(record().Byte(offsets::kStorageMode), 1);
  EXPECT_EQ(record().Number(offsets::kLogBufferSize, 4), 0u);
  EXPECT_EQ(config_.process.timeout_ms, 7000u);
  EXPECT_EQ(config_.process.character_24186, 'x');
  EXPECT_EQ(config_.process.dns_cache_size, 128u);

  record().SetNumber(offsets::kLogBufferSize, 4, 5242880);
  Apply();
  EXPECT_EQ(record().Number(offsets::kLogBufferSize, 4), 5242880u) << "the limit itself stays";
}

TEST_F(ConfigDefaultsTest, GroupwareSuperUserIsCreatedOnce) {
  Apply();
  EXPECT_EQ(record().Text(offsets::kGroupwareUser), "gwsuperuser");
  const std::string password = record().Text(offsets::kGroupwarePassword);
  EXPECT_EQ(password.size(), 32u);
  EXPECT_EQ(password.find_first_not_of("0123456789abcdef"), std::string::npos);
  Apply();
  EXPECT_EQ(record().Text(offsets::kGroupwarePassword), password);
}

}  // namespace
}  // namespace tarvelin
