#include "store/file/file_domain_store.h"

#include <gtest/gtest.h>

#include "schema/config_offsets.h"
#include "foundation/bytes.h"
#include "foundation/scramble.h"
#include "core/context.h"
#include "support/installation.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::DomainsFileOf;
using testing::TempDir;

class FileDomainStoreTest : public ::testing::Test {
 protected:
  FileDomainStoreTest() {
    context_.api.install_path = dir_.path();
    context_.api.config_path = dir_.path() + "config/";
  }
  void SetCount(int count) {
    context_.config.record.SetNumber(offsets::kDomainCount, 4, static_cast<uint32_t>(count));
  }
  FileDomainStore& domains() { return dynamic_cast<FileDomainStore&>(context_.domains()); }

  TempDir dir_;
  Context context_;
};

TEST_F(FileDomainStoreTest, CountFromSettingsWinsOverTheFileLength) {
  dir_.Write("config/domains.cfg", DomainsFileOf({"a.example", "b.example", "c.example"}));
  SetCount(2);
  EXPECT_TRUE(domains().Load());
  EXPECT_EQ(domains().Count(), 2);
  EXPECT_EQ(domains().NameAt(1), "b.example");
  EXPECT_EQ(domains().FindPosition("c.example", true), -1);
  EXPECT_EQ(domains().FileImage().size(), 2u * 96);
}

TEST_F(FileDomainStoreTest, StoredCountZeroTakesWholeEntriesOfTheFile) {
  dir_.Write("config/domains.cfg", DomainsFileOf({"a.example", "b.example"}) + "12345678");
  SetCount(0);
  domains().Load();
  EXPECT_EQ(domains().Count(), 2);
  EXPECT_EQ(domains().NameAt(1), "b.example");
}

TEST_F(FileDomainStoreTest, FileShorterThanTheCountLeavesEmptyEntries) {
  dir_.Write("config/domains.cfg", DomainsFileOf({"a.example"}));
  SetCount(3);
  domains().Load();
  EXPECT_EQ(domains().Count(), 3);
  EXPECT_EQ(domains().NameAt(0), "a.example");
  EXPECT_EQ(domains().NameAt(2), "");
  EXPECT_EQ(domains().NameAt(3), "");
  EXPECT_EQ(domains().NameAt(-1), "");
}

TEST_F(FileDomainStoreTest, AbsurdCountIsReplacedByTheFileContent) {
  dir_.Write("config/domains.cfg", DomainsFileOf({"a.example"}));
  SetCount(0x7FFFFFFF);
  domains().Load();
  EXPECT_EQ(domains().Count(), 1);
}

TEST_F(FileDomainStoreTest, NamesAreLowerCasedAndIndexed) {
  dir_.Write("config/domains.cfg", DomainsFileOf({"Primary.Example", "Second.example"}));
  SetCount(2);
  domains().Load();
  EXPECT_EQ(domains().NameAt(0), "primary.example");
  EXPECT_EQ(domains().FindPosition("SECOND.EXAMPLE", true), 1);
  EXPECT_EQ(domains().FindPosition("unknown.example", true), -1);
  EXPECT_EQ(domains().FindPosition("unknown.example", false), 0);
  EXPECT_TRUE(domains().Exists("user@Second.Example"));
  EXPECT_FALSE(domains().Exists("unknown.example"));
}

TEST_F(FileDomainStoreTest, EmptyListFallsBackToAPositionThatDoesNotExist) {
  domains().Load();
  EXPECT_EQ(domains().Count(), 0);
  EXPECT_EQ(domains().FindPosition("x", true), -1);
  EXPECT_EQ(domains().FindPosition("x", false), 0);
}

