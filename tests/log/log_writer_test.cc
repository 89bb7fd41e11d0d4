#include "log/log_writer.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <vector>

#include "foundation/text.h"
#include "config/config_state.h"
#include "core/context.h"
#include "core/logging.h"
#include "platform/posix_env.h"
#include "platform/system_error.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::TempDir;

// A clock that shows whatever the test sets; every change is a new second.
class FakeClock : public LogClock {
 public:
  int64_t Now() override { return seconds; }
  LocalTime Local(int64_t) override { return local; }

  int64_t seconds = 1;
  LocalTime local;
};

std::vector<std::string> FilesBelow(const std::string& dir) {
  std::vector<std::string> names;
  if (!std::filesystem::exists(dir)) return names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) {
      names.push_back(std::filesystem::relative(entry.path(), dir).string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Lines of a log file, CR LF checked and removed.
std::vector<std::string> LinesOf(const std::string& content) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < content.size()) {
    const size_t end = content.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "no CR LF after " << content.substr(start);
      break;
    }
    lines.push_back(content.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

class LogWriterTest : public ::testing::Test {
 protected:
  LogWriterTest()
      : clock_(new FakeClock), writer_(env_, std::unique_ptr<LogClock>(clock_), locks_) {
    ServerConfig& record = config_.record;
    record.SetText(log_offsets::kLogDirectory, dir_.path() + "logs/");
    for (int offset : {2869, 3126, 21390, 3383, 3635, 227, 153, 21389, 22839, 25403}) {
      record.SetByte(offset, 3);
    }
    record.SetByte(log_offsets::kChangeLog, 1);
    record.SetByte(log_offsets::kFileLoggingOff, 0);
    record.SetNumber(log_offsets::kBufferSize, 4, 0);
    record.SetNumber(log_offsets::kRotationSize, 4, 0);
    record.SetByte(log_offsets::kTimeForm, 0);
    record.SetByte(log_offsets::kDebugOutput, 0);
    record.SetByte(log_offsets::kSyslogOn, 0);
    At({2024, 3, 5}, {9, 5, 7});
  }

  void At(CivilDate date, CivilTime time, int utc_offset_minutes = 60) {
    clock_->local = {{date, time}, utc_offset_minutes};
    ++clock_->seconds;
  }

  void Write(uint32_t thread_id, int kind, std::string_view message, uint32_t bits = 1,
             std::string_view source = "SYSTEM") {
    writer_.Write(settings(), thread_id, kind, source, bits, message);
  }

  std::string Logs() const { return dir_.path() + "logs/"; }
  std::vector<std::string> Files() const { return FilesBelow(Logs()); }
  std::string Read(const std::string& name) const { return dir_.Read("logs/" + name); }
  std::vector<std::string> Lines(const std::string& name) const { return LinesOf(Read(name)); }

  LogSettings settings() const { return {config_.record, config_.derived.file_name_tag}; }

  TempDir dir_;
  ConfigState config_;
  LockTable locks_;
  PosixEnv env_;
  FakeClock* clock_;  // owned by writer_
  LogWriter writer_;
};

TEST_F(LogWriterTest, LineLayout) {
  Write(0x1A2, 0, "hello world");
  EXPECT_EQ(Read("s20240305.log"), "SYSTEM          [01a2] 09:05:07 hello world\r\n");
  const std::string line = Lines("s20240305.log")[0];
  EXPECT_EQ(line.substr(0, 15), "SYSTEM" + std::string(9, ' '));
  EXPECT_EQ(line.substr(15, 17), " [01a2] 09:05:07 ");
}

TEST_F(LogWriterTest, ThreadIdsInEvenDigitHex) {
  const std::pair<uint32_t, std::string> cases[] = {
      {0, "[0000]"},
      {0xA, "[000a]"},
      {0x1A2, "[01a2]"},
      {0x1234, "[1234]"},
      {0x12345, "[012345]"},
      {0xABCDEF, "[abcdef]"},
      {0x1000000, "[01000000]"},
      {0xFFFFFFFF, "[ffffffff]"},
  };
  for (const auto& [id, text] : cases) Write(id, 0, "x");
  const std::vector<std::string> lines = Lines("s20240305.log");
  ASSERT_EQ(lines.size(), std::size(cases));
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].substr(16, cases[i].second.size()), cases[i].second) << lines[i];
  }
}

