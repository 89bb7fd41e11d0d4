// Env: every call the library makes into the operating system, behind one
// interface. Files, directories, locks, clocks, randomness, the process
// environment, other processes, sockets and the debugger output are reached
// through an Env and nothing else, so that a test can put a fault between
// the library and the system (FaultInjectionEnv) and a crash can be played
// at any step of a write. PosixEnv is the real one.
//
// Failures come back as a Status naming the call and the path, with the
// system's error number kept: Status::IOError("open /x/users.cfg", EACCES).
// A missing file or directory is NotFound (errno ENOENT or ENOTDIR), a name
// that is taken where the call refuses one is AlreadyExists (EEXIST).
//
// Paths may use either separator (ToOsPath).
//
// Thread safety: an Env is used by many threads at once. A ReadableFile may
// be read by many threads at once; every other object an Env hands out is
// used by one thread at a time.
//
// State: an Env holds no process-wide state. What it keeps (the counter of
// temporary names) belongs to the instance, and two instances in one
// process never pick the same temporary name. The objects an Env hands out
// may not outlive it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/date_time.h"
#include "foundation/status.h"

namespace tarvelin {

// Identity of one version of a file. Equal stamps mean "not rewritten": the
// modification time in nanoseconds, size and inode all change on a rewrite
// by rename, even twice within one second.
struct FileStamp {
  bool exists = false;
  int64_t mtime_ns = 0;
  int64_t size = 0;
  uint64_t inode = 0;
  bool operator==(const FileStamp&) const = default;
};

// Which file-system object a path names, so that walks over directories can
// notice when a link leads them back into a directory they are inside.
struct PathIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const PathIdentity&) const = default;
};

// One entry of a directory listing.
struct DirectoryEntry {
  std::string name;
  bool is_directory = false;
  int64_t size = 0;
  int64_t mtime_ns = 0;
};

// The local time of one second, split into calendar fields, with the time
// zone's offset at that moment.
struct LocalTime {
  CivilDateTime when;          // milliseconds are always 0
  int utc_offset_minutes = 0;  // east of UTC is positive
};

enum class FileKind { kRegular, kDirectory, kLink, kOther };

// Whether a final symbolic link in a path is followed or examined itself.
enum class Links { kFollow, kNoFollow };

// What stat says about one file-system object.
struct PathInfo {
  FileKind kind = FileKind::kOther;
  int64_t size = 0;
  int64_t mtime_ns = 0;
  uint64_t device = 0;
  uint64_t inode = 0;

  FileStamp stamp() const { return {true, mtime_ns, size, inode}; }
  PathIdentity identity() const { return {device, inode}; }
};

// One version of a file, opened for reading at any offset. A rename over
// the path afterwards changes neither the stamp nor what ReadAt returns.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  ReadableFile(const ReadableFile&) = delete;
  ReadableFile& operator=(const ReadableFile&) = delete;

  // The stamp of the version that was opened.
  const FileStamp& stamp() const { return stamp_; }
  // Up to `length` bytes at `offset` into `buffer`; fewer only at the end of
  // the file. Safe from many threads at once.
  virtual Result<size_t> ReadAt(int64_t offset, void* buffer, size_t length) const = 0;

 protected:
  explicit ReadableFile(const FileStamp& stamp) : stamp_(stamp) {}

 private:
  FileStamp stamp_;
};

// How NewWritableFile opens its file.
enum class WriteMode {
  kCreateNew,  // a new file; AlreadyExists when the name is taken
  kTruncate,   // created, or emptied when it exists
  kAppend,     // created when missing; every Append lands at the end of the
               // file as it is then, also with other writers at work
  kUpdate,     // an existing regular file, written in place; a link is not
               // followed
};

// A file open for writing. Every Append and WriteAt writes all its bytes or
// fails; after a failure an unknown prefix of them may be in the file.
class WritableFile {
 public:
  WritableFile() = default;
  // Closes; an error of that close is lost (call Close to see it).
  virtual ~WritableFile() = default;
  WritableFile(const WritableFile&) = delete;
  WritableFile& operator=(const WritableFile&) = delete;

  // After what this handle wrote last (kAppend: at the end of the file).
  virtual Status Append(std::string_view data) = 0;
  // At `offset`, leaving the position of Append alone. Not for kAppend.
  virtual Status WriteAt(int64_t offset, std::string_view data) = 0;
  virtual Status Truncate(int64_t size) = 0;
  // The data written so far are on disk when it returns.
  virtual Status Sync() = 0;
  virtual Status Close() = 0;
  virtual Result<PathInfo> GetInfo() const = 0;
};

// A temporary file made by Env::NewTempFile and where it lies.
struct TempFile {
  std::string path;
  std::unique_ptr<WritableFile> file;
};

// An open directory. Names are resolved against it, not against a path, so
// a directory renamed or swapped for a link meanwhile cannot lead a walk or
// a removal into another folder.
class Directory {
 public:
  Directory() = default;
  virtual ~Directory() = default;
  Directory(const Directory&) = delete;
  Directory& operator=(const Directory&) = delete;

