// AutomationError: what a member raises; the call fails with its message
// (the ABI's exception status) and the member's result stays empty.
#pragma once

#include <stdexcept>
#include <string>

namespace tarvelin::automation {

class AutomationError : public std::runtime_error {
 public:
  explicit AutomationError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace tarvelin::automation
