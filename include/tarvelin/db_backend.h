/*
 * The database backend library (db.so): where domains and accounts live in
 * storage mode 2, and where the server log and the challenge-response store
 * may write. The administration library loads it with dlopen from the
 * installation folder (or its lib/ folder) and resolves these functions by
 * name, so another library that exports the same functions with the same
 * arguments can take its place.
 *
 * Conventions:
 *  - texts are length-prefixed single-byte strings: one length byte, then up
 *    to 255 characters (a `const uint8_t*` points at the length byte; an
 *    out-text is a 256-byte buffer);
 *  - records are the stored byte images: DomainEntry 96 bytes, DomainRecord
 *    1169 bytes, UserRecord 2848 bytes (password in plain text), the walk
 *    state UserEnumState 3552 bytes;
 *  - counts and positions are signed 32-bit; a flag is one byte, 0 or 1;
 *  - the library serialises its own calls, so callers may call from any
 *    thread; a call that fails gives false, 0 or -1 and leaves the reason
 *    for DBLastError on the calling thread.
 * No call raises an error or exception to the caller.
 */
#ifndef TARVELIN_DB_BACKEND_H_
#define TARVELIN_DB_BACKEND_H_

#include <stdint.h>

#if defined(__GNUC__)
#define TARVELIN_DB_API __attribute__((visibility("default")))
#else
#define TARVELIN_DB_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* A connection made current by DBSetConnection; owned by the library. */
typedef struct TarvelinDbConnection TarvelinDbConnection;

/* Connections
 *
 * A connection text is ";"-separated key=value pairs:
 *   driver=sqlite;database=/abs/path/tarvelin.db
 *   driver=postgresql;host=...;port=...;dbname=...;user=...;password=...;sslmode=...
 * or a "postgresql://" URI. The domain and account functions below work on
 * the current connection. */

/* Makes `text` the current connection (connecting on first use, creating
 * the tables in an empty database); the connection, or null when the text
 * cannot be used. */
TARVELIN_DB_API TarvelinDbConnection* DBSetConnection(const uint8_t* text);
/* The current connection text (empty when none). */
TARVELIN_DB_API void DBGetConnection(uint8_t* text);
/* True when a connection with `text` can be made and used. */
TARVELIN_DB_API uint8_t DBCheckConnection(const uint8_t* text);
/* Forgets what the library keeps between calls (statements, connections
 * other than the current one), so the next call starts afresh. */
TARVELIN_DB_API void DBReloadConfig(void);
/* Closes every connection. */
TARVELIN_DB_API void DBDoneConnection(void);
/* Why the last failed call of this thread failed (the password of a
 * connection text never appears); empty after a call that succeeded. */
TARVELIN_DB_API void DBLastError(uint8_t* text);

/* Tables of the accounts, of the log, of the challenge-response store. */
TARVELIN_DB_API uint8_t DBCreateTables(TarvelinDbConnection* connection);
TARVELIN_DB_API uint8_t DBDropTables(TarvelinDbConnection* connection);
TARVELIN_DB_API uint8_t DBCreateLogTables(TarvelinDbConnection* connection);
TARVELIN_DB_API uint8_t DBDropLogTables(TarvelinDbConnection* connection);
TARVELIN_DB_API uint8_t DBChallengeCreateTables(const uint8_t* connection);
TARVELIN_DB_API uint8_t DBChallengeDropTables(const uint8_t* connection);

/* Domains, in list order */

TARVELIN_DB_API int32_t DBGetDomainCount(void);
/* Fills up to `count` 96-byte DomainEntry images (name, binding flag). */
TARVELIN_DB_API uint8_t DBGetDomains(uint8_t* entries, int32_t count);
/* The domain's 1169-byte record; false when it has none. */
TARVELIN_DB_API uint8_t DBGetDomain(const uint8_t* name, uint8_t* record);
TARVELIN_DB_API uint8_t DBSetDomain(const uint8_t* name, const uint8_t* record);
/* Adds the domain at the end of the list (nothing when it is there). */
TARVELIN_DB_API void DBAddDomain(const uint8_t* name);
/* Removes the domain with its record and accounts. */
TARVELIN_DB_API void DBDeleteDomain(const uint8_t* name);
/* Renames the domain, its record and accounts following; false when the
 * old name is unknown or the new one taken. */
TARVELIN_DB_API uint8_t DBRenameDomain(const uint8_t* old_name, const uint8_t* new_name);
/* The addresses the domain is bound to (empty: none); sets the entry's
 * binding flag. */
TARVELIN_DB_API void DBSetDomainIP(const uint8_t* name, const uint8_t* addresses);

/* Accounts of a domain, by 0-based position (stable order; a removal moves
 * later accounts down one position) */

/* The number of accounts (-1 on failure); `record` receives the account at
 * `position` when there is one, else stays as it was. DBGetUsersReal is the
 * same call. */
