// Files a person names to a management program (a record to save, a list of
// accounts to import), read whole through the installation's system layer.
#pragma once

#include <string>
#include <string_view>

#include "foundation/status.h"

namespace tarvelin {

class Context;

// The bytes of the file, read to its end without regard to its size, so a
// pipe (/dev/stdin, a process substitution) serves as well; NotFound when
// it does not exist, IOError when it cannot be read (both with the
// system's error number).
Result<std::string> ReadNamedFile(const Context& context, std::string_view path);

}  // namespace tarvelin
