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

std::string CauseOf(const Status& status) {
  std::string cause = status.message();
  if (status.sys_errno() != 0) cause += std::string(": ") + std::strerror(status.sys_errno());
  return cause;
}

void Check(const Status& status, const std::string& what) {
  if (status.ok()) return;
  throw CommandError(what.empty() ? CauseOf(status) : what + ": " + CauseOf(status));
}

}  // namespace tarvelin::cli
