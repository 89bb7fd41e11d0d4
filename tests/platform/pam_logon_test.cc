#include "platform/pam_logon.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using namespace std::string_literals;

TEST(PamServiceNameTest, EnvironmentOrDefault) {
  unsetenv("TARVELIN_PAM_SERVICE");
  EXPECT_EQ(PamServiceName(), "tarvelin");
  setenv("TARVELIN_PAM_SERVICE", "mail-logon", 1);
  EXPECT_EQ(PamServiceName(), "mail-logon");
  setenv("TARVELIN_PAM_SERVICE", "", 1);
  EXPECT_EQ(PamServiceName(), "tarvelin");
  unsetenv("TARVELIN_PAM_SERVICE");
}

// Real PAM, driven through the preloaded test wrapper: service files of the
// test's own and a password file read by the wrapper's test module (one line
// per account: name:password:the one service its account check allows).
// The wrapper must be loaded before the process starts, so every check runs
// in the pam_check program (tests/support/pam_check_main.cc).
class PamLogonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string wrapper = TARVELIN_PAM_WRAPPER_LIBRARY;
    const std::string module = std::string(TARVELIN_PAM_WRAPPER_MODULE_DIR) + "/pam_matrix.so";
    ASSERT_TRUE(!wrapper.empty() && std::filesystem::exists(wrapper) &&
                std::filesystem::exists(module))
        << "pam_wrapper is not installed (Debian package libpam-wrapper): tools/install-deps";
    dir_.Write("passdb",
               "john:secret:tarvelin\n"
               "EXAMPLE\\jane:jane-secret:tarvelin\n"
               "blank::tarvelin\n"
               "held:secret:elsewhere\n"
               "ann:ann-secret:tarvelin-chatty\n");
    const std::string line = " required " + module + " passdb=" + dir_.path() + "passdb";
    dir_.Write("services/tarvelin", "auth" + line + "\naccount" + line + "\n");
    // Asks with an echoed prompt and shows a message after the check.
    dir_.Write("services/tarvelin-chatty",
               "auth" + line + " echo verbose\naccount" + line + " verbose\n");
  }

  // Exit code of pam_check (0 accepted, 1 refused) for `arguments`, with
  // `password` on its standard input and `extra` added to its environment.
  int Check(const std::vector<std::string>& arguments, const std::string& password,
            const std::vector<std::string>& extra = {}) {
    dir_.Write("password", password);
    std::vector<std::string> environment = {"PAM_WRAPPER=1",
                                            "PAM_WRAPPER_SERVICE_DIR=" + dir_.path() + "services",
                                            "LD_PRELOAD="s + TARVELIN_PAM_WRAPPER_LIBRARY};
    environment.insert(environment.end(), extra.begin(), extra.end());
    std::vector<std::string> words = {TARVELIN_BINARY_DIR "/tests/pam_check"};
    words.insert(words.end(), arguments.begin(), arguments.end());

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string input = dir_.path() + "password";
    const std::string errors = dir_.path() + "errors";
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, words[0].c_str(), &actions, nullptr,
                                    Pointers(words).data(), Pointers(environment).data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
  }

  // What the wrapper and the modules printed during the last check.
  std::string Errors() const { return dir_.Read("errors"); }

 private:
  static std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
  }

  testing::TempDir dir_;
};

constexpr int kAccepted = 0;
constexpr int kRefused = 1;

TEST_F(PamLogonTest, ChecksThePassword) {
  struct Case {
    const char* domain;
    const char* user;
    std::string password;
    int expected;
  } cases[] = {
      {"", "john", "secret", kAccepted},
      {"", "john", "Secret", kRefused},
      {"", "john", "secret ", kRefused},
      {"", "john", "wrong", kRefused},
      {"", "nobody", "secret", kRefused},
      // A domain goes to PAM as "domain\user".
      {"EXAMPLE", "jane", "jane-secret", kAccepted},
      {"", "jane", "jane-secret", kRefused},
      {"OTHER", "jane", "jane-secret", kRefused},
      {"EXAMPLE", "john", "secret", kRefused},
      // The right password of an account that its account check refuses.
      {"", "held", "secret", kRefused},
      // PAM would accept the empty password of an account that has none.
      {"", "blank", "", kRefused},
      {"", "john", "", kRefused},
      // A NUL would end the password PAM sees at "secret".
      {"", "john", "secret\0junk"s, kRefused},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Check({"--service", "tarvelin", c.domain, c.user}, c.password), c.expected)
        << c.domain << "\\" << c.user << " / " << c.password << "\n"
        << Errors();
  }
}

TEST_F(PamLogonTest, AnswersEchoedPromptsAndShownMessages) {
  EXPECT_EQ(Check({"--service", "tarvelin-chatty", "", "ann"}, "ann-secret"), kAccepted)
      << Errors();
  EXPECT_EQ(Check({"--service", "tarvelin-chatty", "", "ann"}, "wrong"), kRefused) << Errors();
}

TEST_F(PamLogonTest, UsesTheConfiguredService) {
  EXPECT_EQ(Check({"", "john"}, "secret"), kAccepted) << Errors();
  EXPECT_EQ(Check({"", "ann"}, "ann-secret", {"TARVELIN_PAM_SERVICE=tarvelin-chatty"}), kAccepted)
      << Errors();
  EXPECT_EQ(Check({"", "john"}, "secret", {"TARVELIN_PAM_SERVICE=tarvelin-chatty"}), kRefused);
}

TEST_F(PamLogonTest, UnknownOrEmptyServiceRefuses) {
  EXPECT_EQ(Check({"--service", "no-such-service", "", "john"}, "secret"), kRefused);
  EXPECT_EQ(Check({"--service", "", "", "john"}, "secret"), kRefused);
}

}  // namespace
}  // namespace tarvelin
