#include "mailstore/mailbox_location.h"

#include <gtest/gtest.h>

#include "schema/config_offsets.h"
#include "core/accounts/mail_folder.h"
#include "core/context.h"

namespace tarvelin {
namespace {

TEST(MailboxLocation, MailRootIsBelowTheInstallationWhenRelative) {
  Context context;
  EXPECT_EQ(MailRootFolder(context), "") << "not initialised: the built-in value names nothing";
  context.api.initialised = true;
  context.api.install_path = "/srv/tarvelin/";
  struct Case {
    const char* stored;
    const char* folder;
  };
  const Case cases[] = {
      {"mail\\", "/srv/tarvelin/mail/"},
      {"store\\mail", "/srv/tarvelin/store/mail/"},
      {"/var/mail/", "/var/mail/"},
      {"\\var\\mail", "/var/mail/"},
      {"", ""},
  };
  for (const Case& c : cases) {
    context.config.record.SetText(offsets::kMailRoot, c.stored);
    EXPECT_EQ(MailRootFolder(context), c.folder) << c.stored;
  }
}

TEST(MailboxLocation, MailboxPathIsBelowTheMailRootWhenRelative) {
  struct Case {
    const char* root;
    const char* path;
    const char* folder;
  };
  const Case cases[] = {
      {"/m/", "example.org\\john\\", "/m/example.org/john/"},
      {"/m", "example.org/john", "/m/example.org/john/"},
      {"/m/", "/elsewhere/john", "/elsewhere/john/"},
      {"", "\\elsewhere\\john\\", "/elsewhere/john/"},
      {"", "example.org/john/", ""},  // no mail root to put it below
      {"/m/", "", ""},                // would be the whole mail root
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MailboxFolder(c.root, c.path), c.folder) << c.root << " + " << c.path;
  }
}

}  // namespace
}  // namespace tarvelin
