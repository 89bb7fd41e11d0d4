#include "api/c/the_context.h"

namespace tarvelin {

Context& TheContext() {
  // Never destroyed: hosts may call exports from their own static destructors.
  static Context* const context = new Context;
  return *context;
}

}  // namespace tarvelin