TEST_F(FileDomainStoreTest, LegacyListInsideSettingsIsUnscrambledFromItsOffset) {
  std::string settings(28084, '\0');
  const std::string names = DomainsFileOf({"old.example", "older.example"});
  settings.replace(20344, names.size(), names);
  ScrambleBytes(reinterpret_cast<uint8_t*>(settings.data()) + 20344, names.size(), 20344 % 16);
  dir_.Write("config/settings.cfg", settings);
  SetCount(2);
  EXPECT_FALSE(domains().Load()) << "no domains.cfg";
  EXPECT_EQ(domains().NameAt(0), "old.example");
  EXPECT_EQ(domains().NameAt(1), "older.example");
}

TEST_F(FileDomainStoreTest, FixedTableOfTheOldestLayoutIsRebuilt) {
  ServerConfig& record = context_.config.record;
  PutPString(record.data() + offsets::kLegacyDomainTable, 127, "First.example");
  PutPString(record.data() + offsets::kLegacyDomainTable + 128, 127, "second.example");
  record.SetByte(offsets::kDomainTableFormat, 0);
  dir_.Write("config/domains.cfg", std::string(2 * 96, '\0'));
  SetCount(2);
  domains().Load();
  EXPECT_EQ(domains().Count(), 2);
  EXPECT_EQ(domains().NameAt(0), "first.example");
  EXPECT_EQ(domains().NameAt(1), "second.example");
  EXPECT_EQ(record.Byte(offsets::kDomainTableFormat), 1);
}

TEST_F(FileDomainStoreTest, ShortEntriesAreWidened) {
  std::string file(2 * 96, '\0');
  PutPString(reinterpret_cast<uint8_t*>(file.data()), 31, "one.example");
  PutPString(reinterpret_cast<uint8_t*>(file.data()) + 32, 31, "two.example");
  dir_.Write("config/domains.cfg", file);
  context_.config.record.SetByte(offsets::kDomainTableFormat, 0);
  SetCount(2);
  domains().Load();
  EXPECT_EQ(domains().NameAt(0), "one.example");
  EXPECT_EQ(domains().NameAt(1), "two.example");
  EXPECT_EQ(context_.config.record.Byte(offsets::kDomainTableFormat), 1);
}

TEST_F(FileDomainStoreTest, AppendGrowsTheListAndTheCount) {
  domains().Load();
  domains().Append("New.Example");
  domains().Append(std::string(120, 'x'));
  EXPECT_EQ(domains().Count(), 2);
  EXPECT_EQ(context_.config.record.Number(offsets::kDomainCount, 4), 2u);
  EXPECT_EQ(domains().FindPosition("new.example", true), 0);
  EXPECT_EQ(domains().NameAt(1), std::string(95, 'x'));
  EXPECT_EQ(domains().FindPosition(std::string(95, 'x'), true), 1);
}

TEST_F(FileDomainStoreTest, NinetyFiveCharacterNameKeepsItsLastCharacterAndItsBinding) {
  const std::string long_name = std::string(94, 'a') + "z";
  dir_.Write("config/domains.cfg", DomainsFileOf({long_name, "b.example"}));
  dir_.Write("config/" + long_name + "/bind.dat", "10.1.1.1\n");
  SetCount(2);
  domains().Load();
  EXPECT_EQ(domains().NameAt(0), long_name);
  EXPECT_TRUE(domains().BindingFlag(0));
  EXPECT_EQ(domains().GetBinding(0), "10.1.1.1");
  EXPECT_FALSE(domains().BindingFlag(1));
  EXPECT_EQ(domains().FileImage().substr(0, 96)[95], 'z');
}

