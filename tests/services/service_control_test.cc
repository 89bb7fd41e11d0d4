#include "services/service_control.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix_env.h"
#include "support/fake_service.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;

template <typename Condition>
bool Eventually(Condition done) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// One installation with the fake program under every service program name.
struct Installation {
  explicit Installation(const std::string& dir)
      : path(dir), channel(env, ServiceChannel::RunDirectory(env, dir)) {
    fs::create_directories(dir);
    installed = InstallFakePrograms(dir);
  }
  ~Installation() { EndInstalledPrograms(path); }

  void StartStop(int id, bool start, bool wait) const {
    StartStopService(path, channel, id, start, wait);
  }
  std::vector<int64_t> ProcessesOf(const char* program) const {
    return env.FindProcessesByProgram(path + program);
  }
  void MarkStubborn(const std::string& service) const {
    fs::create_directories(channel.run_dir());
    std::ofstream(channel.run_dir() + service + ".stubborn") << "";
  }

  mutable PosixEnv env;
  std::string path;
  ServiceChannel channel;
  bool installed = false;
};

class ServiceControlTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(install_.installed); }

  testing::TempDir dir_;
  Installation install_{dir_.path() + "inst/"};
};

TEST_F(ServiceControlTest, StartRunsTheProgramDetachedFromTheInstallation) {
  struct Case {
    int id;
    const char* program;
  };
  const Case kCases[] = {{0, "smtp"}, {1, "pop3"}, {2, "control"}, {3, "im"}, {4, "cal"}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.program);
    install_.StartStop(c.id, /*start=*/true, /*wait=*/true);
    const std::optional<int64_t> pid = install_.channel.RunningPid(c.id);
    ASSERT_TRUE(pid.has_value());
    EXPECT_EQ(install_.ProcessesOf(c.program), std::vector<int64_t>{*pid});
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(*pid) + "/cwd"),
              fs::canonical(install_.path));
    std::ifstream cmdline("/proc/" + std::to_string(*pid) + "/cmdline", std::ios::binary);
    const std::string arguments{std::istreambuf_iterator<char>(cmdline), {}};
    EXPECT_EQ(arguments, install_.path + c.program + std::string(1, '\0')) << "no arguments";
    errno = 0;
    EXPECT_EQ(::waitpid(static_cast<pid_t>(*pid), nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD) << "the host has no child to reap";
  }
}

TEST_F(ServiceControlTest, IdsSharingAProgramStartItOnce) {
  install_.StartStop(8, true, true);
  ASSERT_TRUE(install_.channel.IsServiceRunning(1));
  const int64_t first = *install_.channel.RunningPid(1);
  install_.StartStop(1, true, true);
  install_.StartStop(8, true, false);
  EXPECT_EQ(install_.ProcessesOf("pop3"), std::vector<int64_t>{first})
      << "a running service is not started twice";
  EXPECT_EQ(install_.channel.RunningPid(8), first);
}

TEST_F(ServiceControlTest, StartWithoutWaitingComesUpLater) {
  install_.StartStop(12, true, false);
  EXPECT_TRUE(Eventually([&] { return install_.channel.IsServiceRunning(3); }));
}

TEST_F(ServiceControlTest, NothingStartsWithoutAProgramFile) {
  fs::remove(install_.path + "smtp");
  for (int id : {0, 7, 5, 6, -1}) install_.StartStop(id, true, true);
  EXPECT_FALSE(install_.channel.IsServiceRunning(0));
  EXPECT_FALSE(install_.channel.IsServiceRunning(7)) << "LDAP starts no program of its own";
  EXPECT_EQ(install_.ProcessesOf("control"), std::vector<int64_t>{});
  EXPECT_EQ(ServiceProgramPath(install_.path, 7), "");
  EXPECT_EQ(ServiceProgramPath(install_.path, 10), install_.path + "control");
  EXPECT_EQ(ServiceProgramPath("/opt/tv", 4), "/opt/tv/cal");
}

TEST_F(ServiceControlTest, StopWithWaitEndsTheServiceCleanly) {
  install_.StartStop(2, true, true);
  const int64_t pid = *install_.channel.RunningPid(2);
  install_.StartStop(10, /*start=*/false, /*wait=*/true);
  EXPECT_FALSE(install_.channel.IsServiceRunning(2));
  EXPECT_FALSE(install_.env.ProcessRunning(pid));
  EXPECT_FALSE(fs::exists(install_.channel.run_dir() + "TarvelinControl.pid"))
      << "SIGTERM let the service remove its own pid file";
}

TEST_F(ServiceControlTest, StopWithoutWaitOnlyAsks) {
  install_.MarkStubborn("TarvelinIM");
  install_.StartStop(3, true, true);
  const int64_t pid = *install_.channel.RunningPid(3);
  install_.StartStop(3, /*start=*/false, /*wait=*/false);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_TRUE(install_.env.ProcessRunning(pid)) << "nothing is killed without waiting first";

  fs::remove(install_.channel.run_dir() + "TarvelinIM.stubborn");
  install_.StartStop(3, true, true);  // still running: nothing happens
  EXPECT_EQ(install_.ProcessesOf("im"), std::vector<int64_t>{pid});
}

TEST_F(ServiceControlTest, StalePidFileOfAnotherProgramIsNotSignalled) {
  // The pid file names a live process that is no service program: this
  // test's own child.
  const pid_t stranger = ::fork();
  if (stranger == 0) {
    ::pause();
    ::_exit(0);
  }
  fs::create_directories(install_.channel.run_dir());
  std::ofstream(install_.channel.run_dir() + "TarvelinSMTP.pid") << stranger << "\n";
  ASSERT_TRUE(install_.channel.IsServiceRunning(0));

  install_.StartStop(0, /*start=*/false, /*wait=*/false);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(::waitpid(stranger, nullptr, WNOHANG), 0) << "the stranger is alive";
  ::kill(stranger, SIGKILL);
  ::waitpid(stranger, nullptr, 0);
}

TEST_F(ServiceControlTest, ServiceIgnoringTheStopIsKilledAfterTenSeconds) {
  // A second installation runs the same program names; its services must
  // survive the kill.
  Installation other(dir_.path() + "other/");
  ASSERT_TRUE(other.installed);
  other.MarkStubborn("TarvelinPOP3");
  other.StartStop(1, true, true);
  const int64_t bystander = *other.channel.RunningPid(1);

  install_.MarkStubborn("TarvelinPOP3");
  install_.StartStop(1, true, true);
  const int64_t stubborn = *install_.channel.RunningPid(1);

  install_.StartStop(8, /*start=*/false, /*wait=*/true);
  EXPECT_FALSE(install_.env.ProcessRunning(stubborn));
  EXPECT_FALSE(install_.channel.IsServiceRunning(1));
  EXPECT_EQ(install_.ProcessesOf("pop3"), std::vector<int64_t>{});
  EXPECT_TRUE(install_.env.ProcessRunning(bystander));
  EXPECT_EQ(other.ProcessesOf("pop3"), std::vector<int64_t>{bystander});
}

}  // namespace
}  // namespace tarvelin
