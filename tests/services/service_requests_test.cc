#include "services/service_requests.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "schema/config_offsets.h"
#include "core/config/config_variables.h"
#include "core/context.h"
#include "platform/posix_env.h"
#include "services/service_control.h"
#include "services/session_record.h"
#include "support/fake_service.h"
#include "support/status_testing.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using Lines = std::vector<std::string>;

std::string LE32(uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes += static_cast<char>(value >> (8 * i));
  return bytes;
}

std::string Pattern(size_t length, int seed) {
  std::string bytes;
  for (size_t i = 0; i < length; ++i) bytes += static_cast<char>((i * 7 + seed) & 0xff);
  return bytes;
}

std::string BlockBytes(const std::array<uint8_t, kStatisticsBlockSize>& block) {
  return std::string(reinterpret_cast<const char*>(block.data()), block.size());
}

// An installation whose services are the fake program, started and stopped
// through StartStopService.
class ServiceRequestsTest : public ::testing::Test {
 protected:
  ServiceRequestsTest()
      : install_(dir_.path()),
        run_dir_(ServiceChannel::RunDirectory(env_, install_)),
        channel_(env_, run_dir_) {}
  void SetUp() override {
    ASSERT_TRUE(InstallFakePrograms(install_));
    std::filesystem::create_directories(run_dir_);  // canned answers go there before a start
  }
  ~ServiceRequestsTest() override { EndInstalledPrograms(install_); }

  void Start(int id) {
    StartStopService(install_, channel_, id, /*start=*/true, /*wait=*/true);
    ASSERT_TRUE(channel_.IsServiceRunning(id)) << id;
  }
  void Stop(int id) {
    StartStopService(install_, channel_, id, /*start=*/false, /*wait=*/true);
    ASSERT_FALSE(channel_.IsServiceRunning(id)) << id;
  }
  void Canned(const std::string& service, const char* suffix, const std::string& bytes) {
    std::ofstream(run_dir_ + service + suffix, std::ios::binary) << bytes;
  }
  Lines Requests(const std::string& service) { return RecordedRequests(run_dir_, service); }

  PosixEnv env_;
  testing::TempDir dir_;
  std::string install_;
  std::string run_dir_;
  ServiceChannel channel_;
};

TEST_F(ServiceRequestsTest, StatisticsKeepTheFirst120BytesOfTheAnswer) {
  struct Case {
    const char* what;
    std::string answer;
    std::string kept;
  };
  const std::string full = Pattern(120, 1);
  const Case kCases[] = {
      {"exact", full, full},
      {"shorter, zero-filled", Pattern(50, 2), Pattern(50, 2) + std::string(70, '\0')},
      {"longer, cut", Pattern(300, 3), Pattern(300, 3).substr(0, 120)},
      {"one byte", "x", "x" + std::string(119, '\0')},
  };
  Start(1);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    Canned("TarvelinPOP3", ".statistics", c.answer);
    StatisticsBlock block;
    block.fill(0xee);
    EXPECT_TRUE(RequestStatistics(channel_, 1, &block));
    EXPECT_EQ(HexOf(BlockBytes(block)), HexOf(c.kept));
  }
  // IMAP lives in the POP3 program; its own id travels in the request.
  StatisticsBlock block;
  EXPECT_TRUE(RequestStatistics(channel_, 8, &block));
  Lines requests = Requests("TarvelinPOP3");
  ASSERT_EQ(requests.size(), std::size(kCases) + 1);
  EXPECT_EQ(requests.back(), "0210000008");
  requests.pop_back();
  EXPECT_EQ(requests, Lines(std::size(kCases), "0210000001"));
}

TEST_F(ServiceRequestsTest, StatisticsResetSendsTheBlockTheServiceKeeps) {
  Start(12);
  StatisticsBlock block;
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(200 - i);
  EXPECT_TRUE(ResetStatistics(channel_, 12, block));

  StatisticsBlock fetched;
  EXPECT_TRUE(RequestStatistics(channel_, 3, &fetched));
  EXPECT_EQ(fetched, block);
  EXPECT_EQ(Requests("TarvelinIM"), (Lines{"061000000c" + HexOf(BlockBytes(block)), "0210000003"}));
}

