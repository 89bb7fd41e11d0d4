// Runs the tarvelin-admin program built beside the tests, as a user would.
#pragma once

#include <string>

namespace tarvelin {

struct CommandRun {
  int exit_code;
  std::string output;  // standard output and standard error
};

// A shell command line; its exit code and everything it printed.
CommandRun Shell(const std::string& command);
// tarvelin-admin with `arguments`.
CommandRun Admin(const std::string& arguments);
// The path of the built tarvelin-admin.
std::string AdminProgram();

}  // namespace tarvelin
