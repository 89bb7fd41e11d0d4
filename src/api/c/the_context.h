// The one Context of the process, behind the C exports. It is created on
// first use and lives until the process ends.
#pragma once

#include "core/context.h"

namespace tarvelin {

Context& TheContext();

}  // namespace tarvelin
