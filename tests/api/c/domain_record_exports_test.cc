// The domain record exports, through the C API.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "schema/config_offsets.h"
#include "store/file/domain_file.h"
#include "foundation/bytes.h"
#include "foundation/scramble.h"
#include "support/fake_service.h"
#include "support/installation.h"
#include "support/temp_dir.h"
#include "tarvelin/api.h"

namespace tarvelin {
namespace {

using testing::DomainsFileOf;
using testing::RecordOfSettingsFile;
using testing::SettingsFileOf;
using testing::TempDir;

constexpr int32_t kSize = kDomainRecordSize;

TEST(DomainRecordExports, EveryFunctionWantsInit) {
  DomainRecord record{};
  uint8_t byte = 1;
  EXPECT_EQ(LoadDomain(0, record.data(), kSize), -5);
  EXPECT_EQ(SaveDomain(0, record.data(), kSize), -5);
  EXPECT_EQ(AddDomain("a.example", record.data(), kSize), -5);
  EXPECT_EQ(GetDomainSetting(record.data(), kSize, 0, &byte, 1), -5);
  EXPECT_EQ(SetDomainSetting(record.data(), kSize, 0, &byte, 1), -5);
  EXPECT_EQ(SetDomainDefaults(record.data(), kSize, 1), -5);
  EXPECT_EQ(GetDomainIP(0, &byte, 1), -5);
  EXPECT_EQ(SetDomainIP(0, &byte, 1), -5);
  EXPECT_EQ(RenameDomain("a.example", "b.example"), -5);
  EXPECT_EQ(DeleteDomain(0), -5);
}

class DomainRecordExportsTest : public ::testing::Test {
 protected:
  void SetUp() override { Open({"a.example", "b.example"}); }
  void Open(const std::vector<std::string>& names, ServerConfig config = ServerConfig()) {
    config.SetNumber(offsets::kDomainCount, 4, static_cast<uint32_t>(names.size()));
    dir_.Write("config/settings.cfg", SettingsFileOf(config));
    dir_.Write("config/domains.cfg", DomainsFileOf(names));
    dir_.Write("run/.keep", "");
    ASSERT_EQ(Init(dir_.path().c_str()), 0);
  }
  std::string List() {
    std::vector<char> buffer(4096);
    const int32_t n = GetDomainList(buffer.data(), static_cast<int32_t>(buffer.size()));
    return n < 0 ? "error" : std::string(buffer.data(), static_cast<size_t>(n));
  }
  static DomainRecord Patterned() {
    DomainRecord record;
    for (size_t i = 0; i < record.size(); ++i) record[i] = static_cast<uint8_t>(i * 31 + 7);
    return record;
  }

