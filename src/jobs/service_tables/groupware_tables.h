// The tables of the groupware database. The groupware service (ServiceId 4)
// holds that database's connection; this library keeps the connection text
// in the file groupwaredb.dat of the configuration folder (one line, the
// text cut to 255 characters, CR LF), written whole by rename, for the
// service to read when it is told to reload. The tables are made and
// dropped by the service on command; the library waits for its answer.
#pragma once

#include <string>
#include <string_view>

#include "foundation/status.h"

namespace tarvelin {

class Context;

inline constexpr std::string_view kGroupwareConnectionFile = "groupwaredb.dat";

// The stored text; empty when the file is missing.
std::string GroupwareConnection(const Context& context);

// Stores `connection` as the groupware database, tells the service to take
// it (code 1280, parameter 0) and to create its tables (parameter 3841).
// InvalidArgument, touching nothing, for a text with a line break.
// Ok when the service answered 1; Unavailable when it gave another answer
// or none. The database library is released first and connected again
// afterwards when the configuration asks for it.
Status CreateGroupwareTables(Context& context, std::string_view connection);
// Tells the service to drop its tables (parameter 3842); the answer as for
// CreateGroupwareTables.
Status DropGroupwareTables(Context& context);

}  // namespace tarvelin
