// How the CLI answers: human-readable lines by default, JSON for scripts,
// and a one-line error with a non-zero exit code on failure.
#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

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

}  // namespace tarvelin::cli
