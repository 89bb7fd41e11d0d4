// A shared library loaded at run time (dlopen), its functions found by
// name. The library stays loaded while the object lives; moving hands the
// handle on.
#pragma once

#include <string>

#include "foundation/status.h"

namespace tarvelin {

class SharedLibrary {
 public:
  // Loads `path` with every symbol resolved now and kept to itself
  // (RTLD_NOW | RTLD_LOCAL). NotFound for a missing file; otherwise the
  // loader's own words say why it failed.
  static Result<SharedLibrary> Open(const std::string& path);

  SharedLibrary(SharedLibrary&& other) noexcept;
  SharedLibrary& operator=(SharedLibrary&& other) noexcept;
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;
  ~SharedLibrary();

  // The address of the exported symbol `name`, or null when the library
  // lacks it.
  void* Symbol(const char* name) const;

 private:
  explicit SharedLibrary(void* handle) : handle_(handle) {}
  void Close();

  void* handle_ = nullptr;
};

}  // namespace tarvelin
