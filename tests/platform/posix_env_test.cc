#include "platform/posix_env.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/temp_dir.h"

namespace tarvelin {
namespace {

using testing::TempDir;

class PosixEnvTest : public ::testing::Test {
 protected:
  std::string Path(std::string_view name) const { return dir_.path() + std::string(name); }

  // Content through the Env under test.
  std::string Read(std::string_view name) {
    std::string content;
    const Status status = env_.ReadFile(Path(name), &content);
    EXPECT_TRUE(status.ok()) << status.ToString();
    return content;
  }

  // A new version renamed over the old one, as the writers of the library do.
  void Replace(std::string_view name, std::string_view content) {
    Result<TempFile> temp = env_.NewTempFile(Path(name) + ".tmp.");
    ASSERT_TRUE(temp.ok());
    ASSERT_TRUE(temp->file->Append(content).ok());
    ASSERT_TRUE(temp->file->Close().ok());
    ASSERT_TRUE(env_.RenameFile(temp->path, Path(name), /*replace=*/true).ok());
  }

  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir_;
  PosixEnv env_;
};

// A refusal of the Env: what the call was, what status and error number it
// must give, and that it changed nothing a test can see.
struct Refusal {
  const char* what;
  std::function<Status(Env&, const std::string& dir)> call;
  StatusCode code;
  int sys_errno;  // 0 where the kind of status says it all
};

TEST_F(PosixEnvTest, RefusalsNameTheirKindAndErrorNumber) {
  dir_.Write("users.cfg", "old");
  dir_.Write("other.cfg", "other");
  dir_.Write("full/entry", "x");
  std::filesystem::create_symlink(Path("users.cfg"), Path("link.cfg"));
  std::string out;
  const std::vector<Refusal> refusals = {
      {"read of a missing file",
       [&](Env& env, const std::string& d) { return env.ReadFile(d + "missing", &out); },
       StatusCode::kNotFound, 0},
      {"read below a file",
       [&](Env& env, const std::string& d) { return env.ReadFilePrefix(d + "users.cfg/x", 4, &out); },
       StatusCode::kNotFound, 0},
      {"read of a directory",
       [&](Env& env, const std::string& d) { return env.ReadFile(d + "full", &out); },
       StatusCode::kIOError, EISDIR},
      {"read at a negative offset",
       [&](Env& env, const std::string& d) { return env.ReadFileRange(d + "users.cfg", -1, 1, &out); },
       StatusCode::kInvalidArgument, 0},
      {"random access to a missing file",
       [](Env& env, const std::string& d) { return env.NewReadableFile(d + "missing").status(); },
       StatusCode::kNotFound, 0},
      {"random access to a directory",
       [](Env& env, const std::string& d) { return env.NewReadableFile(d + "full").status(); },
       StatusCode::kInvalidArgument, 0},
      {"exclusive create of an existing file",
       [](Env& env, const std::string& d) {
         return env.NewWritableFile(d + "users.cfg", WriteMode::kCreateNew).status();
       },
       StatusCode::kAlreadyExists, 0},
      {"update of a missing file",
       [](Env& env, const std::string& d) {
         return env.NewWritableFile(d + "missing", WriteMode::kUpdate).status();
       },
       StatusCode::kNotFound, 0},
      {"update through a link",
       [](Env& env, const std::string& d) {
         return env.NewWritableFile(d + "link.cfg", WriteMode::kUpdate).status();
       },
       StatusCode::kIOError, ELOOP},
      {"update of a directory",
       [](Env& env, const std::string& d) {
         return env.NewWritableFile(d + "full", WriteMode::kUpdate).status();
       },
       StatusCode::kIOError, EISDIR},
      {"rename without replace onto a file",
       [](Env& env, const std::string& d) {
         return env.RenameFile(d + "other.cfg", d + "users.cfg", /*replace=*/false);
       },
       StatusCode::kAlreadyExists, 0},
      {"rename of a missing file",
       [](Env& env, const std::string& d) {
         return env.RenameFile(d + "missing", d + "new.cfg", /*replace=*/true);
       },
       StatusCode::kNotFound, 0},
      {"time of a missing file",
       [](Env& env, const std::string& d) { return env.SetModificationTime(d + "missing", 0); },
       StatusCode::kNotFound, 0},
      {"removal of a missing file",
       [](Env& env, const std::string& d) { return env.RemoveFile(d + "missing"); },
       StatusCode::kNotFound, 0},
      {"removal of a full directory",
       [](Env& env, const std::string& d) { return env.RemoveDirectory(d + "full"); },
       StatusCode::kIOError, ENOTEMPTY},
      {"directory where a file is",
       [](Env& env, const std::string& d) { return env.CreateDirectories(d + "users.cfg/sub"); },
       StatusCode::kIOError, ENOTDIR},
      {"listing of a missing directory",
       [](Env& env, const std::string& d) {
         std::vector<DirectoryEntry> entries;
         return env.ListDirectory(d + "missing", &entries);
       },
       StatusCode::kNotFound, 0},
      {"directory opened through a link without following it",
       [](Env& env, const std::string& d) {
         return env.OpenDirectory(d + "link.cfg", Links::kNoFollow).status();
       },
       StatusCode::kNotFound, 0},
      {"stat of a missing path",
       [](Env& env, const std::string& d) {
         return env.GetPathInfo(d + "missing", Links::kNoFollow).status();
       },
       StatusCode::kNotFound, 0},
      {"lock of a missing path",
       [](Env& env, const std::string& d) { return env.LockExclusive(d + "missing").status(); },
       StatusCode::kNotFound, 0},
      {"sync of a missing directory",
       [](Env& env, const std::string& d) { return env.SyncDirectory(d + "missing"); },
       StatusCode::kNotFound, 0},
  };
  const std::vector<std::string> before = Names();
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.what);
    const Status status = refusal.call(env_, dir_.path());
    EXPECT_EQ(status.code(), refusal.code) << status.ToString();
    if (refusal.sys_errno != 0) {
      EXPECT_EQ(status.sys_errno(), refusal.sys_errno);
    }
    EXPECT_NE(status.message().find(dir_.path()), std::string::npos)
        << "the message names the path: " << status.message();
  }
  EXPECT_EQ(Names(), before);
  EXPECT_EQ(dir_.Read("users.cfg"), "old");
  EXPECT_EQ(dir_.Read("other.cfg"), "other");
}

