#include "jobs/registration/reg_file.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelin::registration {
namespace {

// A file as another program leaves it: CRLF line ends, a comment, dword,
// multi-line hex and deletion entries, escapes, a last line with no end.
constexpr const char* kOtherPrograms =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; written by the backup tool\r\n"
    "[HKEY_CLASSES_ROOT\\Backup.Job]\r\n"
    "@=\"Backup \\\"nightly\\\" job\"\r\n"
    "\"Path\"=\"C:\\\\backups\\\\\"\r\n"
    "\"Count\"=dword:0000002a\r\n"
    "\"Blob\"=hex:01,02,03,\\\r\n"
    "  04,05\r\n"
    "\r\n"
    "[-HKEY_CLASSES_ROOT\\Old.Thing]\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Viewer]\r\n"
    "\"Gone\"=-\r\n"
    "\"Window\"=\"maximised\"";

TEST(RegFile, ReadsTextValuesUnescapedAndKeysInAnyCase) {
  Result<RegFile> file = RegFile::Parse(kOtherPrograms);
  ASSERT_TRUE(file.ok()) << file.status().ToString();
  EXPECT_EQ(file->Value("HKEY_CLASSES_ROOT\\Backup.Job", ""), "Backup \"nightly\" job");
  EXPECT_EQ(file->Value("hkey_classes_root\\backup.JOB", "path"), "C:\\backups\\");
  EXPECT_EQ(file->Value("HKEY_CLASSES_ROOT\\Backup.Job", "Count"), std::nullopt);  // no text
  EXPECT_EQ(file->Value("HKEY_CURRENT_USER\\Software\\Viewer", "Window"), "maximised");
  EXPECT_TRUE(file->HasKey("HKEY_CURRENT_USER\\SOFTWARE\\VIEWER"));
  EXPECT_FALSE(file->HasKey("HKEY_CLASSES_ROOT\\Nothing"));
}

TEST(RegFile, WritesBackEveryLineItDidNotChange) {
  Result<RegFile> file = RegFile::Parse(kOtherPrograms);
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(file->Serialize(), kOtherPrograms);
}

TEST(RegFile, TakesEitherHeaderWithOrWithoutAByteOrderMark) {
  for (const char* text :
       {"\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n[K]\r\n@=\"v\"\r\n",
        "REGEDIT4\n\n[K]\n@=\"v\"\n"}) {
    Result<RegFile> file = RegFile::Parse(text);
    ASSERT_TRUE(file.ok()) << text;
    EXPECT_EQ(file->Value("K", ""), "v");
    EXPECT_EQ(file->Serialize(), text);
  }
}

TEST(RegFile, NewKeysAndValuesFollowTheFilesLineEndsAndEscapes) {
  Result<RegFile> file = RegFile::Parse(kOtherPrograms);
  ASSERT_TRUE(file.ok());
  file->SetValue("HKEY_CLASSES_ROOT\\Mine", "", "a \"quoted\" C:\\path");
  file->SetValue("HKEY_CLASSES_ROOT\\Mine", "Mode", "Free");
  file->SetValue("HKEY_CURRENT_USER\\Software\\Viewer", "Zoom", "2");
  EXPECT_EQ(file->Serialize(), std::string(kOtherPrograms) +
                                   "\r\n\"Zoom\"=\"2\"\r\n"
                                   "\r\n"
                                   "[HKEY_CLASSES_ROOT\\Mine]\r\n"
                                   "@=\"a \\\"quoted\\\" C:\\\\path\"\r\n"
                                   "\"Mode\"=\"Free\"\r\n"
                                   "\r\n");
  Result<RegFile> again = RegFile::Parse(file->Serialize());
  ASSERT_TRUE(again.ok()) << again.status().ToString();
  EXPECT_EQ(again->Value("HKEY_CLASSES_ROOT\\mine", ""), "a \"quoted\" C:\\path");
}

TEST(RegFile, ASetValueReplacesTheLineWhereItStands) {
  Result<RegFile> file =
      RegFile::Parse("Windows Registry Editor Version 5.00\n\n[K]\n@=\"old\"\n\"Other\"=\"x\"\n\n");
  ASSERT_TRUE(file.ok());
  file->SetValue("k", "", "new");
  file->SetValue("K", "OTHER", "y");
  EXPECT_EQ(file->Serialize(),
            "Windows Registry Editor Version 5.00\n\n[K]\n@=\"new\"\n\"OTHER\"=\"y\"\n\n");
}

TEST(RegFile, DeletingAKeyKeepsTheOthersAndItsComments) {
  Result<RegFile> file = RegFile::Parse(
      "Windows Registry Editor Version 5.00\n\n"
      "[A]\n@=\"1\"\n\n"
      "[B]\n; a note\n@=\"2\"\n\n"
      "[C]\n@=\"3\"\n\n");
  ASSERT_TRUE(file.ok());
  EXPECT_TRUE(file->DeleteKey("b"));
  EXPECT_FALSE(file->DeleteKey("b"));
  EXPECT_EQ(file->Serialize(),
            "Windows Registry Editor Version 5.00\n\n"
            "[A]\n@=\"1\"\n\n; a note\n"
            "[C]\n@=\"3\"\n\n");
}

TEST(RegFile, AnEmptyTextIsAnEmptyRegistry) {
  Result<RegFile> file = RegFile::Parse("");
  ASSERT_TRUE(file.ok());
  file->SetValue("K", "", "v");
  EXPECT_EQ(file->Serialize(), "Windows Registry Editor Version 5.00\n\n[K]\n@=\"v\"\n\n");
}

TEST(RegFile, ADamagedFileIsRefusedWithItsLine) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"REGEDIT5\n", "line 1: not a registry file"},
      {"Windows Registry Editor Version 5.00\n\n[HKEY_CLASSES_ROOT\\Open\n",
       "line 3: the key is not closed"},
      {"Windows Registry Editor Version 5.00\n\n[K]\n@=\"no end\n",
       "line 4: the value is not closed"},
      {"Windows Registry Editor Version 5.00\n\n[K]\n\"Name=\"x\"\n", "line 4: no \"=\""},
      {"Windows Registry Editor Version 5.00\n\n[K]\n\"Name\n",
       "line 4: the value name is not closed"},
      {"Windows Registry Editor Version 5.00\n@=\"x\"\n", "line 2: a value before the first key"},
      {"Windows Registry Editor Version 5.00\n\n[K]\nsome words\n", "line 4: neither a key"},
      {"Windows Registry Editor Version 5.00\n\n[K]\n\"N\"=dword:12\n", "line 4: a dword value"},
      {"Windows Registry Editor Version 5.00\n\n[K]\n\"N\"=hex:01,\\\n",
       "line 4: the hex value is not ended"},
      {"Windows Registry Editor Version 5.00\n\n[K]\n\"N\"=hex:01,\\\n zz\n",
       "line 5: a hex value"},
      {"Windows Registry Editor Version 5.00\n\n[K]\n\"N\"=\"x\" y\n",
       "line 4: text after the value"},
      {"Windows Registry Editor Version 5.00\n\n[K]\n\"N\"=str:x\n",
       "line 4: a value of no known type"},
  };
  for (const Case& c : cases) {
    Result<RegFile> file = RegFile::Parse(c.text);
    ASSERT_FALSE(file.ok()) << c.text;
    EXPECT_EQ(file.status().code(), StatusCode::kCorruption);
    EXPECT_EQ(file.status().message().rfind(c.message, 0), 0u) << file.status().message();
  }
}

}  // namespace
}  // namespace tarvelin::registration