TEST_F(FileDomainStoreTest, AddressLiteralsResolveThroughBindingsOrOwnAddresses) {
  std::string file = DomainsFileOf({"primary.example", "bound.example"});
  context_.config.record.SetByte(offsets::kAddressLiterals, 1);
  SetCount(2);
  dir_.Write("config/domains.cfg", file);
  domains().Load();
  EXPECT_EQ(domains().FindPosition("[127.0.0.1]", true), 0) << "own address, no bindings";
  EXPECT_EQ(domains().FindPosition("[192.0.2.77]", true), -1);

  file[95] = 1;
  file[96 + 95] = 1;
  dir_.Write("config/domains.cfg", file);
  dir_.Write("config/primary.example/bind.dat", "192.0.2.1\n");
  dir_.Write("config/bound.example/bind.dat", " 192.0.2.9;192.0.2.77 \nsecond line ignored\n");
  domains().Load();
  EXPECT_EQ(domains().FindPosition("[192.0.2.77]", true), 1);
  EXPECT_EQ(domains().FindPosition("[127.0.0.1]", true), -1)
      << "bindings decide once position 0 is bound";

  context_.config.record.SetByte(offsets::kAddressLiterals, 0);
  EXPECT_EQ(domains().FindPosition("[192.0.2.77]", true), -1);
}

TEST_F(FileDomainStoreTest, SubdomainsMapPatternsToDomains) {
  dir_.Write("config/domains.cfg", DomainsFileOf({"primary.example", "shop.example"}));
  dir_.Write("config/subdomains.dat",
             "\nno equals here\n *.SHOP.example = shop.example \nloop.example=loop.example\n"
             "a.example=b.example\nb.example=a.example\n");
  SetCount(2);
  context_.config.derived.subdomains_enabled = true;
  domains().Load();
  EXPECT_EQ(domains().FindPosition("eu.shop.example", true), 1);
  EXPECT_TRUE(domains().Exists("user@eu.shop.example"));
  EXPECT_EQ(domains().FindPosition("loop.example", true), -1) << "a domain never maps onto itself";
  EXPECT_EQ(domains().FindPosition("a.example", true), 0) << "an unknown target falls back";
  EXPECT_EQ(domains().FindPosition("elsewhere.example", true), -1);

  context_.config.derived.subdomains_enabled = false;
  EXPECT_EQ(domains().FindPosition("eu.shop.example", true), -1);
}

TEST_F(FileDomainStoreTest, SetBindingWritesOrRemovesBindDatAndTheFlag) {
  dir_.Write("config/domains.cfg", DomainsFileOf({"a.example", "b.example"}));
  SetCount(2);
  domains().Load();
  ASSERT_TRUE(domains().SetBinding(1, "192.0.2.1;192.0.2.2"));
  EXPECT_EQ(dir_.Read("config/b.example/bind.dat"), "192.0.2.1;192.0.2.2\r\n")
      << "the folder is created when missing";
  EXPECT_TRUE(domains().BindingFlag(1));
  EXPECT_EQ(domains().FileImage()[96 + 95], 1);
  EXPECT_EQ(domains().GetBinding(1), "192.0.2.1;192.0.2.2");
  EXPECT_EQ(domains().PositionOfAddress("192.0.2.2"), 1);
  EXPECT_EQ(domains().PositionOfAddress("192.0.2.3"), -1);

  ASSERT_TRUE(domains().SetBinding(1, "   "));
  EXPECT_EQ(dir_.Read("config/b.example/bind.dat"), "   \r\n") << "stored as given";
  EXPECT_TRUE(domains().BindingFlag(1));
  EXPECT_EQ(domains().GetBinding(1), "") << "trimmed on reading";

  ASSERT_TRUE(domains().SetBinding(1, ""));
  EXPECT_FALSE(dir_.Exists("config/b.example/bind.dat"));
  EXPECT_FALSE(domains().BindingFlag(1));
  EXPECT_TRUE(domains().SetBinding(1, "")) << "removing a missing file is no failure";

  ASSERT_TRUE(domains().SetBinding(0, std::string(300, '1')));
  EXPECT_EQ(domains().GetBinding(0), std::string(255, '1'));
  EXPECT_FALSE(domains().SetBinding(2, "192.0.2.1")) << "no such position";
}

