#include "jobs/antispam/spam_index.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core/accounts/account_operations.h"
#include "core/config/create_installation.h"
#include "core/config/init.h"
#include "core/context.h"
#include "platform/posix_env.h"
#include "support/fake_service.h"
#include "support/status_testing.h"
#include "support/temp_dir.h"
#include "support/users_file_builder.h"

namespace tarvelin {
namespace {

constexpr int kIndexFlagOffset = 764;
constexpr int kMailboxModeOffset = 665;

class SpamIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    {
      Context creator;
      ASSERT_TRUE(CreateInstallation(creator, install(), {"example.org", "other.org"}).ok());
    }
    ASSERT_TRUE(Init(context_, install().c_str()).ok());
  }

  std::string install() const { return dir_.path() + "inst/"; }
  // A user account whose mail is in mail/DOMAIN/ALIAS/.
  void AddUser(const std::string& domain, const std::string& alias, bool indexed,
               uint8_t mailbox_mode = 0) {
    UserRecord record = testing::MakeUser(alias, alias, "secret-pw-1");
    record[kIndexFlagOffset] = indexed ? 1 : 0;
    record[kMailboxModeOffset] = mailbox_mode;
    ASSERT_TRUE(AddAccount(context_, domain, record, "").ok());
  }
  std::string Mail(const std::string& relative) const { return "inst/mail/" + relative; }
  std::string Queue(const std::string& relative) const { return "inst/spam/index/" + relative; }
  int64_t MtimeOf(const std::string& relative) {
    PosixEnv env;
    return env.GetFileStamp(dir_.path() + relative)->mtime_ns;
  }

  testing::TempDir dir_;
  Context context_;
};

TEST_F(SpamIndexTest, ClassifiesEachFolderAndQueuesWhatChanged) {
  AddUser("example.org", "john", true);
  const std::string box = "example.org/john/";
  dir_.Write(Mail(box + "new.tmp"), "Subject: a\r\n\r\nhi\r\n");
  dir_.Write(Mail(box + "was-spam.TMP"), "X-AntiSpam-Status: 1\r\nSubject: b\r\n\r\nhi");
  dir_.Write(Mail(box + "genuine.tmp"), "X-AntiSpam-Status: 0\r\n\r\n");
  dir_.Write(Mail(box + "note.txt"), "Subject: c\r\n\r\n");
  dir_.Write(Mail(box + "~spam/junk.imap"), "Subject: d\r\n\r\n");
  dir_.Write(Mail(box + "~spam/known.imap"), "X-AntiSpam-Status: 1\r\n\r\n");
  dir_.Write(Mail(box + "~spam/was-genuine.imap"), "x-antispam-status: 0\r\n\r\n");
  dir_.Write(Mail(box + "~spam/sub/deep.imap"), "Subject: e\r\n\r\n");

  SpamIndexTally tally;
  ASSERT_TRUE(IndexAccountSpam(context_, "John@Example.ORG", &tally).ok());
  EXPECT_EQ(tally.accounts, 1);
  EXPECT_EQ(tally.messages, 6);
  EXPECT_EQ(tally.classified, 4);
  EXPECT_EQ(tally.failed, 0);

  const struct {
    const char* message;
    const char* content;
    const char* queued;  // where its copy went, or nullptr
  } cases[] = {
      {"new.tmp", "Subject: a\r\nX-AntiSpam-Status: 0\r\n\r\nhi\r\n", "genuine/new.tmp"},
      {"was-spam.TMP", "Subject: b\r\nX-AntiSpam-Status: 0\r\n\r\nhi", "spam-genuine/was-spam.TMP"},
      {"genuine.tmp", "X-AntiSpam-Status: 0\r\n\r\n", nullptr},
      {"note.txt", "Subject: c\r\n\r\n", nullptr},
      {"~spam/junk.imap", "Subject: d\r\nX-AntiSpam-Status: 1\r\n\r\n", "spam/junk.imap"},
      {"~spam/known.imap", "X-AntiSpam-Status: 1\r\n\r\n", nullptr},
      {"~spam/was-genuine.imap", "X-AntiSpam-Status: 1\r\n\r\n", "genuine-spam/was-genuine.imap"},
      {"~spam/sub/deep.imap", "Subject: e\r\n\r\n", nullptr},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(dir_.Read(Mail(box + c.message)), c.content) << c.message;
    if (c.queued != nullptr) {
      EXPECT_EQ(dir_.Read(Queue(c.queued)), c.content) << c.message;
    }
  }
  EXPECT_FALSE(dir_.Exists(Queue("genuine/genuine.tmp")));
  EXPECT_FALSE(dir_.Exists(Queue("spam/known.imap")));
  EXPECT_FALSE(dir_.Exists(Queue("spam/deep.imap")));

  SpamIndexTally again;
  ASSERT_TRUE(IndexAccountSpam(context_, "john@example.org", &again).ok());
  EXPECT_EQ(again.classified, 0) << "a second run finds everything classified";
}

