#include "platform/posix/processes.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "support/fake_service.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;

// Waits up to 10 s for `done`; a process that never comes or goes must fail
// the test, not hang it.
template <typename Condition>
bool Eventually(Condition done) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

class ProcessesTest : public ::testing::Test {
 protected:
  ~ProcessesTest() override {
    for (int64_t pid : spawned_) KillProcess(pid);
  }

  // Spawns a shell script that reports on itself into `report` and then
  // waits in `sleep` until it is signalled; its pid.
  int64_t SpawnReporter(const std::string& script_body) {
    const std::string script = dir_.path() + "reporter.sh";
    dir_.Write("reporter.sh", "#!/bin/sh\n" + script_body +
                                  "\necho $$ > pid.tmp; mv pid.tmp pid\nexec sleep 60\n");
    fs::permissions(script, fs::perms::owner_all);
    fs::create_directories(dir_.path() + "work");
    EXPECT_TRUE(SpawnDetached(script, dir_.path() + "work"));
    EXPECT_TRUE(Eventually([&] { return dir_.Exists("work/pid"); }));
    const int64_t pid = std::stoll(dir_.Read("work/pid"));
    spawned_.push_back(pid);
    return pid;
  }

  testing::TempDir dir_;
  std::vector<int64_t> spawned_;
};

TEST_F(ProcessesTest, SpawnedProgramStartsCleanInItsDirectory) {
  // What a host may leave behind must not reach the service: an open
  // descriptor without close-on-exec, an ignored SIGTERM.
  int leaked[2];
  ASSERT_EQ(::pipe(leaked), 0);
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGTERM, &ignore, &previous);

  const int64_t pid = SpawnReporter(
      "in=$(readlink /proc/$$/fd/0); out=$(readlink /proc/$$/fd/1)\n"
      "{ pwd; echo \"$#\"; echo \"$in\"; echo \"$out\";"
      " [ -e /proc/$$/fd/" +
      std::to_string(leaked[1]) + " ] && echo leaked || echo closed; } > report\n");
  ::sigaction(SIGTERM, &previous, nullptr);
  ::close(leaked[0]);
  ::close(leaked[1]);

  EXPECT_EQ(dir_.Read("work/report"),
            fs::canonical(dir_.path() + "work").string() + "\n0\n/dev/null\n/dev/null\nclosed\n");
  errno = 0;
  EXPECT_EQ(::waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG), -1) << "not a child to reap";
  EXPECT_EQ(errno, ECHILD);

  EXPECT_TRUE(ProcessRunning(pid));
  EXPECT_TRUE(TerminateProcess(pid));
  EXPECT_TRUE(Eventually([&] { return !ProcessRunning(pid); })) << "SIGTERM has its default";
}

TEST_F(ProcessesTest, SpawnReportsProgramsThatCannotRun) {
  dir_.Write("not-executable", "#!/bin/sh\n");
  fs::permissions(dir_.path() + "not-executable", fs::perms::owner_read);
  const std::string cases[] = {dir_.path() + "missing", dir_.path() + "not-executable",
                               dir_.path()};
  for (const std::string& program : cases) {
    EXPECT_FALSE(SpawnDetached(program, dir_.path())) << program;
  }
  EXPECT_FALSE(SpawnDetached("/bin/true", dir_.path() + "no-such-directory"));
}

TEST_F(ProcessesTest, EndedProcessesDoNotRun) {
  EXPECT_TRUE(ProcessRunning(::getpid()));
  for (int64_t pid : {int64_t{0}, int64_t{-1}, int64_t{1} << 40}) {
    EXPECT_FALSE(ProcessRunning(pid)) << pid;
    EXPECT_FALSE(TerminateProcess(pid)) << pid;
    EXPECT_FALSE(KillProcess(pid)) << pid;
    EXPECT_EQ(ProcessProgram(pid), "") << pid;
  }

  const pid_t zombie = ::fork();
  if (zombie == 0) ::_exit(0);
  ASSERT_TRUE(Eventually([&] { return !ProcessRunning(zombie); }))
      << "an ended child nobody reaped yet has ended";
  ASSERT_EQ(::waitpid(zombie, nullptr, 0), zombie);
  EXPECT_FALSE(ProcessRunning(zombie));
}

TEST_F(ProcessesTest, ProcessesAreFoundByTheirProgramFileOnly) {
  // Two installations run a program of the same name: only the one asked
  // for is found, through a symbolic link too, and after its file was
  // replaced.
  for (const char* install : {"a", "b"}) {
    const std::string dir = dir_.path() + install + "/";
    fs::create_directories(dir);
    ASSERT_TRUE(InstallFakePrograms(dir));
    ASSERT_TRUE(SpawnDetached(dir + "pop3", dir));
  }
  auto pid_of = [&](const char* install) -> int64_t {
    const std::string file = std::string(install) + "/run/TarvelinPOP3.pid";
    if (!Eventually([&] { return dir_.Exists(file); })) return -1;
    const int64_t pid = std::stoll(dir_.Read(file));
    spawned_.push_back(pid);
    return pid;
  };
  const int64_t a = pid_of("a");
  const int64_t b = pid_of("b");
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  fs::create_directory_symlink(dir_.path() + "a", dir_.path() + "link");

  EXPECT_EQ(ProcessProgram(a), fs::canonical(dir_.path() + "a/pop3").string());
  EXPECT_EQ(FindProcessesByProgram(dir_.path() + "a/pop3"), std::vector<int64_t>{a});
  EXPECT_EQ(FindProcessesByProgram(dir_.path() + "link/pop3"), std::vector<int64_t>{a});
  EXPECT_EQ(FindProcessesByProgram(dir_.path() + "a/smtp"), std::vector<int64_t>{});

  fs::remove(dir_.path() + "a/pop3");
  EXPECT_EQ(FindProcessesByProgram(dir_.path() + "a/pop3"), std::vector<int64_t>{a});
  EXPECT_EQ(FindProcessesByProgram(dir_.path() + "b/pop3"), std::vector<int64_t>{b});

  EXPECT_TRUE(KillProcess(a));
  EXPECT_TRUE(Eventually([&] { return !ProcessRunning(a); }));
  EXPECT_TRUE(ProcessRunning(b));
}

TEST_F(ProcessesTest, OwnProcessIsNeverFound) {
  const std::string self = ProcessProgram(::getpid());
  ASSERT_FALSE(self.empty());
  const std::vector<int64_t> found = FindProcessesByProgram(self);
  EXPECT_EQ(std::count(found.begin(), found.end(), ::getpid()), 0);
}

}  // namespace
}  // namespace tarvelin
