// The remote-account exports as a management program calls them, with a
// fake POP3 service that records the reload commands.
#include "core/remote/remote_operations.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "schema/server_config.h"
#include "foundation/scramble.h"
#include "core/context.h"
#include "support/fake_service.h"
#include "support/installation.h"
#include "support/temp_dir.h"
#include "tarvelin/api.h"

namespace tarvelin {
namespace {

constexpr int32_t kSize = 1828;
using Record = std::array<uint8_t, kSize>;

// A record built by hand: a length-prefixed text at `offset`.
void PutTextAt(Record& record, int offset, const std::string& text) {
  record[offset] = static_cast<uint8_t>(text.size());
  std::memcpy(record.data() + offset + 1, text.data(), text.size());
}

Record Named(const std::string& host, const std::string& state_file = "") {
  Record record{};
  PutTextAt(record, 0, host);
  PutTextAt(record, 1312, state_file);
  return record;
}

std::string Host(const Record& record) {
  return std::string(reinterpret_cast<const char*>(record.data()) + 1, record[0]);
}

// remote.cfg bytes: each record scrambled on its own from key position 0.
std::string FileOf(std::vector<Record> records) {
  std::string bytes;
  for (Record& record : records) {
    ScrambleBytes(record.data(), record.size(), 0);
    bytes.append(reinterpret_cast<const char*>(record.data()), record.size());
  }
  return bytes;
}

const std::string kReload = CommandHex(4096, 1280, 0, 0);

class RemoteAccountsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("config/settings.cfg", testing::SettingsFileOf(ServerConfig()));
    dir_.Write("run/.keep", "");
    ASSERT_EQ(::Init(dir_.path().c_str()), 0);
  }
  void StartPop3() {
    pop3_ = std::make_unique<FakeService>(dir_.path() + "run/", "TarvelinPOP3");
    ASSERT_TRUE(pop3_->ready());
  }
  size_t Reloads() const {
    size_t count = 0;
    for (const std::string& request : pop3_->Requests()) count += request == kReload;
    EXPECT_EQ(count, pop3_->Requests().size()) << "only reload commands";
    return count;
  }
  Record Load(int32_t index) {
    Record record;
    record.fill(0xCC);
    EXPECT_EQ(::LoadRA(index, record.data(), kSize), kSize) << index;
    return record;
  }
  std::string RemoteFile() const { return dir_.Read("config/remote.cfg"); }

  testing::TempDir dir_;
  std::unique_ptr<FakeService> pop3_;
};

TEST(RemoteAccountsBeforeInit, AnswerMinusFive) {
  Record record{};
  EXPECT_EQ(::GetRACount(), -5);
  EXPECT_EQ(::LoadRA(0, record.data(), kSize), -5);
  EXPECT_EQ(::SaveRA(0, record.data(), kSize), -5);
  EXPECT_EQ(::AddRA(record.data(), kSize), -5);
  EXPECT_EQ(::DeleteRA(0), -5);
}

TEST_F(RemoteAccountsTest, MissingFileIsAnEmptyListAndAddCreatesIt) {
  Record record = Named("one.example");
  EXPECT_EQ(::GetRACount(), 0);
  EXPECT_EQ(::LoadRA(0, record.data(), kSize), -1);
  EXPECT_EQ(::AddRA(record.data(), kSize), 0);
  EXPECT_EQ(::GetRACount(), 1);
  EXPECT_EQ(Host(Load(0)), "one.example");
  dir_.Write("config/remote.cfg", "");
  EXPECT_EQ(::LoadRA(0, record.data(), kSize), -1) << "an empty file";
}

