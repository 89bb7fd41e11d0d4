#include "core/named_file.h"

#include <cerrno>

#include "platform/file_system.h"

namespace tarvelin {

Result<std::string> ReadNamedFile(const Context& context, std::string_view path) {
  std::string bytes;
  switch (ReadFile(path, &bytes)) {
    case ReadResult::kOk:
      return bytes;
    case ReadResult::kNotFound:
      return Status::NotFound("cannot read " + std::string(path), errno);
    case ReadResult::kError:
      break;
  }
  return Status::IOError("cannot read " + std::string(path), errno);
}

}  // namespace tarvelin
