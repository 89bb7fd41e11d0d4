// config get ID / config set ID VALUE / config dump.
#pragma once

#include <cstdint>
#include <string>

#include "cli_output.h"

namespace tarvelin::cli {

void ConfigGet(const Output& out, int32_t id);
void ConfigSet(const Output& out, int32_t id, const std::string& value);
void ConfigDump(const Output& out);

}  // namespace tarvelin::cli
