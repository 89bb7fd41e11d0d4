#include "platform/self_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "platform/environment.h"

namespace tarvelin {
namespace {

TEST(SelfProcess, ThreadIdsDifferPerThread) {
  const uint32_t main_id = CurrentThreadId();
  EXPECT_EQ(main_id, static_cast<uint32_t>(getpid())) << "the main thread's id is the pid";
  uint32_t other_id = main_id;
  std::thread([&other_id] { other_id = CurrentThreadId(); }).join();
  EXPECT_NE(other_id, main_id);
}

TEST(SelfProcess, ProgramFileIsInTheExecutableDirectory) {
  const std::string path = ProgramFilePath();
  const std::string directory = ExecutableDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(path.substr(0, directory.size()), directory);
  EXPECT_EQ(path.substr(directory.size()), "tarvelin_tests");
}

}  // namespace
}  // namespace tarvelin
