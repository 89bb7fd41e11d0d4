// Whether the program talks to a person: progress bars only make sense on
// a terminal, and a password typed there is read without echo.
#pragma once

#include <cstdint>
#include <string>

namespace tarvelin::cli {

bool StandardOutputIsTerminal();
bool StandardErrorIsTerminal();
bool StandardInputIsTerminal();

// The bar of a progress line, "[#####.........]", 30 marks wide, filled as
// far as `done` of `total` (empty when the total is unknown).
std::string ProgressBarText(int64_t done, int64_t total);

}  // namespace tarvelin::cli
