// The challenge-response store over db.so (SQLite and PostgreSQL) and the
// challenge folders: pairs added, listed and deleted; authorization moving
// the pair to "1", handing every held message to the release queue and
// removing the folder; and folder names that must not reach the root of
// every pending challenge.
#include "jobs/challenge/challenge_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "core/context.h"
#include "jobs/challenge/challenge_folder.h"
#include "jobs/challenge/challenge_record.h"
#include "jobs/challenge/challenge_release.h"
#include "log/log_kinds.h"
#include "support/storage_modes.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::StorageMode;

// db.so's current connection: the installation's own database.
constexpr char kConnection[] = "QuorantSpamChallenge";
constexpr char kFolder[] = "0cc175b9c0f1b6a831c399e269772661";
constexpr int kAntispamLogLevel = 22839;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void Put(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

// Every file below `folder` with its bytes, by path relative to it.
std::map<std::string, std::string> Tree(const fs::path& folder) {
  std::map<std::string, std::string> files;
  if (!fs::exists(folder)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[fs::relative(entry.path(), folder).string()] = Slurp(entry.path());
    }
  }
  return files;
}

class ChallengeResponseStoreTest : public testing::StorageModeTest {
 protected:
  void SetUp() override {
    testing::StorageModeTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_TRUE(context().backend().loaded());
    ASSERT_TRUE(context().backend().ChallengeCreateTables(kConnection))
        << context().backend().Failure("DBChallengeCreateTables").message();
    root_ = ChallengeRoot(context().config.derived.spam_directory);
    // Antispam log lines unbuffered, so the test sees them.
    context().config.record.SetNumber(log_offsets::kBufferSize, 4, 0);
  }

  // A pending challenge of ann to bob, held in `folder` with two messages.
  void Pending(const std::string& folder) {
    ASSERT_TRUE(AddChallenge(context(), kConnection, "bob@example.org", "ann@example.com", "2").ok());
    ChallengeRecord record;
    record.set_sender("ann@example.com");
    record.set_recipient("bob@example.org");
    record.set_code("ABCD 2EF3");
    Put(root_ + folder + "/challenge.dat", record.Bytes());
    Put(root_ + folder + "/m1.tmp", "Subject: one\r\n\r\nbody one\r\n");
    Put(root_ + folder + "/m1.dat", "ann@example.com\r\nbob@example.org;cy@example.org\r\n2\r\n");
    Put(root_ + folder + "/m2.tmp", "Subject: two\r\n\r\nbody two\r\n");
    Put(root_ + folder + "/m2.dat", "ann@example.com\r\nbob@example.org;\r\n1\r\n");
  }

  std::string List(const std::string& recipient = "", const std::string& flags = "") {
    Result<std::string> list = ListChallenges(context(), kConnection, recipient, flags);
    EXPECT_TRUE(list.ok()) << list.status().ToString();
    return list.ok() ? *list : "failed";
  }

  std::string AntispamLog() {
    std::string lines;
    const fs::path folder = installation().install() + "logs/antispam";
    if (!fs::exists(folder)) return lines;
    for (const auto& entry : fs::directory_iterator(folder)) lines += Slurp(entry.path());
    return lines;
  }

  std::string Queue() { return ReleaseQueuePath(context().config.derived.spam_directory); }

  std::string root_;
};

TEST_P(ChallengeResponseStoreTest, PairsAreAddedListedAndDeleted) {
  ASSERT_TRUE(AddChallenge(context(), kConnection, "bob@example.org", "ann@example.com", "2").ok());
  ASSERT_TRUE(AddChallenge(context(), kConnection, "cy@example.org", "dan@example.com", "0").ok());
  EXPECT_EQ(List("bob@example.org"), "ann@example.com;bob@example.org;2;\r\n");
  EXPECT_EQ(List("", "0"), "dan@example.com;cy@example.org;0;\r\n");

  const Status twice =
      AddChallenge(context(), kConnection, "bob@example.org", "ann@example.com", "1");
  EXPECT_FALSE(twice.ok()) << "a pair that is there is not added again";
  EXPECT_FALSE(twice.message().empty());

  // An empty folder name: only the pair goes.
  Put(root_ + kFolder + "/challenge.dat", ChallengeRecord().Bytes());
  ASSERT_TRUE(DeleteChallenge(context(), kConnection, "bob@example.org", "ann@example.com", "").ok());
  EXPECT_EQ(List("bob@example.org"), "");
  EXPECT_TRUE(fs::exists(root_ + kFolder + "/challenge.dat"));

  // With the folder: the pair and the folder with its messages.
  ASSERT_TRUE(
      DeleteChallenge(context(), kConnection, "cy@example.org", "dan@example.com", kFolder).ok());
  EXPECT_FALSE(fs::exists(root_ + kFolder));
  EXPECT_TRUE(fs::exists(root_)) << "the root of the other challenges stays";

  const Status unknown =
      DeleteChallenge(context(), kConnection, "cy@example.org", "dan@example.com", "");
  EXPECT_FALSE(unknown.ok()) << "the pair was gone already";
}