TEST_F(PosixEnvTest, StampsTellVersionsApart) {
  Result<FileStamp> missing = env_.GetFileStamp(Path("users.cfg"));
  ASSERT_TRUE(missing.ok()) << "a missing file is no failure";
  EXPECT_FALSE(missing->exists);

  std::vector<FileStamp> seen;
  for (const char* content : {"first", "2nd..", "2nd.."}) {
    Replace("users.cfg", content);
    Result<FileStamp> stamp = env_.GetFileStamp(Path("users.cfg"));
    ASSERT_TRUE(stamp.ok());
    EXPECT_TRUE(stamp->exists);
    for (const FileStamp& earlier : seen) {
      EXPECT_NE(*stamp, earlier) << "a rewrite within the same second, even of equal size";
    }
    seen.push_back(*stamp);
  }
  EXPECT_EQ(*env_.GetFileStamp(Path("users.cfg")), seen.back()) << "unchanged";
  Result<PathInfo> info = env_.GetPathInfo(Path("users.cfg"), Links::kFollow);
  ASSERT_TRUE(info.ok());
  EXPECT_EQ(info->stamp(), seen.back());
  EXPECT_EQ(info->kind, FileKind::kRegular);
}

TEST_F(PosixEnvTest, ReadsWholePrefixAndRange) {
  dir_.Write("f", "0123456789");
  std::string out = "stale";
  ASSERT_TRUE(env_.ReadFile(Path("f"), &out).ok());
  EXPECT_EQ(out, "0123456789");
  ASSERT_TRUE(env_.ReadFilePrefix(Path("f"), 4, &out).ok());
  EXPECT_EQ(out, "0123");
  ASSERT_TRUE(env_.ReadFileRange(Path("f"), 7, 10, &out).ok());
  EXPECT_EQ(out, "789") << "fewer at the end";
  ASSERT_TRUE(env_.ReadFileRange(Path("f"), 20, 10, &out).ok());
  EXPECT_EQ(out, "");
}

