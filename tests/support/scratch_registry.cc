#include "support/scratch_registry.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tarvelin/automation.h"

namespace tarvelin::testing {

ScratchRegistry::ScratchRegistry() : file_(dir_.path() + "registry.reg") {
  if (const char* was = ::getenv("TARVELIN_REGISTRY")) was_ = was;
  ::setenv("TARVELIN_REGISTRY", file_.c_str(), 1);
}

ScratchRegistry::~ScratchRegistry() {
  was_ ? ::setenv("TARVELIN_REGISTRY", was_->c_str(), 1) : ::unsetenv("TARVELIN_REGISTRY");
}

void ScratchRegistry::Register() { ASSERT_EQ(DllRegisterServer(), TV_S_OK) << TvLastErrorText(); }

}  // namespace tarvelin::testing
