#include "support/property_file.h"

#include <stdexcept>

#include "platform/posix_env.h"

namespace tarvelin::testing {

std::string ShippedPropertyFile() {
  PosixEnv env;
  std::string text;
  if (!env.ReadFile(TARVELIN_BINARY_DIR "/apiconst.pas", &text).ok()) {
    throw std::runtime_error("apiconst.pas is missing from the build tree");
  }
  return text;
}

}  // namespace tarvelin::testing
