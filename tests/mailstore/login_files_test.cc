#include "mailstore/login_files.h"

#include <gtest/gtest.h>

#include <string>

#include "foundation/bytes.h"
#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::TempDir;

TEST(LoginFiles, FailuresKeepTheReservedBytesAndShortFilesReadAsZero) {
  TempDir dir;
  PosixEnv env;
  const std::string folder = dir.path() + "box/";
  EXPECT_EQ(ReadLoginFailures(env, folder).count(), 0) << "missing";
  LoginFailures after;
  ASSERT_TRUE(CountLoginFailure(env, folder, 45000.5, &after)) << "creates the folder";
  EXPECT_EQ(after.count(), 1);
  std::string bytes = dir.Read("box/login.dat");
  ASSERT_EQ(bytes.size(), 24u);
  EXPECT_EQ(GetDouble(reinterpret_cast<const uint8_t*>(bytes.data()) + 8), 45000.5);

  bytes[4] = 'R';
  bytes[20] = 'S';
  dir.Write("box/login.dat", bytes);
  ASSERT_TRUE(CountLoginFailure(env, folder, 45001.0, &after));
  bytes = dir.Read("box/login.dat");
  EXPECT_EQ(after.count(), 2);
  EXPECT_EQ(bytes[4], 'R');
  EXPECT_EQ(bytes[20], 'S');

  dir.Write("box/login.dat", std::string("\x09\0\0", 3));
  EXPECT_EQ(ReadLoginFailures(env, folder).count(), 0) << "short";
  ClearLoginFailures(env, folder);
  EXPECT_FALSE(dir.Exists("box/login.dat"));
}

TEST(LoginFiles, TheCountStopsAtItsLargestValue) {
  TempDir dir;
  PosixEnv env;
  std::string bytes(24, '\0');
  PutLE(reinterpret_cast<uint8_t*>(bytes.data()), 4, 0x7FFFFFFF);
  dir.Write("login.dat", bytes);
  LoginFailures after;
  ASSERT_TRUE(CountLoginFailure(env, dir.path(), 1.0, &after));
  EXPECT_EQ(after.count(), 0x7FFFFFFF);
}

TEST(LoginFiles, AccessKeepsTheRestOfTheRecord) {
  TempDir dir;
  PosixEnv env;
  std::string bytes(160, 'x');
  dir.Write("useraccess.dat", bytes);
  ASSERT_TRUE(RecordAccess(env, dir.path(), 44000.25));
  bytes = dir.Read("useraccess.dat");
  ASSERT_EQ(bytes.size(), 160u);
  EXPECT_EQ(GetDouble(reinterpret_cast<const uint8_t*>(bytes.data()) + 16), 44000.25);
  EXPECT_EQ(bytes.substr(0, 16), std::string(16, 'x'));
  EXPECT_EQ(bytes.substr(24), std::string(136, 'x'));
}

}  // namespace
}  // namespace tarvelin