TEST_F(LogWriterTest, SourcesAndMessagesAreShapedIntoOneLine) {
  struct Case {
    std::string source;
    std::string message;
    std::string line;
  };
  const std::string prefix = " [0005] 09:05:07 ";
  const Case cases[] = {
      {"SMTP", "first\nsecond", "SMTP           " + prefix + "first"},
      {"SMTP", "first\r\nsecond", "SMTP           " + prefix + "first"},
      {"SMTP", "\nsecond", "SMTP           " + prefix},
      {"A-SOURCE-OF-20-CHARS", "kept whole", "A-SOURCE-OF-20-CHARS" + prefix + "kept whole"},
      {"S", std::string(400, 'x'),
       ("S" + std::string(14, ' ') + prefix + std::string(400, 'x')).substr(0, 255)},
      {std::string(300, 's'), "gone", std::string(255, 's')},
  };
  for (const Case& c : cases) Write(5, 0, c.message, 1, c.source);
  const std::vector<std::string> lines = Lines("s20240305.log");
  ASSERT_EQ(lines.size(), std::size(cases));
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], cases[i].line) << i;
}

TEST_F(LogWriterTest, LevelTwoTakesOnlyEntriesWithBitOne) {
  config_.record.SetByte(2869, 2);
  Write(1, 0, "bits 1", 1);
  EXPECT_TRUE(Files().empty());
  Write(1, 0, "bits 2", 2);
  Write(1, 0, "bits 3", 3);
  const std::vector<std::string> lines = Lines("s20240305.log");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].ends_with("bits 2"));
  EXPECT_TRUE(lines[1].ends_with("bits 3"));
}

TEST_F(LogWriterTest, EntriesThatAreIgnored) {
  Write(1, 16, "kind above 15");
  Write(1, -1, "kind below 0");
  Write(1, 1000, "far out");
  Write(1, 11, "no source", 1, "");
  Write(1, 6, "kind 6 logs nothing");
  config_.record.SetByte(log_offsets::kChangeLog, 0);
  Write(1, 14, "change log off");
  EXPECT_TRUE(Files().empty());
}

TEST_F(LogWriterTest, FileLoggingSwitchIsStoredInverted) {
  config_.record.SetByte(log_offsets::kFileLoggingOff, 1);
  Write(0, 11, "not written");
  EXPECT_TRUE(Files().empty());
  config_.record.SetByte(log_offsets::kFileLoggingOff, 0);
  Write(0, 11, "written");
  EXPECT_EQ(Files(), std::vector<std::string>{"e20240305.log"});
}

TEST_F(LogWriterTest, KindsLandInTheirFilesAndFolders) {
  config_.derived.file_name_tag = "n1-";
  for (int kind = 0; kind < kLogKindCount; ++kind) Write(1, kind, "kind " + std::to_string(kind));
  EXPECT_EQ(Files(),
            (std::vector<std::string>{
                "antispam/n1-20240305.log", "antivirus/n1-20240305.log", "cn1-20240305.log",
                "dn1-20240305.log", "en1-20240305.log", "fn1-20240305.log", "gn1-20240305.log",
                "in1-20240305.log", "maintenance/n1-20240305.log", "mn1-20240305.log",
                "n1-20240305.log", "pn1-20240305.log", "sip/n1-20240305.log", "sn1-20240305.log"}));
  const std::vector<std::string> shared = Lines("n1-20240305.log");
  ASSERT_EQ(shared.size(), 2u) << "kinds 12 and 15 share the stem-less file";
  EXPECT_TRUE(shared[0].ends_with("kind 12"));
  EXPECT_TRUE(shared[1].ends_with("kind 15"));
}

TEST_F(LogWriterTest, MissingDirectoriesAreCreated) {
  config_.record.SetText(log_offsets::kLogDirectory, dir_.path() + "deep/er/logs");
  Write(1, 9, "antispam line");
  EXPECT_TRUE(dir_.Exists("deep/er/logs/antispam/20240305.log"));
}

