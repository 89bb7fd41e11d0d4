#include "mailstore/message_file_name.h"

#include <gtest/gtest.h>

namespace tarvelin {
namespace {

TEST(MessageFileName, DropsTheExtensionAndTheDashSuffix) {
  struct Case {
    std::string_view name;
    std::string_view extension;
    std::string_view converted;
  };
  const Case cases[] = {
      {"12345.tmp", kImapExtension, "12345.imap"},
      {"12345.imap", kPop3Extension, "12345.tmp"},
      {"12345-S.imap", kPop3Extension, "12345.tmp"},
      {"a-b-c.imap", kPop3Extension, "a-b.tmp"},
      {"a.b.tmp", kImapExtension, "a.b.imap"},
      {"a-b.c.tmp", kImapExtension, "a.imap"},  // the dash before the last dot
      {"a.b-c.tmp", kImapExtension, "a.b.imap"},
      {"-x.imap", kPop3Extension, ".tmp"},
      {".tmp", kImapExtension, ".imap"},
      {"plain", kImapExtension, "plain.imap"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertedMessageName(c.name, c.extension), c.converted) << c.name;
  }
}

}  // namespace
}  // namespace tarvelin