  TempDir dir_;
};

TEST_F(DomainRecordExportsTest, SaveThenLoadByPosition) {
  DomainRecord record = Patterned();
  std::array<uint8_t, kSize + 10> loaded{};
  EXPECT_EQ(LoadDomain(0, loaded.data(), kSize), -1) << "no domain.cfg yet";
  ASSERT_EQ(SaveDomain(0, record.data(), kSize + 10), 0);
  EXPECT_EQ(LoadDomain(0, loaded.data(), static_cast<int32_t>(loaded.size())), kSize);
  EXPECT_EQ(std::memcmp(loaded.data(), record.data(), kSize), 0);
  EXPECT_EQ(loaded[kSize], 0) << "nothing past the record is written";
  EXPECT_EQ(dir_.Read("config/a.example/domain.cfg"), DomainFileImage(record));

  struct Case {
    int32_t position;
    int32_t size;
  };
  for (const Case& c : {Case{-1, kSize}, Case{2, kSize}, Case{0, kSize - 1}, Case{0, 0}}) {
    EXPECT_EQ(LoadDomain(c.position, loaded.data(), c.size), -3) << c.position << " " << c.size;
    EXPECT_EQ(SaveDomain(c.position, record.data(), c.size), -3) << c.position << " " << c.size;
  }
  EXPECT_EQ(LoadDomain(0, nullptr, kSize), -3);
  EXPECT_EQ(SaveDomain(0, nullptr, kSize), -3);
}

TEST_F(DomainRecordExportsTest, SavedFileMatchesOneBuiltByHand) {
  DomainRecord record{};
  const auto set = [&](int32_t id, const void* value, int32_t size) {
    ASSERT_EQ(SetDomainSetting(record.data(), kSize, id, value, size), 0) << id;
  };
  const uint32_t quota = 0x01020304;
  const uint8_t on = 1;
  const uint16_t limit = 0xABCD;
  const double expiry = 47000.75;
  set(0, "note", 4);
  set(11, &quota, 4);
  set(34, &on, 1);
  set(9, &limit, 2);
  set(7, "catchall@example.org", 20);
  set(16, &on, 1);
  set(22, &expiry, 8);
  set(36, "Boxes", 5);
  ASSERT_EQ(SaveDomain(0, record.data(), kSize), 0);

  // The same record from the layout: length-prefixed texts, little-endian
  // numbers, flag bytes, the date's IEEE bytes; then the settings key.
  std::string expected(kSize, '\0');
  expected.replace(0, 5, "\x04note");
  expected.replace(57, 4, "\x04\x03\x02\x01");
  expected[61] = 2;
  expected.replace(62, 2, "\xCD\xAB");
  expected.replace(641, 21,
                   "\x14"
                   "catchall@example.org");
  expected[880] = 1;
  expected.replace(899, 8, std::string(reinterpret_cast<const char*>(&expiry), 8));
  expected.replace(1041, 6,
                   "\x05"
                   "Boxes");
  ScrambleBytes(reinterpret_cast<uint8_t*>(expected.data()), expected.size(), 0);
  EXPECT_EQ(dir_.Read("config/a.example/domain.cfg"), expected);
}

TEST_F(DomainRecordExportsTest, SaveDomainTellsTheServicesToReload) {
  FakeService control(dir_.path() + "run/", "TarvelinControl");
  ASSERT_TRUE(control.ready());
  DomainRecord record{};
  ASSERT_EQ(SaveDomain(1, record.data(), kSize), 0);
  EXPECT_EQ(control.Requests(), std::vector<std::string>{CommandHex(4096, 1280, 0, 0)});
}

TEST_F(DomainRecordExportsTest, AddedDomainIsListedSavedAndHasItsRecord) {
  FakeService control(dir_.path() + "run/", "TarvelinControl");
  ASSERT_TRUE(control.ready());
  const DomainRecord record = Patterned();
  ASSERT_EQ(AddDomain("New.Example", record.data(), kSize), 0);

  EXPECT_EQ(GetDomainCount(), 3);
  EXPECT_EQ(List(), std::string("a.example\0b.example\0new.example\0\0", 33));
  EXPECT_EQ(GetDomainIndex("NEW.example"), 2);
  std::array<char, 11> name{};
  EXPECT_EQ(GetDomainName(2, name.data(), 11), 11);
  EXPECT_EQ(std::string(name.data(), 11), "new.example");

  EXPECT_EQ(dir_.Read("config/domains.cfg"),
            DomainsFileOf({"a.example", "b.example", "new.example"}));
  EXPECT_EQ(RecordOfSettingsFile(dir_.Read("config/settings.cfg")).Number(offsets::kDomainCount, 4),
            3u);
  EXPECT_EQ(dir_.Read("config/new.example/domain.cfg"), DomainFileImage(record));
  DomainRecord loaded{};
  EXPECT_EQ(LoadDomain(2, loaded.data(), kSize), kSize);
  EXPECT_EQ(loaded, record);
  EXPECT_EQ(control.Requests().size(), 2u) << "the save of the list, then the reload of step 7";
}

TEST_F(DomainRecordExportsTest, AddDomainRefusesBadOrTakenNames) {
  const DomainRecord record{};
  struct Case {
    const char* name;
    int32_t result;
  };
  const std::string long_name(96, 'x');
  const Case cases[] = {
      {"A.EXAMPLE", -1},
      {"user@b.example", -1},
      {"under_score.example", -1},
      {"slash/example", -1},
      {"", -1},
      {nullptr, -1},
      {".", -1},
      {"..", -1},
      {long_name.c_str(), -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AddDomain(c.name, record.data(), kSize), c.result) << (c.name ? c.name : "null");
  }
  EXPECT_EQ(AddDomain("c.example", record.data(), kSize - 1), -3);
  EXPECT_EQ(AddDomain("c.example", nullptr, kSize), -3);
  EXPECT_EQ(GetDomainCount(), 2);
  EXPECT_FALSE(dir_.Exists("domain.cfg"));
  EXPECT_FALSE(dir_.Exists("config/domain.cfg"));

  const std::string longest(95, 'y');
  ASSERT_EQ(AddDomain(longest.c_str(), record.data(), kSize), 0);
  EXPECT_EQ(GetDomainIndex(longest.c_str()), 2);
}

TEST_F(DomainRecordExportsTest, AddDomainWhoseFolderCannotBeMadeStaysListed) {
  dir_.Write("config/blocked.example", "a file where the folder should be");
  const DomainRecord record{};
  EXPECT_EQ(AddDomain("blocked.example", record.data(), kSize), -1);
  EXPECT_EQ(GetDomainIndex("blocked.example"), 2);
  EXPECT_EQ(dir_.Read("config/domains.cfg").size(), 3u * 96);
}

TEST_F(DomainRecordExportsTest, SettingsOnACallerRecord) {
  DomainRecord record{};
  const uint32_t on = 256;
  ASSERT_EQ(SetDomainSetting(record.data(), kSize, 10, &on, 4), 0);
  EXPECT_EQ(record[61], 1);
  const uint8_t off = 0;
  ASSERT_EQ(SetDomainSetting(record.data(), kSize, 10, &off, 1), 0);
  EXPECT_EQ(record[61], 0);

  std::array<uint8_t, 8> buffer{};
  EXPECT_EQ(GetDomainSetting(record.data(), kSize, 22, buffer.data(), 7), -3);
  EXPECT_EQ(GetDomainSetting(record.data(), kSize, 22, buffer.data(), 8), 8);
  EXPECT_EQ(GetDomainSetting(record.data(), kSize, 2, buffer.data(), 8), -1);
  EXPECT_EQ(SetDomainSetting(record.data(), kSize, 37, buffer.data(), 8), -1);
  EXPECT_EQ(GetDomainSetting(record.data(), kSize - 1, 0, buffer.data(), 8), -3);
  EXPECT_EQ(SetDomainSetting(record.data(), kSize - 1, 0, buffer.data(), 8), -3);
  EXPECT_EQ(GetDomainSetting(nullptr, kSize, 0, buffer.data(), 8), -3);
  EXPECT_EQ(SetDomainSetting(nullptr, kSize, 0, buffer.data(), 8), -3);
}

TEST_F(DomainRecordExportsTest, DefaultsWhenForcedOrSwitchedOn) {
  dir_.Write("config/default.ini", "DomainDiskQuota=77\n");
  DomainRecord record{};
  EXPECT_EQ(SetDomainDefaults(record.data(), kSize, 0), 0);
  EXPECT_EQ(record, DomainRecord{});
  EXPECT_EQ(SetDomainDefaults(record.data(), kSize, 1), kSize);
  EXPECT_EQ(GetLE(record.data() + 57, 4), 77u);
  EXPECT_EQ(SetDomainDefaults(record.data(), kSize - 1, 1), -3);

  const uint8_t on = 1;
  ASSERT_EQ(SetConfigSetting(77, &on, 1), 0);
  record.fill(0);
  EXPECT_EQ(SetDomainDefaults(record.data(), kSize, 0), kSize);
  EXPECT_EQ(GetLE(record.data() + 57, 4), 77u);
}

TEST_F(DomainRecordExportsTest, BindingTextIsStoredAsGiven) {
  ASSERT_EQ(SetDomainIP(1, "   ", 3), 0);
  EXPECT_EQ(dir_.Read("config/b.example/bind.dat"), "   \r\n");
  EXPECT_EQ(dir_.Read("config/domains.cfg")[96 + 95], 1) << "flag set and the list saved";
  std::array<char, 32> buffer;
  buffer.fill('#');
  EXPECT_EQ(GetDomainIP(1, buffer.data(), 16), 0) << "read back trimmed";
  EXPECT_EQ(buffer[0], '\0') << "the buffer is zero-filled";

  ASSERT_EQ(SetDomainIP(1, "192.0.2.1;192.0.2.2 ignored", 19), 0);
  EXPECT_EQ(GetDomainIP(1, buffer.data(), 19), 19);
  EXPECT_EQ(std::string(buffer.data(), 19), "192.0.2.1;192.0.2.2");
  EXPECT_EQ(GetDomainIP(1, buffer.data(), 18), -3);
  EXPECT_EQ(GetDomainIndex("[192.0.2.2]"), -1) << "literals are off";

  ASSERT_EQ(SetDomainIP(1, nullptr, 0), 0);
  EXPECT_FALSE(dir_.Exists("config/b.example/bind.dat"));
  EXPECT_EQ(dir_.Read("config/domains.cfg")[96 + 95], 0);
  EXPECT_EQ(GetDomainIP(2, buffer.data(), 16), -3);
  EXPECT_EQ(SetDomainIP(2, "x", 1), -3);
  EXPECT_EQ(SetDomainIP(-1, "x", 1), -3);
}

}  // namespace
}  // namespace tarvelin
