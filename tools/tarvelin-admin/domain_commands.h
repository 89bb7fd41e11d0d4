// domain list.
#pragma once

#include "cli_output.h"

namespace tarvelin::cli {

void DomainList(const Output& out);

}  // namespace tarvelin::cli