  // The entries without "." and "..", in no particular order.
  virtual Status ListNames(std::vector<std::string>* names) = 0;
  virtual Result<PathInfo> GetInfoOf(std::string_view name, Links links) = 0;
  // A sub-directory; never reached through a link.
  virtual Result<std::unique_ptr<Directory>> OpenChild(std::string_view name) = 0;
  // Unlinks a file or link, or removes an empty directory.
  virtual Status RemoveEntry(std::string_view name, bool is_directory) = 0;
};

// An advisory lock, held until the object goes. Every process taking locks
// through an Env honours it; threads holding separate locks on one path
// exclude each other as processes do.
class FileLock {
 public:
  FileLock() = default;
  virtual ~FileLock() = default;
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
};

// A connected stream socket.
class StreamSocket {
 public:
  StreamSocket() = default;
  virtual ~StreamSocket() = default;
  StreamSocket(const StreamSocket&) = delete;
  StreamSocket& operator=(const StreamSocket&) = delete;

  // Everything, or an error (also when the peer has closed).
  virtual Status WriteAll(const void* data, size_t length) = 0;
  // One read of at most `max` bytes, waiting up to `timeout_ms`; 0 at the
  // end of the stream. A time-out is an IOError with ETIMEDOUT.
  virtual Result<size_t> ReadSome(void* buffer, size_t max, int timeout_ms) = 0;
  // Exactly `length` bytes within `timeout_ms` altogether.
  virtual Status ReadExact(void* buffer, size_t length, int timeout_ms) = 0;
};

// A TCP connection that can switch to TLS in place. Reads and writes are
// those of a StreamSocket, over TLS once StartTls succeeded.
class NetworkStream : public StreamSocket {
 public:
  // Whether TLS can be set up here (a TLS client context could be made).
  virtual bool TlsAvailable() const = 0;
  // The TLS handshake as a client, without a check of the peer's
  // certificate. An IOError with ETIMEDOUT when it does not end in time.
  virtual Status StartTls(int timeout_ms) = 0;
};

// Sends datagrams to the one receiver it was opened for.
class DatagramSender {
 public:
  DatagramSender() = default;
  virtual ~DatagramSender() = default;
  DatagramSender(const DatagramSender&) = delete;
  DatagramSender& operator=(const DatagramSender&) = delete;

  // One datagram, handed to the network whole or not at all.
  virtual Status Send(std::string_view data) = 0;
};

class Env {
 public:
  Env() = default;
  virtual ~Env() = default;
  Env(const Env&) = delete;
  Env& operator=(const Env&) = delete;

  // --- Files and directories -------------------------------------------

  // The stamp of the file, links followed. A missing path is no failure: it
  // gives a stamp with `exists` false, without building a status, since
  // stamps are checked on every lookup.
  virtual Result<FileStamp> GetFileStamp(std::string_view path) = 0;
  virtual Result<PathInfo> GetPathInfo(std::string_view path, Links links) = 0;
  // The absolute path of an existing file or folder with every link
  // resolved and no "." or ".." left; no trailing separator ("/" for the
  // root).
  virtual Result<std::string> RealPath(std::string_view path) = 0;

  // The whole file; at most `max_bytes` from the start; up to `length`
  // bytes at `offset` (fewer at the end of the file). `out` is replaced.
  virtual Status ReadFile(std::string_view path, std::string* out) = 0;
  virtual Status ReadFilePrefix(std::string_view path, size_t max_bytes, std::string* out) = 0;
  virtual Status ReadFileRange(std::string_view path, int64_t offset, size_t length,
                               std::string* out) = 0;
  // A regular file for reads at any offset; InvalidArgument for anything
  // else (a directory, a named pipe, which is refused without waiting).
  virtual Result<std::unique_ptr<ReadableFile>> NewReadableFile(std::string_view path) = 0;

  virtual Result<std::unique_ptr<WritableFile>> NewWritableFile(std::string_view path,
                                                                WriteMode mode) = 0;
  // A new file whose path is `prefix` followed by a name this Env has not
  // handed out before; never a file that exists. The name is the calling
  // process's id, ".", a lower-case hex nonce, "." and a number, so it
  // tells which process made the file (platform/stale_temp_files.h).
  virtual Result<TempFile> NewTempFile(std::string_view prefix) = 0;

  // AlreadyExists when `to` exists and `replace` is false.
  virtual Status RenameFile(std::string_view from, std::string_view to, bool replace) = 0;
  // A file or link; NotFound when it is missing.
  virtual Status RemoveFile(std::string_view path) = 0;
  // An empty directory.
  virtual Status RemoveDirectory(std::string_view path) = 0;
  // Sets the modification time of the file (links followed), in
  // nanoseconds since 1970-01-01 UTC; the access time is left alone.
  virtual Status SetModificationTime(std::string_view path, int64_t mtime_ns) = 0;
  // With all missing parents; ok when the directory exists after.
  virtual Status CreateDirectories(std::string_view path) = 0;
  // Entries without "." and "..", in no particular order, links followed (a
  // dangling link is listed as itself).
  virtual Status ListDirectory(std::string_view path, std::vector<DirectoryEntry>* out) = 0;
  virtual Result<std::unique_ptr<Directory>> OpenDirectory(std::string_view path,
                                                           Links links) = 0;

