// The crash guarantees of the helpers that write through an Env, played at
// every step: a FaultInjectionEnv crashes after 0, 1, 2, ... mutating
// operations and drops what was not synced, as a power failure may, and a
// plain PosixEnv then looks at what a restarted program would find.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/atomic_file_writer.h"
#include "platform/fault_injection_env.h"
#include "platform/file_system.h"
#include "platform/posix_env.h"
#include "platform/record_append.h"
#include "platform/replacement_file.h"
#include "support/temp_dir.h"

namespace tarvelin {
namespace {

namespace fs = std::filesystem;

class CrashPointsTest : public ::testing::Test {
 protected:
  // The folder is laid out anew before each run.
  std::string Folder() const { return dir_.path() + "folder/"; }
  std::string Path(std::string_view name) const { return Folder() + std::string(name); }

  void Lay(const std::vector<std::pair<std::string, std::string>>& files) const {
    fs::remove_all(Folder());
    fs::create_directory(Folder());
    for (const auto& [name, content] : files) dir_.Write("folder/" + name, content);
  }

  std::string Read(std::string_view name) {
    std::string content;
    EXPECT_TRUE(plain_.ReadFile(Path(name), &content).ok()) << name;
    return content;
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Folder())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  // Runs `operation` once per crash point until a run gets through without
  // reaching it; `check` sees each outcome. The number of runs.
  int64_t ForEachCrashPoint(const std::function<void()>& lay,
                            const std::function<void(Env&)>& operation,
                            const std::function<void(bool crashed)>& check) {
    constexpr int64_t kEnough = 100;  // no helper here takes this many steps
    for (int64_t point = 0; point < kEnough; ++point) {
      SCOPED_TRACE("crash after " + std::to_string(point) + " mutating operations");
      lay();
      bool crashed;
      {
        FaultInjectionEnv env(plain_);
        env.CrashAfter(point);
        operation(env);
        crashed = env.crashed();
        EXPECT_TRUE(env.DropUnsyncedData().ok());
      }
      check(crashed);
      if (!crashed) return point + 1;
    }
    ADD_FAILURE() << "never got through";
    return kEnough;
  }

