#include "platform/shared_library.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <utility>

namespace tarvelin {

Result<SharedLibrary> SharedLibrary::Open(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    const int error = errno;
    return Status::NotFound("cannot load " + path + ": no such file", error);
  }
  ::dlerror();
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = ::dlerror();
    return Status::IOError("cannot load " + path + ": " + (why != nullptr ? why : "unknown error"),
                           ENOEXEC);
  }
  return SharedLibrary(handle);
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

SharedLibrary::~SharedLibrary() { Close(); }

void SharedLibrary::Close() {
  if (handle_ != nullptr) ::dlclose(handle_);
  handle_ = nullptr;
}

void* SharedLibrary::Symbol(const char* name) const {
  return handle_ == nullptr ? nullptr : ::dlsym(handle_, name);
}

}  // namespace tarvelin