TEST_F(ServiceRequestsTest, MigrationStatusAsksThePop3Service) {
  Start(1);
  Start(2);
  Canned("TarvelinPOP3", ".migration", Pattern(64, 5));
  MigrationStatus status;
  EXPECT_TRUE(RequestMigrationStatus(channel_, &status));
  EXPECT_EQ(std::string(status.begin(), status.end()), Pattern(40, 5));

  Canned("TarvelinPOP3", ".migration", "abc");
  EXPECT_TRUE(RequestMigrationStatus(channel_, &status));
  EXPECT_EQ(std::string(status.begin(), status.end()), "abc" + std::string(37, '\0'));
  EXPECT_EQ(Requests("TarvelinPOP3"), (Lines{"04100000", "04100000"}));
  EXPECT_EQ(Requests("TarvelinControl"), Lines{});
}

TEST_F(ServiceRequestsTest, SessionsNameTheIdAndTheHistoryAsText) {
  SessionRecord open;
  open.id = 0x01020304;
  open.duration = 0;
  open.handle = 77;
  open.service = 12;
  open.start = 45000.5;
  open.server = 3;
  open.volume = 4096;
  open.ip = "192.0.2.7";
  open.val = "alice@example.org";
  SessionRecord closed = open;
  closed.id = 9;
  closed.status = 1;
  closed.duration = 65535;
  closed.ip = std::string(40, '1');  // longer than the field: cut to 31
  Canned("TarvelinIM", ".sessions", SessionRecordBytes(open));
  // A tail shorter than a record is no record.
  Canned("TarvelinIM", ".history",
         SessionRecordBytes(open) + SessionRecordBytes(closed) + std::string(121, 'x'));
  Start(3);

  const std::optional<std::string> current = RequestSessions(channel_, 3, false);
  ASSERT_TRUE(current.has_value());
  EXPECT_EQ(current->size(), 122u);
  const std::optional<std::string> history = RequestSessions(channel_, 12, true);
  ASSERT_TRUE(history.has_value());
  const std::vector<SessionRecord> records = ParseSessionRecords(*history);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].id, 0x01020304u);
  EXPECT_EQ(records[0].status, 0);
  EXPECT_EQ(records[0].handle, 77u);
  EXPECT_EQ(records[0].service, 12);
  EXPECT_EQ(records[0].start, 45000.5);
  EXPECT_EQ(records[0].server, 3);
  EXPECT_EQ(records[0].volume, 4096u);
  EXPECT_EQ(records[0].ip, "192.0.2.7");
  EXPECT_EQ(records[0].val, "alice@example.org");
  EXPECT_EQ(records[1].id, 9u);
  EXPECT_EQ(records[1].status, 1);
  EXPECT_EQ(records[1].duration, 65535);
  EXPECT_EQ(records[1].ip, std::string(31, '1'));

  std::filesystem::remove(run_dir_ + "TarvelinIM.sessions");
  EXPECT_EQ(RequestSessions(channel_, 3, false), std::string()) << "count 0: no sessions";
  // Code 4110, then "3;0", "12;1" and "3;0" as text.
  EXPECT_EQ(Requests("TarvelinIM"),
            (Lines{"0e100000333b30", "0e10000031323b31", "0e100000333b30"}));
}

TEST_F(ServiceRequestsTest, GroupwareCallSendsFiveBase64Fields) {
  Start(4);
  EXPECT_EQ(GroupwareCall(channel_, {"LoginUser", "admin", "secret", ""}), "session-1");
  EXPECT_EQ(GroupwareCall(channel_, {"LoginUser", "", "secret", ""}), "") << "login failed";
  EXPECT_EQ(GroupwareCall(channel_, {"AddGroupUser", "session-1", "staff", "bob@example.org"}),
            "AddGroupUser|session-1|staff|bob@example.org");

  const std::string login = "TG9naW5Vc2Vy;YWRtaW4=;c2VjcmV0;;";
  const std::string anonymous = "TG9naW5Vc2Vy;;c2VjcmV0;;";
  const std::string add = "QWRkR3JvdXBVc2Vy;c2Vzc2lvbi0x;c3RhZmY=;Ym9iQGV4YW1wbGUub3Jn;";
  EXPECT_EQ(Requests("TarvelinCalendar"),
            (Lines{HexOf(LE32(4105) + LE32(4 + login.size()) + login),
                   HexOf(LE32(4105) + LE32(4 + anonymous.size()) + anonymous),
                   HexOf(LE32(4105) + LE32(4 + add.size()) + add)}));
}

