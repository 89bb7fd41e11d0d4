// Comparison of secrets (passwords, digests) whose time does not depend on
// where the first difference lies.
#pragma once

#include <string_view>

namespace tarvelin {

// Exact, case-sensitive equality. Only the lengths leak through timing.
bool SecretsEqual(std::string_view a, std::string_view b);

}  // namespace tarvelin
