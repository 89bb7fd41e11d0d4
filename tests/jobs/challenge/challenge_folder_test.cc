// Folder names given by callers become paths that stay below the challenge
// folder; the names that clean to nothing are told apart, since they name
// the root of every pending challenge.
#include "jobs/challenge/challenge_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvelin {
namespace {

using namespace std::string_literals;

constexpr char kRoot[] = "/srv/spam/challenge/";

struct Case {
  std::string name;
  std::string cleaned;
  bool names_no_folder;
};

class ChallengeFolderNames : public ::testing::TestWithParam<Case> {};

TEST_P(ChallengeFolderNames, CleanToANameBelowTheRoot) {
  const Case& c = GetParam();
  EXPECT_EQ(CleanChallengeFolderName(c.name), c.cleaned);
  EXPECT_EQ(NamesNoFolder(c.cleaned), c.names_no_folder);
  const std::string path = ChallengeFolderPath(kRoot, c.name);
  EXPECT_EQ(path, c.cleaned.empty() ? kRoot : kRoot + c.cleaned + "/");
  EXPECT_EQ(path.find("..", sizeof(kRoot) - 1), std::string::npos) << path;
  if (!c.cleaned.empty()) {
    EXPECT_EQ(path.find('/', sizeof(kRoot) - 1), path.size() - 1) << "one level below the root";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, ChallengeFolderNames,
    ::testing::Values(
        Case{"0cc175b9c0f1b6a831c399e269772661", "0cc175b9c0f1b6a831c399e269772661", false},
        Case{"", "", true}, Case{".", ".", true}, Case{"..", ".", true}, Case{"...", ".", true},
        Case{"....", ".", true}, Case{"\\", "", true}, Case{"/", "", true},
        Case{"\\.\\", ".", true}, Case{".\\.", ".", true}, Case{"\\..\\", ".", true},
        Case{"../x", ".x", false}, Case{"a/../../b", "a.b", false},
        Case{"..\\..\\etc", ".etc", false}, Case{"a..b", "a.b", false},
        Case{"x\0../../etc"s, "x", false}, Case{"\0abc"s, "", true},
        Case{std::string(1000, 'a'), std::string(1000, 'a'), false}));

TEST(ChallengeFolder, RootEndsWithOneSeparator) {
  EXPECT_EQ(ChallengeRoot("/srv/spam/"), "/srv/spam/challenge/");
  EXPECT_EQ(ChallengeRoot("/srv/spam"), "/srv/spam/challenge/");
}

TEST(ChallengeFolder, TheCommandLineRefusesWhatCleaningWouldChange) {
  const struct {
    std::string name;
    std::string reason;
  } cases[] = {
      {"0cc175b9c0f1b6a831c399e269772661", ""},
      {"a/b", "it holds a path separator"},
      {"a\\b", "it holds a path separator"},
      {"a..b", "it holds \"..\""},
      {".", "it names no folder below the challenge folder"},
      {"", "it names no folder below the challenge folder"},
      {"ab\0c"s, "it holds a NUL character"},
      {std::string(256, 'a'), "it is longer than 255 characters"},
  };
  for (const auto& c : cases) EXPECT_EQ(HostileFolderNameReason(c.name), c.reason) << c.name;
}

}  // namespace
}  // namespace tarvelin
