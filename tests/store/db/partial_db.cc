// A db.so that has only the connection functions, DBLastError,
// DBGetDomainCount and DBDoLog: the tests of loading a library that lacks
// functions, of the connection texts it is handed, of the server log's
// entries, and of the backend lock (a probe the test sets runs inside
// DBGetDomainCount).
#include <cstdint>
#include <cstring>
#include <string>

#include "tarvelin/db_backend.h"

namespace {

std::string connection;
std::string last_error;
std::string last_log;
int done_calls = 0;
void (*probe)() = nullptr;
char handle_byte = 0;

std::string TextOf(const uint8_t* text) {
  return text == nullptr ? std::string()
                         : std::string(reinterpret_cast<const char*>(text + 1), text[0]);
}

}  // namespace

extern "C" {

TARVELIN_DB_API TarvelinDbConnection* DBSetConnection(const uint8_t* text) {
  const std::string wanted = TextOf(text);
  if (wanted.find("refuse") != std::string::npos) {
    last_error = "connection refused by the test";
    return nullptr;
  }
  last_error.clear();
  connection = wanted;
  return reinterpret_cast<TarvelinDbConnection*>(&handle_byte);
}

TARVELIN_DB_API void DBReloadConfig(void) {}

TARVELIN_DB_API void DBDoneConnection(void) {
  ++done_calls;
  connection.clear();
}

TARVELIN_DB_API void DBLastError(uint8_t* text) {
  text[0] = static_cast<uint8_t>(last_error.size());
  std::memcpy(text + 1, last_error.data(), last_error.size());
}

TARVELIN_DB_API int32_t DBGetDomainCount(void) {
  if (probe != nullptr) probe();
  return 0;
}

TARVELIN_DB_API void DBDoLog(const uint8_t* connection, int32_t kind, int32_t bits,
                             const uint8_t* message, const uint8_t* time, const uint8_t* thread,
                             const uint8_t* source, const uint8_t* tag) {
  last_log = TextOf(connection) + "|" + std::to_string(kind) + "|" + std::to_string(bits) + "|" +
             TextOf(message) + "|" + TextOf(time) + "|" + TextOf(thread) + "|" + TextOf(source) +
             "|" + TextOf(tag);
}

// For the tests only.
TARVELIN_DB_API const char* PartialDbLastLog(void) { return last_log.c_str(); }
TARVELIN_DB_API const char* PartialDbConnection(void) { return connection.c_str(); }
TARVELIN_DB_API int PartialDbDoneCalls(void) { return done_calls; }
TARVELIN_DB_API void PartialDbSetProbe(void (*call)()) { probe = call; }

}  // extern "C"