  testing::TempDir dir_;
  PosixEnv plain_;
};

TEST_F(CrashPointsTest, WholeFileReplacementLeavesTheOldOrTheNewFile) {
  const std::string old_content = "old content, longer than the new";
  const std::string new_content = "new content";
  bool saw_old = false;
  const int64_t runs = ForEachCrashPoint(
      [&] { Lay({{"users.cfg", old_content}}); },
      [&](Env& env) { WriteFileAtomic(env, Path("users.cfg"), new_content); },
      [&](bool crashed) {
        const std::string content = Read("users.cfg");
        EXPECT_TRUE(content == old_content || content == new_content) << content;
        saw_old = saw_old || content == old_content;
        if (!crashed) {
          EXPECT_EQ(content, new_content);
          EXPECT_EQ(Names(), std::vector<std::string>{"users.cfg"}) << "no temporary file";
        }
      });
  EXPECT_TRUE(saw_old);
  EXPECT_GE(runs, 5) << "create, write, sync, rename and sync of the directory";
}

TEST_F(CrashPointsTest, ReplacementFileLeavesTheOldOrTheNewFile) {
  ForEachCrashPoint(
      [&] { Lay({{"users.cfg", "old"}}); },
      [&](Env& env) {
        ReplacementFile file(env);
        if (!file.OpenFile(Path("users.cfg.tmp"), Path("users.cfg")).ok()) return;
        file.Append("new ", 4);
        file.Append("content", 7);
        file.CommitFile();
      },
      [&](bool crashed) {
        const std::string content = Read("users.cfg");
        EXPECT_TRUE(content == "old" || content == "new content") << content;
        if (!crashed) {
          EXPECT_EQ(Names(), std::vector<std::string>{"users.cfg"});
        }
      });
}

TEST_F(CrashPointsTest, AtomicFileWriterLeavesTheOldOrTheNewFile) {
  ForEachCrashPoint(
      [&] { Lay({{"users.cfg", "old"}}); },
      [&](Env& env) {
        AtomicFileWriter writer(env);
        if (!writer.Open(Path("users.cfg"))) return;
        writer.Append("new ", 4);
        writer.Append("content", 7);
        writer.Commit();
      },
      [&](bool crashed) {
        const std::string content = Read("users.cfg");
        EXPECT_TRUE(content == "old" || content == "new content") << content;
        if (!crashed) {
          EXPECT_EQ(Names(), std::vector<std::string>{"users.cfg"});
        }
      });
}

// Two whole records and a torn one an earlier crash left; a crash anywhere
// leaves the two plus at most the new one, whole or torn, and the next
// append cuts what is torn.
TEST_F(CrashPointsTest, AppendRecordLeavesWholeRecordsAndATailTheNextAppendCuts) {
  const std::string old_records = "AAAAAAAABBBBBBBB";
  const std::string record = "NNNNNNNN";
  ForEachCrashPoint(
      [&] { Lay({{"users.dat", old_records + "CC"}}); },
      [&](Env& env) {
        FileStamp before, after;
        int64_t index = 0;
        AppendRecord(env, Path("users.dat"), record.data(), record.size(), &before, &after, &index);
      },
      [&](bool crashed) {
        const std::string content = Read("users.dat");
        const std::string whole = content.substr(0, content.size() - content.size() % 8);
        EXPECT_TRUE(whole == old_records || whole == old_records + record) << content;
        if (!crashed) {
          EXPECT_EQ(content, old_records + record);
        }

        FileStamp before, after;
        int64_t index = 0;
        ASSERT_TRUE(AppendRecord(plain_, Path("users.dat"), "ZZZZZZZZ", 8, &before, &after, &index).ok());
        EXPECT_EQ(Read("users.dat"), whole + "ZZZZZZZZ");
        EXPECT_EQ(index, static_cast<int64_t>(whole.size() / 8));
      });
}

// Failed writes, unlike crashes, let the helpers clean up: the target is as
// it was and no temporary file stays behind.
TEST_F(CrashPointsTest, FailedWritesLeaveTheTargetAndNoTemporaryFile) {
  const struct {
    const char* what;
    std::function<void(FaultInjectionEnv&, int64_t nth_write)> fault;
  } faults[] = {
      {"no space", [](FaultInjectionEnv& env, int64_t n) { env.FailWrite(n, ENOSPC); }},
      {"short write", [](FaultInjectionEnv& env, int64_t n) { env.ShortenWrite(n, 2, EIO); }},
  };
  for (const auto& fault : faults) {
    SCOPED_TRACE(fault.what);
    {
      Lay({{"users.cfg", "old"}});
      FaultInjectionEnv env(plain_);
      fault.fault(env, 2);
      ReplacementFile file(env);
      ASSERT_TRUE(file.OpenFile(Path("users.cfg.tmp"), Path("users.cfg")).ok());
      file.Append("new ", 4);
      EXPECT_FALSE(file.Append("content", 7).ok());
      const Status committed = file.CommitFile();
      EXPECT_EQ(committed.code(), StatusCode::kIOError);
      EXPECT_EQ(Read("users.cfg"), "old");
      EXPECT_EQ(Names(), std::vector<std::string>{"users.cfg"});
    }
    {
      Lay({{"users.cfg", "old"}});
      FaultInjectionEnv env(plain_);
      fault.fault(env, 2);
      AtomicFileWriter writer(env);
      ASSERT_TRUE(writer.Open(Path("users.cfg")));
      writer.Append("new ", 4);
      EXPECT_FALSE(writer.Append("content", 7));
      EXPECT_FALSE(writer.Commit());
      EXPECT_EQ(Read("users.cfg"), "old");
      EXPECT_EQ(Names(), std::vector<std::string>{"users.cfg"});
    }
    {
      Lay({{"users.cfg", "old"}});
      FaultInjectionEnv env(plain_);
      fault.fault(env, 1);  // the whole file goes out in one write
      EXPECT_FALSE(WriteFileAtomic(env, Path("users.cfg"), "new content").ok());
      EXPECT_EQ(Read("users.cfg"), "old");
      EXPECT_EQ(Names(), std::vector<std::string>{"users.cfg"});
    }
  }
}

TEST_F(CrashPointsTest, AFailedRecordWriteIsTakenBack) {
  Lay({{"users.dat", "AAAAAAAABBBBBBBBCC"}});
  FaultInjectionEnv env(plain_);
  env.ShortenWrite(1, 5, EIO);
  FileStamp before, after;
  int64_t index = -1;
  const Status appended = AppendRecord(env, Path("users.dat"), "NNNNNNNN", 8, &before, &after, &index);
  EXPECT_EQ(appended.sys_errno(), EIO);
  EXPECT_EQ(Read("users.dat"), "AAAAAAAABBBBBBBB") << "torn tail cut, the part written taken back";
  EXPECT_EQ(before.size, 18);
  EXPECT_EQ(index, -1);
}

}  // namespace
}  // namespace tarvelin