TEST_F(FileDomainStoreTest, BindingOfANinetyFiveCharacterNameLeavesTheNameWhole) {
  const std::string long_name = std::string(94, 'a') + "z";
  domains().Load();
  domains().Append(long_name);
  ASSERT_TRUE(domains().SetBinding(0, "192.0.2.5"));
  EXPECT_TRUE(domains().BindingFlag(0));
  EXPECT_EQ(domains().NameAt(0), long_name);
  EXPECT_EQ(domains().FileImage()[95], 'z');
  EXPECT_EQ(domains().PositionOfAddress("192.0.2.5"), 0);
  ASSERT_TRUE(domains().SetBinding(0, ""));
  EXPECT_FALSE(domains().BindingFlag(0));
  EXPECT_EQ(domains().FileImage()[95], 'z');
}

TEST_F(FileDomainStoreTest, UnwritableBindingKeepsTheFlag) {
  dir_.Write("config/domains.cfg", DomainsFileOf({"a.example", ".."}));
  dir_.Write("config/a.example", "a file where the folder should be");
  SetCount(2);
  domains().Load();
  EXPECT_FALSE(domains().SetBinding(0, "192.0.2.1"));
  EXPECT_FALSE(domains().BindingFlag(0));
  EXPECT_FALSE(domains().SetBinding(1, "192.0.2.1")) << "\"..\" names no folder of its own";
  EXPECT_FALSE(dir_.Exists("bind.dat"));
}

TEST_F(FileDomainStoreTest, RemovingPositionZeroMakesTheNextDomainPrimary) {
  std::string file = DomainsFileOf({"a.example", "b.example", "c.example"});
  file[96 + 95] = 1;
  dir_.Write("config/domains.cfg", file);
  dir_.Write("config/b.example/bind.dat", "192.0.2.9\n");
  SetCount(3);
  domains().Load();
  ASSERT_TRUE(domains().RemoveEntry(0));
  EXPECT_EQ(domains().Count(), 2);
  EXPECT_EQ(context_.config.record.Number(offsets::kDomainCount, 4), 2u);
  EXPECT_EQ(domains().NameAt(0), "b.example");
  EXPECT_EQ(domains().FindPosition("unknown.example", false), 0);
  EXPECT_EQ(domains().FindPosition("c.example", true), 1);
  EXPECT_EQ(domains().FindPosition("a.example", true), -1);
  EXPECT_TRUE(domains().BindingFlag(0)) << "the binding moves with its domain";
  EXPECT_EQ(domains().GetBinding(0), "192.0.2.9");
  EXPECT_FALSE(domains().BindingFlag(1));
  EXPECT_EQ(domains().FileImage(), DomainsFileOf({"b.example", "c.example"}).replace(95, 1, "\1"));

  ASSERT_TRUE(domains().RemoveEntry(1));
  EXPECT_EQ(domains().Count(), 1);
  EXPECT_EQ(domains().NameAt(0), "b.example");
  EXPECT_FALSE(domains().RemoveEntry(1));
  EXPECT_FALSE(domains().RemoveEntry(-1));
  ASSERT_TRUE(domains().RemoveEntry(0));
  EXPECT_EQ(domains().Count(), 0);
  EXPECT_EQ(domains().FileImage(), "");
}

TEST_F(FileDomainStoreTest, RemovingAMiddleEntryMovesLongNameBindingsToo) {
  const std::string long_name = std::string(95, 'l');
  domains().Load();
  domains().Append("a.example");
  domains().Append("b.example");
  domains().Append(long_name);
  ASSERT_TRUE(domains().SetBinding(2, "192.0.2.7"));
  ASSERT_TRUE(domains().RemoveEntry(1));
  EXPECT_EQ(domains().NameAt(1), long_name);
  EXPECT_TRUE(domains().BindingFlag(1));
  EXPECT_EQ(domains().PositionOfAddress("192.0.2.7"), 1);
  EXPECT_FALSE(domains().BindingFlag(2));
}

