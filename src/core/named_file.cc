#include "core/named_file.h"

#include "core/context.h"

namespace tarvelin {

Result<std::string> ReadNamedFile(const Context& context, std::string_view path) {
  std::string bytes;
  const Status read = context.env().ReadFile(path, &bytes);
  if (read.ok()) return bytes;
  const std::string why = "cannot read " + std::string(path);
  return read.Is(StatusCode::kNotFound) ? Status::NotFound(why, read.sys_errno())
                                        : Status::IOError(why, read.sys_errno());
}

}  // namespace tarvelin
