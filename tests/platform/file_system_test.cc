#include "platform/file_system.h"

#include "platform/posix/file_calls.h"
#include "platform/posix_env.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

namespace tarvelin {
namespace {

class FileSystemTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarvelin_fs_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  PosixEnv env_;

  // Written without the code under test.
  void Plant(const std::string& name, const std::string& content) const {
    std::ofstream(Path(name), std::ios::binary) << content;
  }

  std::vector<std::string> Names(const std::string& dir) const {
    std::vector<DirectoryEntry> entries;
    EXPECT_TRUE(ListDirectory(dir, &entries));
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    return names;
  }

  std::string Read(const std::string& name) const {
    std::string content;
    EXPECT_EQ(ReadFile(Path(name), &content), ReadResult::kOk) << name;
    return content;
  }

  std::string dir_;
};

TEST_F(FileSystemTest, AtomicWriteCreatesAndReplaces) {
  ASSERT_TRUE(WriteFileAtomic(env_, Path("users.cfg"), "first version").ok());
  EXPECT_EQ(Read("users.cfg"), "first version");
  ASSERT_TRUE(WriteFileAtomic(env_, Path("users.cfg"), "2nd").ok());
  EXPECT_EQ(Read("users.cfg"), "2nd");
  ASSERT_TRUE(WriteFileAtomic(env_, Path("users.cfg"), "").ok());
  EXPECT_EQ(Read("users.cfg"), "");
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"users.cfg"});
}

TEST_F(FileSystemTest, AtomicWriteFailureLeavesNothingBehind) {
  EXPECT_FALSE(WriteFileAtomic(env_, Path("missing/users.cfg"), "x").ok());
  EXPECT_FALSE(DirectoryExists(env_, Path("missing")));

  // A directory cannot be replaced by a file: the temporary file goes away.
  ASSERT_TRUE(env_.CreateDirectories(Path("taken")).ok());
  EXPECT_FALSE(WriteFileAtomic(env_, Path("taken"), "x").ok());
  EXPECT_TRUE(DirectoryExists(env_, Path("taken")));
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"taken"});
}

TEST_F(FileSystemTest, StampChangesOnEveryRewrite) {
  const std::string path = Path("domain.cfg");
  EXPECT_FALSE(GetFileStamp(path).exists);
  ASSERT_TRUE(WriteFileAtomic(env_, path, "same content").ok());
  const FileStamp first = GetFileStamp(path);
  ASSERT_TRUE(WriteFileAtomic(env_, path, "same content").ok());
  const FileStamp second = GetFileStamp(path);
  ASSERT_TRUE(WriteFileAtomic(env_, path, "same content").ok());
  const FileStamp third = GetFileStamp(path);

  EXPECT_TRUE(first.exists);
  EXPECT_EQ(first.size, 12);
  EXPECT_NE(first, second);
  EXPECT_NE(second, third);
  EXPECT_EQ(third, GetFileStamp(path));
}

TEST_F(FileSystemTest, ExistenceAndSize) {
  Plant("file", "12345");
  ASSERT_TRUE(env_.CreateDirectories(Path("dir")).ok());
  const struct {
    std::string path;
    bool file;
    bool directory;
    int64_t size;
  } cases[] = {
      {Path("file"), true, false, 5},
      {Path("dir"), false, true, -1},
      {Path("nothing"), false, false, -1},
      {Path("file/below"), false, false, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileExists(env_, c.path), c.file) << c.path;
    EXPECT_EQ(DirectoryExists(env_, c.path), c.directory) << c.path;
    EXPECT_EQ(FileSize(env_, c.path), c.size) << c.path;
  }
}