TEST_F(SpamIndexTest, TheGenuineFolderFollowsTheMailboxMode) {
  AddUser("example.org", "imap", true, /*mailbox_mode=*/1);
  dir_.Write(Mail("example.org/imap/top.tmp"), "Subject: a\r\n\r\n");
  dir_.Write(Mail("example.org/imap/inbox/in.imap"), "Subject: b\r\n\r\n");
  SpamIndexTally tally;
  ASSERT_TRUE(IndexAccountSpam(context_, "imap@example.org", &tally).ok());
  EXPECT_EQ(dir_.Read(Mail("example.org/imap/top.tmp")), "Subject: a\r\n\r\n");
  EXPECT_EQ(dir_.Read(Mail("example.org/imap/inbox/in.imap")),
            "Subject: b\r\nX-AntiSpam-Status: 0\r\n\r\n");
}

TEST_F(SpamIndexTest, KeepsTheMessagesTimeAndEveryByte) {
  AddUser("example.org", "john", true);
  std::string body;
  for (int i = 0; i < 200000; ++i) body.push_back(static_cast<char>(i % 251));
  const std::string name = Mail("example.org/john/~spam/big.imap");
  dir_.Write(name, "Subject: big\n\n" + body);  // lone LF, binary, no final line end
  PosixEnv env;
  ASSERT_TRUE(env.SetModificationTime(dir_.path() + name, 1000000000123456789).ok());

  SpamIndexTally tally;
  ASSERT_TRUE(IndexAccountSpam(context_, "john@example.org", &tally).ok());
  EXPECT_EQ(dir_.Read(name), "Subject: big\nX-AntiSpam-Status: 1\n\n" + body);
  EXPECT_EQ(MtimeOf(name), 1000000000123456789);
  EXPECT_EQ(dir_.Read(Queue("spam/big.imap")), dir_.Read(name));
}

// Messages are read in blocks of 64 KiB, bounded by the size they had when
// opened: the header block and a status header may end at or cross a block
// edge, and a message may end exactly on one.
TEST_F(SpamIndexTest, MessagesAroundTheReadBlockEdges) {
  AddUser("example.org", "john", true);
  constexpr size_t kBlock = 64 * 1024;
  // A header line of `size` bytes with its CR LF.
  const auto line = [](size_t size) { return "X-Pad: " + std::string(size - 9, 'p') + "\r\n"; };
  const std::string status = "X-AntiSpam-Status: 1\r\n";
  const std::string body(300, 'b');
  const struct {
    const char* name;
    std::string before;
    std::string after;
    const char* queue;
  } cases[] = {
      {"empty.imap", "", status, "spam/"},
      {"ends-at-edge.imap", line(kBlock - 2) + "\r\n", line(kBlock - 2) + status + "\r\n",
       "spam/"},
      {"header-ends-at-edge.imap", line(kBlock - 2) + "\r\n" + body,
       line(kBlock - 2) + status + "\r\n" + body, "spam/"},
      {"all-header-one-block.imap", line(kBlock), line(kBlock) + status, "spam/"},
      {"all-header-past-edge.imap", line(kBlock) + line(10), line(kBlock) + line(10) + status,
       "spam/"},
      {"header-in-second-block.imap", line(kBlock + 50) + "\r\n" + body,
       line(kBlock + 50) + status + "\r\n" + body, "spam/"},
      {"body-on-the-edge.imap", "S: x\r\n\r\n" + std::string(2 * kBlock - 8, 'b'),
       "S: x\r\n" + status + "\r\n" + std::string(2 * kBlock - 8, 'b'), "spam/"},
      // The old header crosses the edge; its value lies in the second block.
      {"old-status-across-edge.imap",
       line(kBlock - 10) + "X-AntiSpam-Status: 0\r\n\r\n" + body,
       line(kBlock - 10) + status + "\r\n" + body, "genuine-spam/"},
  };
  for (const auto& c : cases) {
    dir_.Write(Mail("example.org/john/~spam/") + c.name, c.before);
  }
  SpamIndexTally tally;
  ASSERT_TRUE(IndexAccountSpam(context_, "john@example.org", &tally).ok());
  EXPECT_EQ(tally.failed, 0);
  for (const auto& c : cases) {
    const std::string now = dir_.Read(Mail("example.org/john/~spam/") + c.name);
    EXPECT_EQ(now.size(), c.after.size()) << c.name;
    EXPECT_TRUE(now == c.after) << c.name;
    EXPECT_TRUE(dir_.Read(Queue(c.queue + std::string(c.name))) == c.after) << c.name;
  }
}

