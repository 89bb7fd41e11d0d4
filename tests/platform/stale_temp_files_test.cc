#include "platform/stale_temp_files.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/posix_env.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

// The id of a process that has ended (and was reaped).
int64_t EndedProcess() {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  return child;
}

TEST(TempFileProcess, NamesOfNewTempFileTellTheirProcess) {
  const struct {
    const char* name;
    int64_t pid;
  } kCases[] = {
      {".~tarvelin.1234.00000000deadbeef.7", 1234},
      {"settings.cfg.tmp.99.0123456789abcdef.0", 99},
      {"a.tmp.b.tmp.5.ab.12", 5},
      {".~tarvelin.", -1},
      {".~tarvelin.12.xyz.1", -1},
      {".~tarvelin.12.ab", -1},
      {".~tarvelin.12.ab.1.2", -1},
      {".~tarvelin.-1.ab.1", -1},
      {"users.cfg.tmp", -1},
      {"123.tmp", -1},
      {".tmp.5.ab.1", -1},
      {"x.tmp.5.AB.1", -1},
      {"settings.cfg", -1},
  };
  for (const auto& c : kCases) EXPECT_EQ(TempFileProcess(c.name), c.pid) << c.name;
}

TEST(TempFileProcess, NamesPosixEnvMakes) {
  testing::TempDir dir;
  PosixEnv env;
  for (const std::string prefix : {dir.path() + std::string(kAtomicTempPrefix),
                                   dir.path() + "settings.cfg" + std::string(kReplaceTempInfix)}) {
    Result<TempFile> temp = env.NewTempFile(prefix);
    ASSERT_TRUE(temp.ok());
    const std::string name = temp->path.substr(temp->path.rfind('/') + 1);
    EXPECT_EQ(TempFileProcess(name), ::getpid()) << name;
  }
}

TEST(RemoveStaleTempFiles, OnlyFilesOfEndedProcessesGoToTheGivenDepth) {
  testing::TempDir dir;
  PosixEnv env;
  const std::string dead = std::to_string(EndedProcess());
  const std::string alive = std::to_string(::getpid());
  const std::string stale = ".~tarvelin." + dead + ".ab.1";
  const std::string stale_replace = "users.cfg.tmp." + dead + ".ab.2";
  dir.Write(stale, "x");
  dir.Write(stale_replace, "x");
  dir.Write(".~tarvelin." + alive + ".ab.1", "x");
  dir.Write("users.cfg.tmp", "x");
  dir.Write("1.tmp", "x");
  dir.Write("a.test/" + stale, "x");
  dir.Write("a.test/deeper/" + stale, "x");
  ASSERT_EQ(::mkdir((dir.path() + "folder.tmp." + dead + ".ab.3").c_str(), 0755), 0);

  EXPECT_EQ(RemoveStaleTempFiles(env, dir.path()), 2);
  EXPECT_FALSE(dir.Exists(stale));
  EXPECT_FALSE(dir.Exists(stale_replace));
  EXPECT_TRUE(dir.Exists(".~tarvelin." + alive + ".ab.1")) << "its process still runs";
  EXPECT_TRUE(dir.Exists("users.cfg.tmp"));
  EXPECT_TRUE(dir.Exists("1.tmp"));
  EXPECT_TRUE(dir.Exists("folder.tmp." + dead + ".ab.3")) << "folders are never removed";
  EXPECT_TRUE(dir.Exists("a.test/" + stale)) << "depth 0 stays in the folder";

  EXPECT_EQ(RemoveStaleTempFiles(env, dir.path(), 1), 1);
  EXPECT_FALSE(dir.Exists("a.test/" + stale));
  EXPECT_TRUE(dir.Exists("a.test/deeper/" + stale));
  EXPECT_EQ(RemoveStaleTempFiles(env, dir.path() + "missing/", 3), 0);
}

}  // namespace
}  // namespace tarvelin
