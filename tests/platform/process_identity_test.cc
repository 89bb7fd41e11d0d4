#include "platform/process_identity.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarvelin {
namespace {

int InThisProgram() { return 7; }

TEST(LoadedFileOf, NamesTheFileHoldingTheCodeAndNothingForOtherAddresses) {
  Result<std::string> file = LoadedFileOf(reinterpret_cast<const void*>(&InThisProgram));
  ASSERT_TRUE(file.ok()) << file.status().ToString();
  EXPECT_EQ(*file, std::filesystem::canonical("/proc/self/exe").string());
  EXPECT_EQ(LoadedFileOf(nullptr).status().code(), StatusCode::kNotFound);
}

}  // namespace
}  // namespace tarvelin
