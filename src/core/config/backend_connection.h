// Connecting the database library when the configuration is loaded: in
// storage mode 2 (variable 117), and when the server log writes to the
// database (setting 108 on, setting 21 = 1). Its connection text is that
// of variable 97, with paths made whole against the configuration folder
// (store/db/connection_text.h).
#pragma once

#include <string>

namespace tarvelin {

class Context;

// Whether the configuration asks for the database library.
bool BackendWanted(const Context& context);
// Variable 97 as db.so receives it.
std::string AccountConnectionText(const Context& context);
// Loads and connects the library when BackendWanted. A library that cannot
// be loaded is logged (LoadLibrary and the path) and the installation goes
// on with its files; a connection the library refuses is logged too, and
// the database calls then fail with the library's reason.
void ConnectBackend(Context& context);

}  // namespace tarvelin