TEST_F(PosixEnvTest, ReadsAPipeFromItsStartToItsEnd) {
  // More than one read chunk, from a writer that is still writing.
  std::string data;
  for (int i = 0; data.size() < 200000; ++i) data += "line " + std::to_string(i) + "\n";
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  std::thread writer([&] {
    for (size_t at = 0; at < data.size(); at += 1000) {
      if (::write(ends[1], data.data() + at, std::min<size_t>(1000, data.size() - at)) <= 0) break;
    }
    ::close(ends[1]);
  });
  const std::string path = "/proc/self/fd/" + std::to_string(ends[0]);
  std::string out;
  const Status read = env_.ReadFile(path, &out);
  writer.join();
  ::close(ends[0]);
  ASSERT_TRUE(read.ok()) << read.ToString();
  EXPECT_EQ(out, data);

  ASSERT_EQ(::pipe(ends), 0);
  ::close(ends[1]);
  EXPECT_FALSE(env_.ReadFileRange("/proc/self/fd/" + std::to_string(ends[0]), 5, 10, &out).ok())
      << "a pipe has no offsets";
  ::close(ends[0]);
}

TEST_F(PosixEnvTest, ReadableFileKeepsTheVersionItOpened) {
  dir_.Write("users.cfg", "old version");
  Result<std::unique_ptr<ReadableFile>> file = env_.NewReadableFile(Path("users.cfg"));
  ASSERT_TRUE(file.ok());
  EXPECT_EQ((*file)->stamp(), *env_.GetFileStamp(Path("users.cfg")));
  Replace("users.cfg", "new");
  char buffer[16] = {};
  Result<size_t> got = (*file)->ReadAt(4, buffer, sizeof buffer);
  ASSERT_TRUE(got.ok());
  EXPECT_EQ(std::string(buffer, *got), "version");
  EXPECT_EQ((*file)->ReadAt(-1, buffer, 1).status().code(), StatusCode::kInvalidArgument);
}

TEST_F(PosixEnvTest, WriteModes) {
  dir_.Write("log", "start;");
  {
    Result<std::unique_ptr<WritableFile>> log = env_.NewWritableFile(Path("log"), WriteMode::kAppend);
    ASSERT_TRUE(log.ok());
    dir_.Write("log", "replaced by another writer;");
    ASSERT_TRUE((*log)->Append("appended").ok());
    EXPECT_EQ((*log)->WriteAt(0, "x").code(), StatusCode::kInvalidArgument)
        << "an offset means nothing to an appending file";
    ASSERT_TRUE((*log)->Close().ok());
  }
  EXPECT_EQ(Read("log"), "replaced by another writer;appended") << "lands at the end as it is";

  Result<std::unique_ptr<WritableFile>> file = env_.NewWritableFile(Path("log"), WriteMode::kTruncate);
  ASSERT_TRUE(file.ok());
  EXPECT_EQ(Read("log"), "");
  ASSERT_TRUE((*file)->Append("abcdef").ok());
  ASSERT_TRUE((*file)->WriteAt(1, "XY").ok());
  ASSERT_TRUE((*file)->Append("gh").ok()) << "WriteAt leaves the position of Append";
  ASSERT_TRUE((*file)->Sync().ok());
  EXPECT_EQ(Read("log"), "aXYdefgh");
  ASSERT_TRUE((*file)->Truncate(3).ok());
  Result<PathInfo> info = (*file)->GetInfo();
  ASSERT_TRUE(info.ok());
  EXPECT_EQ(info->size, 3);
  ASSERT_TRUE((*file)->Close().ok());
  EXPECT_FALSE((*file)->Close().ok()) << "closed once";
  EXPECT_FALSE((*file)->Append("x").ok());

  Result<std::unique_ptr<WritableFile>> update = env_.NewWritableFile(Path("log"), WriteMode::kUpdate);
  ASSERT_TRUE(update.ok());
  ASSERT_TRUE((*update)->WriteAt(3, "dd").ok());
  EXPECT_EQ(Read("log"), "aXYdd");
}

