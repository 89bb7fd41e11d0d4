// Whether the program talks to a person: progress output only makes sense
// on a terminal.
#pragma once

namespace tarvelin {

bool StandardOutputIsTerminal();
bool StandardErrorIsTerminal();

}  // namespace tarvelin