TEST_F(ServiceRequestsTest, ServiceThatDoesNotRunGetsNothing) {
  Start(1);
  Stop(1);
  // The stopped service left nothing to connect to; a stale socket file of a
  // killed one refuses as well.
  ASSERT_EQ(::close(ListenUnixSocket(run_dir_ + "TarvelinPOP3.sock", 1)), 0);
  StatisticsBlock block;
  block.fill(1);
  MigrationStatus status;
  status.fill(1);
  EXPECT_FALSE(RequestStatistics(channel_, 1, &block));
  EXPECT_EQ(block, StatisticsBlock{}) << "all zero";
  EXPECT_FALSE(ResetStatistics(channel_, 8, block));
  EXPECT_FALSE(RequestMigrationStatus(channel_, &status));
  EXPECT_EQ(status, MigrationStatus{});
  EXPECT_EQ(RequestSessions(channel_, 1, false), std::nullopt);
  EXPECT_EQ(GroupwareCall(channel_, {"LoginUser", "a", "b", ""}), std::nullopt);

  Start(1);
  EXPECT_EQ(Requests("TarvelinPOP3"), Lines{}) << "nothing was sent while it was down";
}

TEST_F(ServiceRequestsTest, UnknownIdsSendNothing) {
  for (int id : {0, 1, 2, 3, 4}) Start(id);
  for (int id : {-1, 5, 6, 9, 11, 13, 256}) {
    SCOPED_TRACE(id);
    StatisticsBlock block;
    EXPECT_FALSE(RequestStatistics(channel_, id, &block));
    EXPECT_FALSE(ResetStatistics(channel_, id, block));
    EXPECT_EQ(RequestSessions(channel_, id, true), std::nullopt);
  }
  for (const char* name :
       {"TarvelinSMTP", "TarvelinPOP3", "TarvelinControl", "TarvelinIM", "TarvelinCalendar"}) {
    EXPECT_EQ(Requests(name), Lines{}) << name;
  }
}

// A service this test drives itself, from its own thread, for answers the
// fake program does not give.
class MisbehavingServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(dir_.path() + "TarvelinPOP3.pid") << ::getpid() << "\n";
    listener_ = ListenUnixSocket(dir_.path() + "TarvelinPOP3.sock", 4);
    ASSERT_GE(listener_, 0);
  }
  void TearDown() override {
    if (peer_.joinable()) peer_.join();
    ::close(listener_);
  }

  // Accepts one connection, reads the request's `request_size` bytes into
  // received_, then runs `behave` on the connection and closes it.
  void Serve(size_t request_size, std::function<void(int)> behave) {
    peer_ = std::thread([this, request_size, behave] {
      pollfd p{listener_, POLLIN, 0};
      if (::poll(&p, 1, 10000) != 1) return;
      const int fd = ::accept(listener_, nullptr, nullptr);
      std::string request(request_size, '\0');
      const ssize_t n = ::recv(fd, request.data(), request.size(), MSG_WAITALL);
      received_ = request.substr(0, n > 0 ? static_cast<size_t>(n) : 0);
      behave(fd);
      ::close(fd);
    });
  }
  static void Send(int fd, const std::string& bytes) {
    ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  }
  // Holds the connection until the client leaves.
  static void WaitForClose(int fd) {
    char byte;
    ::recv(fd, &byte, 1, 0);
  }

  testing::TempDir dir_;
  int listener_ = -1;
  std::thread peer_;
  std::string received_;
  PosixEnv env_;
};