TEST_F(SpamIndexTest, AMessageThatCannotBeCopiedStaysAsItWas) {
  AddUser("example.org", "john", true);
  dir_.Write(Mail("example.org/john/a.tmp"), "Subject: a\r\n\r\n");
  dir_.Write(Mail("example.org/john/b.tmp"), "Subject: b\r\n\r\n");
  dir_.Write(Queue("genuine/a.tmp/blocker"), "");  // a folder where the copy would go

  SpamIndexTally tally;
  ASSERT_TRUE(IndexAccountSpam(context_, "john@example.org", &tally).ok());
  EXPECT_EQ(tally.failed, 1);
  EXPECT_EQ(tally.classified, 1) << "indexing goes on after a failure";
  EXPECT_EQ(dir_.Read(Mail("example.org/john/a.tmp")), "Subject: a\r\n\r\n");
  EXPECT_EQ(dir_.Read(Mail("example.org/john/b.tmp")),
            "Subject: b\r\nX-AntiSpam-Status: 0\r\n\r\n");
  std::vector<DirectoryEntry> left;
  PosixEnv env;
  ASSERT_TRUE(env.ListDirectory(dir_.path() + Mail("example.org/john"), &left).ok());
  EXPECT_EQ(left.size(), 2u) << "no temporary file stays behind";
}

TEST_F(SpamIndexTest, ALinkNamedLikeAMessageIsNotFollowed) {
  AddUser("example.org", "john", true);
  dir_.Write("secret.txt", "Subject: not mail\r\n\r\nsecret");
  dir_.Write(Mail("example.org/john/~spam/x"), "");
  const std::string link = dir_.path() + Mail("example.org/john/~spam/link.imap");
  std::filesystem::create_symlink(dir_.path() + "secret.txt", link);

  SpamIndexTally tally;
  ASSERT_TRUE(IndexAccountSpam(context_, "john@example.org", &tally).ok());
  EXPECT_EQ(tally.messages, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(link)) << "the link stays a link";
  EXPECT_EQ(dir_.Read("secret.txt"), "Subject: not mail\r\n\r\nsecret");
  EXPECT_FALSE(dir_.Exists(Queue("spam/link.imap")));
}

TEST_F(SpamIndexTest, WhoIsIndexed) {
  AddUser("example.org", "john", true);
  AddUser("example.org", "quiet", false);
  AddUser("other.org", "jane", true);
  UserRecord list = testing::MakeRecord("team", "", /*type=*/1);
  list[kIndexFlagOffset] = 1;
  ASSERT_TRUE(AddAccount(context_, "example.org", list, "").ok());
  const struct {
    const char* email;
    StatusCode code;
  } cases[] = {
      {"john@example.org", StatusCode::kOk},
      {"john", StatusCode::kOk},  // the first domain
      {"JOHN@EXAMPLE.ORG", StatusCode::kOk},
      {"jane@other.org", StatusCode::kOk},
      {"jane", StatusCode::kNotFound},
      {"quiet@example.org", StatusCode::kNotFound},
      {"team@example.org", StatusCode::kNotFound},  // not a user account
      {"nobody@example.org", StatusCode::kNotFound},
      {"john@nowhere.test", StatusCode::kNotFound},
      {"john@", StatusCode::kNotFound},
      {"@example.org", StatusCode::kNotFound},
      {"", StatusCode::kNotFound},
  };
  for (const auto& c : cases) {
    SpamIndexTally tally;
    EXPECT_EQ(IndexAccountSpam(context_, c.email, &tally), c.code) << c.email;
  }
}

TEST_F(SpamIndexTest, ADomainIndexesEveryEligibleAccount) {
  AddUser("example.org", "john", true);
  AddUser("example.org", "quiet", false);
  AddUser("example.org", "anna", true);
  for (const char* alias : {"john", "quiet", "anna"}) {
    dir_.Write(Mail("example.org/" + std::string(alias) + "/m.tmp"), "Subject: x\r\n\r\n");
  }
  SpamIndexTally tally;
  std::vector<std::string> seen;
  ASSERT_TRUE(IndexDomainSpam(context_, "Example.org", &tally,
                              [&](std::string_view domain, std::string_view alias, int, int count) {
                                EXPECT_EQ(domain, "example.org");
                                EXPECT_EQ(count, 3);
                                seen.emplace_back(alias);
                              })
                  .ok());
  EXPECT_EQ(seen, (std::vector<std::string>{"john", "quiet", "anna"}));
  EXPECT_EQ(tally.accounts, 2);
  EXPECT_EQ(tally.classified, 2);
  EXPECT_EQ(dir_.Read(Mail("example.org/quiet/m.tmp")), "Subject: x\r\n\r\n");
  EXPECT_EQ(IndexDomainSpam(context_, "nowhere.test", &tally), StatusCode::kNotFound);
}

TEST_F(SpamIndexTest, TheRequestGoesToTheSmtpService) {
  std::filesystem::create_directories(dir_.path() + "inst/run");
  FakeService smtp(dir_.path() + "inst/run/", "TarvelinSMTP");
  ASSERT_TRUE(smtp.ready());
  EXPECT_TRUE(RequestSpamIndexing(context_));
  EXPECT_EQ(smtp.Requests(), std::vector<std::string>{CommandHex(4096, 1440, 0, 0)});
}

}  // namespace
}  // namespace tarvelin