// The name format is "<prefix><pid>.<nonce>.<n>": a taken next name is
// skipped, never opened.
TEST_F(PosixEnvTest, TemporaryFilesAreNewAndApartBetweenInstances) {
  PosixEnv other;
  Result<TempFile> first = env_.NewTempFile(Path("users.cfg.tmp."));
  Result<TempFile> second = other.NewTempFile(Path("users.cfg.tmp."));
  ASSERT_TRUE(first.ok() && second.ok());
  EXPECT_NE(first->path, second->path);
  EXPECT_TRUE(first->path.starts_with(Path("users.cfg.tmp." + std::to_string(getpid()) + ".")));

  ASSERT_TRUE(first->path.ends_with(".0"));
  const std::string next = first->path.substr(0, first->path.size() - 1) + "1";
  dir_.Write(next.substr(dir_.path().size()), "a crash's leftover");
  Result<TempFile> third = env_.NewTempFile(Path("users.cfg.tmp."));
  ASSERT_TRUE(third.ok());
  EXPECT_NE(third->path, next);
  EXPECT_EQ(dir_.Read(next.substr(dir_.path().size())), "a crash's leftover");
  EXPECT_EQ(Names().size(), 4u);
}

TEST_F(PosixEnvTest, RenameReplacesOnlyWhenAsked) {
  dir_.Write("a", "A");
  dir_.Write("b", "B");
  ASSERT_TRUE(env_.RenameFile(Path("a"), Path("c"), /*replace=*/false).ok());
  ASSERT_TRUE(env_.RenameFile(Path("c"), Path("b"), /*replace=*/true).ok());
  EXPECT_EQ(Names(), std::vector<std::string>{"b"});
  EXPECT_EQ(Read("b"), "A");
}

TEST_F(PosixEnvTest, ModificationTimeIsSetToTheNanosecond) {
  dir_.Write("a", "A");
  for (const int64_t when : {int64_t{1234567890123456789}, int64_t{-1500000000}}) {
    ASSERT_TRUE(env_.SetModificationTime(Path("a"), when).ok());
    Result<PathInfo> info = env_.GetPathInfo(Path("a"), Links::kFollow);
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info->mtime_ns, when);
  }
  EXPECT_EQ(Read("a"), "A");
}

TEST_F(PosixEnvTest, PathInfoFollowsLinksOnlyWhenAsked) {
  dir_.Write("dir/file", "12345");
  std::filesystem::create_directory_symlink(Path("dir"), Path("dir-link"));
  std::filesystem::create_symlink(Path("gone"), Path("dangling"));
  const struct {
    const char* name;
    Links links;
    FileKind kind;
  } cases[] = {
      {"dir", Links::kNoFollow, FileKind::kDirectory},
      {"dir-link", Links::kFollow, FileKind::kDirectory},
      {"dir-link", Links::kNoFollow, FileKind::kLink},
      {"dangling", Links::kNoFollow, FileKind::kLink},
      {"dir/file", Links::kFollow, FileKind::kRegular},
  };
  for (const auto& c : cases) {
    Result<PathInfo> info = env_.GetPathInfo(Path(c.name), c.links);
    ASSERT_TRUE(info.ok()) << c.name;
    EXPECT_EQ(info->kind, c.kind) << c.name;
  }
  EXPECT_EQ(env_.GetPathInfo(Path("dir-link"), Links::kFollow)->identity(),
            env_.GetPathInfo(Path("dir"), Links::kFollow)->identity());
}