TEST_F(MisbehavingServiceTest, BrokenLengthPrefixesGiveNoAnswer) {
  struct Case {
    const char* what;
    std::string answer;  // sent, then the service closes
    std::optional<std::string> result;
  };
  const Case kCases[] = {
      {"negative count", LE32(0xffffffff) + "abc", std::string()},
      {"zero count", LE32(0), std::string()},
      {"count beyond the limit", LE32(kLengthPrefixedAnswerMax + 1) + "abc", std::nullopt},
      {"largest signed count", LE32(0x7fffffff), std::nullopt},
      {"closes before the count ends", LE32(100) + std::string(99, 'y'), std::nullopt},
      {"closes inside the count", std::string("\x05\x00", 2), std::nullopt},
      {"closes at once", "", std::nullopt},
      {"count honoured", LE32(3) + "abcdef", std::string("abc")},
  };
  ServiceChannel channel(env_, dir_.path());
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    Serve(7, [&](int fd) { Send(fd, c.answer); });
    EXPECT_EQ(RequestSessions(channel, 1, true), c.result);
    peer_.join();
    EXPECT_EQ(HexOf(received_), "0e100000313b31");
  }
}

TEST_F(MisbehavingServiceTest, AnnouncedCountIsNotAllocatedAhead) {
  // The service announces the largest count allowed and then stalls: the
  // client's memory may grow with what arrives, not with what is announced.
  auto resident_kib = [] {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
      if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0L;
  };
  long before = 0, during = 0;
  Serve(7, [&](int fd) {
    before = resident_kib();
    Send(fd, LE32(kLengthPrefixedAnswerMax) + std::string(1000, 'z'));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    during = resident_kib();
  });
  ServiceChannel channel(env_, dir_.path());
  EXPECT_EQ(RequestSessions(channel, 1, false), std::nullopt);
  peer_.join();
  EXPECT_LT(during - before, 4 * 1024) << "KiB grown while the answer was pending";
}

TEST_F(MisbehavingServiceTest, LargestAllowedAnswerArrivesWhole) {
  const std::string body = Pattern(kLengthPrefixedAnswerMax, 9);
  Serve(7, [&](int fd) { Send(fd, LE32(body.size()) + body); });
  ServiceChannel channel(env_, dir_.path());
  const std::optional<std::string> answer = RequestSessions(channel, 1, false);
  ASSERT_TRUE(answer.has_value());
  EXPECT_TRUE(*answer == body);
}

TEST_F(MisbehavingServiceTest, SilentServiceTimesOut) {
  struct Case {
    const char* what;
    size_t request_size;
    std::string sent_first;                           // then silence until the client leaves
    std::function<bool(const ServiceChannel&)> call;  // true when it failed
  };
  const Case kCases[] = {
      {"statistics", 5, "",
       [](const ServiceChannel& channel) {
         StatisticsBlock block;
         return !RequestStatistics(channel, 1, &block);
       }},
      {"statistics reset", 125, "",
       [](const ServiceChannel& channel) {
         return !ResetStatistics(channel, 1, StatisticsBlock{});
       }},
      {"migration status", 4, "",
       [](const ServiceChannel& channel) {
         MigrationStatus status;
         return !RequestMigrationStatus(channel, &status);
       }},
      {"sessions without count", 7, "",
       [](const ServiceChannel& channel) { return !RequestSessions(channel, 1, true); }},
      {"sessions with part of the count", 7, std::string("\x08\x00", 2),
       [](const ServiceChannel& channel) { return !RequestSessions(channel, 1, true); }},
      {"sessions stalling after the count", 7, LE32(8) + "1234",
       [](const ServiceChannel& channel) { return !RequestSessions(channel, 1, true); }},
  };
  ServiceChannel channel(env_, dir_.path(), 50);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    Serve(c.request_size, [&](int fd) {
      Send(fd, c.sent_first);
      WaitForClose(fd);
    });
    EXPECT_TRUE(c.call(channel));
    peer_.join();
  }
}

