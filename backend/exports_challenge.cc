// The challenge-response exports of db.so: the pairs of the store that a
// connection text (or, by a plain name, the current connection) names.
#include <cstdlib>
#include <cstring>

#include "backend/challenge_store.h"
#include "backend/connections.h"
#include "tarvelin/db_backend.h"

using tarvelin::Result;
using tarvelin::Status;
using namespace tarvelin::backend;

extern "C" {

uint8_t DBChallengeCreateTables(const uint8_t* connection) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = ConnectionFor(TextIn(connection));
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(CreateChallengeTables(**sql));
    return 1;
  });
}

uint8_t DBChallengeDropTables(const uint8_t* connection) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = ConnectionFor(TextIn(connection));
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(DropChallengeTables(**sql));
    return 1;
  });
}

// An unknown pair is an answer, not a failure: false with no last error.
uint8_t DBSenderChallenge(const uint8_t* connection, const uint8_t* sender,
                          const uint8_t* recipient, uint8_t* state, uint8_t* folder) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = ConnectionFor(TextIn(connection));
    if (!sql.ok()) return sql.status();
    auto pair = FindChallenge(**sql, TextIn(sender), TextIn(recipient));
    if (!pair.ok()) return pair.status();
    if (!pair->has_value()) return 0;
    TextOut((*pair)->state, state);
    TextOut((*pair)->folder, folder);
    return 1;
  });
}

uint8_t DBAddSenderChallenge(const uint8_t* connection, const uint8_t* sender,
                             const uint8_t* recipient, const uint8_t* state,
                             const uint8_t* folder) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = ConnectionFor(TextIn(connection));
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(
        AddChallenge(**sql, {TextIn(sender), TextIn(recipient), TextIn(state), TextIn(folder)}));
    return 1;
  });
}

uint8_t DBSetSenderChallenge(const uint8_t* connection, const uint8_t* sender,
                             const uint8_t* recipient, const uint8_t* state) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = ConnectionFor(TextIn(connection));
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(
        SetChallengeState(**sql, TextIn(sender), TextIn(recipient), TextIn(state)));
    return 1;
  });
}

uint8_t DBChallengeGetList(const uint8_t* connection, const uint8_t* recipient,
                           const uint8_t* flags, char** list, int32_t* length,
                           int32_t /*reserved*/) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    if (list == nullptr || length == nullptr) {
      return Status::InvalidArgument("DBChallengeGetList needs somewhere to put the list");
    }
    *list = nullptr;
    *length = 0;
    auto sql = ConnectionFor(TextIn(connection));
    if (!sql.ok()) return sql.status();
    auto text = ChallengeList(**sql, TextIn(recipient), TextIn(flags));
    if (!text.ok()) return text.status();
    if (text->size() > INT32_MAX) {
      return Status::BufferTooSmall("the challenge list is larger than 2 GiB");
    }
    // Never null, and closed by a zero for callers that read it as a
    // C string; the length leaves the zero out.
    char* buffer = static_cast<char*>(std::malloc(text->size() + 1));
    if (buffer == nullptr) return Status::BufferTooSmall("no memory for the challenge list");
    std::memcpy(buffer, text->data(), text->size());
    buffer[text->size()] = '\0';
    *list = buffer;
    *length = static_cast<int32_t>(text->size());
    return 1;
  });
}

void DBChallengeFreeList(char** list) {
  if (list == nullptr) return;
  std::free(*list);
  *list = nullptr;
}

uint8_t DBChallengeDeleteEmail(const uint8_t* connection, const uint8_t* recipient,
                               const uint8_t* sender) {
  return Guarded<uint8_t>(0, [&]() -> Result<uint8_t> {
    auto sql = ConnectionFor(TextIn(connection));
    if (!sql.ok()) return sql.status();
    TARVELIN_RETURN_IF_ERROR(DeleteChallenge(**sql, TextIn(recipient), TextIn(sender)));
    return 1;
  });
}

}  // extern "C"
