// The tables of the account and log databases, made and dropped for the
// automation objects, and the test of a connection text. Each loads the
// database library first (Unavailable when it cannot be loaded). Making or
// dropping tables works on the named connection and then makes the
// library's earlier connection current again.
#pragma once

#include <string_view>

#include "foundation/status.h"

namespace tarvelin {

class Context;

// Stores `connection` (cut to 255 characters) as the account database
// (variable 97), saves the configuration, and creates the account tables
// there.
Status CreateAccountTables(Context& context, std::string_view connection);
// Stores `connection` (cut to 125 characters) as the log database
// (variable 107), saves the configuration, and creates the log tables.
Status CreateLogTables(Context& context, std::string_view connection);
// Drops the tables of the account database of variable 97.
Status DropAccountTables(Context& context);
// Drops the tables of the log database of variable 107.
Status DropLogTables(Context& context);
// Whether a connection with `connection` (cut to 255 characters) can be
// made and used: ok, or why not.
Status CheckDbConnection(Context& context, std::string_view connection);

}  // namespace tarvelin