TEST_F(LogWriterTest, TimeForms) {
  struct Case {
    uint8_t form;
    int offset_minutes;
    std::string time;
  };
  const Case cases[] = {
      {0, 60, "09:05:07"},
      {1, 60, "2024-03-05 09:05:07"},
      {2, 60, "Tue, 05 Mar 2024 09:05:07 +0100"},
      {7, 0, "Tue, 05 Mar 2024 09:05:07 +0000"},
      {255, -210, "Tue, 05 Mar 2024 09:05:07 -0330"},
      {2, 345, "Tue, 05 Mar 2024 09:05:07 +0545"},
  };
  for (const Case& c : cases) {
    At({2024, 3, 5}, {9, 5, 7}, c.offset_minutes);
    config_.record.SetByte(log_offsets::kTimeForm, c.form);
    Write(0, 11, "m");
  }
  const std::vector<std::string> lines = Lines("e20240305.log");
  ASSERT_EQ(lines.size(), std::size(cases));
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], "SYSTEM          [0000] " + cases[i].time + " m");
  }
}

TEST(LogTime, WeekdaysAndMonthsOfTheEmailForm) {
  const std::pair<CivilDate, std::string> cases[] = {
      {{1899, 12, 30}, "Sat, 30 Dec 1899"}, {{1899, 12, 29}, "Fri, 29 Dec 1899"},
      {{1970, 1, 1}, "Thu, 01 Jan 1970"},   {{2000, 2, 29}, "Tue, 29 Feb 2000"},
      {{2024, 3, 10}, "Sun, 10 Mar 2024"},  {{2024, 12, 31}, "Tue, 31 Dec 2024"},
  };
  for (const auto& [date, text] : cases) {
    const LocalTime time{{date, {23, 59, 59, 0}}, 0};
    EXPECT_EQ(FormatLogTime(time, 2), text + " 23:59:59 +0000");
  }
}

TEST(LogTime, EmailFormUsesTheProcessTimeZone) {
  // A fixed zone without daylight saving, east of UTC by 5:30.
  ASSERT_EQ(setenv("TZ", "XYZ-05:30", 1), 0);
  tzset();
  TempDir dir;
  ConfigState config;
  config.record.SetText(log_offsets::kLogDirectory, dir.path());
  config.record.SetByte(log_offsets::kFileLoggingOff, 0);
  config.record.SetNumber(log_offsets::kBufferSize, 4, 0);
  config.record.SetNumber(log_offsets::kRotationSize, 4, 0);
  config.record.SetByte(log_offsets::kTimeForm, 2);
  LockTable locks;
  PosixEnv env;
  LogWriter writer(env, SystemLogClock(env), locks);
  writer.Write({config.record, ""}, 0, 11, "SYSTEM", 1, "zoned");
  const std::vector<std::string> files = FilesBelow(dir.path());
  ASSERT_EQ(files.size(), 1u);
  const std::string line = LinesOf(dir.Read(files[0]))[0];
  EXPECT_TRUE(line.ends_with(" +0530 zoned")) << line;
}

TEST_F(LogWriterTest, RotationMovesOnPastFullFiles) {
  config_.record.SetNumber(log_offsets::kRotationSize, 4, 100);
  dir_.Write("logs/s20240305-00.log", std::string(150 * 1024, 'x'));
  Write(1, 0, "to file 01");
  EXPECT_EQ(Read("s20240305-00.log").size(), 150u * 1024) << "full file untouched";
  ASSERT_EQ(Lines("s20240305-01.log").size(), 1u);
  EXPECT_TRUE(Lines("s20240305-01.log")[0].ends_with("to file 01"));

  // A file of exactly the limit still takes lines; one past it does not.
  dir_.Write("logs/s20240305-01.log", std::string(100 * 1024 + 1023, 'y'));
  Write(1, 0, "still 01");
  EXPECT_TRUE(Read("s20240305-01.log").ends_with("still 01\r\n"));
  Write(1, 0, "now 02");
  EXPECT_TRUE(Read("s20240305-02.log").ends_with("now 02\r\n"));

  At({2024, 3, 6}, {0, 0, 1});
  Write(1, 0, "new day starts at 00");
  EXPECT_TRUE(Read("s20240306-00.log").ends_with("new day starts at 00\r\n"));
}

