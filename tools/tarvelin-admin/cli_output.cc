#include "cli_output.h"

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

}  // namespace tarvelin::cli
