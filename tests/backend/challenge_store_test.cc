#include "backend/challenge_store.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "backend/engine_fixture.h"

namespace tarvelin::backend {
namespace {

class ChallengeStoreTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(DropChallengeTables(*db_).ok());
    ASSERT_TRUE(CreateChallengeTables(*db_).ok());
  }

  void Add(const std::string& sender, const std::string& recipient, const std::string& state,
           const std::string& folder = "") {
    Status status = AddChallenge(*db_, {sender, recipient, state, folder});
    ASSERT_TRUE(status.ok()) << status.ToString();
  }

  std::optional<ChallengePair> Find(const std::string& sender, const std::string& recipient) {
    auto found = FindChallenge(*db_, sender, recipient);
    EXPECT_TRUE(found.ok()) << found.status().ToString();
    return found.ok() ? *found : std::nullopt;
  }
};

TEST_P(ChallengeStoreTest, FindsAPairWhateverTheCaseOfItsAddresses) {
  Add(" Ann@Example.COM ", "Bob@Local.Test", "2", "0123456789abcdef0123456789abcdef");
  auto pair = Find("ann@example.com", "BOB@local.test");
  ASSERT_TRUE(pair.has_value());
  EXPECT_EQ(pair->sender, "ann@example.com");
  EXPECT_EQ(pair->recipient, "bob@local.test");
  EXPECT_EQ(pair->state, "2");
  EXPECT_EQ(pair->folder, "0123456789abcdef0123456789abcdef");

  EXPECT_FALSE(Find("bob@local.test", "ann@example.com").has_value()) << "pairs have a direction";
  EXPECT_FALSE(Find("ann@example.com", "carl@local.test").has_value());
}

TEST_P(ChallengeStoreTest, AddingAKnownPairKeepsItsStateAndFolder) {
  Add("ann@example.com", "bob@local.test", "2", "pending-folder");
  Status again = AddChallenge(*db_, {"ANN@example.com", "bob@local.test", "1", ""});
  EXPECT_TRUE(again.Is(StatusCode::kAlreadyExists)) << again.ToString();
  EXPECT_EQ(again.message(),
            "the challenge pair 'ann@example.com' to 'bob@local.test' is already there");
  auto pair = Find("ann@example.com", "bob@local.test");
  ASSERT_TRUE(pair.has_value());
  EXPECT_EQ(pair->state, "2");
  EXPECT_EQ(pair->folder, "pending-folder");
}

TEST_P(ChallengeStoreTest, RefusesWhatWouldBreakTheStoreOrItsList) {
  const struct {
    ChallengePair pair;
    const char* message;
  } cases[] = {
      {{"", "bob@local.test", "1", ""}, "the challenge pair has no sender"},
      {{"ann@example.com", "  ", "1", ""}, "the challenge pair has no recipient"},
      {{"ann@example.com", "bob@local.test", "", ""}, "a challenge state is one character, not ''"},
      {{"ann@example.com", "bob@local.test", "12", ""},
       "a challenge state is one character, not '12'"},
      {{"ann@example.com", "bob@local.test", ";", ""}, "the state ';' holds a ';' or a line break"},
      {{"a;b@example.com", "bob@local.test", "1", ""},
       "the sender 'a;b@example.com' holds a ';' or a line break"},
      {{"ann@example.com", "bob@local.test\r\nx", "1", ""},
       "the recipient 'bob@local.test\r\nx' holds a ';' or a line break"},
      {{"ann@example.com", "bob@local.test", "1", "f\n"},
       "the folder 'f\n' holds a ';' or a line break"},
  };
  for (const auto& c : cases) {
    Status status = AddChallenge(*db_, c.pair);
    EXPECT_TRUE(status.Is(StatusCode::kInvalidArgument)) << status.ToString();
    EXPECT_EQ(status.message(), c.message);
  }
  auto list = ChallengeList(*db_, "", "");
  ASSERT_TRUE(list.ok());
  EXPECT_EQ(*list, "");

  Add("ann@example.com", "bob@local.test", "2");
  EXPECT_TRUE(SetChallengeState(*db_, "ann@example.com", "bob@local.test", "11")
                  .Is(StatusCode::kInvalidArgument));
  EXPECT_EQ(Find("ann@example.com", "bob@local.test")->state, "2");
}

