#include "support/property_file.h"

#include <stdexcept>

#include "platform/file_system.h"

namespace tarvelin::testing {

std::string ShippedPropertyFile() {
  std::string text;
  if (ReadFile(TARVELIN_BINARY_DIR "/apiconst.pas", &text) != ReadResult::kOk) {
    throw std::runtime_error("apiconst.pas is missing from the build tree");
  }
  return text;
}

}  // namespace tarvelin::testing
