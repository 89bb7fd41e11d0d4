// Whether the program talks to a person: progress bars only make sense on
// a terminal.
#pragma once

namespace tarvelin::cli {

bool StandardOutputIsTerminal();
bool StandardErrorIsTerminal();

}  // namespace tarvelin::cli