TEST_F(PosixEnvTest, DirectoriesListAndRemoveByName) {
  ASSERT_TRUE(env_.CreateDirectories(Path("a/b/c")).ok());
  ASSERT_TRUE(env_.CreateDirectories(Path("a/b/c")).ok()) << "an existing directory is fine";
  dir_.Write("a/file", "12");
  std::filesystem::create_directory_symlink(Path("a/b"), Path("a/link"));

  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(env_.ListDirectory(Path("a"), &entries).ok());
  EXPECT_EQ(entries.size(), 3u);

  Result<std::unique_ptr<Directory>> a = env_.OpenDirectory(Path("a"), Links::kNoFollow);
  ASSERT_TRUE(a.ok());
  std::vector<std::string> names;
  ASSERT_TRUE((*a)->ListNames(&names).ok());
  ASSERT_TRUE((*a)->ListNames(&names).ok()) << "a second listing starts over";
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"b", "file", "link"}));
  EXPECT_EQ((*a)->GetInfoOf("file", Links::kNoFollow)->size, 2);
  EXPECT_EQ((*a)->OpenChild("link").status().code(), StatusCode::kNotFound)
      << "a link to a directory is no directory";
  Result<std::unique_ptr<Directory>> b = (*a)->OpenChild("b");
  ASSERT_TRUE(b.ok());
  ASSERT_TRUE((*b)->RemoveEntry("c", /*is_directory=*/true).ok());
  ASSERT_TRUE((*a)->RemoveEntry("link", /*is_directory=*/false).ok());
  EXPECT_TRUE(dir_.Exists("a/b"));
  EXPECT_FALSE(dir_.Exists("a/b/c"));
  EXPECT_FALSE(dir_.Exists("a/link"));
  ASSERT_TRUE(env_.SyncDirectory(Path("a")).ok());
  ASSERT_TRUE(env_.SyncFileSystem(Path("a")).ok());
  ASSERT_TRUE(env_.RemoveDirectory(Path("a/b")).ok());
}

