// Whether the program talks to a person: progress bars only make sense on
// a terminal, and a password typed there is read without echo.
#pragma once

namespace tarvelin::cli {

bool StandardOutputIsTerminal();
bool StandardErrorIsTerminal();
bool StandardInputIsTerminal();

}  // namespace tarvelin::cli