TEST_F(FileSystemTest, ReadResults) {
  std::string out = "stale";
  EXPECT_EQ(ReadFile(Path("nothing"), &out), ReadResult::kNotFound);
  EXPECT_EQ(out, "");
  EXPECT_EQ(ReadFile(Path("nothing/below"), &out), ReadResult::kNotFound);
  // Exists, yet cannot be read as a file.
  EXPECT_EQ(ReadFile(dir_, &out), ReadResult::kError);

  Plant("empty", "");
  EXPECT_EQ(ReadFile(Path("empty"), &out), ReadResult::kOk);
  EXPECT_EQ(out, "");
}

TEST_F(FileSystemTest, ReadsLargeFilesWhole) {
  std::string big(300000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  Plant("big", big);
  EXPECT_EQ(Read("big"), big);
}

TEST_F(FileSystemTest, ReadPrefixAndRange) {
  Plant("data", "0123456789");
  std::string out;
  const struct {
    size_t max;
    const char* expected;
  } prefixes[] = {{0, ""}, {4, "0123"}, {10, "0123456789"}, {100, "0123456789"}};
  for (const auto& c : prefixes) {
    ASSERT_EQ(ReadFilePrefix(Path("data"), c.max, &out), ReadResult::kOk);
    EXPECT_EQ(out, c.expected) << c.max;
  }

  const struct {
    int64_t offset;
    size_t length;
    const char* expected;
  } ranges[] = {{0, 3, "012"}, {4, 3, "456"}, {8, 5, "89"}, {10, 5, ""}, {50, 5, ""}};
  for (const auto& c : ranges) {
    ASSERT_EQ(ReadFileRange(Path("data"), c.offset, c.length, &out), ReadResult::kOk);
    EXPECT_EQ(out, c.expected) << c.offset;
  }
  EXPECT_EQ(ReadFileRange(Path("data"), -1, 3, &out), ReadResult::kError);
  EXPECT_EQ(ReadFileRange(Path("nothing"), 0, 3, &out), ReadResult::kNotFound);
  EXPECT_EQ(ReadFilePrefix(Path("nothing"), 3, &out), ReadResult::kNotFound);
}

TEST_F(FileSystemTest, CreateDirectoriesMakesAllParents) {
  EXPECT_TRUE(env_.CreateDirectories(Path("a/b/c")).ok());
  EXPECT_TRUE(DirectoryExists(env_, Path("a/b/c")));
  EXPECT_TRUE(env_.CreateDirectories(Path("a/b/c")).ok());  // already there
  EXPECT_TRUE(env_.CreateDirectories(Path("a//b2/")).ok());
  EXPECT_TRUE(DirectoryExists(env_, Path("a/b2")));

  Plant("file", "x");
  EXPECT_FALSE(env_.CreateDirectories(Path("file")).ok());
  EXPECT_FALSE(env_.CreateDirectories(Path("file/sub")).ok());
}

TEST_F(FileSystemTest, BackslashPathsAreMapped) {
  const std::string dir = dir_ + "\\mail\\domains";
  ASSERT_TRUE(env_.CreateDirectories(dir).ok());
  EXPECT_TRUE(DirectoryExists(env_, Path("mail/domains")));
  ASSERT_TRUE(WriteFileAtomic(env_, dir + "\\a.cfg", "abc").ok());
  EXPECT_EQ(Read("mail/domains/a.cfg"), "abc");
  EXPECT_TRUE(FileExists(env_, dir + "\\a.cfg"));
  EXPECT_EQ(FileSize(env_, dir + "\\a.cfg"), 3);
  EXPECT_TRUE(GetFileStamp(dir + "\\a.cfg").exists);
  std::string out;
  EXPECT_EQ(ReadFilePrefix(dir + "\\a.cfg", 2, &out), ReadResult::kOk);
  EXPECT_EQ(out, "ab");
  EXPECT_EQ(Names(dir), std::vector<std::string>{"a.cfg"});
  EXPECT_TRUE(RenamePath(dir + "\\a.cfg", dir + "\\b.cfg", false));
  EXPECT_TRUE(RemoveFile(dir + "\\b.cfg"));
  EXPECT_EQ(Names(dir), std::vector<std::string>{});
}

TEST_F(FileSystemTest, RenameRefusesToReplaceUnlessAsked) {
  Plant("from", "new");
  Plant("to", "old");
  EXPECT_FALSE(RenamePath(Path("from"), Path("to"), false));
  EXPECT_EQ(Read("from"), "new");
  EXPECT_EQ(Read("to"), "old");

  EXPECT_TRUE(RenamePath(Path("from"), Path("to"), true));
  EXPECT_EQ(Read("to"), "new");
  EXPECT_FALSE(FileExists(env_, Path("from")));

  EXPECT_TRUE(RenamePath(Path("to"), Path("free"), false));
  EXPECT_EQ(Read("free"), "new");
  EXPECT_FALSE(RenamePath(Path("gone"), Path("other"), false));
}

TEST_F(FileSystemTest, RemoveFile) {
  Plant("f", "x");
  EXPECT_TRUE(RemoveFile(Path("f")));
  EXPECT_FALSE(FileExists(env_, Path("f")));
  EXPECT_FALSE(RemoveFile(Path("f")));
}

TEST_F(FileSystemTest, ListDirectoryDescribesEntries) {
  Plant("one.dat", "12345");
  Plant(".hidden", "");
  ASSERT_TRUE(env_.CreateDirectories(Path("sub/deeper")).ok());
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(ListDirectory(dir_, &entries));
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, ".hidden");
  EXPECT_EQ(entries[1].name, "one.dat");
  EXPECT_FALSE(entries[1].is_directory);
  EXPECT_EQ(entries[1].size, 5);
  EXPECT_EQ(entries[1].mtime_ns, GetFileStamp(Path("one.dat")).mtime_ns);
  EXPECT_EQ(entries[2].name, "sub");
  EXPECT_TRUE(entries[2].is_directory);

  EXPECT_FALSE(ListDirectory(Path("nothing"), &entries));
  EXPECT_FALSE(ListDirectory(Path("one.dat"), &entries));
}

