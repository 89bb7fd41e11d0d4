#include "api/automation/registry_resolver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "jobs/registration/class_ids.h"
#include "jobs/registration/class_registration.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin::automation {
namespace {

class RegistryResolverTest : public ::testing::Test {
 protected:
  RegistryResolverTest() : file_(dir_.path() + "registry.reg") {
    if (const char* was = ::getenv("TARVELIN_REGISTRY")) was_ = was;
    ::setenv("TARVELIN_REGISTRY", file_.c_str(), 1);
  }
  ~RegistryResolverTest() override {
    was_ ? ::setenv("TARVELIN_REGISTRY", was_->c_str(), 1) : ::unsetenv("TARVELIN_REGISTRY");
  }

  bool Resolves(std::string_view name) { return resolver_.Resolve(name).ok(); }

  testing::TempDir dir_;
  std::string file_;
  std::optional<std::string> was_;
  PosixEnv env_;
  RegistryResolver resolver_{env_};
};

TEST_F(RegistryResolverTest, FollowsTheFileAsItIsRegisteredDamagedAndUnregistered) {
  EXPECT_FALSE(Resolves("OrvikCOM.APIObject"));  // no file
  ASSERT_TRUE(registration::RegisterClasses(env_, file_, "/lib/libtarvelinapi.so").ok());
  Result<Guid> found = resolver_.Resolve("ORVIKCOM.APIOBJECT");
  ASSERT_TRUE(found.ok());
  EXPECT_EQ(*found, registration::ClassIdsNamed("APIObject")->clsid);
  EXPECT_TRUE(Resolves("QuorantServer.StatisticsObject"));
  EXPECT_FALSE(Resolves("OrvikCOM.ServiceObject"));

  std::ofstream(file_, std::ios::app) << "[HKEY_CLASSES_ROOT\\Open\n";
  EXPECT_FALSE(Resolves("OrvikCOM.APIObject"));  // damaged: nothing resolves

  ASSERT_TRUE(registration::RegisterClasses(env_, file_ + ".new", "/lib/libtarvelinapi.so").ok());
  std::filesystem::rename(file_ + ".new", file_);
  EXPECT_TRUE(Resolves("OrvikCOM.APIObject"));
  ASSERT_TRUE(registration::UnregisterClasses(env_, file_).ok());
  EXPECT_FALSE(Resolves("OrvikCOM.APIObject"));
  EXPECT_FALSE(Resolves("QuorantServer.APIObject"));
}

TEST_F(RegistryResolverTest, AnUnchangedFileIsNotReadAgain) {
  ASSERT_TRUE(registration::RegisterClasses(env_, file_, "/lib/libtarvelinapi.so").ok());
  ASSERT_TRUE(Resolves("OrvikCOM.APIObject"));
  // Same size, same file, same time: the stamp says unchanged, so the
  // resolver keeps what it read, although the bytes now name another key.
  const auto time = std::filesystem::last_write_time(file_);
  std::string text;
  {
    std::ifstream in(file_, std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), {});
  }
  const size_t at = text.find("OrvikCOM.APIObject\\Clsid");
  ASSERT_NE(at, std::string::npos);
  text.replace(at, 8, "OrvikXYZ");
  {
    std::fstream out(file_, std::ios::in | std::ios::out | std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  std::filesystem::last_write_time(file_, time);
  EXPECT_TRUE(Resolves("OrvikCOM.APIObject"));
  // A new stamp is read again.
  std::filesystem::last_write_time(file_, time + std::chrono::seconds(1));
  EXPECT_FALSE(Resolves("OrvikCOM.APIObject"));
  EXPECT_TRUE(Resolves("OrvikXYZ.APIObject"));
}

}  // namespace
}  // namespace tarvelin::automation
