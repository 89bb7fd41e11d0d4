// An object registry of the test's own: $TARVELIN_REGISTRY names a file in
// a scratch folder for as long as the object lives, so the automation ABI
// (its exports and the class names they resolve) never reaches the user's
// or the system's registry. Make it before the first call of the ABI.
#pragma once

#include <optional>
#include <string>

#include "support/temp_dir.h"

namespace tarvelin::testing {

class ScratchRegistry {
 public:
  ScratchRegistry();
  ~ScratchRegistry();
  ScratchRegistry(const ScratchRegistry&) = delete;
  ScratchRegistry& operator=(const ScratchRegistry&) = delete;

  const std::string& file() const { return file_; }
  // Registers the classes with DllRegisterServer, as installing would.
  void Register();

  TempDir dir_;

 private:
  std::string file_;
  std::optional<std::string> was_;
};

}  // namespace tarvelin::testing