TEST_P(ChallengeResponseStoreTest, AuthorizingReleasesEveryHeldMessageAndLogs) {
  context().config.record.SetByte(kAntispamLogLevel, 1);
  Pending(kFolder);
  Put(root_ + kFolder + "/lost.dat", "ann@example.com\r\nbob@example.org;\r\n1\r\n");
  const std::map<std::string, std::string> held = Tree(root_ + kFolder);

  Result<ChallengeAuthorization> done = AuthorizeChallenge(context(), kConnection, kFolder);
  ASSERT_TRUE(done.ok()) << done.status().ToString();
  EXPECT_TRUE(done->accepted()) << done->database.ToString();
  EXPECT_TRUE(done->release.ok()) << done->release.ToString();
  EXPECT_EQ(done->released, 2);
  EXPECT_EQ(done->recipients, 3);
  EXPECT_EQ(List("bob@example.org"), "ann@example.com;bob@example.org;1;\r\n");
  EXPECT_FALSE(fs::exists(root_ + kFolder));

  const std::string prefix = std::string(kFolder) + "-";
  const std::map<std::string, std::string> queued = Tree(Queue());
  EXPECT_EQ(queued, (std::map<std::string, std::string>{
                        {prefix + "m1.tmp", held.at("m1.tmp")},
                        {prefix + "m1.dat", held.at("m1.dat")},
                        {prefix + "m2.tmp", held.at("m2.tmp")},
                        {prefix + "m2.dat", held.at("m2.dat")},
                    }))
      << "each message with its envelope, byte for byte; an envelope without a message is dropped";
  EXPECT_NE(AntispamLog().find("CR: sender 'ann@example.com' recipient 'bob@example.org' authorized"),
            std::string::npos)
      << AntispamLog();
}

TEST_P(ChallengeResponseStoreTest, ARejectedAuthorizationKeepsTheFolderAndStillLogs) {
  context().config.record.SetByte(kAntispamLogLevel, 1);
  Pending(kFolder);
  ASSERT_TRUE(DeleteChallenge(context(), kConnection, "bob@example.org", "ann@example.com", "").ok());
  const std::map<std::string, std::string> held = Tree(root_ + kFolder);

  Result<ChallengeAuthorization> done = AuthorizeChallenge(context(), kConnection, kFolder);
  ASSERT_TRUE(done.ok()) << done.status().ToString();
  EXPECT_FALSE(done->accepted()) << "the database has no such pair";
  EXPECT_FALSE(done->database.message().empty());
  EXPECT_EQ(Tree(root_ + kFolder), held);
  EXPECT_TRUE(Tree(Queue()).empty());
  EXPECT_NE(AntispamLog().find("authorized"), std::string::npos);
}

TEST_P(ChallengeResponseStoreTest, AntispamLogOnlyWithBitZeroOfItsLevel) {
  context().config.record.SetByte(kAntispamLogLevel, 2);
  Pending(kFolder);
  ASSERT_TRUE(AuthorizeChallenge(context(), kConnection, kFolder).ok());
  EXPECT_EQ(AntispamLog(), "");
}

TEST_P(ChallengeResponseStoreTest, WithoutChallengeDatNothingHappens) {
  context().config.record.SetByte(kAntispamLogLevel, 1);
  Pending(kFolder);
  fs::remove(root_ + kFolder + "/challenge.dat");
  const std::map<std::string, std::string> held = Tree(root_ + kFolder);
  Result<ChallengeAuthorization> done = AuthorizeChallenge(context(), kConnection, kFolder);
  EXPECT_EQ(done.status().code(), StatusCode::kNotFound);
  EXPECT_EQ(Tree(root_ + kFolder), held);
  EXPECT_EQ(List("bob@example.org"), "ann@example.com;bob@example.org;2;\r\n");
  EXPECT_EQ(AntispamLog(), "");
}

// Names that clean to nothing name the root of every pending challenge:
// deleting with one removes only the pair; authorizing with one is refused
// before anything is read, set or moved.
TEST_P(ChallengeResponseStoreTest, NamesThatCleanToNothingNeverReachTheRoot) {
  Pending(kFolder);
  // A challenge.dat in the root itself: what an authorization of the root
  // would have read.
  ChallengeRecord stray;
  stray.set_sender("ann@example.com");
  stray.set_recipient("bob@example.org");
  Put(root_ + "challenge.dat", stray.Bytes());
  Put(root_ + "m9.tmp", "held in the root");
  Put(root_ + "m9.dat", "ann@example.com\r\nbob@example.org;\r\n1\r\n");
  const std::map<std::string, std::string> before = Tree(root_);

  for (const std::string& name :
       {""s, "."s, ".."s, "..."s, "...."s, "\\"s, "/"s, ".\\."s, "\\.\\"s, "\\..\\"s, "/./"s,
        "\0../x"s, "..\0"s}) {
    SCOPED_TRACE(::testing::PrintToString(name));
    Result<ChallengeAuthorization> done = AuthorizeChallenge(context(), kConnection, name);
    EXPECT_EQ(done.status().code(), StatusCode::kInvalidArgument);
    EXPECT_EQ(Tree(root_), before);
    EXPECT_EQ(List("bob@example.org"), "ann@example.com;bob@example.org;2;\r\n");

    ASSERT_TRUE(
        DeleteChallenge(context(), kConnection, "bob@example.org", "ann@example.com", name).ok());
    EXPECT_EQ(Tree(root_), before) << "only the pair goes";
    ASSERT_TRUE(AddChallenge(context(), kConnection, "bob@example.org", "ann@example.com", "2").ok());
  }
  EXPECT_TRUE(Tree(Queue()).empty());
}