TARVELIN_DB_API int32_t DBGetUsers(const uint8_t* domain, uint8_t* record, int32_t position);
TARVELIN_DB_API int32_t DBGetUsersReal(const uint8_t* domain, uint8_t* record, int32_t position);
/* The first position whose alias list holds `alias`, or -1. */
TARVELIN_DB_API int32_t DBGetUsersIndex(const uint8_t* domain, const uint8_t* alias);
/* Replaces the account at *position, or adds one when it is -1 or the
 * count (*position then receives the new position). False for a record
 * without aliases or a position past the end. */
TARVELIN_DB_API uint8_t DBSaveUsers(const uint8_t* domain, const uint8_t* record, int32_t* position);
/* Removes the account at `position` of the domain of this thread's last
 * DBGetUsers call. */
TARVELIN_DB_API uint8_t DBDeleteUsers(int32_t position);
/* The account `local@domain` names by its alias list; true when found. */
TARVELIN_DB_API uint8_t DBGetLocalUser(const uint8_t* address, uint8_t* record);
/* The first account whose name holds `text`, with its domain. */
TARVELIN_DB_API uint8_t DBFindUserString(const uint8_t* text, uint8_t* record, uint8_t* domain);
/* True when no account of the domain has any of the ";"-separated aliases. */
TARVELIN_DB_API uint8_t DBCheckNewAlias(const uint8_t* domain, const uint8_t* aliases);
/* True when another account (another domain, or one whose aliases differ)
 * has this mailbox name and password; with `binding`, only domains bound
 * to the same addresses as `domain` count. */
TARVELIN_DB_API uint8_t DBCheckForMailbox(const uint8_t* mailbox, const uint8_t* password,
                                          const uint8_t* aliases, const uint8_t* domain,
                                          uint8_t binding);

/* Walks over a domain's accounts: the state is the caller's 3552-byte
 * UserEnumState, with the walk flag and the query set; the library applies
 * the query, fills the record (offset 0) and the index (offset 3184), and
 * keeps its cursor in the state's file area (offset 2852). */
TARVELIN_DB_API uint8_t DBInitUsers(const uint8_t* domain, uint8_t* state, int32_t count,
                                    int32_t skip);
/* Moves to the next account: nonzero at the end. */
TARVELIN_DB_API uint8_t DBNextUser(uint8_t* state);
TARVELIN_DB_API void DBDoneUsers(uint8_t* state);

/* The login search: the candidates a login may name (mailbox name equal to
 * the login; with `alias_login`, the accounts of the login's domain whose
 * aliases hold its local part), delivered one by one until the caller's
 * check accepts one. The handle is null when there is nothing to search. */
TARVELIN_DB_API void* DBAuthenticateUser(const uint8_t* login, uint8_t alias_login);
/* The next candidate (`more` is 0 on the first call): its record, domain
 * and position; false when there is none left. */
TARVELIN_DB_API uint8_t DBAuthenticateNext(void* handle, uint8_t more, uint8_t* record,
                                           uint8_t* domain, int32_t* index);
/* Ends the search and frees the handle. */
TARVELIN_DB_API void DBAuthenticateDone(void* handle, uint8_t found, int32_t index,
                                        const uint8_t* record, const uint8_t* domain);

/* The server log: one entry, into the log tables of `connection`. */
TARVELIN_DB_API void DBDoLog(const uint8_t* connection, int32_t kind, int32_t bits,
                             const uint8_t* message, const uint8_t* time,
                             const uint8_t* thread, const uint8_t* source, const uint8_t* tag);

/* The challenge-response pairs (sender, recipient) with their state and
 * folder; `connection` names the store: a connection text, or a name
 * without "=" for the current connection. */
TARVELIN_DB_API uint8_t DBSenderChallenge(const uint8_t* connection, const uint8_t* sender,
                                          const uint8_t* recipient, uint8_t* state,
                                          uint8_t* folder);
TARVELIN_DB_API uint8_t DBAddSenderChallenge(const uint8_t* connection, const uint8_t* sender,
                                             const uint8_t* recipient, const uint8_t* state,
                                             const uint8_t* folder);
TARVELIN_DB_API uint8_t DBSetSenderChallenge(const uint8_t* connection, const uint8_t* sender,
                                             const uint8_t* recipient, const uint8_t* state);
/* The pairs of `recipient` (all pairs when empty) whose state is one of the
 * characters of `flags` (any state when empty), one line each:
 * "sender;recipient;state;folder" ended by CR LF. *list is the library's
 * buffer of *length bytes, handed back with DBChallengeFreeList. */
TARVELIN_DB_API uint8_t DBChallengeGetList(const uint8_t* connection, const uint8_t* recipient,
                                           const uint8_t* flags, char** list, int32_t* length,
                                           int32_t reserved);
TARVELIN_DB_API void DBChallengeFreeList(char** list);
TARVELIN_DB_API uint8_t DBChallengeDeleteEmail(const uint8_t* connection,
                                               const uint8_t* recipient, const uint8_t* sender);

#ifdef __cplusplus
}
#endif

#endif /* TARVELIN_DB_BACKEND_H_ */