TEST_F(PosixEnvTest, LocksOfOneProcessExcludeEachOther) {
  Result<std::unique_ptr<FileLock>> held = env_.LockExclusive(dir_.path());
  ASSERT_TRUE(held.ok());
  std::atomic<bool> released{false};
  std::atomic<bool> waited{false};
  std::thread other([&] {
    PosixEnv env;
    Result<std::unique_ptr<FileLock>> lock = env.LockExclusive(dir_.path());
    waited = lock.ok() && released;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  released = true;
  held->reset();
  other.join();
  EXPECT_TRUE(waited);
}

TEST_F(PosixEnvTest, ClocksAgree) {
  const int64_t seconds = env_.NowUnixSeconds();
  const int64_t nanos = env_.NowUnixNanos();
  EXPECT_LE(std::abs(nanos / 1000000000 - seconds), 1);
  const LocalTime local = env_.LocalTimeOf(seconds);
  const CivilDateTime now = env_.NowLocal();
  EXPECT_EQ(local.when.date.year, now.date.year);
  const int64_t start = env_.NowMonotonicSeconds();
  const int64_t start_micros = env_.NowMonotonicMicros();
  env_.SleepForMicroseconds(1000);
  EXPECT_GE(env_.NowMonotonicSeconds(), start);
  EXPECT_GE(env_.NowMonotonicMicros() - start_micros, 1000);
  // Four draws that are all equal mean the generator is not being asked.
  const uint32_t first = env_.RandomUint32();
  bool differs = false;
  for (int i = 0; i < 3; ++i) differs = differs || env_.RandomUint32() != first;
  EXPECT_TRUE(differs);
}

TEST_F(PosixEnvTest, ThisProcessAndOthers) {
  ASSERT_EQ(setenv("TARVELIN_ENV_TEST", "value", 1), 0);
  EXPECT_EQ(env_.GetVariable("TARVELIN_ENV_TEST"), "value");
  unsetenv("TARVELIN_ENV_TEST");
  EXPECT_EQ(env_.GetVariable("TARVELIN_ENV_TEST"), "");
  EXPECT_EQ(env_.CurrentThreadId(), static_cast<uint32_t>(gettid()));

  Result<std::string> program = env_.ProgramPath();
  ASSERT_TRUE(program.ok());
  EXPECT_EQ(*program, std::filesystem::read_symlink("/proc/self/exe").string());
  EXPECT_EQ(*env_.ProcessProgram(getpid()), *program);
  EXPECT_TRUE(env_.ProcessRunning(getpid()));

  // 0 and -1 would signal a whole group or every process.
  for (const int64_t pid : {int64_t{0}, int64_t{-1}, int64_t{1} << 40}) {
    EXPECT_EQ(env_.KillProcess(pid).code(), StatusCode::kInvalidArgument) << pid;
    EXPECT_EQ(env_.TerminateProcess(pid).code(), StatusCode::kInvalidArgument) << pid;
    EXPECT_EQ(env_.ProcessProgram(pid).status().code(), StatusCode::kInvalidArgument) << pid;
  }
  const Status spawned = env_.SpawnDetached(Path("no-such-program"), dir_.path());
  EXPECT_EQ(spawned.code(), StatusCode::kIOError);
  EXPECT_EQ(spawned.sys_errno(), ENOENT) << "the child's reason comes back";
}

// A listener on a Unix socket below the test directory.
class Listener {
 public:
  explicit Listener(const std::string& path) {
    fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    bound_ = bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
             listen(fd_, 4) == 0;
  }
  ~Listener() { close(fd_); }
  bool bound() const { return bound_; }
  int Accept() const { return accept(fd_, nullptr, nullptr); }

 private:
  int fd_ = -1;
  bool bound_ = false;
};

TEST_F(PosixEnvTest, UnixStreamTimesOutAndSeesTheEnd) {
  EXPECT_EQ(env_.ConnectUnixStream(Path("no-socket")).status().sys_errno(), ENOENT);
  EXPECT_EQ(env_.ConnectUnixStream("").status().code(), StatusCode::kInvalidArgument);

  Listener listener(Path("s"));
  ASSERT_TRUE(listener.bound());
  Result<std::unique_ptr<StreamSocket>> socket = env_.ConnectUnixStream(Path("s"));
  ASSERT_TRUE(socket.ok()) << socket.status().ToString();
  const int peer = listener.Accept();
  ASSERT_GE(peer, 0);

  char buffer[8] = {};
  const Status waited = (*socket)->ReadSome(buffer, sizeof buffer, 20).status();
  EXPECT_EQ(waited.sys_errno(), ETIMEDOUT);

  ASSERT_TRUE((*socket)->WriteAll("ping", 4).ok());
  char got[4];
  ASSERT_EQ(read(peer, got, 4), 4);
  ASSERT_EQ(write(peer, "pong", 4), 4);
  ASSERT_TRUE((*socket)->ReadExact(buffer, 4, 1000).ok());
  EXPECT_EQ(std::string(buffer, 4), "pong");
  ASSERT_EQ(write(peer, "ab", 2), 2);
  close(peer);
  EXPECT_FALSE((*socket)->ReadExact(buffer, 4, 1000).ok()) << "the stream ended after 2 bytes";
  Result<size_t> end = (*socket)->ReadSome(buffer, sizeof buffer, 1000);
  ASSERT_TRUE(end.ok());
  EXPECT_EQ(*end, 0u);
}

TEST_F(PosixEnvTest, DatagramsReachTheReceiver) {
  const int receiver = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(receiver, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(getsockname(receiver, reinterpret_cast<sockaddr*>(&address), &length), 0);

  Result<std::unique_ptr<DatagramSender>> sender =
      env_.OpenDatagramSender("127.0.0.1", ntohs(address.sin_port));
  ASSERT_TRUE(sender.ok());
  ASSERT_TRUE((*sender)->Send("<14>entry").ok());
  char buffer[32];
  const ssize_t got = recv(receiver, buffer, sizeof buffer, 0);
  close(receiver);
  ASSERT_EQ(got, 9);
  EXPECT_EQ(std::string(buffer, 9), "<14>entry");

  Result<std::vector<std::string>> addresses = env_.LocalAddresses();
  ASSERT_TRUE(addresses.ok());
}

}  // namespace
}  // namespace tarvelin