TEST_P(ChallengeResponseStoreTest, HostileNamesStayBelowTheRoot) {
  // Put a folder where each name would land if it escaped.
  Put(context().config.derived.spam_directory + "keep/challenge.dat", ChallengeRecord().Bytes());
  Put(installation().install() + "keep/challenge.dat", ChallengeRecord().Bytes());
  const std::map<std::string, std::string> spam_before =
      Tree(context().config.derived.spam_directory);
  for (const std::string& name : {"../keep"s, "..\\keep"s, "a/../../keep"s, "../../keep"s,
                                  "\\..\\..\\keep"s, std::string(4000, 'k')}) {
    SCOPED_TRACE(name.substr(0, 40));
    ASSERT_TRUE(AddChallenge(context(), kConnection, "bob@example.org", "ann@example.com", "2").ok());
    EXPECT_TRUE(
        DeleteChallenge(context(), kConnection, "bob@example.org", "ann@example.com", name).ok());
    EXPECT_FALSE(AuthorizeChallenge(context(), kConnection, name).ok());
    const std::string path = ChallengeResponsePath(context(), name);
    EXPECT_EQ(path.rfind(root_, 0), 0u) << path;
    EXPECT_EQ(path.find("..", root_.size()), std::string::npos) << path;
  }
  EXPECT_EQ(Tree(context().config.derived.spam_directory), spam_before);
  EXPECT_TRUE(fs::exists(installation().install() + "keep/challenge.dat"));
}

TEST_P(ChallengeResponseStoreTest, AMessageThatCannotBeReleasedKeepsTheFolder) {
  Pending(kFolder);
  // The queue already holds a file under m1's name: that move fails.
  Put(Queue() + kFolder + "-m1.tmp", "another message");
  Result<ChallengeAuthorization> done = AuthorizeChallenge(context(), kConnection, kFolder);
  ASSERT_TRUE(done.ok());
  EXPECT_TRUE(done->accepted()) << done->database.ToString();
  EXPECT_FALSE(done->release.ok());
  EXPECT_FALSE(done->release.message().empty());
  // Every message is somewhere: in the queue with its envelope, or held.
  const auto queued = Tree(Queue());
  const auto held = Tree(root_ + kFolder);
  EXPECT_EQ(queued.at(std::string(kFolder) + "-m1.tmp"), "another message");
  EXPECT_EQ(held.count("m1.tmp") + held.count("m1.dat"), 2u);
  const bool m2_queued = queued.count(std::string(kFolder) + "-m2.tmp") == 1;
  EXPECT_EQ(queued.count(std::string(kFolder) + "-m2.dat"), m2_queued ? 1u : 0u);
  EXPECT_EQ(held.count("m2.tmp") + held.count("m2.dat"), m2_queued ? 0u : 2u);
  EXPECT_EQ(held.count("challenge.dat"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Databases, ChallengeResponseStoreTest,
                         ::testing::Values(StorageMode::kSqlite, StorageMode::kPostgres),
                         testing::StorageModeName);

TEST(ChallengeStoreWithoutDatabase, OnlyThePathWorks) {
  testing::StorageModeInstallation installation(StorageMode::kFiles, {"example.org"});
  ASSERT_EQ(installation.why(), "");
  Context& context = installation.context();
  ASSERT_FALSE(context.backend().loaded());
  EXPECT_EQ(ListChallenges(context, kConnection, "", "").status().code(), StatusCode::kUnavailable);
  EXPECT_EQ(AddChallenge(context, kConnection, "b@x", "a@y", "1").code(), StatusCode::kUnavailable);
  EXPECT_EQ(DeleteChallenge(context, kConnection, "b@x", "a@y", kFolder).code(),
            StatusCode::kUnavailable);
  EXPECT_EQ(AuthorizeChallenge(context, kConnection, kFolder).status().code(),
            StatusCode::kUnavailable);
  const std::string root = context.config.derived.spam_directory + "challenge/";
  EXPECT_EQ(ChallengeResponsePath(context, ""), root);
  EXPECT_EQ(ChallengeResponsePath(context, "a\\b"), root + "ab/");
}

}  // namespace
}  // namespace tarvelin
