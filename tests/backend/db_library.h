// db.so as the administration library sees it: loaded with dlopen from the
// build folder, every DB* function resolved by name; plus the length-
// prefixed texts and record images its calls take.
#pragma once

#include <dlfcn.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tarvelin/db_backend.h"

namespace tarvelin::testing {

// A length-prefixed text (one length byte, up to 255 characters).
class DbText {
 public:
  DbText(std::string_view text = {}) {  // NOLINT: implicit by design
    if (text.size() > 255) throw std::invalid_argument("text over 255 characters");
    bytes_[0] = static_cast<uint8_t>(text.size());
    std::memcpy(bytes_.data() + 1, text.data(), text.size());
  }
  const uint8_t* in() const { return bytes_.data(); }
  uint8_t* out() { return bytes_.data(); }
  std::string str() const {
    return std::string(reinterpret_cast<const char*>(&bytes_[1]), bytes_[0]);
  }

 private:
  std::array<uint8_t, 256> bytes_{};
};

class DbLibrary {
 public:
#define TARVELIN_DB_FUNCTION(name) decltype(&::name) name = Resolve<decltype(&::name)>(#name)
  DbLibrary() : handle_(Open()) {}
  ~DbLibrary() = default;  // kept loaded: its state is the process's, like the library's
  DbLibrary(const DbLibrary&) = delete;
  DbLibrary& operator=(const DbLibrary&) = delete;

 private:
  static void* Open() {
    void* handle = dlopen(TARVELIN_BINARY_DIR "/db.so", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) throw std::runtime_error(std::string("dlopen db.so: ") + dlerror());
    return handle;
  }
  template <typename F>
  F Resolve(const char* name) const {
    void* symbol = dlsym(handle_, name);
    if (symbol == nullptr) throw std::runtime_error(std::string("db.so lacks ") + name);
    return reinterpret_cast<F>(symbol);
  }
  void* handle_;

 public:
  TARVELIN_DB_FUNCTION(DBSetConnection);
  TARVELIN_DB_FUNCTION(DBGetConnection);
  TARVELIN_DB_FUNCTION(DBCheckConnection);
  TARVELIN_DB_FUNCTION(DBReloadConfig);
  TARVELIN_DB_FUNCTION(DBDoneConnection);
  TARVELIN_DB_FUNCTION(DBLastError);
  TARVELIN_DB_FUNCTION(DBCreateTables);
  TARVELIN_DB_FUNCTION(DBDropTables);
  TARVELIN_DB_FUNCTION(DBGetDomainCount);
  TARVELIN_DB_FUNCTION(DBGetDomains);
  TARVELIN_DB_FUNCTION(DBGetDomain);
  TARVELIN_DB_FUNCTION(DBSetDomain);
  TARVELIN_DB_FUNCTION(DBAddDomain);
  TARVELIN_DB_FUNCTION(DBDeleteDomain);
  TARVELIN_DB_FUNCTION(DBRenameDomain);
  TARVELIN_DB_FUNCTION(DBSetDomainIP);
  TARVELIN_DB_FUNCTION(DBGetUsers);
  TARVELIN_DB_FUNCTION(DBGetUsersReal);
  TARVELIN_DB_FUNCTION(DBGetUsersIndex);
  TARVELIN_DB_FUNCTION(DBSaveUsers);
  TARVELIN_DB_FUNCTION(DBDeleteUsers);
  TARVELIN_DB_FUNCTION(DBGetLocalUser);
  TARVELIN_DB_FUNCTION(DBFindUserString);
  TARVELIN_DB_FUNCTION(DBCheckNewAlias);
  TARVELIN_DB_FUNCTION(DBCheckForMailbox);
  TARVELIN_DB_FUNCTION(DBInitUsers);
  TARVELIN_DB_FUNCTION(DBNextUser);
  TARVELIN_DB_FUNCTION(DBDoneUsers);
  TARVELIN_DB_FUNCTION(DBAuthenticateUser);
  TARVELIN_DB_FUNCTION(DBAuthenticateNext);
  TARVELIN_DB_FUNCTION(DBAuthenticateDone);
  TARVELIN_DB_FUNCTION(DBCreateLogTables);
  TARVELIN_DB_FUNCTION(DBDropLogTables);
  TARVELIN_DB_FUNCTION(DBDoLog);
  TARVELIN_DB_FUNCTION(DBChallengeCreateTables);
  TARVELIN_DB_FUNCTION(DBChallengeDropTables);
  TARVELIN_DB_FUNCTION(DBSenderChallenge);
  TARVELIN_DB_FUNCTION(DBAddSenderChallenge);
  TARVELIN_DB_FUNCTION(DBSetSenderChallenge);
  TARVELIN_DB_FUNCTION(DBChallengeGetList);
  TARVELIN_DB_FUNCTION(DBChallengeFreeList);
  TARVELIN_DB_FUNCTION(DBChallengeDeleteEmail);
#undef TARVELIN_DB_FUNCTION

  // The calling thread's DBLastError.
  std::string LastError() const {
    DbText text;
    DBLastError(text.out());
    return text.str();
  }
};

}  // namespace tarvelin::testing