TEST_F(RemoteAccountsTest, FileIsByteForByteTheScrambledRecords) {
  // The record as the settings exports fill it ...
  Record built{};
  const auto set_text = [&](int32_t id, const std::string& text) {
    ASSERT_EQ(::SetRASetting(built.data(), kSize, id, text.data(), text.size()), 0) << id;
  };
  set_text(224, "pop.example.net");
  set_text(227, "alice");
  set_text(234, "s3cret");
  set_text(235, "example.org");
  set_text(244, "remote\\alice");
  const uint8_t imap = 1;
  ASSERT_EQ(::SetRASetting(built.data(), kSize, 245, &imap, 1), 0);
  const uint16_t port = 993;
  ASSERT_EQ(::SetRASetting(built.data(), kSize, 240, &port, 2), 0);
  const uint8_t schedule_flag = 1;
  ASSERT_EQ(::SetScheduleSetting(built.data() + 256, 284, 0, 0, &schedule_flag, 1), 0);
  std::array<uint8_t, 284> schedule{};
  ASSERT_EQ(::GetRASetting(built.data(), kSize, 246, schedule.data(), 284), 284);
  schedule[0] = 1;  // item count
  ASSERT_EQ(::SetRASetting(built.data(), kSize, 246, schedule.data(), 284), 0);

  // ... and the same record put together byte by byte.
  Record expected{};
  PutTextAt(expected, 0, "pop.example.net");
  PutTextAt(expected, 796, "alice");
  PutTextAt(expected, 1054, "s3cret");
  PutTextAt(expected, 1182, "example.org");
  PutTextAt(expected, 1312, "remote\\alice");
  expected[1050] = 1;
  expected[1274] = 993 & 0xFF;
  expected[1275] = 993 >> 8;
  expected[256] = 1;
  expected[258] = 1;
  EXPECT_EQ(built, expected);

  const Record second = Named("second.example");
  ASSERT_EQ(::AddRA(built.data(), kSize), 0);
  ASSERT_EQ(::AddRA(second.data(), kSize), 0);
  EXPECT_EQ(RemoteFile(), FileOf({expected, second}));
  EXPECT_EQ(Load(0), expected);
}

TEST_F(RemoteAccountsTest, SaveReplacesOrAppendsByPosition) {
  const Record a = Named("a"), b = Named("b"), c = Named("c");
  ASSERT_EQ(::AddRA(a.data(), kSize), 0);
  ASSERT_EQ(::SaveRA(1, b.data(), kSize), 0) << "the count appends";
  ASSERT_EQ(::SaveRA(-1, c.data(), kSize), 0) << "-1 appends";
  ASSERT_EQ(::SaveRA(0, c.data(), kSize), 0);
  EXPECT_EQ(RemoteFile(), FileOf({c, b, c}));
  EXPECT_EQ(::SaveRA(4, a.data(), kSize), -1) << "no hole past the end";
  EXPECT_EQ(::SaveRA(-2, a.data(), kSize), -1);
  EXPECT_EQ(RemoteFile(), FileOf({c, b, c}));
}

TEST_F(RemoteAccountsTest, LoadOutsideTheFileGivesAZeroRecord) {
  const Record a = Named("a"), b = Named("b");
  dir_.Write("config/remote.cfg", FileOf({a, b}));
  EXPECT_EQ(::GetRACount(), 2);
  EXPECT_EQ(Load(1), b);
  EXPECT_EQ(Load(5), Record{});
  EXPECT_EQ(Load(-1), Record{});
}

TEST_F(RemoteAccountsTest, TrailingPartialRecordIsNotCountedAndGivesWayToAnAppend) {
  const Record a = Named("a"), b = Named("b");
  dir_.Write("config/remote.cfg", FileOf({a}) + std::string(100, 'z'));
  EXPECT_EQ(::GetRACount(), 1);
  ASSERT_EQ(::AddRA(b.data(), kSize), 0);
  EXPECT_EQ(RemoteFile(), FileOf({a, b}));
}

TEST_F(RemoteAccountsTest, ShortBuffersAndRecordsAreRefused) {
  Record record = Named("a");
  EXPECT_EQ(::LoadRA(0, record.data(), kSize - 1), -3);
  EXPECT_EQ(::LoadRA(0, nullptr, kSize), -3);
  EXPECT_EQ(::SaveRA(0, record.data(), kSize - 1), -3);
  EXPECT_EQ(::AddRA(record.data(), 0), -3);
  EXPECT_EQ(::AddRA(nullptr, kSize), -3);
  uint8_t flag;
  EXPECT_EQ(::GetRASetting(record.data(), kSize - 1, 228, &flag, 1), -3);
  EXPECT_EQ(::SetRASetting(record.data(), kSize - 1, 228, &flag, 1), -3);
  EXPECT_EQ(::GetRASetting(nullptr, kSize, 228, &flag, 1), -3);
  EXPECT_FALSE(dir_.Exists("config/remote.cfg"));
}

