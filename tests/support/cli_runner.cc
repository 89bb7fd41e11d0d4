#include "support/cli_runner.h"

#include <sys/wait.h>

#include <cstdio>

namespace tarvelin {

CommandRun Shell(const std::string& command) {
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return {-1, ""};
  std::string output;
  char chunk[4096];
  size_t n;
  while ((n = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::string AdminProgram() { return std::string(TARVELIN_BINARY_DIR) + "/tools/tarvelin-admin"; }

CommandRun Admin(const std::string& arguments) { return Shell(AdminProgram() + " " + arguments); }

}  // namespace tarvelin
