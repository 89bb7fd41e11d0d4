#include "platform/posix/debug_output.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace tarvelin {
namespace {

TEST(DebugOutput, WholeLinesOnStandardError) {
  testing::TempDir dir;
  const int saved = dup(STDERR_FILENO);
  FILE* file = fopen((dir.path() + "err.txt").c_str(), "w");
  dup2(fileno(file), STDERR_FILENO);
  fclose(file);
  std::vector<std::thread> threads;
  for (char c : {'a', 'b', 'c', 'd'}) {
    threads.emplace_back([c] {
      for (int i = 0; i < 500; ++i) WriteDebugOutput(std::string(200, c));
    });
  }
  for (std::thread& thread : threads) thread.join();
  dup2(saved, STDERR_FILENO);
  close(saved);

  const std::string content = dir.Read("err.txt");
  ASSERT_EQ(content.size(), 4u * 500 * 201);
  for (size_t at = 0; at < content.size(); at += 201) {
    ASSERT_EQ(content.substr(at, 201), std::string(200, content[at]) + "\n") << at;
  }
}

}  // namespace
}  // namespace tarvelin
