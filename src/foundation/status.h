// Status: the outcome of an operation below the C API. An ok status carries
// nothing; a failure carries a code saying what kind of failure it was, a
// message saying why (the file, the id, the value), and the system's error
// number where a system call failed. The C API alone turns codes into its
// result numbers. Result<T> is a value or the status of why there is none.
#pragma once

#include <cassert>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace tarvelin {

enum class StatusCode : unsigned char {
  kOk,
  kNotFound,         // no such domain, account, id, position or file
  kInvalidArgument,  // a value the operation refuses: bad name, bad size
  kBufferTooSmall,   // the caller's buffer or record cannot hold the value
  kAlreadyExists,    // a name, alias or file that is taken
  kRefused,          // a rule says no: policy, a check, a protected path
  kIOError,          // a system call failed; sys_errno() says how
  kCorruption,       // a stored file is damaged
  kUnavailable,      // a service or backend that is not there
  kNotLoadable,      // the installation's configuration cannot be read
};

class Status {
 public:
  Status() = default;

  static Status Ok() { return Status(); }
  static Status NotFound(std::string message, int sys_errno = 0) {
    return {StatusCode::kNotFound, std::move(message), sys_errno};
  }
  static Status InvalidArgument(std::string message) {
    return {StatusCode::kInvalidArgument, std::move(message)};
  }
  static Status BufferTooSmall(std::string message) {
    return {StatusCode::kBufferTooSmall, std::move(message)};
  }
  static Status AlreadyExists(std::string message, int sys_errno = 0) {
    return {StatusCode::kAlreadyExists, std::move(message), sys_errno};
  }
  static Status Refused(std::string message) { return {StatusCode::kRefused, std::move(message)}; }
  // `sys_errno` is the errno of the failed call (0 when there was none).
  static Status IOError(std::string message, int sys_errno = 0) {
    return {StatusCode::kIOError, std::move(message), sys_errno};
  }
  static Status Corruption(std::string message) {
    return {StatusCode::kCorruption, std::move(message)};
  }
  static Status Unavailable(std::string message) {
    return {StatusCode::kUnavailable, std::move(message)};
  }
  static Status NotLoadable(std::string message, int sys_errno = 0) {
    return {StatusCode::kNotLoadable, std::move(message), sys_errno};
  }

  bool ok() const { return code_ == StatusCode::kOk; }
  StatusCode code() const { return code_; }
  bool Is(StatusCode code) const { return code_ == code; }
  int sys_errno() const { return sys_errno_; }
  const std::string& message() const { return message_; }

  // "OK", or the kind, the message and the system's text of the error
  // number: "IO error: write users.cfg.tmp: No space left on device".
  std::string ToString() const;

 private:
  Status(StatusCode code, std::string message, int sys_errno = 0)
      : code_(code), sys_errno_(sys_errno), message_(std::move(message)) {}

  StatusCode code_ = StatusCode::kOk;
  int sys_errno_ = 0;
  std::string message_;
};

// A value, or the failed status that explains its absence.
template <typename T>
class Result {
 public:
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit by design
  Result(Status status) : status_(std::move(status)) {  // NOLINT: implicit by design
    assert(!status_.ok());
  }

  bool ok() const { return status_.ok(); }
  const Status& status() const { return status_; }
  T& value() {
    assert(ok());
    return *value_;
  }
  const T& value() const {
    assert(ok());
    return *value_;
  }
  T& operator*() { return value(); }
  const T& operator*() const { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T value_or(T fallback) const { return ok() ? *value_ : std::move(fallback); }

 private:
  Status status_;
  std::optional<T> value_;
};

}  // namespace tarvelin

// Returns a failed status from the enclosing function.
#define TARVELIN_RETURN_IF_ERROR(expr)          \
  do {                                          \
    ::tarvelin::Status status_ = (expr);        \
    if (!status_.ok()) return status_;          \
  } while (false)
