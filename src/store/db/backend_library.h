// BackendLibrary: the database backend library (db.so, include/tarvelin/
// db_backend.h) as the administration library calls it. It is loaded from
// the installation folder, else from its lib/ folder, and its functions
// are found by name: a replacement library may lack some, and a call to a
// missing one fails as that function fails (false, 0, -1; nothing for a
// function without a result).
//
// Every call runs under the backend lock (LockId::kBackend) unless
// configuration variable 176 is on; Hold keeps it over several calls that
// belong together (a load before a removal, a search and its end). Texts go
// in and come out as db.so's length-prefixed texts, cut to 255 characters.
// Load and Release always take the lock.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "foundation/status.h"
#include "platform/lock_table.h"
#include "platform/shared_library.h"
#include "schema/server_config.h"

typedef struct TarvelinDbConnection TarvelinDbConnection;

namespace tarvelin {

inline constexpr char kBackendLibraryName[] = "db.so";

class BackendLibrary {
 public:
  // Told each path that would not load, with why; the owner logs it.
  using LoadFailure = std::function<void(const std::string& path, const Status& why)>;

  // Follows the record (variable 176) as its owner changes it.
  BackendLibrary(LockTable& locks, const ServerConfig& record, LoadFailure on_load_failure);
  ~BackendLibrary();
  BackendLibrary(const BackendLibrary&) = delete;
  BackendLibrary& operator=(const BackendLibrary&) = delete;

  // The two places db.so is looked for, in order.
  static std::string MainPath(const std::string& install_path);
  static std::string LibPath(const std::string& install_path);

  // Loads db.so unless it is loaded: Unavailable, naming both paths, when
  // neither loads.
  Status Load(const std::string& install_path);
  bool loaded() const { return loaded_.load(); }
  // Loads, then DBSetConnection with `text` and DBReloadConfig. Unavailable
  // when the library cannot be loaded or refuses the connection.
  Status Connect(const std::string& install_path, std::string_view text);
  // Clears the loaded flag, DBDoneConnection, unloads.
  void Release();

  // The backend lock held for a scope (nothing with variable 176 on).
  class Hold {
   public:
    explicit Hold(const BackendLibrary& library);

   private:
    std::unique_lock<std::recursive_mutex> lock_;
  };

  // The failure of a call that gave false, 0 or -1: the library's own
  // reason (DBLastError) when it gives one, else that `what` failed.
  // Unavailable without a loaded library.
  Status Failure(std::string_view what) const;

  TarvelinDbConnection* SetConnection(std::string_view text) const;
  std::string GetConnection() const;
  bool CheckConnection(std::string_view text) const;
  bool CreateTables(TarvelinDbConnection* connection) const;
  bool DropTables(TarvelinDbConnection* connection) const;
  bool CreateLogTables(TarvelinDbConnection* connection) const;
  bool DropLogTables(TarvelinDbConnection* connection) const;

  int32_t GetDomainCount() const;
  bool GetDomains(uint8_t* entries, int32_t count) const;
  bool GetDomain(std::string_view name, uint8_t* record) const;
  bool SetDomain(std::string_view name, const uint8_t* record) const;
  void AddDomain(std::string_view name) const;
  void DeleteDomain(std::string_view name) const;
  bool RenameDomain(std::string_view old_name, std::string_view new_name) const;
  void SetDomainIP(std::string_view name, std::string_view addresses) const;

  int32_t GetUsers(std::string_view domain, uint8_t* record, int32_t position) const;
  int32_t GetUsersIndex(std::string_view domain, std::string_view alias) const;
  bool SaveUsers(std::string_view domain, const uint8_t* record, int32_t* position) const;
  bool DeleteUsers(int32_t position) const;
  bool GetLocalUser(std::string_view address, uint8_t* record) const;
  bool CheckNewAlias(std::string_view domain, std::string_view aliases) const;
  bool CheckForMailbox(std::string_view mailbox, std::string_view password,
                       std::string_view aliases, std::string_view domain, bool binding) const;

  // A walk over the domain's accounts in a 3552-byte UserEnumState.
  bool InitUsers(std::string_view domain, uint8_t* state, int32_t count, int32_t skip) const;
  // True at the end (and when the call fails).
  bool NextUser(uint8_t* state) const;
  void DoneUsers(uint8_t* state) const;

  // The login search; null when there is nothing to search.
  void* AuthenticateUser(std::string_view login, bool alias_login) const;
  bool AuthenticateNext(void* search, bool more, uint8_t* record, std::string* domain,
                        int32_t* index) const;
  void AuthenticateDone(void* search, bool found, int32_t index, const uint8_t* record,
                        std::string_view domain) const;

  // One entry of the server log into the log tables of `connection`.
  void DoLog(std::string_view connection, int32_t kind, int32_t bits, std::string_view message,
             std::string_view time, std::string_view thread, std::string_view source,
             std::string_view tag) const;

  // The challenge-response store named by `connection` (a connection text,
  // or a name for the current connection); every text cut to 255.
  bool ChallengeCreateTables(std::string_view connection) const;
  bool ChallengeDropTables(std::string_view connection) const;
  bool AddSenderChallenge(std::string_view connection, std::string_view sender,
                          std::string_view recipient, std::string_view state,
                          std::string_view folder) const;
  bool SetSenderChallenge(std::string_view connection, std::string_view sender,
                          std::string_view recipient, std::string_view state) const;
  bool ChallengeDeleteEmail(std::string_view connection, std::string_view recipient,
                            std::string_view sender) const;
  // DBChallengeGetList, its buffer copied into `list` and handed back with
  // DBChallengeFreeList under the same hold; false when the call fails.
  bool ChallengeGetList(std::string_view connection, std::string_view recipient,
                        std::string_view flags, std::string* list) const;

  struct Functions;  // the library's functions, null where it lacks one

 private:
  // Under the lock (a Hold): the function table while loaded, else null.
  const Functions* functions() const;

  LockTable& locks_;
  const ServerConfig& record_;
  LoadFailure on_load_failure_;
  std::optional<SharedLibrary> library_;
  std::unique_ptr<Functions> functions_;
  std::atomic<bool> loaded_{false};
};

}  // namespace tarvelin
