// Process environment: variables, the program's own location, processes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelin {

// Empty when unset.
std::string GetEnvironment(const char* name);
// Directory of the running program, with a trailing separator.
std::string ExecutableDirectory();
// True when a process with this id exists.
bool ProcessAlive(int64_t pid);
// The decimal pid on the first line of a pid file.
std::optional<int64_t> ReadPidFile(std::string_view path);

}  // namespace tarvelin