TEST_F(LogWriterTest, ErrorKindRotationRestartsEachDay) {
  config_.record.SetNumber(log_offsets::kRotationSize, 4, 1);
  dir_.Write("logs/e20240305-00.log", std::string(4096, 'x'));
  Write(0, 11, "day one");
  EXPECT_TRUE(dir_.Exists("logs/e20240305-01.log"));
  At({2024, 3, 6}, {0, 0, 1});
  Write(0, 11, "day two");
  EXPECT_TRUE(dir_.Exists("logs/e20240306-00.log"));
  EXPECT_FALSE(dir_.Exists("logs/e20240306-01.log"));
}

// 58 characters of line and CR LF: 60 bytes in the buffer.
constexpr std::string_view kMessage26 = "abcdefghijklmnopqrstuvwxyz";

TEST_F(LogWriterTest, BufferIsWrittenWhenFullOrByThreadZero) {
  config_.record.SetNumber(log_offsets::kBufferSize, 4, 1000);
  for (int i = 1; i <= 16; ++i) {
    Write(5, 0, kMessage26);
    ASSERT_FALSE(dir_.Exists("logs/s20240305.log")) << "after " << i << " lines";
  }
  Write(5, 0, kMessage26);
  const std::string flushed = Read("s20240305.log");
  EXPECT_EQ(flushed.size(), 17u * 60);
  EXPECT_EQ(LinesOf(flushed).size(), 17u);

  Write(5, 0, "waits in the buffer");
  EXPECT_EQ(Read("s20240305.log").size(), 17u * 60);
  Write(0, 0, "thread zero");
  const std::vector<std::string> lines = Lines("s20240305.log");
  ASSERT_EQ(lines.size(), 19u);
  EXPECT_TRUE(lines[17].ends_with("waits in the buffer"));
  EXPECT_TRUE(lines[18].ends_with("thread zero"));
}

TEST_F(LogWriterTest, BufferIsWrittenOnceItReachesTheSize) {
  // Buffer size and the line (of 60 bytes each) that writes the buffer.
  const std::pair<uint32_t, int> cases[] = {{1019, 17}, {1020, 17}, {1021, 18}, {60, 1}, {1, 1}};
  for (const auto& [size, written_by] : cases) {
    TempDir dir;
    config_.record.SetText(log_offsets::kLogDirectory, dir.path());
    config_.record.SetNumber(log_offsets::kBufferSize, 4, size);
    LogWriter writer(env_, std::make_unique<FakeClock>(*clock_), locks_);
    for (int i = 1; i < written_by; ++i) writer.Write(settings(), 5, 0, "SYSTEM", 1, kMessage26);
    EXPECT_FALSE(dir.Exists("s20240305.log")) << size;
    writer.Write(settings(), 5, 0, "SYSTEM", 1, kMessage26);
    EXPECT_EQ(dir.Read("s20240305.log").size(), written_by * 60u) << size;
  }
}

TEST_F(LogWriterTest, BuffersAreKeptPerKind) {
  config_.record.SetNumber(log_offsets::kBufferSize, 4, 1000);
  Write(5, 0, "smtp");
  Write(5, 1, "pop3");
  Write(0, 1, "pop3 flush");
  EXPECT_EQ(Files(), std::vector<std::string>{"p20240305.log"});
  Write(0, 0, "smtp flush");
  EXPECT_EQ(Lines("s20240305.log").size(), 2u);
}

TEST_F(LogWriterTest, ErrorKindIsNeverBuffered) {
  config_.record.SetNumber(log_offsets::kBufferSize, 4, 1000);
  Write(5, 11, "at once");
  EXPECT_EQ(Lines("e20240305.log").size(), 1u);
}

TEST_F(LogWriterTest, DayChangeWritesTheOldBufferIntoTheOldDaysFile) {
  config_.record.SetNumber(log_offsets::kBufferSize, 4, 1000);
  At({2024, 3, 5}, {23, 59, 58});
  Write(5, 0, "late one");
  Write(5, 0, "late two");
  EXPECT_TRUE(Files().empty());
  At({2024, 3, 6}, {0, 0, 2});
  Write(5, 0, "early");
  EXPECT_EQ(Files(), std::vector<std::string>{"s20240305.log"});
  const std::vector<std::string> old_day = Lines("s20240305.log");
  ASSERT_EQ(old_day.size(), 2u);
  EXPECT_TRUE(old_day[1].ends_with("23:59:58 late two"));
  Write(0, 0, "flush");
  EXPECT_EQ(Lines("s20240306.log").size(), 2u);
}

