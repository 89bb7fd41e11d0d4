// The PostgreSQL engine: SqlConnection over libpq.
//
// "?" placeholders become $1..$n (not inside quoted literals, quoted names
// or comments); each SQL text is prepared once per connection on the
// server and kept. Integers travel as text, bytes and results in binary
// format (ColumnInt reads int2/int4/int8/bool/oid/numeric columns and
// decimal text; ColumnBytes gives bytea and text columns as stored). A
// statement's rows are fetched whole on its first Step, so several
// statements may be open at once as with SQLite; they land in a buffer the
// statement keeps between runs (up to 64 MiB), so walking a domain again
// costs no fresh memory.
//
// A connection that broke (server restarted, backend terminated) fails the
// statement that met it with Unavailable; the next call outside a
// transaction connects again (once) and prepares its statements afresh.
// Alive() checks with a round trip and connects again when needed.
//
// Messages are libpq's and the server's, trimmed, with the redacted
// connection text where one names the connection; never the password.
#pragma once

#include <memory>

#include "backend/connection_settings.h"
#include "backend/sql_connection.h"

namespace tarvelin::backend {

// Connects; Unavailable with libpq's reason when the server cannot be
// reached, refuses the login or has no such database.
Result<std::unique_ptr<SqlConnection>> OpenPostgres(const ConnectionSettings& settings);

}  // namespace tarvelin::backend
