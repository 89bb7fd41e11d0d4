#include "platform/posix/self_process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

namespace tarvelin {
namespace {

TEST(SelfProcess, ThreadIdsDifferPerThread) {
  const uint32_t main_id = CurrentThreadId();
  EXPECT_EQ(main_id, static_cast<uint32_t>(getpid())) << "the main thread's id is the pid";
  uint32_t other_id = main_id;
  std::thread([&other_id] { other_id = CurrentThreadId(); }).join();
  EXPECT_NE(other_id, main_id);
}

TEST(SelfProcess, ProgramFileIsThisTestProgram) {
  const std::string path = ProgramFilePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), '/');
  EXPECT_EQ(path.substr(path.rfind('/') + 1), "tarvelin_tests");
}

}  // namespace
}  // namespace tarvelin