TEST_F(RemoteAccountsTest, DeleteRemovesTheRecordAndItsStateFiles) {
  const Record a = Named("a", "state\\a"), b = Named("b", "state\\b"), c = Named("c");
  dir_.Write("config/remote.cfg", FileOf({a, b, c}));
  for (const char* name : {"a", "a.hdr", "a.dom", "a.rt", "a.other", "b", "b.hdr"}) {
    dir_.Write(std::string("config/state/") + name, "x");
  }
  ASSERT_EQ(::DeleteRA(0), 0);
  EXPECT_EQ(::GetRACount(), 2);
  EXPECT_EQ(Host(Load(0)), "b") << "the former second is first";
  EXPECT_EQ(RemoteFile(), FileOf({b, c}));
  for (const char* gone : {"a", "a.hdr", "a.dom", "a.rt"}) {
    EXPECT_FALSE(dir_.Exists(std::string("config/state/") + gone)) << gone;
  }
  for (const char* kept : {"a.other", "b", "b.hdr"}) {
    EXPECT_TRUE(dir_.Exists(std::string("config/state/") + kept)) << kept;
  }
  EXPECT_FALSE(dir_.Exists("config/remote.cfg.tmp"));
}

TEST_F(RemoteAccountsTest, DeleteOutsideTheFileRemovesNothing) {
  const Record a = Named("a"), b = Named("b");
  dir_.Write("config/remote.cfg", FileOf({a, b}));
  EXPECT_EQ(::DeleteRA(2), 0);
  EXPECT_EQ(::DeleteRA(-1), 0);
  EXPECT_EQ(RemoteFile(), FileOf({a, b}));
  EXPECT_EQ(::DeleteRA(0), 0);
  EXPECT_EQ(::DeleteRA(0), 0);
  EXPECT_EQ(::DeleteRA(0), 0) << "an empty file is still there";
  EXPECT_EQ(RemoteFile(), "");
}

TEST_F(RemoteAccountsTest, DeleteWithoutRemoteCfgFails) { EXPECT_EQ(::DeleteRA(0), -1); }

TEST_F(RemoteAccountsTest, DeleteLeavesFilesOutsideTheConfigurationFolder) {
  const Record climbing = Named("a", "..\\victim");
  const Record absolute = Named("b", dir_.path() + "data/state");
  dir_.Write("config/remote.cfg", FileOf({climbing, absolute}));
  dir_.Write("victim", "x");
  dir_.Write("victim.rt", "x");
  dir_.Write("data/state", "x");
  dir_.Write("data/state.dom", "x");
  ASSERT_EQ(::DeleteRA(0), 0);
  EXPECT_TRUE(dir_.Exists("victim"));
  EXPECT_TRUE(dir_.Exists("victim.rt"));
  ASSERT_EQ(::DeleteRA(0), 0);
  EXPECT_FALSE(dir_.Exists("data/state")) << "an absolute name the record holds";
  EXPECT_FALSE(dir_.Exists("data/state.dom"));
}

TEST_F(RemoteAccountsTest, EveryChangeTellsPop3ToReload) {
  StartPop3();
  const Record a = Named("a");
  ASSERT_EQ(::AddRA(a.data(), kSize), 0);
  ASSERT_EQ(::SaveRA(0, a.data(), kSize), 0);
  ASSERT_EQ(::DeleteRA(0), 0);
  EXPECT_EQ(Reloads(), 3u);
  EXPECT_EQ(::DeleteRA(0), 0) << "nothing left to delete";
  EXPECT_EQ(Reloads(), 4u);
  // Reads and record settings tell nobody.
  Record record = a;
  ::GetRACount();
  ::LoadRA(0, record.data(), kSize);
  ::SetRASetting(record.data(), kSize, 224, "x", 1);
  EXPECT_EQ(Reloads(), 4u);
}

TEST_F(RemoteAccountsTest, FailedWritesStillTellPop3AndChangeNothing) {
  StartPop3();
  const Record a = Named("a", "state"), b = Named("b");
  const std::string before = FileOf({a});
  dir_.Write("config/remote.cfg", before);
  dir_.Write("config/state", "x");
  dir_.Write("config/remote.cfg.tmp/blocked", "");  // the replacement cannot be made
  EXPECT_EQ(::AddRA(b.data(), kSize), -1);
  EXPECT_EQ(::SaveRA(0, b.data(), kSize), -1);
  EXPECT_EQ(::DeleteRA(0), -1);
  EXPECT_EQ(::SaveRA(7, b.data(), kSize), -1) << "a position past the end";
  EXPECT_EQ(Reloads(), 4u);
  EXPECT_EQ(RemoteFile(), before);
  EXPECT_TRUE(dir_.Exists("config/state")) << "the account still needs its state";
}

TEST_F(RemoteAccountsTest, RefusedBuffersSendNothing) {
  StartPop3();
  const Record a = Named("a");
  EXPECT_EQ(::AddRA(a.data(), 10), -3);
  EXPECT_EQ(::SaveRA(0, a.data(), 10), -3);
  EXPECT_EQ(Reloads(), 0u);
}

}  // namespace
}  // namespace tarvelin
