#include "backend/connections.h"

#include <algorithm>
#include <exception>
#include <map>
#include <mutex>
#include <utility>

#include "backend/postgres_connection.h"
#include "backend/schema_tables.h"
#include "backend/sqlite_connection.h"
#include "foundation/connection_text.h"
#include "foundation/text.h"

namespace tarvelin::backend {

// One kept connection text and, while open, its connection.
struct ConnectionHandle {
  std::string text;
  std::unique_ptr<SqlConnection> connection;
};

namespace {

std::recursive_mutex& LibraryMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

std::string& LastErrorOfThread() {
  thread_local std::string text;
  return text;
}

// The kept connections by text, and the current one (null: none). Only
// touched under the library mutex.
struct Registry {
  std::map<std::string, std::unique_ptr<ConnectionHandle>, std::less<>> by_text;
  ConnectionHandle* current = nullptr;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry();  // outlives every caller's exit
  return *registry;
}

// The handle's connection, opening it (and preparing an empty database)
// when it is not open.
Result<SqlConnection*> Open(ConnectionHandle& handle) {
  if (handle.connection != nullptr) return handle.connection.get();
  auto settings = ParseConnectionText(handle.text);
  if (!settings.ok()) return settings.status();
  auto connection = OpenConnection(*settings);
  if (!connection.ok()) return connection.status();
  TARVELIN_RETURN_IF_ERROR(PrepareDatabase(**connection));
  handle.connection = std::move(*connection);
  return handle.connection.get();
}

ConnectionHandle& HandleFor(std::string_view text) {
  Registry& registry = TheRegistry();
  auto found = registry.by_text.find(text);
  if (found != registry.by_text.end()) return *found->second;
  auto handle = std::make_unique<ConnectionHandle>();
  handle->text = std::string(text);
  ConnectionHandle& kept = *handle;
  std::string key = kept.text;
  registry.by_text.emplace(std::move(key), std::move(handle));
  return kept;
}

// The connection for a text, kept by it; a text that cannot be opened is
// not kept.
Result<SqlConnection*> OpenKept(std::string_view text) {
  Registry& registry = TheRegistry();
  ConnectionHandle& handle = HandleFor(text);
  auto connection = Open(handle);
  if (!connection.ok() && handle.connection == nullptr && &handle != registry.current) {
    registry.by_text.erase(registry.by_text.find(text));
  }
  return connection;
}

}  // namespace

const std::string& LastError() { return LastErrorOfThread(); }

void SetLastError(std::string message) { LastErrorOfThread() = std::move(message); }

bool RunGuarded(const std::function<Status()>& call) {
  std::lock_guard lock(LibraryMutex());
  LastErrorOfThread().clear();
  try {
    const Status status = call();
    if (status.ok()) return true;
    SetLastError(status.message().empty() ? status.ToString() : status.message());
  } catch (const std::exception& error) {
    SetLastError(std::string("unexpected failure: ") + error.what());
  } catch (...) {
    SetLastError("unexpected failure");
  }
  return false;
}

void GuardedVoid(const std::function<Status()>& call) { RunGuarded(call); }

Result<SqlConnection*> CurrentConnection() {
  ConnectionHandle* current = TheRegistry().current;
  if (current == nullptr) return Status::NotFound("no connection set");
  return Open(*current);
}

Result<SqlConnection*> ConnectionFor(std::string_view text_or_name) {
  if (text_or_name.find('=') == std::string_view::npos && !IsPostgresUri(text_or_name)) {
    return CurrentConnection();
  }
  return OpenKept(text_or_name);
}

std::string TextIn(const uint8_t* text) {
  if (text == nullptr) return {};
  return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

void TextOut(std::string_view text, uint8_t* out) {
  if (out == nullptr) return;
  const size_t length = std::min<size_t>(text.size(), 255);
  out[0] = static_cast<uint8_t>(length);
  std::copy_n(text.data(), length, out + 1);
}

Result<std::unique_ptr<SqlConnection>> OpenConnection(const ConnectionSettings& settings) {
  if (settings.driver == Driver::kSqlite) return OpenSqlite(settings);
  return OpenPostgres(settings);
}

Result<ConnectionHandle*> SetCurrentConnection(std::string_view text) {
  Registry& registry = TheRegistry();
  registry.current = nullptr;
  if (text.find('=') == std::string_view::npos && !IsPostgresUri(text)) {
    return Status::InvalidArgument("'" + RedactConnectionText(text) +
                                   "' is not a connection text (driver=...;... or a URI)");
  }
  auto connection = OpenKept(text);
  if (!connection.ok()) return connection.status();
  ConnectionHandle* handle = registry.by_text.find(text)->second.get();
  registry.current = handle;
  return handle;
}

std::string CurrentConnectionText() {
  const ConnectionHandle* current = TheRegistry().current;
  return current != nullptr ? current->text : std::string();
}

Result<SqlConnection*> ConnectionOf(const ConnectionHandle* handle) {
  if (handle == nullptr) return CurrentConnection();
  for (auto& [text, kept] : TheRegistry().by_text) {
    if (kept.get() == handle) return Open(*kept);
  }
  return Status::NotFound("the connection handle is not one this library gave out");
}

void ReloadConnections() {
  Registry& registry = TheRegistry();
  for (auto it = registry.by_text.begin(); it != registry.by_text.end();) {
    if (it->second.get() == registry.current) {
      it->second->connection.reset();
      ++it;
    } else {
      it = registry.by_text.erase(it);
    }
  }
}

Status CheckConnectionText(std::string_view text) {
  auto settings = ParseConnectionText(text);
  if (!settings.ok()) return settings.status();
  auto connection = OpenConnection(*settings);
  if (!connection.ok()) return connection.status();
  if (!(*connection)->Alive()) {
    return Status::Unavailable("database " + settings->redacted + " does not answer");
  }
  return Status::Ok();
}

void CloseConnections() {
  Registry& registry = TheRegistry();
  registry.current = nullptr;
  registry.by_text.clear();
}

}  // namespace tarvelin::backend
