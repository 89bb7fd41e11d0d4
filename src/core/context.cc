#include "core/context.h"

namespace tarvelin {

Library& TheLibrary() {
  // Never destroyed: hosts may call exports from their own static destructors.
  static Library* const library = new Library;
  return *library;
}

}  // namespace tarvelin
