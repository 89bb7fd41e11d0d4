#include "platform/environment.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace tarvelin {
namespace {

TEST(EnvironmentTest, GetEnvironment) {
  setenv("TARVELIN_TEST_VALUE", "some value", 1);
  EXPECT_EQ(GetEnvironment("TARVELIN_TEST_VALUE"), "some value");
  unsetenv("TARVELIN_TEST_VALUE");
  EXPECT_EQ(GetEnvironment("TARVELIN_TEST_VALUE"), "");
}

TEST(EnvironmentTest, ExecutableDirectoryHoldsThisProgram) {
  const std::string dir = ExecutableDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_EQ(dir.back(), '/');
  EXPECT_TRUE(std::filesystem::is_regular_file(dir + program_invocation_short_name)) << dir;
}

TEST(EnvironmentTest, ProcessAlive) {
  EXPECT_TRUE(ProcessAlive(getpid()));
  EXPECT_TRUE(ProcessAlive(1));
  EXPECT_FALSE(ProcessAlive(0));
  EXPECT_FALSE(ProcessAlive(-1));
  EXPECT_FALSE(ProcessAlive(int64_t{1} << 40));

  // A child that has exited and been reaped is gone.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(0);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_FALSE(ProcessAlive(child));
}

TEST(EnvironmentTest, ReadPidFile) {
  char pattern[] = "/tmp/tarvelin_env_XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string path = std::string(pattern) + "/service.pid";
  const struct {
    std::string content;
    std::optional<int64_t> pid;
  } cases[] = {
      {"1234\n", 1234},          {"1234", 1234},
      {"  77 \r\n", 77},         {"42\nsomething else\n", 42},
      {"4194304\n", 4194304},    {"", std::nullopt},
      {"\n42\n", std::nullopt},  {"abc\n", std::nullopt},
      {"12abc\n", std::nullopt}, {"12 34\n", std::nullopt},
      {"-5\n", std::nullopt},    {"+5\n", std::nullopt},
      {"0\n", std::nullopt},     {"99999999999999999999999\n", std::nullopt},
  };
  for (const auto& c : cases) {
    std::ofstream(path, std::ios::binary) << c.content;
    EXPECT_EQ(ReadPidFile(path), c.pid) << "\"" << c.content << "\"";
  }
  std::filesystem::remove_all(pattern);
  EXPECT_EQ(ReadPidFile(path), std::nullopt);
}

}  // namespace
}  // namespace tarvelin