TEST_P(ChallengeStoreTest, SetsTheStateOfAKnownPairOnly) {
  Add("ann@example.com", "bob@local.test", "2", "folder-a");
  ASSERT_TRUE(SetChallengeState(*db_, "Ann@Example.com", "bob@LOCAL.test", "1").ok());
  auto pair = Find("ann@example.com", "bob@local.test");
  ASSERT_TRUE(pair.has_value());
  EXPECT_EQ(pair->state, "1");
  EXPECT_EQ(pair->folder, "folder-a");

  Status missing = SetChallengeState(*db_, "carl@example.com", "bob@local.test", "1");
  EXPECT_TRUE(missing.Is(StatusCode::kNotFound)) << missing.ToString();
  EXPECT_EQ(missing.message(), "no challenge pair 'carl@example.com' to 'bob@local.test'");
  EXPECT_FALSE(Find("carl@example.com", "bob@local.test").has_value());
}

TEST_P(ChallengeStoreTest, DeletesOnePairAndSaysWhenThereWasNone) {
  Add("ann@example.com", "bob@local.test", "2");
  Add("ann@example.com", "dora@local.test", "2");
  ASSERT_TRUE(DeleteChallenge(*db_, "BOB@local.test", "ann@EXAMPLE.com").ok());
  EXPECT_FALSE(Find("ann@example.com", "bob@local.test").has_value());
  EXPECT_TRUE(Find("ann@example.com", "dora@local.test").has_value());
  EXPECT_TRUE(DeleteChallenge(*db_, "bob@local.test", "ann@example.com").Is(StatusCode::kNotFound));
}

TEST_P(ChallengeStoreTest, ListsByRecipientAndState) {
  Add("zed@example.com", "bob@local.test", "2", "f1");
  Add("ann@example.com", "bob@local.test", "1");
  Add("ann@example.com", "dora@local.test", "3", "f2");
  Add("carl@example.com", "dora@local.test", "2", "f3");
  const struct {
    const char* recipient;
    const char* states;
    const char* list;
  } cases[] = {
      {"", "",
       "ann@example.com;bob@local.test;1;\r\n"
       "zed@example.com;bob@local.test;2;f1\r\n"
       "ann@example.com;dora@local.test;3;f2\r\n"
       "carl@example.com;dora@local.test;2;f3\r\n"},
      {"Bob@Local.Test", "",
       "ann@example.com;bob@local.test;1;\r\n"
       "zed@example.com;bob@local.test;2;f1\r\n"},
      {"", "2",
       "zed@example.com;bob@local.test;2;f1\r\n"
       "carl@example.com;dora@local.test;2;f3\r\n"},
      {"dora@local.test", "13", "ann@example.com;dora@local.test;3;f2\r\n"},
      {"dora@local.test", "0", ""},
      {"nobody@local.test", "", ""},
  };
  for (const auto& c : cases) {
    auto list = ChallengeList(*db_, c.recipient, c.states);
    ASSERT_TRUE(list.ok()) << list.status().ToString();
    EXPECT_EQ(*list, c.list) << "recipient '" << c.recipient << "' states '" << c.states << "'";
  }
}

TEST_P(ChallengeStoreTest, KeepsSingleByteTextsAndCutsThemTo255) {
  const std::string long_sender = std::string(300, 'a') + "@example.com";
  const std::string latin = "j\xe9r\xf4me@example.com";  // not UTF-8
  Add(long_sender, "bob@local.test", "2", std::string(300, 'f'));
  Add(latin, "bob@local.test", "1");
  auto cut = Find(long_sender, "bob@local.test");
  ASSERT_TRUE(cut.has_value());
  EXPECT_EQ(cut->sender, std::string(255, 'a'));
  EXPECT_EQ(cut->folder, std::string(255, 'f'));
  auto kept = Find(latin, "bob@local.test");
  ASSERT_TRUE(kept.has_value());
  EXPECT_EQ(kept->sender, latin);
}

TEST_P(ChallengeStoreTest, WithoutTheTableCallsFailAndSayWhich) {
  ASSERT_TRUE(DropChallengeTables(*db_).ok());
  ASSERT_TRUE(DropChallengeTables(*db_).ok()) << "dropping twice is no failure";
  auto found = FindChallenge(*db_, "ann@example.com", "bob@local.test");
  ASSERT_FALSE(found.ok());
  EXPECT_NE(found.status().message().find("challenge_pairs"), std::string::npos)
      << found.status().message();
  // Made again, the same statements work on the new table.
  ASSERT_TRUE(CreateChallengeTables(*db_).ok());
  ASSERT_TRUE(CreateChallengeTables(*db_).ok()) << "creating twice is no failure";
  Add("ann@example.com", "bob@local.test", "2");
  EXPECT_TRUE(Find("ann@example.com", "bob@local.test").has_value());
}

TARVELIN_ON_EVERY_ENGINE(ChallengeStoreTest);

}  // namespace
}  // namespace tarvelin::backend
