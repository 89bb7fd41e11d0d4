// FaultInjectionEnv: an Env for tests that passes every call to another Env
// and makes chosen writes fail, or plays a crash, so that a test can show
// what a helper leaves on disk when the system lets it down part way.
//
// Mutating operations are the ones that change the file system: opening a
// file for writing (which may create or empty it), making a temporary file,
// writes, truncation, syncs of files, directories and file systems,
// renames, removals and creating directories. Each one that is let through
// is counted. CrashAfter(n) lets n more of them through; from then on every
// mutating operation fails with EIO and changes nothing, as if the process
// had died there, while reads, closes and everything else still work. A
// test then reopens the files with a plain PosixEnv and checks what a
// restarted program would find.
//
// A crash by itself loses nothing that reached the base Env. A power
// failure loses more: DropUnsyncedData cuts every file written through
// this Env back to its size at its last sync, following renames, so a test
// can show that a writer syncs before it relies on its data. Renames that
// no sync of the directory made durable are not taken back.
//
// Writes are Append and WriteAt of a WritableFile. The faults below are
// counted over writes that are let through the crash point.
//
// Thread-safe; the files it hands out must not outlive it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "platform/env.h"

namespace tarvelin {

class FaultInjectionEnv final : public Env {
 public:
  explicit FaultInjectionEnv(Env& base);

  // The `n`th write from now (1 is the next) fails with `error` (EIO,
  // ENOSPC) and writes nothing.
  void FailWrite(int64_t n, int error);
  // The `n`th write from now writes only its first `bytes` bytes, then
  // fails with `error`.
  void ShortenWrite(int64_t n, size_t bytes, int error);
  // Every write to a path that contains `name_part` fails with `error`,
  // until ClearFaults.
  void FailWritesTo(std::string name_part, int error);
  // Lets `n` more mutating operations through, then crashes.
  void CrashAfter(int64_t n);
  // Ends every fault and the crash.
  void ClearFaults();

  // Cuts each file written through this Env since its last sync back to
  // the size it had then (to its size when opened, if never synced). A
  // file is never made longer. The first failure of the base Env, if any.
  Status DropUnsyncedData();

  bool crashed() const;
  // Writes and mutating operations let through so far.
  int64_t writes() const;
  int64_t mutations() const;

  // Called by the files and directories it hands out.
  Status BeginMutation(std::string_view call, std::string_view path);
  // For a write of `length` bytes to `path` let through the crash point:
  // ok, or the failure to report after writing the first `*allowed` bytes.
  Status CheckWrite(std::string_view path, size_t length, size_t* allowed);
  // A change to `path`, whose data up to `durable_size` were synced.
  void NoteUnsynced(std::string_view path, int64_t durable_size);
  // `path` is durable as it is.
  void NoteSynced(std::string_view path);

  Result<FileStamp> GetFileStamp(std::string_view path) override;
  Result<PathInfo> GetPathInfo(std::string_view path, Links links) override;
  Result<std::string> RealPath(std::string_view path) override;
  Status ReadFile(std::string_view path, std::string* out) override;
  Status ReadFilePrefix(std::string_view path, size_t max_bytes, std::string* out) override;
  Status ReadFileRange(std::string_view path, int64_t offset, size_t length,
                       std::string* out) override;
  Result<std::unique_ptr<ReadableFile>> NewReadableFile(std::string_view path) override;
  Result<std::unique_ptr<WritableFile>> NewWritableFile(std::string_view path,
                                                        WriteMode mode) override;
  Result<TempFile> NewTempFile(std::string_view prefix) override;
  Status RenameFile(std::string_view from, std::string_view to, bool replace) override;
  Status RemoveFile(std::string_view path) override;
  Status RemoveDirectory(std::string_view path) override;
  Status SetModificationTime(std::string_view path, int64_t mtime_ns) override;
  Status CreateDirectories(std::string_view path) override;
  Status ListDirectory(std::string_view path, std::vector<DirectoryEntry>* out) override;
  Result<std::unique_ptr<Directory>> OpenDirectory(std::string_view path, Links links) override;
  Status SyncDirectory(std::string_view path) override;
  Status SyncFileSystem(std::string_view path) override;
  Result<std::unique_ptr<FileLock>> LockExclusive(std::string_view path) override;
  Result<std::unique_ptr<FileLock>> LockByte(std::string_view path, uint64_t offset) override;

  int64_t NowUnixNanos() override;
  int64_t NowUnixSeconds() override;
  CivilDateTime NowLocal() override;
  LocalTime LocalTimeOf(int64_t unix_seconds) override;
  int64_t NowMonotonicSeconds() override;
  int64_t NowMonotonicMicros() override;
  void SleepForMicroseconds(int64_t micros) override;
  uint32_t RandomUint32() override;

  uint32_t CurrentThreadId() override;
  std::string GetVariable(std::string_view name) override;
  Result<std::string> ProgramPath() override;
  Status SpawnDetached(std::string_view program, std::string_view working_directory) override;
  bool ProcessRunning(int64_t pid) override;
  Status TerminateProcess(int64_t pid) override;
  Status KillProcess(int64_t pid) override;
  Result<std::string> ProcessProgram(int64_t pid) override;
  std::vector<int64_t> FindProcessesByProgram(std::string_view program_path) override;

  Result<std::unique_ptr<StreamSocket>> ConnectUnixStream(std::string_view socket_path) override;
  Result<std::unique_ptr<NetworkStream>> ConnectTcp(std::string_view host, uint16_t port,
                                                    int timeout_ms) override;
  Result<std::unique_ptr<DatagramSender>> OpenDatagramSender(std::string_view host,
                                                             uint16_t port) override;
  Result<std::string> ExchangeDatagram(std::string_view host, uint16_t port,
                                       std::string_view request, size_t answer_max,
                                       int timeout_ms) override;
  Result<std::vector<std::string>> LocalAddresses() override;
  void WriteDebugLine(std::string_view line) override;

 private:
  struct WriteFault {
    int64_t at = 0;  // the count of writes it hits
    size_t bytes = 0;
    int error = 0;
  };

  Env& base_;
  mutable std::mutex mutex_;
  int64_t writes_ = 0;
  int64_t mutations_ = 0;
  std::optional<int64_t> crash_at_;  // the count of mutations that ends it
  bool crashed_ = false;
  std::optional<WriteFault> failing_write_;
  std::optional<WriteFault> short_write_;
  std::string failing_name_;
  int failing_name_error_ = 0;
  // Files changed since their last sync: path, size at that sync.
  std::map<std::string, int64_t> unsynced_;
};

}  // namespace tarvelin