TEST_F(FileDomainStoreTest, RenameEntryReindexesAndKeepsTheBinding) {
  domains().Load();
  domains().Append("a.example");
  domains().Append("b.example");
  ASSERT_TRUE(domains().SetBinding(1, "192.0.2.1"));
  ASSERT_TRUE(domains().RenameEntry(1, "New.Example"));
  EXPECT_EQ(domains().NameAt(1), "new.example");
  EXPECT_EQ(domains().FindPosition("NEW.example", true), 1);
  EXPECT_EQ(domains().FindPosition("b.example", true), -1);
  EXPECT_TRUE(domains().BindingFlag(1));

  ASSERT_TRUE(domains().RenameEntry(1, "a.example")) << "a rename onto an existing name is allowed";
  EXPECT_EQ(domains().FindPosition("a.example", true), 0) << "the first position keeps the name";
  ASSERT_TRUE(domains().RenameEntry(0, "c.example"));
  EXPECT_EQ(domains().FindPosition("a.example", true), 1) << "the other entry is found again";
  EXPECT_FALSE(domains().RenameEntry(2, "x.example"));
}

TEST_F(FileDomainStoreTest, RecordNameResolvesLiteralsAndSubdomainsWithoutDomainCfg) {
  std::string file = DomainsFileOf({"primary.example", "shop.example"});
  file[96 + 95] = 1;
  dir_.Write("config/domains.cfg", file);
  dir_.Write("config/shop.example/bind.dat", "192.0.2.8\n");
  dir_.Write("config/subdomains.dat", "*.shop.example=shop.example\n");
  dir_.Write("config/own.shop.example/domain.cfg", "x");
  SetCount(2);
  context_.config.derived.subdomains_enabled = true;
  domains().Load();
  EXPECT_EQ(domains().ResolveRecordName("EU.Shop.Example"), "shop.example");
  EXPECT_EQ(domains().ResolveRecordName("own.shop.example"), "own.shop.example")
      << "a domain with its own domain.cfg is not mapped";
  EXPECT_EQ(domains().ResolveRecordName("Elsewhere.example"), "elsewhere.example");
  EXPECT_EQ(domains().ResolveRecordName("[192.0.2.8]"), "[192.0.2.8]") << "literals are off";
  context_.config.record.SetByte(offsets::kAddressLiterals, 1);
  EXPECT_EQ(domains().ResolveRecordName("[192.0.2.8]"), "[192.0.2.8]")
      << "position 0 is unbound, and the address is none of the machine's";
  ASSERT_TRUE(domains().SetBinding(0, "192.0.2.1"));
  EXPECT_EQ(domains().ResolveRecordName("[192.0.2.8]"), "shop.example");
}

TEST_F(FileDomainStoreTest, FolderOfRefusesNamesThatLeaveTheConfigDirectory) {
  EXPECT_EQ(domains().FolderOf("a.example"), dir_.path() + "config/a.example/");
  for (const char* name : {"", ".", "..", "a/b", "a\\b", "../x"}) {
    EXPECT_EQ(domains().FolderOf(name), "") << name;
  }
  EXPECT_EQ(domains().FolderOf(std::string("a\0b", 3)), "");
  EXPECT_EQ(domains().FolderOf("...").empty(), false);
}

TEST(DomainListValidName, LettersDigitsAndFewMarks) {
  struct Case {
    const char* name;
    bool valid;
  };
  const Case cases[] = {
      {"mail.example.org", true},     {"MAIL-2.example", true}, {"[10.0.0.1]", true},
      {"under_score.example", false}, {"slash/example", false}, {"space example", false},
      {"\xC3\xA4pfel.example", true}, {"tab\texample", false},
  };
  for (const Case& c : cases) EXPECT_EQ(DomainStore::ValidName(c.name), c.valid) << c.name;
}

}  // namespace
}  // namespace tarvelin
