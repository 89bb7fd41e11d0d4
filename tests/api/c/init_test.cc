// Init, Done and the not-initialised state, through the C exports. Each
// test runs in its own process, so the library starts uninitialised.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>

#include "schema/config_offsets.h"
#include "support/installation.h"
#include "support/temp_dir.h"
#include "tarvelin/api.h"

namespace tarvelin {
namespace {

using testing::RecordOfSettingsFile;
using testing::SettingsFileOf;
using testing::TempDir;

constexpr int32_t kHostNameId = 11;
constexpr int32_t kConfigPathId = 170;
constexpr int32_t kInstallPathId = 266;

std::string GetText(int32_t id) {
  std::array<char, 512> buffer{};
  const int32_t n = GetConfigSetting(id, buffer.data(), static_cast<int32_t>(buffer.size()));
  return n < 0 ? "<" + std::to_string(n) + ">" : std::string(buffer.data(), static_cast<size_t>(n));
}

void SetText(int32_t id, const std::string& text) {
  ASSERT_EQ(SetConfigSetting(id, text.data(), static_cast<int32_t>(text.size())), 0);
}

void WriteInstallation(const TempDir& dir, const std::string& host, const std::string& sub = "") {
  ServerConfig record;
  record.SetText(offsets::kHostName, host);
  dir.Write(sub + "config/settings.cfg", SettingsFileOf(record));
}

TEST(Init, WithPathDerivesTheDirectoriesAndLoads) {
  TempDir dir;
  WriteInstallation(dir, "first.example");
  const std::string install = dir.path().substr(0, dir.path().size() - 1);  // no separator
  EXPECT_EQ(Init(install.c_str()), 0);
  EXPECT_EQ(GetText(kInstallPathId), dir.path());
  EXPECT_EQ(GetText(kConfigPathId), dir.path() + "config/");
  EXPECT_EQ(GetText(kHostNameId), "first.example");
}

TEST(Init, BackslashesBecomeSeparators) {
  TempDir dir;
  WriteInstallation(dir, "x.example", "inst/");
  const std::string path = dir.path() + "inst\\";
  EXPECT_EQ(Init(path.c_str()), 0);
  EXPECT_EQ(GetText(kInstallPathId), dir.path() + "inst/");
}

TEST(Init, PathDatMovesTheConfigurationDirectory) {
  TempDir dir;
  WriteInstallation(dir, "moved.example", "elsewhere/");
  dir.Write("path.dat", dir.path() + "elsewhere/config\n");
  EXPECT_EQ(Init(dir.path().c_str()), 0);
  EXPECT_EQ(GetText(kConfigPathId), dir.path() + "elsewhere/config/");
  EXPECT_EQ(GetText(kHostNameId), "moved.example");
}

TEST(Init, SecondCallWithUnchangedSettingsDoesNothing) {
  TempDir first, second;
  WriteInstallation(first, "first.example");
  WriteInstallation(second, "second.example");
  ASSERT_EQ(Init(first.path().c_str()), 0);
  SetText(kHostNameId, "unsaved.example");
  EXPECT_EQ(Init(first.path().c_str()), 0);
  EXPECT_EQ(GetText(kHostNameId), "unsaved.example") << "nothing was reloaded";
  EXPECT_EQ(Init(second.path().c_str()), 0);
  EXPECT_EQ(GetText(kInstallPathId), first.path()) << "the first installation stays";
}

TEST(Init, RewrittenSettingsAreReloadedEvenWithinTheSameSecond) {
  TempDir dir;
  WriteInstallation(dir, "before.example");
  ASSERT_EQ(Init(dir.path().c_str()), 0);
  SetText(kHostNameId, "after.example");
  ASSERT_EQ(SaveConfig(), 0);
  SetText(kHostNameId, "in-memory.example");
  // Another writer replaces the file right away.
  WriteInstallation(dir, "other-writer.example");
  EXPECT_EQ(Init(dir.path().c_str()), 0);
  EXPECT_EQ(GetText(kHostNameId), "other-writer.example");
}

TEST(Init, MissingSettingsFailsAndLeavesTheLibraryUninitialised) {
  TempDir dir;
  EXPECT_EQ(Init(dir.path().c_str()), -4);
  uint32_t value = 0;
  EXPECT_EQ(GetConfigSetting(27, &value, 4), -5);
  EXPECT_EQ(GetDomainCount(), -5);
  EXPECT_EQ(GetDomainIndex("x"), -5);
}

TEST(Init, NullPathTakesTheEnvironmentAndCountsAsInitialisedEvenOnFailure) {
  TempDir dir;
  setenv("TARVELIN_INSTALL_DIR", dir.path().c_str(), 1);
  EXPECT_EQ(Init(nullptr), -4);
  uint32_t port = 0;
  EXPECT_EQ(GetConfigSetting(27, &port, 4), 4);
  EXPECT_EQ(port, 25u) << "built-in record with its defaults";

  WriteInstallation(dir, "env.example");
  EXPECT_EQ(Init(nullptr), 0);
  EXPECT_EQ(GetText(kHostNameId), "env.example");
  unsetenv("TARVELIN_INSTALL_DIR");
}

TEST(Done, SavesOnlyWhenSomethingChanged) {
  TempDir dir;
  WriteInstallation(dir, "done.example");
  ASSERT_EQ(Init(dir.path().c_str()), 0);
  Done();
  EXPECT_FALSE(dir.Exists("config/domains.cfg")) << "no change, no save";

  SetText(kHostNameId, "changed.example");
  Done();
  EXPECT_EQ(RecordOfSettingsFile(dir.Read("config/settings.cfg")).Text(offsets::kHostName),
            "changed.example");
  EXPECT_TRUE(dir.Exists("config/domains.cfg"));
}

TEST(SaveConfig, WithoutServicesWritesBothFilesAndReturnsZero) {
  TempDir dir;
  WriteInstallation(dir, "save.example");
  dir.Write("config/domains.cfg", testing::DomainsFileOf({"a.example", "b.example"}));
  ASSERT_EQ(Init(dir.path().c_str()), 0);
  const std::string domains_before = dir.Read("config/domains.cfg");
  EXPECT_EQ(SaveConfig(), 0);
  EXPECT_EQ(dir.Read("config/domains.cfg"), domains_before);
  EXPECT_EQ(RecordOfSettingsFile(dir.Read("config/settings.cfg")).Number(offsets::kDomainCount, 4),
            2u);
}

}  // namespace
}  // namespace tarvelin

#include "core/config/init.h"
#include "core/context.h"

namespace tarvelin {
namespace {

TEST(AutoInit, FallsBackToTheEnvironmentWhenTheProgramFolderHoldsNoInstallation) {
  TempDir dir;
  WriteInstallation(dir, "auto.example");
  setenv("TARVELIN_INSTALL_DIR", dir.path().c_str(), 1);
  Context context;
  EXPECT_TRUE(AutoInit(context));
  EXPECT_EQ(context.api.install_path, dir.path());
  unsetenv("TARVELIN_INSTALL_DIR");

  Context nowhere;
  EXPECT_FALSE(AutoInit(nowhere));
  EXPECT_TRUE(nowhere.api.initialised) << "the environment road always initialises";
}

}  // namespace
}  // namespace tarvelin
