#include "store/db/backend_library.h"

#include <array>
#include <utility>

#include "foundation/bytes.h"
#include "schema/config_offsets.h"
#include "tarvelin/db_backend.h"

namespace tarvelin {

// Every function of db_backend.h, by name.
// clang-format off
#define TARVELIN_DB_FUNCTIONS(X)                                                               \
  X(DBSetConnection) X(DBGetConnection) X(DBCheckConnection) X(DBReloadConfig)                 \
  X(DBDoneConnection) X(DBLastError) X(DBCreateTables) X(DBDropTables) X(DBCreateLogTables)    \
  X(DBDropLogTables) X(DBChallengeCreateTables) X(DBChallengeDropTables) X(DBGetDomainCount)   \
  X(DBGetDomains) X(DBGetDomain) X(DBSetDomain) X(DBAddDomain) X(DBDeleteDomain)               \
  X(DBRenameDomain) X(DBSetDomainIP) X(DBGetUsers) X(DBGetUsersReal) X(DBGetUsersIndex)        \
  X(DBSaveUsers) X(DBDeleteUsers) X(DBGetLocalUser) X(DBFindUserString) X(DBCheckNewAlias)     \
  X(DBCheckForMailbox) X(DBInitUsers) X(DBNextUser) X(DBDoneUsers) X(DBAuthenticateUser)       \
  X(DBAuthenticateNext) X(DBAuthenticateDone) X(DBDoLog) X(DBSenderChallenge)                  \
  X(DBAddSenderChallenge) X(DBSetSenderChallenge) X(DBChallengeGetList)                        \
  X(DBChallengeFreeList) X(DBChallengeDeleteEmail)
// clang-format on

struct BackendLibrary::Functions {
#define TARVELIN_DECLARE(name) decltype(&::name) name = nullptr;
  TARVELIN_DB_FUNCTIONS(TARVELIN_DECLARE)
#undef TARVELIN_DECLARE
};

namespace {

constexpr int kTextMax = 255;
using Text = std::array<uint8_t, kTextMax + 1>;

Text In(std::string_view text) {
  Text buffer{};
  PutPString(buffer.data(), kTextMax, text);
  return buffer;
}

std::string Out(const Text& buffer) { return GetPString(buffer.data(), kTextMax); }

std::unique_ptr<BackendLibrary::Functions> Resolve(const SharedLibrary& library) {
  auto functions = std::make_unique<BackendLibrary::Functions>();
#define TARVELIN_RESOLVE(name) \
  functions->name = reinterpret_cast<decltype(&::name)>(library.Symbol(#name));
  TARVELIN_DB_FUNCTIONS(TARVELIN_RESOLVE)
#undef TARVELIN_RESOLVE
  return functions;
}

}  // namespace

BackendLibrary::BackendLibrary(LockTable& locks, const ServerConfig& record,
                               LoadFailure on_load_failure)
    : locks_(locks), record_(record), on_load_failure_(std::move(on_load_failure)) {}

BackendLibrary::~BackendLibrary() { Release(); }

std::string BackendLibrary::MainPath(const std::string& install_path) {
  return install_path + kBackendLibraryName;
}

std::string BackendLibrary::LibPath(const std::string& install_path) {
  return install_path + "lib/" + kBackendLibraryName;
}

Status BackendLibrary::Load(const std::string& install_path) {
  std::lock_guard<std::recursive_mutex> lock(locks_[LockId::kBackend]);
  if (loaded_) return Status();
  std::string tried;
  for (const std::string& path : {MainPath(install_path), LibPath(install_path)}) {
    Result<SharedLibrary> opened = SharedLibrary::Open(path);
    if (opened.ok()) {
      library_.emplace(std::move(*opened));
      functions_ = Resolve(*library_);
      loaded_ = true;
      return Status();
    }
    if (on_load_failure_) on_load_failure_(path, opened.status());
    tried += (tried.empty() ? "" : "; ") + opened.status().message();
  }
  return Status::Unavailable("the database library cannot be loaded: " + tried);
}

Status BackendLibrary::Connect(const std::string& install_path, std::string_view text) {
  TARVELIN_RETURN_IF_ERROR(Load(install_path));
  Hold hold(*this);
  if (SetConnection(text) == nullptr) {
    Status why = Failure("DBSetConnection");
    return Status::Unavailable("the database cannot be reached: " + why.message());
  }
  if (const Functions* f = functions(); f->DBReloadConfig != nullptr) f->DBReloadConfig();
  return Status();
}

void BackendLibrary::Release() {
  std::lock_guard<std::recursive_mutex> lock(locks_[LockId::kBackend]);
  if (!loaded_) return;
  loaded_ = false;
  if (functions_->DBDoneConnection != nullptr) functions_->DBDoneConnection();
  functions_.reset();
  library_.reset();
}

BackendLibrary::Hold::Hold(const BackendLibrary& library) {
  if (library.record_.Byte(offsets::kDatabaseLockOff) == 0) {
    lock_ = std::unique_lock<std::recursive_mutex>(library.locks_[LockId::kBackend]);
  }
}

const BackendLibrary::Functions* BackendLibrary::functions() const {
  return loaded_ ? functions_.get() : nullptr;
}

Status BackendLibrary::Failure(std::string_view what) const {
  Hold hold(*this);
  const Functions* f = functions();
  if (f == nullptr) return Status::Unavailable("the database library is not loaded");
  std::string why;
  if (f->DBLastError != nullptr) {
    Text text{};
    f->DBLastError(text.data());
    why = Out(text);
  }
  if (why.empty()) {
    const bool present = [&] {
#define TARVELIN_PRESENT(name) \
  if (what == #name) return f->name != nullptr;
      TARVELIN_DB_FUNCTIONS(TARVELIN_PRESENT)
#undef TARVELIN_PRESENT
      return true;
    }();
    why =
        present ? std::string(what) + " failed" : "the database library lacks " + std::string(what);
  }
  return Status::Unavailable(why);
}

// Calls `name` under the lock when the library has it; `failure` otherwise.
#define TARVELIN_CALL(failure, name, ...)                 \
  Hold hold(*this);                                       \
  const Functions* f = functions();                       \
  if (f == nullptr || f->name == nullptr) return failure; \
  return f->name(__VA_ARGS__)

TarvelinDbConnection* BackendLibrary::SetConnection(std::string_view text) const {
  const Text in = In(text);
  TARVELIN_CALL(nullptr, DBSetConnection, in.data());
}

std::string BackendLibrary::GetConnection() const {
  Hold hold(*this);
  const Functions* f = functions();
  if (f == nullptr || f->DBGetConnection == nullptr) return {};
  Text out{};
  f->DBGetConnection(out.data());
  return Out(out);
}

bool BackendLibrary::CheckConnection(std::string_view text) const {
  const Text in = In(text);
  TARVELIN_CALL(false, DBCheckConnection, in.data()) != 0;
}

bool BackendLibrary::CreateTables(TarvelinDbConnection* connection) const {
  TARVELIN_CALL(false, DBCreateTables, connection) != 0;
}

bool BackendLibrary::DropTables(TarvelinDbConnection* connection) const {
  TARVELIN_CALL(false, DBDropTables, connection) != 0;
}

bool BackendLibrary::CreateLogTables(TarvelinDbConnection* connection) const {
  TARVELIN_CALL(false, DBCreateLogTables, connection) != 0;
}

bool BackendLibrary::DropLogTables(TarvelinDbConnection* connection) const {
  TARVELIN_CALL(false, DBDropLogTables, connection) != 0;
}

int32_t BackendLibrary::GetDomainCount() const { TARVELIN_CALL(0, DBGetDomainCount); }

bool BackendLibrary::GetDomains(uint8_t* entries, int32_t count) const {
  TARVELIN_CALL(false, DBGetDomains, entries, count) != 0;
}

bool BackendLibrary::GetDomain(std::string_view name, uint8_t* record) const {
  const Text in = In(name);
  TARVELIN_CALL(false, DBGetDomain, in.data(), record) != 0;
}

bool BackendLibrary::SetDomain(std::string_view name, const uint8_t* record) const {
  const Text in = In(name);
  TARVELIN_CALL(false, DBSetDomain, in.data(), record) != 0;
}

void BackendLibrary::AddDomain(std::string_view name) const {
  const Text in = In(name);
  TARVELIN_CALL(void(), DBAddDomain, in.data());
}

void BackendLibrary::DeleteDomain(std::string_view name) const {
  const Text in = In(name);
  TARVELIN_CALL(void(), DBDeleteDomain, in.data());
}

bool BackendLibrary::RenameDomain(std::string_view old_name, std::string_view new_name) const {
  const Text from = In(old_name);
  const Text to = In(new_name);
  TARVELIN_CALL(false, DBRenameDomain, from.data(), to.data()) != 0;
}

void BackendLibrary::SetDomainIP(std::string_view name, std::string_view addresses) const {
  const Text in = In(name);
  const Text list = In(addresses);
  TARVELIN_CALL(void(), DBSetDomainIP, in.data(), list.data());
}

int32_t BackendLibrary::GetUsers(std::string_view domain, uint8_t* record, int32_t position) const {
  const Text in = In(domain);
  TARVELIN_CALL(-1, DBGetUsers, in.data(), record, position);
}

int32_t BackendLibrary::GetUsersIndex(std::string_view domain, std::string_view alias) const {
  const Text in = In(domain);
  const Text name = In(alias);
  TARVELIN_CALL(-1, DBGetUsersIndex, in.data(), name.data());
}

bool BackendLibrary::SaveUsers(std::string_view domain, const uint8_t* record,
                               int32_t* position) const {
  const Text in = In(domain);
  TARVELIN_CALL(false, DBSaveUsers, in.data(), record, position) != 0;
}

bool BackendLibrary::DeleteUsers(int32_t position) const {
  TARVELIN_CALL(false, DBDeleteUsers, position) != 0;
}

bool BackendLibrary::GetLocalUser(std::string_view address, uint8_t* record) const {
  const Text in = In(address);
  TARVELIN_CALL(false, DBGetLocalUser, in.data(), record) != 0;
}

bool BackendLibrary::CheckNewAlias(std::string_view domain, std::string_view aliases) const {
  const Text in = In(domain);
  const Text list = In(aliases);
  TARVELIN_CALL(false, DBCheckNewAlias, in.data(), list.data()) != 0;
}

bool BackendLibrary::CheckForMailbox(std::string_view mailbox, std::string_view password,
                                     std::string_view aliases, std::string_view domain,
                                     bool binding) const {
  const Text box = In(mailbox);
  const Text secret = In(password);
  const Text list = In(aliases);
  const Text in = In(domain);
  TARVELIN_CALL(false, DBCheckForMailbox, box.data(), secret.data(), list.data(), in.data(),
                binding ? 1 : 0) != 0;
}

bool BackendLibrary::InitUsers(std::string_view domain, uint8_t* state, int32_t count,
                               int32_t skip) const {
  const Text in = In(domain);
  TARVELIN_CALL(false, DBInitUsers, in.data(), state, count, skip) != 0;
}

bool BackendLibrary::NextUser(uint8_t* state) const { TARVELIN_CALL(true, DBNextUser, state) != 0; }

void BackendLibrary::DoneUsers(uint8_t* state) const { TARVELIN_CALL(void(), DBDoneUsers, state); }

void* BackendLibrary::AuthenticateUser(std::string_view login, bool alias_login) const {
  const Text in = In(login);
  TARVELIN_CALL(nullptr, DBAuthenticateUser, in.data(), alias_login ? 1 : 0);
}

bool BackendLibrary::AuthenticateNext(void* search, bool more, uint8_t* record, std::string* domain,
                                      int32_t* index) const {
  Hold hold(*this);
  const Functions* f = functions();
  if (f == nullptr || f->DBAuthenticateNext == nullptr) return false;
  Text out{};
  if (f->DBAuthenticateNext(search, more ? 1 : 0, record, out.data(), index) == 0) return false;
  *domain = Out(out);
  return true;
}

void BackendLibrary::AuthenticateDone(void* search, bool found, int32_t index,
                                      const uint8_t* record, std::string_view domain) const {
  const Text in = In(domain);
  TARVELIN_CALL(void(), DBAuthenticateDone, search, found ? 1 : 0, index, record, in.data());
}

void BackendLibrary::DoLog(std::string_view connection, int32_t kind, int32_t bits,
                           std::string_view message, std::string_view time, std::string_view thread,
                           std::string_view source, std::string_view tag) const {
  const Text where = In(connection);
  const Text text = In(message);
  const Text when = In(time);
  const Text who = In(thread);
  const Text from = In(source);
  const Text label = In(tag);
  TARVELIN_CALL(void(), DBDoLog, where.data(), kind, bits, text.data(), when.data(), who.data(),
                from.data(), label.data());
}

bool BackendLibrary::ChallengeCreateTables(std::string_view connection) const {
  const Text where = In(connection);
  TARVELIN_CALL(false, DBChallengeCreateTables, where.data()) != 0;
}

bool BackendLibrary::ChallengeDropTables(std::string_view connection) const {
  const Text where = In(connection);
  TARVELIN_CALL(false, DBChallengeDropTables, where.data()) != 0;
}

bool BackendLibrary::AddSenderChallenge(std::string_view connection, std::string_view sender,
                                        std::string_view recipient, std::string_view state,
                                        std::string_view folder) const {
  const Text where = In(connection);
  const Text from = In(sender);
  const Text to = In(recipient);
  const Text mark = In(state);
  const Text name = In(folder);
  TARVELIN_CALL(false, DBAddSenderChallenge, where.data(), from.data(), to.data(), mark.data(),
                name.data()) != 0;
}

bool BackendLibrary::SetSenderChallenge(std::string_view connection, std::string_view sender,
                                        std::string_view recipient, std::string_view state) const {
  const Text where = In(connection);
  const Text from = In(sender);
  const Text to = In(recipient);
  const Text mark = In(state);
  TARVELIN_CALL(false, DBSetSenderChallenge, where.data(), from.data(), to.data(), mark.data()) !=
      0;
}

bool BackendLibrary::ChallengeDeleteEmail(std::string_view connection, std::string_view recipient,
                                          std::string_view sender) const {
  const Text where = In(connection);
  const Text to = In(recipient);
  const Text from = In(sender);
  TARVELIN_CALL(false, DBChallengeDeleteEmail, where.data(), to.data(), from.data()) != 0;
}

bool BackendLibrary::ChallengeGetList(std::string_view connection, std::string_view recipient,
                                      std::string_view flags, std::string* list) const {
  const Text where = In(connection);
  const Text to = In(recipient);
  const Text states = In(flags);
  Hold hold(*this);
  const Functions* f = functions();
  if (f == nullptr || f->DBChallengeGetList == nullptr) return false;
  char* buffer = nullptr;
  int32_t length = 0;
  const bool done =
      f->DBChallengeGetList(where.data(), to.data(), states.data(), &buffer, &length, 0) != 0;
  if (done && buffer != nullptr && length > 0) {
    list->assign(buffer, static_cast<size_t>(length));
  } else {
    list->clear();
  }
  // The buffer is the library's: handed back whatever the call answered.
  if (buffer != nullptr && f->DBChallengeFreeList != nullptr) f->DBChallengeFreeList(&buffer);
  return done;
}

#undef TARVELIN_CALL

}  // namespace tarvelin
