// How the CLI answers: human-readable lines by default, JSON for scripts,
// and a one-line error with a non-zero exit code on failure.
#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <utility>

#include "foundation/status.h"

namespace tarvelin::cli {

// The exit codes of tarvelin-admin, a contract with the scripts that run it.
enum class ExitCode : int {
  kDone = 0,
  kFailed = 1,    // the work could not be done (a write failed, a service is down)
  kUsage = 2,     // the command line is wrong
  kNotFound = 3,  // no such domain, account, setting or file
  kRefused = 4,   // a check refused a value: a rule, a limit, a name taken
  kDamaged = 5,   // a file of the installation is damaged or cannot be read
  // Stopped by Ctrl-C part way, as the shell reports a program SIGINT ended.
  kInterrupted = 130,
};

// The exit code for a failure the library reports.
ExitCode ExitCodeOf(StatusCode code);

// A failure the CLI reports as one line on standard error (a JSON object
// under --json) before it exits with `code`.
class CommandError : public std::runtime_error {
 public:
  explicit CommandError(const std::string& message, ExitCode code = ExitCode::kFailed)
      : std::runtime_error(message), code_(code) {}
  ExitCode code() const { return code_; }

 private:
  ExitCode code_;
};

struct Output {
  bool json = false;
  // Prints `value` as JSON, or `human` as it stands.
  void Emit(const nlohmann::json& value, const std::string& human) const;
  // A warning on standard error ("warning: ..."), or a JSON object with a
  // "warning" member under --json; the command goes on.
  void Warn(const std::string& message) const;
  // A failure on standard error: "tarvelin-admin: ..." or, under --json,
  // {"error": ..., "exit_code": ...}.
  void Fail(const std::string& message, ExitCode code) const;
};

// Why an operation failed: the status's message and, where a system call
// failed, the system's text for it.
std::string CauseOf(const Status& status);

// Throws CommandError with the cause of a failed status, after `what`
// failed ("cannot add domain x: ...") when that is given, and the exit code
// of the status's kind.
void Check(const Status& status, const std::string& what = "");
template <typename T>
T Checked(Result<T> result, const std::string& what = "") {
  Check(result.status(), what);
  return std::move(*result);
}

}  // namespace tarvelin::cli