TEST_F(LogWriterTest, TurningBufferingOffWritesWhatIsHeldFirst) {
  config_.record.SetNumber(log_offsets::kBufferSize, 4, 1000);
  Write(5, 0, "held");
  config_.record.SetNumber(log_offsets::kBufferSize, 4, 0);
  Write(5, 0, "direct");
  const std::vector<std::string> lines = Lines("s20240305.log");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[0].ends_with("held"));
  EXPECT_TRUE(lines[1].ends_with("direct"));
}

TEST_F(LogWriterTest, HeldTextOfAnEarlierDayKeepsItsDayWhenBufferingStops) {
  config_.record.SetNumber(log_offsets::kBufferSize, 4, 1000);
  Write(5, 0, "monday");
  config_.record.SetNumber(log_offsets::kBufferSize, 4, 0);
  At({2024, 3, 6}, {8, 0, 0});
  Write(5, 0, "tuesday");
  EXPECT_TRUE(Read("s20240305.log").ends_with("monday\r\n"));
  EXPECT_EQ(Lines("s20240306.log").size(), 1u);
}

TEST_F(LogWriterTest, ConcurrentWritersKeepEveryLineWhole) {
  config_.record.SetNumber(log_offsets::kBufferSize, 4, 4096);
  constexpr int kThreads = 4;
  constexpr int kLines = 2000;
  std::vector<std::thread> threads;
  for (int t = 1; t <= kThreads; ++t) {
    threads.emplace_back([this, t] {
      for (int i = 0; i < kLines; ++i) {
        writer_.Write(settings(), static_cast<uint32_t>(t), 0, "SMTP", 1,
                      "thread " + std::to_string(t) + " line " + std::to_string(i));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  Write(0, 0, "end");
  const std::vector<std::string> lines = Lines("s20240305.log");
  ASSERT_EQ(lines.size(), size_t{kThreads * kLines + 1});
  std::vector<int> next(kThreads + 1, 0);
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    const std::string& line = lines[i];
    const int t = line[20] - '0';
    ASSERT_TRUE(t >= 1 && t <= kThreads) << line;
    EXPECT_EQ(line.substr(32),
              "thread " + std::to_string(t) + " line " + std::to_string(next[t]++));
  }
}

TEST_F(LogWriterTest, ChangeLogEntries) {
  struct Case {
    std::string actor, action, object;
    bool is_new;
    std::string text;
  };
  const Case cases[] = {
      {"admin", "", "example.org", true, "'admin' created 'example.org'"},
      {"", "", "example.org", false, "'System' updated 'example.org'"},
      {"web", "deleted", "jo@example.org", false, "'web' deleted 'jo@example.org'"},
  };
  for (const Case& c : cases) writer_.Change(settings(), c.actor, c.action, c.object, c.is_new);
  const std::vector<std::string> lines = Lines("maintenance/20240305.log");
  ASSERT_EQ(lines.size(), std::size(cases));
  char hex[16];
  std::snprintf(hex, sizeof hex, "%x", env_.CurrentThreadId());
  std::string id = hex;
  if (id.size() % 2 != 0) id.insert(0, "0");
  if (id.size() < 4) id.insert(0, 4 - id.size(), '0');
  for (size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], "SYSTEM          [" + id + "] 09:05:07 " + cases[i].text);
  }
}

TEST_F(LogWriterTest, ChangeLogOffWritesNothing) {
  config_.record.SetByte(log_offsets::kChangeLog, 0);
  writer_.Change(settings(), "admin", "", "example.org", true);
  EXPECT_TRUE(Files().empty());
}

TEST_F(LogWriterTest, ErrorEntries) {
  writer_.Error(settings(), "LoadLibrary", "/opt/tarvelin/db.dll", false, 2);
  writer_.Error(settings(), "Connect", "'a', 'b'", true, 13);
  errno = ENOENT;
  writer_.Error(settings(), "Open", "x", false, 0);
  const std::string program = env_.ProgramPath().value_or("");
  const std::vector<std::string> lines = Lines("e20240305.log");
  ASSERT_EQ(lines.size(), 3u);
  const std::string start = "SYSTEM          [0000] 09:05:07 " + program + " function ";
  EXPECT_EQ(lines[0],
            start + "LoadLibrary('/opt/tarvelin/db.dll') error 2 : " + SystemErrorText(2));
  EXPECT_EQ(lines[1], start + "Connect('a', 'b') error 13 : " + SystemErrorText(13));
  EXPECT_EQ(lines[2],
            start + "Open('x') error " + std::to_string(ENOENT) + " : " + SystemErrorText(ENOENT));
}

TEST_F(LogWriterTest, ErrorEntriesNeverShowPasswords) {
  writer_.Error(settings(), "DBConnect", "Driver=pg;Server=db;UID=mail;PWD=s3cret;Port=5432", false,
                1);
  const std::string content = Read("e20240305.log");
  EXPECT_EQ(content.find("s3cret"), std::string::npos) << content;
  EXPECT_NE(content.find("'Driver=pg;Server=db;UID=mail;PWD=*****;Port=5432'"), std::string::npos)
      << content;
}

TEST(LogPasswords, MaskedUpToTheNextItem) {
  const std::pair<std::string, std::string> cases[] = {
      {"host=db;password=abc;port=1", "host=db;password=*****;port=1"},
      {"Password=abc", "Password=*****"},
      {"PASSWD=a b c;x=1", "PASSWD=*****;x=1"},
      {"user=u;pwd=;db=d", "user=u;pwd=*****;db=d"},
      {"pwd = secret ; db=d", "pwd =*****; db=d"},
      {"PWD={a;b};db=d", "PWD=*****;db=d"},
      {"PWD={a;b", "PWD=*****"},
      {"pwd=1;Pwd=2;PASSWORD=3", "pwd=*****;Pwd=*****;PASSWORD=*****"},
      {"newpwd=x", "newpwd=*****"},
      {"password", "password"},
      {"passwords=x", "passwords=x"},
      {"no secrets here", "no secrets here"},
      {"", ""},
  };
  for (const auto& [text, masked] : cases) EXPECT_EQ(MaskPasswords(text), masked) << text;
}

// Standard error goes to a file for the lifetime of the object.
class CapturedStandardError {
 public:
  explicit CapturedStandardError(const std::string& path) {
    saved_ = dup(STDERR_FILENO);
    FILE* file = fopen(path.c_str(), "w");
    dup2(fileno(file), STDERR_FILENO);
    fclose(file);
  }
  ~CapturedStandardError() {
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }

 private:
  int saved_;
};

TEST_F(LogWriterTest, DebuggerOutputGoesToStandardError) {
  config_.record.SetByte(log_offsets::kDebugOutput, 1);
  config_.record.SetByte(log_offsets::kFileLoggingOff, 1);
  {
    CapturedStandardError capture(dir_.path() + "stderr.txt");
    Write(0x33, 0, "to the debugger\nnot this");
  }
  EXPECT_EQ(dir_.Read("stderr.txt"), "SYSTEM          [0033] 09:05:07 to the debugger\n");
  EXPECT_TRUE(Files().empty());
}

// A UDP socket on 127.0.0.1 that the test reads datagrams from.
class UdpReceiver {
 public:
  UdpReceiver() {
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    timeval timeout{5, 0};
    setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
  ~UdpReceiver() { close(fd_); }
  uint16_t port() const { return port_; }
  // The next datagram, or "<none>" after five seconds.
  std::string Receive() const {
    char buffer[2048];
    const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
    return n < 0 ? "<none>" : std::string(buffer, static_cast<size_t>(n));
  }

 private:
  int fd_;
  uint16_t port_ = 0;
};

TEST_F(LogWriterTest, SyslogGetsOneDatagramPerLine) {
  UdpReceiver receiver;
  config_.record.SetText(log_offsets::kHostName, "mx.example.org");
  config_.record.SetByte(log_offsets::kSyslogOn, 1);
  const std::string port = std::to_string(receiver.port());
  for (const std::string& address : {"127.0.0.1:" + port, "[127.0.0.1]:" + port}) {
    config_.record.SetText(log_offsets::kSyslogAddress, address);
    Write(0x1A2, 0, "via " + address + "\nsecond line");
    EXPECT_EQ(receiver.Receive(),
              "<3> Mar 05 09:05:07 mx.example.org SYSTEM          [01a2] 09:05:07 via " + address);
  }
  EXPECT_EQ(Lines("s20240305.log").size(), 2u) << "the file gets the lines too";
}

TEST_F(LogWriterTest, UnusableSyslogAddressesSendNothing) {
  UdpReceiver receiver;
  config_.record.SetByte(log_offsets::kSyslogOn, 1);
  for (const std::string address : {"", "127.0.0.1:notaport", "127.0.0.1:0", "[127.0.0.1"}) {
    config_.record.SetText(log_offsets::kSyslogAddress, address);
    Write(1, 0, "line");
  }
  config_.record.SetText(log_offsets::kSyslogAddress,
                         "127.0.0.1:" + std::to_string(receiver.port()));
  Write(1, 0, "the only datagram");
  EXPECT_TRUE(receiver.Receive().ends_with("the only datagram"));
  EXPECT_EQ(Lines("s20240305.log").size(), 5u);
}

TEST(LogFreeFunctions, UseTheSharedWriterAndTheLibrarysConfiguration) {
  TempDir dir;
  Context context;
  ServerConfig& record = context.config.record;
  record.SetText(log_offsets::kLogDirectory, dir.path());
  record.SetByte(log_offsets::kFileLoggingOff, 0);
  record.SetNumber(log_offsets::kBufferSize, 4, 0);
  record.SetNumber(log_offsets::kRotationSize, 4, 0);
  record.SetByte(log_offsets::kTimeForm, 1);
  record.SetByte(log_offsets::kChangeLog, 1);
  context.config.derived.file_name_tag = "t";
  WriteLog(context, 0, 13, "SYSTEM", 1, "plain entry");
  LogChange(context, "admin", "", "example.org", true);
  errno = EACCES;
  LogError(context, "CreateFile", "/x", false, 0);
  const std::vector<std::string> files = FilesBelow(dir.path());
  ASSERT_EQ(files.size(), 3u);
  EXPECT_TRUE(files[0].starts_with("dt") && files[0].ends_with(".log")) << files[0];
  EXPECT_TRUE(files[1].starts_with("et")) << files[1];
  EXPECT_TRUE(files[2].starts_with("maintenance/t")) << files[2];
  EXPECT_TRUE(LinesOf(dir.Read(files[0]))[0].ends_with(" plain entry"));
  EXPECT_NE(dir.Read(files[1]).find("error " + std::to_string(EACCES) + " : "), std::string::npos);
  EXPECT_TRUE(dir.Read(files[2]).ends_with(" 'admin' created 'example.org'\r\n"));
}

TEST_F(LogWriterTest, DatabaseEntriesWhenTheLogGoesToTheDatabase) {
  std::vector<DatabaseLogEntry> entries;
  writer_.SetDatabaseSink([&](const ServerConfig&, const DatabaseLogEntry& entry) {
    entries.push_back(entry);
  });
  config_.derived.file_name_tag = "node1";
  ServerConfig& record = config_.record;
  const struct {
    uint8_t database_log;  // setting 108
    uint8_t destination;   // setting 21
    bool written;
  } cases[] = {{1, 1, true}, {0, 1, false}, {1, 0, false}, {1, 2, false}};
  for (const auto& c : cases) {
    entries.clear();
    record.SetByte(3381, c.database_log);
    record.SetByte(255, c.destination);
    Write(0x1A2, 0, "first line\nsecond line", 1, "SMTP");
    Write(0x1A2, 0, "no source", 1, "");
    ASSERT_EQ(entries.size(), c.written ? 1u : 0u)
        << "108=" << int(c.database_log) << " 21=" << int(c.destination);
    if (!c.written) continue;
    const DatabaseLogEntry& entry = entries[0];
    EXPECT_EQ(entry.kind, 0);
    EXPECT_EQ(entry.entry_bits, 1u);
    EXPECT_EQ(entry.message, "first line");
    EXPECT_EQ(entry.time, "2024-03-05 09:05:07") << "always time form 1";
    EXPECT_EQ(entry.thread, "01a2") << "even digits, not padded to four";
    EXPECT_EQ(entry.source, "SMTP");
    EXPECT_EQ(entry.tag, "node1");
  }
  EXPECT_TRUE(Files().size() > 0) << "the files are written beside the database";
}

}  // namespace
}  // namespace tarvelin
