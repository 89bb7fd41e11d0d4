#include "schema/property_table.h"

#include <gtest/gtest.h>

#include "core/context.h"

#include <map>
#include <set>
#include <string>

#include "schema/user_settings.h"
#include "platform/posix_env.h"
#include "support/property_file.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(PropertyTable, LookupByNameOrNumber) {
  const PropertyTable table = PropertyTable::FromText(
      "unit x;\n"
      "const\n"
      "  U_Name = 12; // string\n"
      "  U_Other = 12; // integer\n"
      "  U_NAME = 99; // integer\n"
      "  U_Date = $1F; // Date\n"
      "  Skipped = 5;\n");
  ASSERT_EQ(table.entries().size(), 4u);
  const PropertyEntry* by_name = table.Lookup("u_name");
  ASSERT_NE(by_name, nullptr);
  EXPECT_EQ(by_name->number, 12) << "the first of two equal names wins";
  EXPECT_EQ(by_name->kind, ValueKind::kText);
  EXPECT_EQ(table.Lookup("U_NAME"), by_name);
  EXPECT_EQ(table.Lookup("12"), by_name) << "the first entry with the number";
  EXPECT_EQ(table.Lookup("31"), table.Lookup("u_date"));
  EXPECT_EQ(table.Lookup("u_date")->kind, ValueKind::kDateTime);
  for (const char* missing : {"", "5", "skipped", "12x", "u_nam", "99999999999", " u_name"}) {
    EXPECT_EQ(table.Lookup(missing), nullptr) << missing;
  }
}

TEST(PropertyTable, CommandsAreCutTo255Characters) {
  PropertyTable table;
  table.Add({std::string(127, 'a'), 1, ValueKind::kInteger});
  EXPECT_NE(table.Lookup(std::string(127, 'A')), nullptr);
  EXPECT_EQ(table.Lookup(std::string(128, 'a')), nullptr);
}

TEST(PropertyTable, TheFirstCandidateThatExistsIsRead) {
  testing::TempDir dir;
  PosixEnv env;
  const std::string install = dir.path() + "server/";
  dir.Write("server/settings.cfg", "");
  EXPECT_EQ(PropertyFileCandidates(install),
            (std::vector<std::string>{install + "api/delphi/apiconst.pas", install + "apiconst.pas",
                                      install + "../api/apiconst.pas"}));
  EXPECT_TRUE(LoadPropertyTable(env, install).entries().empty()) << "no file: an empty table";

  dir.Write("api/apiconst.pas", "Third = 3; //\n");
  EXPECT_NE(LoadPropertyTable(env, install).Lookup("third"), nullptr);
  dir.Write("server/apiconst.pas", "Second = 2; //\n");
  EXPECT_EQ(LoadPropertyTable(env, install).Lookup("third"), nullptr);
  EXPECT_NE(LoadPropertyTable(env, install).Lookup("second"), nullptr);
  dir.Write("server/api/delphi/apiconst.pas", "");
  EXPECT_TRUE(LoadPropertyTable(env, install).entries().empty()) << "an empty first file wins too";
  EXPECT_TRUE(LoadPropertyTable(env, "").entries().empty());
}

TEST(PropertyTable, AContextLoadsItsInstallationsTableOnce) {
  testing::TempDir dir;
  dir.Write("apiconst.pas", "U_Type = 0; //\n");
  Context context;
  context.api.install_path = dir.path();
  const PropertyTable& first = context.properties();
  dir.Write("apiconst.pas", "U_Changed = 0; //\n");
  const PropertyTable& again = context.properties();
  EXPECT_EQ(&first, &again);
  EXPECT_NE(again.Lookup("u_type"), nullptr) << "a changed file is seen by the next Context";
  Context next;
  next.api.install_path = dir.path();
  EXPECT_NE(next.properties().Lookup("u_changed"), nullptr);
}

// The shipped constants file: every setting family under its own prefix,
// names unique, kinds as the settings deliver their values.
TEST(PropertyTable, ShippedFile) {
  const PropertyTable table = PropertyTable::FromText(testing::ShippedPropertyFile());
  std::set<std::string> names;
  for (const PropertyEntry& entry : table.entries()) {
    EXPECT_TRUE(names.insert(entry.name).second) << entry.name;
    const std::string prefix = entry.name.substr(0, entry.name.find('_') + 1);
    EXPECT_TRUE(prefix == "c_" || prefix == "d_" || prefix == "u_" || prefix == "ra_" ||
                prefix == "sc_" || prefix == "st_")
        << entry.name;
  }
  const struct {
    const char* name;
    int32_t number;
    ValueKind kind;
  } samples[] = {
      {"U_Type", 0, ValueKind::kInteger},
      {"U_Alias", 3, ValueKind::kText},
      {"U_AccountExpiryDate", 19, ValueKind::kDateTime},
      {"U_Password", 33, ValueKind::kText},
      {"U_ServicesAccessPOP3IMAP", 70, ValueKind::kInteger},
      {"U_ListServer", 116, ValueKind::kInteger},
      {"C_SMTPPort", 27, ValueKind::kInteger},
      {"C_ServerName", 11, ValueKind::kText},
      {"C_Schedule149", 149, ValueKind::kText},
      {"C_Record", 4097, ValueKind::kText},
      {"D_DomainExpiryDate", 22, ValueKind::kDateTime},
      {"D_DomainMailboxRoot", 36, ValueKind::kText},
      {"RA_Schedule", 246, ValueKind::kText},
      {"RA_IMAP", 245, ValueKind::kInteger},
      {"SC_ItemTime", 10, ValueKind::kInteger},
      {"SC_Record", 15, ValueKind::kText},
      {"ST_StartTime", 0, ValueKind::kDateTime},
      {"ST_RunningSeconds", 26, ValueKind::kInteger},
  };
  for (const auto& s : samples) {
    const PropertyEntry* entry = table.Lookup(s.name);
    ASSERT_NE(entry, nullptr) << s.name;
    EXPECT_EQ(entry->number, s.number) << s.name;
    EXPECT_EQ(entry->kind, s.kind) << s.name;
  }
}

// Every account setting has a U_ name whose kind reads its value right, so
// queries can name any of them.
TEST(PropertyTable, ShippedFileNamesEveryAccountSetting) {
  const PropertyTable table = PropertyTable::FromText(testing::ShippedPropertyFile());
  std::map<int32_t, ValueKind> accounts;
  for (const PropertyEntry& entry : table.entries()) {
    if (entry.name.starts_with("u_")) accounts.emplace(entry.number, entry.kind);
  }
  for (int32_t id = -1; id <= 256; ++id) {
    const Result<SettingShape> shape = DescribeUserSetting(id);
    const auto named = accounts.find(id);
    if (!shape.ok()) {
      EXPECT_EQ(named, accounts.end()) << id;
      continue;
    }
    ASSERT_NE(named, accounts.end()) << id;
    const ValueKind expected = shape->kind == SettingKind::kText       ? ValueKind::kText
                               : shape->kind == SettingKind::kDateTime ? ValueKind::kDateTime
                                                                       : ValueKind::kInteger;
    EXPECT_EQ(named->second, expected) << id;
  }
}

}  // namespace
}  // namespace tarvelin
