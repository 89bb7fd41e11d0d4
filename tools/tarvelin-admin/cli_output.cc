#include "cli_output.h"

#include <cstring>
#include <iostream>

namespace tarvelin::cli {

void Output::Emit(const nlohmann::json& value, const std::string& human) const {
  if (json) {
    std::cout << value.dump(2) << "\n";
  } else {
    std::cout << human;
    if (!human.empty() && human.back() != '\n') std::cout << "\n";
  }
}

void Output::Warn(const std::string& message) const {
  if (json) {
    std::cerr << nlohmann::json{{"warning", message}}.dump() << "\n";
  } else {
    std::cerr << "warning: " << message << "\n";
  }
}

void Output::Fail(const std::string& message, ExitCode code) const {
  if (json) {
    std::cerr << nlohmann::json{{"error", message}, {"exit_code", static_cast<int>(code)}}.dump()
              << "\n";
  } else {
    std::cerr << "tarvelin-admin: " << message << "\n";
  }
}

ExitCode ExitCodeOf(StatusCode code) {
  switch (code) {
    case StatusCode::kOk:
      return ExitCode::kDone;
    case StatusCode::kNotFound:
      return ExitCode::kNotFound;
    case StatusCode::kInvalidArgument:
    case StatusCode::kBufferTooSmall:
    case StatusCode::kAlreadyExists:
    case StatusCode::kRefused:
      return ExitCode::kRefused;
    case StatusCode::kCorruption:
    case StatusCode::kNotLoadable:
      return ExitCode::kDamaged;
    case StatusCode::kIOError:
    case StatusCode::kUnavailable:
      return ExitCode::kFailed;
  }
  return ExitCode::kFailed;
}

std::string CauseOf(const Status& status) {
  std::string cause = status.message();
  if (status.sys_errno() != 0) cause += std::string(": ") + std::strerror(status.sys_errno());
  return cause;
}

void Check(const Status& status, const std::string& what) {
  if (status.ok()) return;
  throw CommandError(what.empty() ? CauseOf(status) : what + ": " + CauseOf(status),
                     ExitCodeOf(status.code()));
}

}  // namespace tarvelin::cli
