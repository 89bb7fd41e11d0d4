#include "core/config/create_installation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/config/config_variables.h"
#include "core/config/init.h"
#include "core/context.h"
#include "core/domains/domain_operations.h"
#include "schema/shipped_property_text.h"
#include "support/status_testing.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

constexpr int32_t kMailRootSetting = 23;

TEST(CreateInstallationTest, WritesAConfigurationThatLoads) {
  testing::TempDir dir;
  {
    Context context;
    ASSERT_TRUE(
        CreateInstallation(context, dir.path() + "inst", {"Example.org", "example.net"}).ok());
  }
  Context opened;
  ASSERT_TRUE(Init(opened, (dir.path() + "inst").c_str()).ok());
  EXPECT_EQ(DomainNames(opened), (std::vector<std::string>{"example.org", "example.net"}));
  EXPECT_EQ(ConfigSettingValue(opened, kMailRootSetting)->text(), dir.path() + "inst/mail/")
      << "the mail folder lies inside the new installation";
  for (int position : {0, 1}) {
    EXPECT_TRUE(LoadDomain(opened, position).ok()) << "each domain has its record: " << position;
  }
}

TEST(CreateInstallationTest, InstallsThePropertyNamesWhereTheLibraryLooksFirst) {
  testing::TempDir dir;
  {
    Context context;
    ASSERT_TRUE(CreateInstallation(context, dir.path() + "inst", {}).ok());
  }
  EXPECT_EQ(dir.Read("inst/api/delphi/apiconst.pas"), ShippedPropertyText());
  Context opened;
  ASSERT_TRUE(Init(opened, (dir.path() + "inst").c_str()).ok());
  const PropertyEntry* alias = opened.properties().Lookup("u_alias");
  ASSERT_NE(alias, nullptr) << "the query language finds account properties by name";
}

TEST(CreateInstallationTest, KeepsThePropertyNamesTheFolderHolds) {
  testing::TempDir dir;
  dir.Write("inst/apiconst.pas", "const\n  U_Alias = 1; // string\n");
  Context context;
  ASSERT_TRUE(CreateInstallation(context, dir.path() + "inst", {}).ok());
  EXPECT_FALSE(dir.Exists("inst/api/delphi/apiconst.pas"));
  EXPECT_EQ(dir.Read("inst/apiconst.pas"), "const\n  U_Alias = 1; // string\n");
}

TEST(CreateInstallationTest, RefusalsWriteNothing) {
  testing::TempDir dir;
  dir.Write("taken/config/settings.cfg", "x");
  const struct {
    std::string folder;
    std::vector<std::string> domains;
    StatusCode code;
    std::string message;
  } cases[] = {
      {"", {}, StatusCode::kInvalidArgument, "no installation folder given"},
      {dir.path() + "taken",
       {},
       StatusCode::kAlreadyExists,
       "an installation exists already in " + dir.path() + "taken"},
      {dir.path() + "new",
       {"ok.example", "bad_name"},
       StatusCode::kInvalidArgument,
       "not a valid domain name: bad_name"},
      {dir.path() + "new", {""}, StatusCode::kInvalidArgument, "not a valid domain name: "},
      {dir.path() + "new",
       {"a.example", "A.EXAMPLE"},
       StatusCode::kInvalidArgument,
       "domain listed twice: A.EXAMPLE"},
  };
  for (const auto& c : cases) {
    Context context;
    const Status created = CreateInstallation(context, c.folder, c.domains);
    EXPECT_EQ(created, c.code) << c.message;
    EXPECT_EQ(created.message(), c.message);
  }
  EXPECT_FALSE(dir.Exists("new"));
  EXPECT_EQ(dir.Read("taken/config/settings.cfg"), "x");
}

}  // namespace
}  // namespace tarvelin
