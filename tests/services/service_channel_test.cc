#include "services/service_channel.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix_env.h"
#include "support/fake_service.h"

namespace tarvelin {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kServiceNames[] = {"TarvelinSMTP", "TarvelinPOP3", "TarvelinControl",
                                         "TarvelinIM", "TarvelinCalendar"};

class ServiceChannelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarvelin-svc-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    run_dir_ = std::string(pattern) + "/";
  }
  void TearDown() override { std::filesystem::remove_all(run_dir_); }

  std::string PidPath(const std::string& service) const { return run_dir_ + service + ".pid"; }
  void WritePidFile(const std::string& service, const std::string& text) {
    std::ofstream(PidPath(service)) << text;
  }

  // A listener the test drives itself, for a service that "runs" as this
  // test process.
  int ListenAs(const std::string& service, int backlog = 4) {
    WritePidFile(service, std::to_string(::getpid()) + "\n");
    return ListenUnixSocket(run_dir_ + service + ".sock", backlog);
  }

  std::string run_dir_;
  PosixEnv env_;
};

// The next connection, or -1 when none comes: a channel that gave up must
// fail the test, not hang it.
int AcceptWithin(int listener) {
  pollfd p{listener, POLLIN, 0};
  if (::poll(&p, 1, 10000) != 1) return -1;
  return ::accept(listener, nullptr, nullptr);
}

// The 20 bytes of a command as the peer reads them, or what came before the
// peer closed.
std::string ReadCommand(int fd) {
  char buffer[20];
  ssize_t n = ::recv(fd, buffer, sizeof(buffer), MSG_WAITALL);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

// The pid of a process that has already ended.
pid_t DeadPid() {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  ::waitpid(pid, nullptr, 0);
  return pid;
}

enum class Call { kNotify, kRequest, kSend, kSendWithAnswer };

int32_t Invoke(const ServiceChannel& channel, Call call, int id, uint32_t message, uint32_t first,
               uint32_t second) {
  switch (call) {
    case Call::kNotify:
      return channel.NotifyService(id, message, first, second);
    case Call::kRequest:
      return channel.RequestService(id, message, first, second);
    case Call::kSend:
      return channel.SendServiceCommand(id, message, first, second, false);
    case Call::kSendWithAnswer:
      return channel.SendServiceCommand(id, message, first, second, true);
  }
  return -1;
}

TEST_F(ServiceChannelTest, CommandReachesTheIdsServiceAsTwentyBytes) {
  struct Case {
    int id;
    const char* service;
    Call call;
    uint32_t message, first, second;
    const char* recorded;
    int32_t result;
  };
  const Case kCases[] = {
      {2, "TarvelinControl", Call::kNotify, 1280, 0, 0, "0010000000050000000000000000000000000000",
       1},
      {0, "TarvelinSMTP", Call::kRequest, 1281, 7, 0x01020304,
       "0310000001050000070000000403020100000000", 77},
      {1, "TarvelinPOP3", Call::kSend, 0xffffffff, 0x80000000, 1,
       "00100000ffffffff000000800100000000000000", 1},
      {8, "TarvelinPOP3", Call::kSendWithAnswer, 0, 0, 0,
       "0310000000000000000000000000000000000000", 77},
      {3, "TarvelinIM", Call::kNotify, 0x0a0b0c0d, 2, 3, "001000000d0c0b0a020000000300000000000000",
       1},
      {12, "TarvelinIM", Call::kRequest, 5, 0, 0, "0310000005000000000000000000000000000000", 77},
      {4, "TarvelinCalendar", Call::kNotify, 6, 0, 0, "0010000006000000000000000000000000000000",
       1},
      {7, "TarvelinControl", Call::kRequest, 1, 2, 3, "0310000001000000020000000300000000000000",
       77},
      {10, "TarvelinControl", Call::kSend, 4, 0, 0, "0010000004000000000000000000000000000000", 1},
  };
  ServiceChannel channel(env_, run_dir_);
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "id " << c.id);
    FakeService service(run_dir_, c.service, 77);
    ASSERT_TRUE(service.ready());
    EXPECT_EQ(Invoke(channel, c.call, c.id, c.message, c.first, c.second), c.result);
    EXPECT_EQ(service.Requests(), Lines{c.recorded});
  }
}

TEST_F(ServiceChannelTest, RequestReturnsTheSignedAnswer) {
  ServiceChannel channel(env_, run_dir_);
  for (int32_t answer : {-7, 0, 0x7fffffff, 123456}) {
    FakeService service(run_dir_, "TarvelinCalendar", answer);
    ASSERT_TRUE(service.ready());
    EXPECT_EQ(channel.RequestService(4, 1, 0, 0), answer);
  }
}

