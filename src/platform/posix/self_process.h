// Who is running: the calling thread and the program of this process.
#pragma once

#include <cstdint>
#include <string>

namespace tarvelin {

// The kernel's id of the calling thread.
uint32_t CurrentThreadId();
// Full path of the running program's file; empty when it cannot be read.
std::string ProgramFilePath();

}  // namespace tarvelin
