// PosixEnv: the Env of this platform, made of the system calls of Linux.
// What it hands out (files, directories, locks, sockets) holds only its own
// descriptor and may outlive the PosixEnv.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/env.h"

namespace tarvelin {

class PosixEnv final : public Env {
 public:
  PosixEnv();

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
  // The name is "<prefix><pid>.<nonce>.<n>": the nonce sets this instance
  // apart from every other one alive in the process, n counts its names,
  // and a name that is taken anyway (a crash's leftover) is skipped.
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
  const uint64_t nonce_;
  std::atomic<uint64_t> next_temp_{0};
};

}  // namespace tarvelin