TEST_F(ServiceChannelTest, SequentialCommandsEachUseTheirOwnConnection) {
  FakeService service(run_dir_, "TarvelinSMTP");
  ASSERT_TRUE(service.ready());
  ServiceChannel channel(env_, run_dir_);
  Lines expected;
  for (uint32_t i = 0; i < 30; ++i) {
    if (i % 2 == 0) {
      EXPECT_EQ(channel.NotifyService(0, i, i + 1, i + 2), 1);
      expected.push_back(CommandHex(kCommandCode, i, i + 1, i + 2));
    } else {
      EXPECT_EQ(channel.RequestService(0, i, i + 1, i + 2), 1);
      expected.push_back(CommandHex(kCommandWithAnswerCode, i, i + 1, i + 2));
    }
  }
  EXPECT_EQ(service.Requests(), expected);
}

TEST_F(ServiceChannelTest, RunningFollowsThePidFile) {
  FakeService service(run_dir_, "TarvelinControl");
  ASSERT_TRUE(service.ready());
  ServiceChannel channel(env_, run_dir_);
  for (int id : {2, 7, 10}) EXPECT_TRUE(channel.IsServiceRunning(id)) << id;
  EXPECT_FALSE(channel.IsServiceRunning(0));

  service.Stop();
  EXPECT_FALSE(channel.IsServiceRunning(2));
  EXPECT_EQ(channel.NotifyService(2, 1, 0, 0), 0);
}

TEST_F(ServiceChannelTest, ServiceNotRunningGetsNothing) {
  struct Case {
    const char* what;
    std::optional<std::string> pid_file;  // nullopt: no pid file
  };
  const Case kCases[] = {
      {"no pid file", std::nullopt},
      {"dead pid", std::to_string(DeadPid()) + "\n"},
      {"pid 0", "0\n"},
      {"not a number", "service\n"},
      {"empty", ""},
  };
  ServiceChannel channel(env_, run_dir_);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    FakeService service(run_dir_, "TarvelinIM");
    ASSERT_TRUE(service.ready());
    std::filesystem::remove(PidPath("TarvelinIM"));
    if (c.pid_file) WritePidFile("TarvelinIM", *c.pid_file);

    EXPECT_FALSE(channel.IsServiceRunning(3));
    EXPECT_EQ(channel.NotifyService(3, 1, 2, 3), 0);
    EXPECT_EQ(channel.RequestService(3, 1, 2, 3), 0);
    EXPECT_EQ(service.Requests(), Lines{});
  }
}

TEST_F(ServiceChannelTest, SendServiceCommandDoesNotCheckRunning) {
  FakeService service(run_dir_, "TarvelinPOP3", 9);
  ASSERT_TRUE(service.ready());
  std::filesystem::remove(PidPath("TarvelinPOP3"));
  ServiceChannel channel(env_, run_dir_);
  ASSERT_FALSE(channel.IsServiceRunning(1));

  EXPECT_EQ(channel.SendServiceCommand(1, 10, 0, 0, false), 1);
  EXPECT_EQ(channel.SendServiceCommand(1, 11, 0, 0, true), 9);
  EXPECT_EQ(service.Requests(), (Lines{CommandHex(kCommandCode, 10, 0, 0),
                                       CommandHex(kCommandWithAnswerCode, 11, 0, 0)}));
}

TEST_F(ServiceChannelTest, RunningServiceWithoutSocketGivesZero) {
  WritePidFile("TarvelinSMTP", std::to_string(::getpid()));
  ServiceChannel channel(env_, run_dir_);
  ASSERT_TRUE(channel.IsServiceRunning(0));
  EXPECT_EQ(channel.NotifyService(0, 1, 0, 0), 0);
  EXPECT_EQ(channel.RequestService(0, 1, 0, 0), 0);
  EXPECT_EQ(channel.SendServiceCommand(0, 1, 0, 0, false), 0);
}

TEST_F(ServiceChannelTest, UnknownIdsFailAndSendNothing) {
  std::vector<std::unique_ptr<FakeService>> services;
  for (const char* name : kServiceNames) {
    services.push_back(std::make_unique<FakeService>(run_dir_, name));
    ASSERT_TRUE(services.back()->ready());
  }
  ServiceChannel channel(env_, run_dir_);
  for (int id : {-1, 5, 6, 9, 11, 13, 100}) {
    SCOPED_TRACE(id);
    EXPECT_FALSE(channel.IsServiceRunning(id));
    for (Call call : {Call::kNotify, Call::kRequest, Call::kSend, Call::kSendWithAnswer}) {
      EXPECT_EQ(Invoke(channel, call, id, 1, 2, 3), 0);
    }
  }
  for (const auto& service : services) {
    EXPECT_EQ(service->Requests(), Lines{});
  }
}