TEST_F(FileSystemTest, ListDirectoryKeepsDanglingLinks) {
  std::filesystem::create_symlink(Path("nowhere"), Path("link"));
  EXPECT_EQ(Names(dir_), std::vector<std::string>{"link"});
}

TEST_F(FileSystemTest, AppendCreatesTheFileButNotItsFolder) {
  ASSERT_TRUE(AppendToFile(env_, Path("a.log"), "one\r\n").ok());
  ASSERT_TRUE(AppendToFile(env_, Path("a.log"), "two\r\n").ok());
  ASSERT_TRUE(AppendToFile(env_, Path("a.log"), "").ok());
  EXPECT_EQ(Read("a.log"), "one\r\ntwo\r\n");
  EXPECT_FALSE(AppendToFile(env_, Path("missing/a.log"), "x").ok());
  EXPECT_FALSE(DirectoryExists(env_, Path("missing")));
  EXPECT_FALSE(AppendToFile(env_, dir_, "x").ok()) << "a directory";
}

TEST_F(FileSystemTest, ConcurrentAppendsNeverInterleave) {
  constexpr int kWriters = 4;
  constexpr int kLines = 500;
  constexpr size_t kLength = 3000;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([this, w] {
      const std::string line = std::string(kLength, static_cast<char>('a' + w)) + "\n";
      for (int i = 0; i < kLines; ++i) AppendToFile(env_, Path("shared.log"), line);
    });
  }
  for (std::thread& writer : writers) writer.join();
  const std::string content = Read("shared.log");
  ASSERT_EQ(content.size(), kWriters * kLines * (kLength + 1));
  for (size_t at = 0; at < content.size(); at += kLength + 1) {
    ASSERT_EQ(content.substr(at, kLength + 1), std::string(kLength, content[at]) + "\n") << at;
  }
}

}  // namespace
}  // namespace tarvelin
