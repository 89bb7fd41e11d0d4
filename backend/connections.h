// The backend's connections and the frame of every exported call.
//
// Connections are kept by their text, opened on first use (their tables
// created when the database is empty) and kept until DBReloadConfig or
// DBDoneConnection. One connection is current: the one DBSetConnection made
// current, on which the domain and account functions work. All of this is
// guarded by the library's one mutex, taken by Guarded; the last error is
// kept per thread. Messages never hold a connection's password.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "backend/connection_settings.h"
#include "backend/sql_connection.h"
#include "foundation/status.h"

namespace tarvelin::backend {

// The failure text the calling thread's last call left (empty after a call
// that succeeded).
const std::string& LastError();
void SetLastError(std::string message);

// Every exported DB* function body runs inside Guarded: under the library's
// one mutex, the calling thread's last error cleared first; a failed Status
// or a caught exception becomes the last error (DBLastError) and the call
// gives `failure`.
template <typename T>
T Guarded(T failure, const std::function<Result<T>()>& call);
void GuardedVoid(const std::function<Status()>& call);

// The connection DBSetConnection made current (NotFound "no connection set"
// when none).
Result<SqlConnection*> CurrentConnection();
// The connection for a text, opened on first use and kept (tables created in
// an empty database); a name without "=" that is not a URI means the current
// connection.
Result<SqlConnection*> ConnectionFor(std::string_view text_or_name);

// Length-prefixed texts in and out (null in = empty; out cut to 255).
std::string TextIn(const uint8_t* text);
void TextOut(std::string_view text, uint8_t* out);

// Opens an engine for parsed settings (SQLite here; PostgreSQL from
// backend/postgres_connection.h).
Result<std::unique_ptr<SqlConnection>> OpenConnection(const ConnectionSettings& settings);

// The registry as the connection exports use it, all called inside Guarded.
// A handle stands for a kept connection text; it stays valid across
// DBReloadConfig (the connection behind it is opened again on next use).
struct ConnectionHandle;
// Makes `text` current, connecting now; on failure nothing is current, so
// later calls fail instead of reaching a database the caller left.
Result<ConnectionHandle*> SetCurrentConnection(std::string_view text);
// The current text, or "" when none.
std::string CurrentConnectionText();
// The connection of a handle DBSetConnection gave (null: the current one).
Result<SqlConnection*> ConnectionOf(const ConnectionHandle* handle);
// Drops every connection but the current one, and the current one's open
// state (its statements); the current text stays current.
void ReloadConnections();
// Closes every connection; nothing is current afterwards.
void CloseConnections();
// Whether a connection with `text` can be made and used: one made for the
// check alone, kept by nobody.
Status CheckConnectionText(std::string_view text);

// The body of Guarded, shared by every instantiation: runs `call` under the
// mutex, catching everything; false when it failed (the last error is set).
bool RunGuarded(const std::function<Status()>& call);

template <typename T>
T Guarded(T failure, const std::function<Result<T>()>& call) {
  T value = failure;
  const bool ok = RunGuarded([&]() -> Status {
    Result<T> result = call();
    if (!result.ok()) return result.status();
    value = std::move(*result);
    return Status::Ok();
  });
  return ok ? value : failure;
}

}  // namespace tarvelin::backend
