// How the CLI answers: human-readable lines by default, JSON for scripts,
// and a one-line error with a non-zero exit code on failure.
#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <utility>

#include "foundation/status.h"

namespace tarvelin::cli {

// A failure the CLI reports as one line on standard error.
class CommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Output {
  bool json = false;
  // Prints `value` as JSON, or `human` as it stands.
  void Emit(const nlohmann::json& value, const std::string& human) const;
};

// Why an operation failed: the status's message and, where a system call
// failed, the system's text for it.
std::string CauseOf(const Status& status);

// Throws CommandError with the cause of a failed status, after `what`
// failed ("cannot add domain x: ...") when that is given.
void Check(const Status& status, const std::string& what = "");
template <typename T>
T Checked(Result<T> result, const std::string& what = "") {
  Check(result.status(), what);
  return std::move(*result);
}

}  // namespace tarvelin::cli