  // Makes renames and removals in the directory durable.
  virtual Status SyncDirectory(std::string_view path) = 0;
  // Makes every write to the file system holding `path` durable.
  virtual Status SyncFileSystem(std::string_view path) = 0;

  // Waits for an exclusive lock on the file or directory at `path`.
  virtual Result<std::unique_ptr<FileLock>> LockExclusive(std::string_view path) = 0;
  // Waits for an exclusive lock on the one byte at `offset` of the file at
  // `path`, which is created (empty) when missing. Locks at different
  // offsets are independent; each call owns its lock alone, so two calls in
  // one process exclude each other like two processes. The lock dies with
  // the process that holds it.
  virtual Result<std::unique_ptr<FileLock>> LockByte(std::string_view path, uint64_t offset) = 0;

  // --- Time and randomness ---------------------------------------------

  // Nanoseconds since 1970-01-01 UTC, comparable with file times.
  virtual int64_t NowUnixNanos() = 0;
  // Whole seconds since 1970-01-01 UTC, cheap enough for every log entry.
  virtual int64_t NowUnixSeconds() = 0;
  // The local date and time, with milliseconds.
  virtual CivilDateTime NowLocal() = 0;
  // The local calendar time of a second under the current time-zone rules.
  virtual LocalTime LocalTimeOf(int64_t unix_seconds) = 0;
  // Whole seconds since an arbitrary start; never decreases.
  virtual int64_t NowMonotonicSeconds() = 0;
  // The same clock in microseconds, for deadlines of waits.
  virtual int64_t NowMonotonicMicros() = 0;
  virtual void SleepForMicroseconds(int64_t micros) = 0;
  // From the system's generator of random numbers.
  virtual uint32_t RandomUint32() = 0;

  // --- This process and others -----------------------------------------

  virtual uint32_t CurrentThreadId() = 0;
  // Empty when unset.
  virtual std::string GetVariable(std::string_view name) = 0;
  // The full path of the running program's file.
  virtual Result<std::string> ProgramPath() = 0;

  // Runs `program` without arguments in `working_directory`, detached: not
  // a child of this process, standard streams on /dev/null.
  virtual Status SpawnDetached(std::string_view program, std::string_view working_directory) = 0;
  // False once the process has ended (a zombie has).
  virtual bool ProcessRunning(int64_t pid) = 0;
  // SIGTERM and SIGKILL.
  virtual Status TerminateProcess(int64_t pid) = 0;
  virtual Status KillProcess(int64_t pid) = 0;
  // The program file a process runs, links resolved.
  virtual Result<std::string> ProcessProgram(int64_t pid) = 0;
  // Every other process running the program file `program_path`; empty
  // also when the process table cannot be read.
  virtual std::vector<int64_t> FindProcessesByProgram(std::string_view program_path) = 0;

  // --- Network and output ----------------------------------------------

  // An IOError with EAGAIN when the listener's queue is full (the caller
  // may wait and try again).
  virtual Result<std::unique_ptr<StreamSocket>> ConnectUnixStream(std::string_view socket_path) = 0;
  // A TCP connection to `host` (a name or a numeric address) at `port`,
  // made within `timeout_ms`. NotFound when the name does not resolve; an
  // IOError with ETIMEDOUT or ECONNREFUSED when nothing answers or listens.
  virtual Result<std::unique_ptr<NetworkStream>> ConnectTcp(std::string_view host, uint16_t port,
                                                            int timeout_ms) = 0;
  // `host` is a name or a numeric address; the first usable address counts.
  virtual Result<std::unique_ptr<DatagramSender>> OpenDatagramSender(std::string_view host,
                                                                     uint16_t port) = 0;
  // Sends one datagram to `host` (a name or a numeric address) at `port`
  // and waits up to `timeout_ms` for one datagram back from there, cut to
  // `answer_max` bytes. NotFound when the name does not resolve; an IOError
  // with ETIMEDOUT when nothing came in time, ECONNREFUSED when nothing
  // listens there.
  virtual Result<std::string> ExchangeDatagram(std::string_view host, uint16_t port,
                                               std::string_view request, size_t answer_max,
                                               int timeout_ms) = 0;
  // The numeric addresses (IPv4 and IPv6) of the machine's interfaces.
  virtual Result<std::vector<std::string>> LocalAddresses() = 0;
  // One line on the debugger output; nobody may be listening, so it cannot
  // fail.
  virtual void WriteDebugLine(std::string_view line) = 0;
};

}  // namespace tarvelin
