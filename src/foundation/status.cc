#include "foundation/status.h"

#include <cstring>

namespace tarvelin {

namespace {

const char* KindText(StatusCode code) {
  switch (code) {
    case StatusCode::kOk:
      return "OK";
    case StatusCode::kNotFound:
      return "not found";
    case StatusCode::kInvalidArgument:
      return "invalid argument";
    case StatusCode::kBufferTooSmall:
      return "buffer too small";
    case StatusCode::kAlreadyExists:
      return "already exists";
    case StatusCode::kRefused:
      return "refused";
    case StatusCode::kIOError:
      return "IO error";
    case StatusCode::kCorruption:
      return "corruption";
    case StatusCode::kUnavailable:
      return "unavailable";
    case StatusCode::kNotLoadable:
      return "not loadable";
  }
  return "unknown";
}

}  // namespace

std::string Status::ToString() const {
  if (ok()) return "OK";
  std::string text = KindText(code_);
  if (!message_.empty()) text += ": " + message_;
  if (sys_errno_ != 0) {
    char buffer[256];
    // The GNU strerror_r returns its text, which may not be in `buffer`.
    const char* system_text = strerror_r(sys_errno_, buffer, sizeof buffer);
    text += std::string(": ") + system_text;
  }
  return text;
}

}  // namespace tarvelin
