// Status and Result<int32_t> in plain EXPECT_EQ: a result equals the byte
// count it carries or the code of its failure, and a failure prints with
// its message.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "foundation/status.h"

namespace tarvelin {

inline bool operator==(const Status& status, StatusCode code) { return status.code() == code; }

inline bool operator==(const Result<int32_t>& result, StatusCode code) {
  return result.status().code() == code;
}

inline bool operator==(const Result<int32_t>& result, int32_t value) {
  return result.ok() && *result == value;
}

// "OK", or the kind of a failure as Status::ToString names it ("not found").
inline std::string KindOf(const Status& status) {
  const std::string text = status.ToString();
  return text.substr(0, text.find(':'));
}

inline void PrintTo(const Status& status, std::ostream* out) { *out << status.ToString(); }

inline void PrintTo(const Result<int32_t>& result, std::ostream* out) {
  if (result.ok()) {
    *out << *result;
  } else {
    *out << result.status().ToString();
  }
}

inline void PrintTo(StatusCode code, std::ostream* out) {
  *out << "status code " << static_cast<int>(code);
}

}  // namespace tarvelin
