#include "core/accounts/default_mailbox_path.h"

#include <gtest/gtest.h>

#include "core/accounts/account_installation.h"

namespace tarvelin {
namespace {

constexpr int kSplitByAliasStart = 22140;
constexpr int kSplitLength = 22141;

class DefaultMailboxPathTest : public testing::AccountInstallation {};

TEST_F(DefaultMailboxPathTest, DomainPrefixThenPrimaryAlias) {
  EXPECT_EQ(DefaultMailboxPath(context_, "example.org", "john;smith"), "example.org/john/");
  EXPECT_EQ(DefaultMailboxPath(context_, "example.org", " john.  ;x"), "example.org/john_/")
      << "a final dot would end a folder name";
  EXPECT_EQ(DefaultMailboxPath(context_, "example.org", "a\"*/<>?|b"), "example.org/ab/");
}

TEST_F(DefaultMailboxPathTest, AnAliasWithoutUsableCharactersNeverNamesTheDomainFolder) {
  const struct {
    const char* aliases;
    const char* path;
  } kCases[] = {
      {"*", "example.org/_2a/"},       {"?", "example.org/_3f/"},
      {"/", "example.org/_2f/"},       {"|", "example.org/_7c/"},
      {"**;john", "example.org/_2a2a/"}, {"\"<>", "example.org/_223c3e/"},
      {"*.", "example.org/_/"},        {"a*", "example.org/a/"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(DefaultMailboxPath(context_, "example.org", c.aliases), c.path) << c.aliases;
  }
  context_.config.record.SetByte(kSplitByAliasStart, 1);
  context_.config.record.SetByte(kSplitLength, 1);
  EXPECT_EQ(DefaultMailboxPath(context_, "example.org", "*x"), "example.org/_2a/x/")
      << "the split part gets a name of its own too";
}

TEST_F(DefaultMailboxPathTest, DomainMailboxRootIsThePrefix) {
  PutMailboxRoot("example.org", "/srv/boxes|");
  EXPECT_EQ(DefaultMailboxPath(context_, "example.org", "john"), "/srv/boxes/john/");
  PutMailboxRoot("other.org", "store\\other\\");
  EXPECT_EQ(DefaultMailboxPath(context_, "other.org", "ann"), "store\\other\\ann/");
}

TEST_F(DefaultMailboxPathTest, AliasStartSplitsTheFolders) {
  context_.config.record.SetByte(kSplitByAliasStart, 1);
  context_.config.record.SetByte(kSplitLength, 2);
  EXPECT_EQ(DefaultMailboxPath(context_, "example.org", "john;x"), "example.org/jo/john/");
  EXPECT_EQ(DefaultMailboxPath(context_, "example.org", "a/b"), "example.org/a/ab/")
      << "a slash of the alias makes no extra folder";
  context_.config.record.SetByte(kSplitLength, 0);
  EXPECT_EQ(DefaultMailboxPath(context_, "example.org", "john"), "example.org/john/");
  context_.config.record.SetByte(kSplitLength, 3);
  context_.config.record.SetByte(kSplitByAliasStart, 0);
  EXPECT_EQ(DefaultMailboxPath(context_, "example.org", "john"), "example.org/john/");
}

}  // namespace
}  // namespace tarvelin
