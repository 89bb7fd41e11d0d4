#include "jobs/mailbox_conversion.h"

#include <gtest/gtest.h>

#include "core/config/create_installation.h"
#include "core/config/init.h"
#include "core/context.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(MailboxConversionFolderTest, BelowTheMailRootUnlessAbsolute) {
  testing::TempDir dir;
  Context context;
  EXPECT_EQ(MailboxConversionFolder(context, "example.org/john"), "")
      << "no mail root before the installation is open";
  {
    Context creator;
    ASSERT_TRUE(CreateInstallation(creator, dir.path() + "inst", {}).ok());
  }
  ASSERT_TRUE(Init(context, (dir.path() + "inst").c_str()).ok());
  const std::string root = dir.path() + "inst/mail/";
  EXPECT_EQ(MailboxConversionFolder(context, "example.org\\john"), root + "example.org/john/");
  EXPECT_EQ(MailboxConversionFolder(context, "/srv/box"), "/srv/box/");
  EXPECT_EQ(MailboxConversionFolder(context, ""), "") << "never the mail root itself";
}

}  // namespace
}  // namespace tarvelin
