#include "jobs/backup/backup_entry_name.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelin {
namespace {

TEST(EntryNameToPath, SafeNamesMapToPathsBelowTheInstallation) {
  struct Case {
    std::string name;
    std::string path;
  };
  const Case cases[] = {
      {"domains.cfg", "domains.cfg"},
      {"example.org\\domain.cfg", "example.org/domain.cfg"},
      {"..\\mail\\example.org\\bob\\1.imap", "../mail/example.org/bob/1.imap"},
      {"..\\webmail\\config\\a.ini", "../webmail/config/a.ini"},
      {"a/b\\c", "a/b/c"},
      {".\\a\\\\b", "a/b"},
      {"a\\..\\b", "b"},
      {"a\\..\\..\\x", "../x"},
      {"..\\x\\..\\y", "../y"},
      {"..\\\\srv\\extra\\f", "../srv/extra/f"},  // an absolute extra folder of setting 429
      {"1700000000.M1P2.host:2,S", "1700000000.M1P2.host:2,S"},
      {"dir\\C:x", "dir/C:x"},
  };
  for (const Case& c : cases) {
    std::string path;
    EXPECT_TRUE(EntryNameToPath(c.name, &path)) << c.name;
    EXPECT_EQ(path, c.path) << c.name;
  }
}

TEST(EntryNameToPath, NamesLeavingTheInstallationAreRefused) {
  const std::string cases[] = {
      "\\etc\\passwd",
      "/etc/passwd",
      "\\\\server\\share\\x",
      "C:\\Windows\\x",
      "c:x",
      "..\\C:\\data\\x",
      "..\\..\\x",
      "a\\..\\..\\..\\x",
      "..\\a\\..\\..\\x",
      "..\\a\\D:\\x",
      std::string("a\0b", 3),
      "a\\",
      "..",
      "a\\..",
      "a\\.",
      ".",
      "",
  };
  for (const std::string& name : cases) {
    std::string path = "untouched";
    EXPECT_FALSE(EntryNameToPath(name, &path)) << name;
  }
}

TEST(MakeEntryName, PrefixAndBackslashSeparators) {
  std::string name;
  ASSERT_TRUE(MakeEntryName("..\\mail\\", "example.org/bob/1.imap", &name));
  EXPECT_EQ(name, "..\\mail\\example.org\\bob\\1.imap");
  ASSERT_TRUE(MakeEntryName("", "settings.cfg", &name));
  EXPECT_EQ(name, "settings.cfg");
  ASSERT_TRUE(MakeEntryName("..\\x\\", std::string(250, 'n'), &name));
  EXPECT_EQ(name.size(), 255u);
}

TEST(MakeEntryName, NamesThatCannotBeStoredFaithfully) {
  std::string name;
  EXPECT_FALSE(MakeEntryName("..\\x\\", std::string(251, 'n'), &name)) << "over 255 bytes";
  EXPECT_FALSE(MakeEntryName("", "a\\b", &name)) << "would read back as a folder";
}

}  // namespace
}  // namespace tarvelin
