// The constants file apiconst.pas as the build ships it, for test
// installations whose walks carry queries.
#pragma once

#include <string>

namespace tarvelin::testing {

// The text of the apiconst.pas beside the built library.
std::string ShippedPropertyFile();

}  // namespace tarvelin::testing
