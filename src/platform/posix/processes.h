// Starting, signalling and finding processes by their program file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelin {

// Runs `program` with no arguments in `working_directory`, detached from
// this process: a session of its own, standard streams on /dev/null, default
// signal handling, no other inherited descriptors. The program is not a
// child of the caller (nothing to reap). True when it was executed.
bool SpawnDetached(const std::string& program, const std::string& working_directory);

// True while the process exists and has not ended; a zombie has ended.
bool ProcessRunning(int64_t pid);
// SIGTERM and SIGKILL; true when the signal was delivered.
bool TerminateProcess(int64_t pid);
bool KillProcess(int64_t pid);

// The program file a process runs (its path with symbolic links resolved),
// or empty when it cannot be read.
std::string ProcessProgram(int64_t pid);
// Every other process whose program file is `program_path` (symbolic links
// resolved on both sides; a program file replaced since it was started still
// matches its old path).
std::vector<int64_t> FindProcessesByProgram(std::string_view program_path);

}  // namespace tarvelin