TEST_F(ServiceChannelTest, AnswerIsTheFirstFourBytesOfOneRead) {
  struct Case {
    const char* what;
    std::string answer;
    int32_t result;
  };
  const Case kCases[] = {
      {"three bytes", std::string("\x05\x00\x00", 3), 0},
      {"nothing", "", 0},
      {"four bytes", std::string("\xfe\xff\xff\xff", 4), -2},
      {"longer", std::string("\x05\x00\x00\x00xyz", 7), 5},
  };
  ServiceChannel channel(env_, run_dir_);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    int listener = ListenAs("TarvelinIM");
    ASSERT_GE(listener, 0);
    std::string received;
    std::thread peer([&] {
      int fd = AcceptWithin(listener);
      received = ReadCommand(fd);
      ::send(fd, c.answer.data(), c.answer.size(), MSG_NOSIGNAL);
      ::close(fd);
    });
    EXPECT_EQ(channel.RequestService(3, 42, 0, 0), c.result);
    peer.join();
    ::close(listener);
    EXPECT_EQ(HexOf(received), CommandHex(kCommandWithAnswerCode, 42, 0, 0));
  }
}

TEST_F(ServiceChannelTest, SilentServiceTimesOutWithZero) {
  int listener = ListenAs("TarvelinCalendar");
  ASSERT_GE(listener, 0);
  std::thread peer([&] {
    int fd = AcceptWithin(listener);
    ReadCommand(fd);
    char byte;
    ::recv(fd, &byte, 1, 0);  // holds the connection until the client leaves
    ::close(fd);
  });
  ServiceChannel channel(env_, run_dir_, 50);
  EXPECT_EQ(channel.RequestService(4, 1, 0, 0), 0);
  peer.join();
  ::close(listener);
}

TEST_F(ServiceChannelTest, ServiceClosingAtOnceIsHarmless) {
  constexpr int kRounds = 20;
  int listener = ListenAs("TarvelinControl");
  ASSERT_GE(listener, 0);
  std::thread peer([&] {
    for (int i = 0; i < 2 * kRounds; ++i) {
      int fd = AcceptWithin(listener);
      if (fd < 0) break;
      ::close(fd);
    }
  });
  ServiceChannel channel(env_, run_dir_);
  for (int i = 0; i < kRounds; ++i) {
    // Whether the write lands before the close is a race; a broken pipe must
    // only ever give 0, never end the process.
    int32_t notified = channel.NotifyService(2, 1, 0, 0);
    EXPECT_TRUE(notified == 0 || notified == 1);
    EXPECT_EQ(channel.RequestService(2, 1, 0, 0), 0);
  }
  peer.join();
  ::close(listener);
}

TEST_F(ServiceChannelTest, BusyServiceIsWaitedFor) {
  int listener = ListenAs("TarvelinSMTP", 0);
  ASSERT_GE(listener, 0);
  // Backlog 0 holds one pending connection: this one fills the queue.
  const Result<std::unique_ptr<StreamSocket>> filler =
      env_.ConnectUnixStream(run_dir_ + "TarvelinSMTP.sock");
  ASSERT_TRUE(filler.ok()) << filler.status().ToString();
  std::string received;
  std::thread peer([&] {
    // Accepting late, the channel has to wait for room in the queue.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ::close(AcceptWithin(listener));
    int fd = AcceptWithin(listener);
    received = ReadCommand(fd);
    ::close(fd);
  });
  ServiceChannel channel(env_, run_dir_);
  EXPECT_EQ(channel.NotifyService(0, 9, 8, 7), 1);
  peer.join();
  ::close(listener);
  EXPECT_EQ(HexOf(received), CommandHex(kCommandCode, 9, 8, 7));
}

class RunDirectoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* value = ::getenv("TARVELIN_RUN_DIR");
    if (value != nullptr) saved_ = value;
  }
  void TearDown() override {
    if (saved_) {
      ::setenv("TARVELIN_RUN_DIR", saved_->c_str(), 1);
    } else {
      ::unsetenv("TARVELIN_RUN_DIR");
    }
  }
  std::optional<std::string> saved_;
  PosixEnv env_;
};

TEST_F(RunDirectoryTest, EnvironmentOverridesInstallPath) {
  struct Case {
    const char* environment;  // nullptr: unset
    const char* install_path;
    const char* expected;
  };
  const Case kCases[] = {
      {nullptr, "/opt/tarvelin/", "/opt/tarvelin/run/"},
      {nullptr, "/opt/tarvelin", "/opt/tarvelin/run/"},
      {"", "/opt/tarvelin/", "/opt/tarvelin/run/"},
      {"/var/run/tv", "/opt/tarvelin/", "/var/run/tv/"},
      {"/var/run/tv/", "/opt/tarvelin/", "/var/run/tv/"},
  };
  for (const Case& c : kCases) {
    if (c.environment == nullptr) {
      ::unsetenv("TARVELIN_RUN_DIR");
    } else {
      ::setenv("TARVELIN_RUN_DIR", c.environment, 1);
    }
    EXPECT_EQ(ServiceChannel::RunDirectory(env_, c.install_path), c.expected)
        << (c.environment ? c.environment : "(unset)") << " " << c.install_path;
  }
}

TEST(ParsePidFile, TheFirstLineIsOneDecimalPid) {
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
    EXPECT_EQ(ParsePidFile(c.content), c.pid) << "\"" << c.content << "\"";
  }
}

}  // namespace
}  // namespace tarvelin