TEST_F(MisbehavingServiceTest, ServiceClosingWithoutAnswerFailsTheRequest) {
  ServiceChannel channel(env_, dir_.path());
  Serve(5, [](int) {});
  StatisticsBlock block;
  EXPECT_FALSE(RequestStatistics(channel, 1, &block));
  peer_.join();
  EXPECT_EQ(HexOf(received_), "0210000001");

  Serve(125, [](int) {});
  EXPECT_FALSE(ResetStatistics(channel, 1, block)) << "success means an answer was read";
  peer_.join();
  EXPECT_EQ(received_.size(), 125u);
}

// Settings 375 to 381 read the POP3 service's migration status while
// setting 365 is on.
class MigrationSettingsTest : public ServiceRequestsTest {
 protected:
  MigrationSettingsTest() {
    context_.api.initialised = true;
    context_.api.install_path = install_;
    context_.api.config_path = install_ + "config/";
  }
  uint32_t Get(int32_t id) {
    uint32_t value = 0xdeadbeef;
    EXPECT_EQ(GetConfigSetting(context_, id, &value, 4), 4) << id;
    return value;
  }
  static std::string Double(double value) {
    std::string bytes(8, '\0');
    std::memcpy(bytes.data(), &value, 8);
    return bytes;
  }

  Context context_;
};

TEST_F(MigrationSettingsTest, ValuesComeFromTheStatusBlockWhileSwitchedOn) {
  const std::string block = LE32(1) + LE32(2) + LE32(3) + LE32(0xfffffffe) + LE32(5) + LE32(99) +
                            Double(45000.75) + Double(-1.5);
  ASSERT_EQ(block.size(), 40u);
  Canned("TarvelinPOP3", ".migration", block);
  Start(1);

  context_.config.record.SetByte(offsets::kMigrationStatusOn, 0);
  for (int32_t id = 375; id <= 381; ++id) EXPECT_EQ(Get(id), 0u) << id;
  EXPECT_EQ(Requests("TarvelinPOP3"), Lines{}) << "nothing is asked while 365 is off";

  context_.config.record.SetByte(offsets::kMigrationStatusOn, 1);
  const uint32_t expected[] = {1, 2, 3, 0xfffffffe, 5, 45000, 0xffffffff};
  for (int32_t id = 375; id <= 381; ++id) EXPECT_EQ(Get(id), expected[id - 375]) << id;
  EXPECT_EQ(Requests("TarvelinPOP3"), Lines(7, "04100000"));

  uint16_t narrow = 0;
  EXPECT_EQ(GetConfigSetting(context_, 378, &narrow, 2), 2);
  EXPECT_EQ(narrow, 0xfffe);
  const uint32_t value = 1;
  EXPECT_EQ(SetConfigSetting(context_, 375, &value, 4), StatusCode::kRefused);
  const Result<SettingShape> shape = DescribeConfigSetting(380);
  ASSERT_TRUE(shape.ok());
  EXPECT_EQ(shape->kind, SettingKind::kNumber);
  EXPECT_EQ(shape->size, 4);
  EXPECT_FALSE(shape->writable);
}

TEST_F(MigrationSettingsTest, DatesThatAreNoWholeDayNumberReadAsZero) {
  struct Case {
    double value;
    uint32_t expected;
  };
  const Case kCases[] = {
      {0.99, 0},
      {-0.99, 0},
      {2147483647.5, 2147483647},
      {1e300, 0},
      {-1e300, 0},
      {std::numeric_limits<double>::infinity(), 0},
      {std::numeric_limits<double>::quiet_NaN(), 0},
  };
  context_.config.record.SetByte(offsets::kMigrationStatusOn, 1);
  Start(1);
  for (const Case& c : kCases) {
    Canned("TarvelinPOP3", ".migration", std::string(32, '\0') + Double(c.value));
    EXPECT_EQ(Get(381), c.expected) << c.value;
  }
}

TEST_F(MigrationSettingsTest, ServiceNotAnsweringGivesZero) {
  context_.config.record.SetByte(offsets::kMigrationStatusOn, 1);
  for (int32_t id = 375; id <= 381; ++id) EXPECT_EQ(Get(id), 0u) << id;
}

}  // namespace
}  // namespace tarvelin
