// The variables of the process environment.
#pragma once

#include <string>

namespace tarvelin {

// Empty when unset.
std::string GetEnvironment(const char* name);

}  // namespace tarvelin
